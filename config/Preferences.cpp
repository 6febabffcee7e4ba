// Loading and seeding the preferences. The order of the seeding steps matters to users of
// old files: a missing AutoRecord means an old file, whose auto-record rules are reset.
#include "Preferences.h"

#include "OrvKeys.h"

#include "TIniFile.h"

#include <algorithm>

const QStringList Preferences::BaudRates = {QStringLiteral("57600"), QStringLiteral("115200"),
                                            QStringLiteral("128000"), QStringLiteral("256000")};
const QStringList Preferences::FlowControls = {QStringLiteral("Hardware"),
                                               QStringLiteral("Software"), QStringLiteral("None")};
const QStringList Preferences::PointsList = {
    QStringLiteral("1200"), QStringLiteral("1400"), QStringLiteral("1600"), QStringLiteral("1800"),
    QStringLiteral("2000"), QStringLiteral("2200"), QStringLiteral("2400"), QStringLiteral("2600"),
    QStringLiteral("2800"), QStringLiteral("3000")};

int Preferences::baudRateValue() const
{
    return BaudRates.value(baudrate, BaudRates[1]).toInt();
}

QString Preferences::flowControlName() const
{
    return FlowControls.value(FlowControl, FlowControls[0]);
}

int Preferences::pointsValue() const
{
    return PointsList.value(Points, PointsList[3]).toInt();
}

namespace {

const QString Params = QStringLiteral("Params");
const QString Monitor = QStringLiteral("Monitor");
const QString Fonts = QStringLiteral("Fonts");
const QString Modem = QStringLiteral("Modem");
const QString FileCompression = QStringLiteral("File compression");

// Reads an integer, writing the default first when the key is missing.
int seededInteger(TIniFile &ini, const QString &section, const QString &key, int def)
{
    if (!ini.ValueExists(section, key)) {
        ini.WriteInteger(section, key, def);
        return def;
    }
    return ini.ReadInteger(section, key, def);
}

bool seededBool(TIniFile &ini, const QString &section, const QString &key, bool def)
{
    return seededInteger(ini, section, key, def ? 1 : 0) != 0;
}

// The dialog's spin boxes and lists cannot hold values outside their ranges.
int bounded(int value, int low, int high)
{
    return std::clamp(value, low, high);
}

void loadMonitor(TIniFile &ini, Preferences &p)
{
    p.PlayTrace = seededBool(ini, Monitor, QStringLiteral("PlayTrace"), true);
    p.RecordTrace = seededBool(ini, Monitor, QStringLiteral("RecordTrace"), true);
    p.Points = bounded(seededInteger(ini, Monitor, QStringLiteral("Points"), 3), 0,
                       static_cast<int>(Preferences::PointsList.size()) - 1);
    p.BackColor = seededInteger(ini, Monitor, QStringLiteral("BackColor"), 0);
    p.TraceColor = seededInteger(ini, Monitor, QStringLiteral("TraceColor"), 65280);
}

void loadAutoRecord(TIniFile &ini, Preferences &p)
{
    if (!ini.ValueExists(Params, QStringLiteral("AutoRecord"))) {
        ini.WriteBool(Params, QStringLiteral("AutoRecord"), true);
        ini.WriteInteger(Params, QStringLiteral("DiscTime"), 10);
        ini.WriteBool(Params, QStringLiteral("RejectCall"), true);
        ini.WriteInteger(Params, QStringLiteral("RejectRings"), 6);
        ini.WriteInteger(Params, QStringLiteral("Timeout"), 4);
    }
    p.AutoRecord = ini.ReadBool(Params, QStringLiteral("AutoRecord"), true);
    p.DiscTime = bounded(ini.ReadInteger(Params, QStringLiteral("DiscTime"), 10), 1, 30);
    p.RejectCall = ini.ReadBool(Params, QStringLiteral("RejectCall"), true);
    p.RejectRings = bounded(ini.ReadInteger(Params, QStringLiteral("RejectRings"), 6), 2, 20);
    p.Timeout = bounded(ini.ReadInteger(Params, QStringLiteral("Timeout"), 4), 1, 8);
}

void loadCallerId(TIniFile &ini, Preferences &p)
{
    const QString key = QStringLiteral("CallerID");
    const bool modemHasCallerId =
        ini.ReadString(Modem, QStringLiteral("ForCallerId"), QStringLiteral("none")).toUpper() !=
        QLatin1String("NONE");
    if (ini.ValueExists(Params, key)) {
        p.CallerID = ini.ReadBool(Params, key, modemHasCallerId);
    } else if (ini.ValueExists(Modem, QStringLiteral("ForCallerId"))) {
        ini.WriteBool(Params, key, modemHasCallerId);
        p.CallerID = modemHasCallerId;
    } else {
        ini.WriteBool(Params, key, true);
        p.CallerID = true;
    }
}

void loadFonts(TIniFile &ini, Preferences &p, const DialogFont &font)
{
    if (!ini.ValueExists(Fonts, QStringLiteral("FontName"))) {
        ini.WriteString(Fonts, QStringLiteral("FontName"), font.name);
        ini.WriteInteger(Fonts, QStringLiteral("FontSize"), font.size);
        ini.WriteInteger(Fonts, QStringLiteral("FontColor"), font.color);
    }
    p.FontName = ini.ReadString(Fonts, QStringLiteral("FontName"), font.name);
    p.FontSize = ini.ReadInteger(Fonts, QStringLiteral("FontSize"), font.size);
    p.FontColor = ini.ReadInteger(Fonts, QStringLiteral("FontColor"), font.color);
}

void loadFileCompression(TIniFile &ini, Preferences &p, const FileFormatSource &formats)
{
    if (!formats.defaultFormat || !formats.describe)
        return;
    QByteArray bin;
    if (ini.ReadBinaryStream(FileCompression, QStringLiteral("Bin"), bin) == 0) {
        bin = formats.defaultFormat();
        ini.WriteString(FileCompression, QStringLiteral("Desc"), formats.describe(bin));
        ini.WriteBinaryStream(FileCompression, QStringLiteral("Bin"), bin);
    }
    p.FileCompression = bin;
}

} // namespace

void loadPreferences(TIniFile &ini, Preferences &p, const QString &programDir,
                     const DialogFont &dialogFont, const FileFormatSource &formats)
{
    loadMonitor(ini, p);
    loadAutoRecord(ini, p);
    p.StartUp = seededBool(ini, Params, QStringLiteral("StartUp"), false);
    loadCallerId(ini, p);
    // Our own section; a file without it gains nothing until the user changes the option.
    p.Notifications = ini.ReadBool(QStringLiteral("Notifications"), QStringLiteral("Show"), true);
    loadFonts(ini, p, dialogFont);
    loadFileCompression(ini, p, formats);

    const QString wavKey = QStringLiteral("wavDir");
    if (!ini.ValueExists(Params, wavKey))
        ini.WriteString(Params, wavKey, programDir + QStringLiteral("/wav/"));
    p.wavDir = readRecordingsFolder(ini, programDir);

    p.baudrate = bounded(ini.ReadInteger(Modem, QStringLiteral("baudrate"), 1), 0,
                         static_cast<int>(Preferences::BaudRates.size()) - 1);
    p.FlowControl = bounded(ini.ReadInteger(Modem, QStringLiteral("FlowControl"), 0), 0,
                            static_cast<int>(Preferences::FlowControls.size()) - 1);
    p.Compression = ini.ReadInteger(Params, QStringLiteral("Compression"), 0);
    p.ExtPlayer = ini.ReadBool(Params, QStringLiteral("ExtPlayer"), false);
    p.Player = ini.ReadString(Params, QStringLiteral("Player"), QStringLiteral("xdg-open"));
}

void loadPlayerChoice(const TIniFile &ini, Preferences &prefs)
{
    prefs.ExtPlayer = ini.ReadBool(OrvKeys::Params, OrvKeys::ExtPlayer, false);
    prefs.Player = ini.ReadString(OrvKeys::Params, OrvKeys::Player, Preferences{}.Player);
}

QString readRecordingsFolder(const TIniFile &ini, const QString &programDir)
{
    QString dir =
        ini.ReadString(Params, QStringLiteral("wavDir"), programDir + QStringLiteral("/wav/"));
    if (!dir.endsWith(QLatin1Char('/')))
        dir += QLatin1Char('/');
    return dir;
}
