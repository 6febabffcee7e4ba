// The settings dialog's keys. OK writes them in a fixed order, each at once, so that a failing
// step leaves what came before it written.
#include "SettingsStore.h"

#include "ModemState.h"
#include "OrvKeys.h"
#include "Preferences.h"
#include "TIniFile.h"
#include "WaveFormatIni.h"

#include <algorithm>

using namespace OrvKeys;

namespace SettingsStore {

namespace {
const QString SpeakerVol = QStringLiteral("SpeakerVol");
const QString RecGain = QStringLiteral("RecGain");
const QString Timeout = QStringLiteral("Timeout");

// A gain range as stored; a reversed or out-of-byte range falls back to the whole byte.
void readRange(const TIniFile &ini, const char *minKey, const char *maxKey, int &min, int &max)
{
    min = std::clamp(ini.ReadInteger(Modem, QLatin1String(minKey), 0), 0, 255);
    max = std::clamp(ini.ReadInteger(Modem, QLatin1String(maxKey), 255), 0, 255);
    if (min > max) {
        min = 0;
        max = 255;
    }
}
} // namespace

ModemView readModemView(const TIniFile &ini, int portDefault)
{
    ModemView v;
    v.configured = ModemState::configured(ini);
    v.model = ini.ReadString(Modem, QStringLiteral("Model"), QString());
    v.port = ini.ReadInteger(Modem, Port, portDefault);
    v.timeout = std::clamp(ini.ReadInteger(Params, Timeout, 2), 1, 8);
    v.speakerVol = ini.ReadString(Modem, SpeakerVol, QStringLiteral("128"));
    v.recGain = ini.ReadString(Modem, RecGain, QStringLiteral("128"));
    readRange(ini, "vgtMin", "vgtMax", v.vgtMin, v.vgtMax);
    readRange(ini, "vgrMin", "vgrMax", v.vgrMin, v.vgrMax);
    v.callerIdAvailable =
        ini.ReadString(Modem, QStringLiteral("ForCallerId"), QStringLiteral("none")).toUpper() !=
        QLatin1String("NONE");
    return v;
}

std::optional<int> gainPosition(const QString &command)
{
    const qsizetype eq = command.indexOf(QLatin1Char('='));
    const QString value = eq < 0 ? command : command.mid(eq + 1);
    if (value == QLatin1String("none"))
        return std::nullopt;
    int position = 0;
    if (!TIniFile::parseInteger(value.trimmed(), position))
        return std::nullopt;
    return position;
}

void storeGainPosition(TIniFile &ini, ModemSetupStore::Gain gain, int position)
{
    const bool receive = gain == ModemSetupStore::Gain::Receive;
    const QString &key = receive ? RecGain : SpeakerVol;
    if (ini.ReadString(Modem, key, QString()) == QLatin1String("none"))
        return;
    const QString command = receive ? QStringLiteral("at+vgr=") : QStringLiteral("at+vgt=");
    ini.WriteString(Modem, key, command + QString::number(position));
}

void storeVoiceCompression(TIniFile &ini, const QString &vsmCommand, int row)
{
    ini.WriteString(Modem, QStringLiteral("VoiceCompression"), vsmCommand);
    ini.WriteInteger(Params, Compression, row);
}

void storePortSettings(TIniFile &ini, const Preferences &prefs)
{
    ini.WriteInteger(Modem, QStringLiteral("baudrate"), prefs.baudrate);
    ini.WriteInteger(Modem, QStringLiteral("FlowControl"), prefs.FlowControl);
}

void storePlayerChoice(TIniFile &ini, const Preferences &prefs)
{
    ini.WriteBool(Params, ExtPlayer, prefs.ExtPlayer);
    if (prefs.ExtPlayer)
        ini.WriteString(Params, Player, prefs.Player);
}

void storePlayer(TIniFile &ini, const QString &player)
{
    ini.WriteString(Params, Player, player);
}

void storeFont(TIniFile &ini, const Preferences &prefs)
{
    ini.WriteString(Fonts, FontName, prefs.FontName);
    ini.WriteInteger(Fonts, FontSize, prefs.FontSize);
    ini.WriteInteger(Fonts, FontColor, prefs.FontColor);
}

void storeRecordingRules(TIniFile &ini, const Preferences &prefs)
{
    ini.WriteInteger(Params, Timeout, prefs.Timeout);
    ini.WriteBool(Monitor, QStringLiteral("PlayTrace"), prefs.PlayTrace);
    ini.WriteBool(Monitor, QStringLiteral("RecordTrace"), prefs.RecordTrace);
    ini.WriteInteger(Monitor, QStringLiteral("Points"), prefs.Points);
    ini.WriteInteger(Monitor, QStringLiteral("BackColor"), prefs.BackColor);
    ini.WriteInteger(Monitor, QStringLiteral("TraceColor"), prefs.TraceColor);
    ini.WriteBool(Params, QStringLiteral("AutoRecord"), prefs.AutoRecord);
    ini.WriteInteger(Params, QStringLiteral("DiscTime"), prefs.DiscTime);
    ini.WriteBool(Params, QStringLiteral("RejectCall"), prefs.RejectCall);
    ini.WriteInteger(Params, QStringLiteral("RejectRings"), prefs.RejectRings);
}

void storeStartUp(TIniFile &ini, bool startUp)
{
    ini.WriteBool(Params, StartUp, startUp);
}

void storeCallerIdAndFolder(TIniFile &ini, const Preferences &prefs)
{
    ini.WriteBool(Params, QStringLiteral("CallerID"), prefs.CallerID);
    ini.WriteString(Params, QStringLiteral("wavDir"), prefs.wavDir);
}

void storeNotifications(TIniFile &ini, const Preferences &prefs)
{
    const QString section = QStringLiteral("Notifications"), key = QStringLiteral("Show");
    if (ini.ReadBool(section, key, true) != prefs.Notifications)
        ini.WriteBool(section, key, prefs.Notifications);
}

void storeFileFormat(TIniFile &ini, const TdeWaveFormat &format)
{
    WriteWaveFormat(ini, FileCompression, format);
}

namespace {
const QString EarlierFolders = QStringLiteral("Earlier recordings folders");
}

QStringList earlierRecordingsFolders(const TIniFile &ini)
{
    QStringList folders;
    for (int i = 1; i <= MaxEarlierFolders; ++i) {
        const QString folder = ini.ReadString(EarlierFolders, QString::number(i), QString());
        if (!folder.isEmpty())
            folders << folder;
    }
    return folders;
}

void rememberEarlierRecordingsFolder(TIniFile &ini, const QString &folder)
{
    QStringList folders = earlierRecordingsFolders(ini);
    folders.removeAll(folder);
    folders.prepend(folder);
    ini.EraseSection(EarlierFolders);
    for (int i = 0; i < folders.size() && i < MaxEarlierFolders; ++i)
        ini.WriteString(EarlierFolders, QString::number(i + 1), folders[i]);
}

} // namespace SettingsStore
