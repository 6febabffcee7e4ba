#include "ModemSetupStore.h"

#include "OrvKeys.h"
#include "TIniFile.h"
#include "TModemParams.h"
#include "WaveFormatIni.h"

#include <iterator>

using namespace OrvKeys;

namespace ModemSetupStore {

namespace {
const QString ModemCompressions = QStringLiteral("Modem compressions");

struct CommandKey
{
    QString TModemParams::*field;
    const char *key;
};
// Key names as the file has always had them, in the order a data-only modem's are written.
const CommandKey CommandKeys[] = {
    {&TModemParams::VoiceMode, "VoiceMode"},
    {&TModemParams::InitVoice, "InitVoice"},
    {&TModemParams::DisCallerId, "DisCallerId"},
    {&TModemParams::ForCallerId, "ForCallerId"},
    {&TModemParams::UnfCallerId, "UnfCallerId"},
    {&TModemParams::Distinctive, "Distinctive"},
    {&TModemParams::SpeakerVol, "SpeakerVol"},
    {&TModemParams::LineSel_T, "LineSel_T"},
    {&TModemParams::LineSel_T_Reply, "LineSel_T#"},
    {&TModemParams::BeepTone, "BeepTone"},
    {&TModemParams::SilenceTimer, "SilenceTimer"},
    {&TModemParams::ToneGeneration, "ToneGeneration"},
    {&TModemParams::VoiceProcess, "VoiceProcess"},
    {&TModemParams::VoiceTrx, "VoiceTrx"},
    {&TModemParams::VoiceRec, "VoiceRec"},
    {&TModemParams::RecGain, "RecGain"},
    {&TModemParams::SpeakerOn, "SpeakerOn"},
    {&TModemParams::SpeakerOff, "SpeakerOff"},
    {&TModemParams::MicGain, "MicGain"},
    {&TModemParams::SpeakerGain, "SpeakerGain"},
    {&TModemParams::VoiceCompression, "VoiceCompression"},
};

QString keyOf(QString TModemParams::*field)
{
    for (const CommandKey &k : CommandKeys)
        if (k.field == field)
            return QLatin1String(k.key);
    return QString();
}

const QString None = QStringLiteral("none");
} // namespace

void forgetModem(TIniFile &ini)
{
    ini.EraseSection(QStringLiteral("modem"));
    ini.UpdateFile();
}

void storeIdentity(TIniFile &ini, const TModemParams &p)
{
    ini.WriteString(Modem, QStringLiteral("DriverDate"), p.DriverDate);
    ini.WriteString(Modem, QStringLiteral("Manufacturer"), p.Manufacturer);
    ini.WriteString(Modem, QStringLiteral("DeviceDesc"), p.DeviceDesc);
    ini.WriteString(Modem, QStringLiteral("Model"), p.Model);
    ini.WriteString(Modem, QStringLiteral("Reset"), p.Reset);
    ini.WriteString(Modem, QStringLiteral("answer"), p.answer);
    ini.WriteString(Modem, QStringLiteral("monitor"), p.monitor);
    ini.WriteInteger(Modem, Port, p.port);
}

void storeCommand(TIniFile &ini, QString TModemParams::*field, const QString &value)
{
    const QString key = keyOf(field);
    if (!key.isEmpty())
        ini.WriteString(Modem, key, value);
}

void storeNoVoiceCommands(TIniFile &ini)
{
    // Every command of the table but the compression, in its order, so that files stay as
    // they were.
    for (const CommandKey &k : CommandKeys)
        if (k.field != &TModemParams::VoiceCompression)
            ini.WriteString(Modem, QLatin1String(k.key), None);
}

void storeCompressionList(TIniFile &ini, const QStringList &rows)
{
    if (ini.SectionExists(ModemCompressions))
        ini.EraseSection(ModemCompressions);
    for (int i = 0; i < rows.size(); ++i)
        ini.WriteString(ModemCompressions, QString::number(i), rows[i]);
    ini.UpdateFile();
}

void storeCompressionRow(TIniFile &ini, int row)
{
    ini.WriteInteger(Params, Compression, row);
}

void storeNoCompression(TIniFile &ini)
{
    ini.WriteString(Modem, QStringLiteral("VoiceCompression"), QStringLiteral("at+vsm=none"));
    ini.WriteInteger(Modem, QStringLiteral("SamplingFreq"), 0);
    ini.WriteString(Params, Compression, QString());
}

void storeModemFormat(TIniFile &ini, const TdeWaveFormat &format)
{
    forgetModemFormat(ini);
    WriteWaveFormat(ini, ModemCompression, format);
}

void forgetModemFormat(TIniFile &ini)
{
    if (ini.SectionExists(ModemCompression))
        ini.EraseSection(ModemCompression);
}

bool hasModemFormat(const TIniFile &ini)
{
    return ini.SectionExists(ModemCompression);
}

void readModemFormat(const TIniFile &ini, TdeWaveFormat &format)
{
    ReadWaveFormat(ini, ModemCompression, format);
}

void readFileFormat(const TIniFile &ini, TdeWaveFormat &format)
{
    ReadWaveFormat(ini, FileCompression, format);
}

void storeGain(TIniFile &ini, Gain gain, int min, int max, const QString &command)
{
    const bool receive = gain == Gain::Receive;
    ini.WriteInteger(Modem, receive ? QStringLiteral("vgrMin") : QStringLiteral("vgtMin"), min);
    ini.WriteInteger(Modem, receive ? QStringLiteral("vgrMax") : QStringLiteral("vgtMax"), max);
    ini.WriteString(Modem, receive ? QStringLiteral("RecGain") : QStringLiteral("SpeakerVol"),
                    command);
}

void storeNoGain(TIniFile &ini, Gain gain)
{
    ini.WriteString(
        Modem, gain == Gain::Receive ? QStringLiteral("RecGain") : QStringLiteral("SpeakerVol"),
        None);
}

void storeTelephoneLine(TIniFile &ini, const QString &command)
{
    ini.WriteString(Modem, QStringLiteral("LineSel_T"), command);
    ini.WriteString(Modem, QStringLiteral("LineSel_T#"), QStringLiteral("ok"));
}

void useTelephoneLine(TIniFile &ini)
{
    ini.WriteString(Params, QStringLiteral("UseLine"),
                    ini.ReadString(Modem, QStringLiteral("LineSel_T"), QString()));
    ini.WriteString(Params, QStringLiteral("UseLineRes"),
                    ini.ReadString(Modem, QStringLiteral("LineSel_T#"), QString()));
}

void storeDefaultTimeout(TIniFile &ini)
{
    ini.WriteInteger(Params, QStringLiteral("Timeout"), 4);
}

} // namespace ModemSetupStore
