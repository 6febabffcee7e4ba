// Reading the modem profile from the configuration file.
#include "TModemParams.h"

#include "TIniFile.h"

bool TModemParams::isSupported(const QString &command)
{
    return !command.toUpper().contains(QLatin1String("NONE"));
}

void LoadModemProfile(const TIniFile &ini, TModemParams &p)
{
    const QString modem = QStringLiteral("Modem");
    auto read = [&](const char *key) { return ini.ReadString(modem, QLatin1String(key), {}); };

    p.DriverDate = read("DriverDate");
    p.Manufacturer = read("Manufacturer");
    p.DeviceDesc = read("DeviceDesc");
    p.Model = read("Model");
    p.Reset = read("Reset");
    p.answer = read("answer");
    p.monitor = read("monitor");
    p.port = ini.ReadInteger(modem, QStringLiteral("port"), 1);
    p.VoiceMode = read("VoiceMode");
    p.InitVoice = read("InitVoice");
    p.DisCallerId = read("DisCallerId");
    p.ForCallerId = read("ForCallerId");
    p.UnfCallerId = read("UnfCallerId");
    p.Distinctive = read("Distinctive");
    p.SpeakerVol = read("SpeakerVol");
    p.VoiceCompression = read("VoiceCompression");
    p.LineSel_T = read("LineSel_T");
    p.LineSel_T_Reply = read("LineSel_T#");
    p.BeepTone = read("BeepTone");
    p.SilenceTimer = read("SilenceTimer");
    p.ToneGeneration = read("ToneGeneration");
    p.VoiceProcess = read("VoiceProcess");
    p.VoiceTrx = read("VoiceTrx");
    p.VoiceRec = read("VoiceRec");
    p.RecGain = read("RecGain");
    p.SpeakerOn = read("SpeakerOn");
    p.SpeakerOff = read("SpeakerOff");
    p.MicGain = read("MicGain");
    p.SpeakerGain = read("SpeakerGain");
    p.UseLine = ini.ReadString(QStringLiteral("Params"), QStringLiteral("UseLine"), {});
    p.UseLineRes = ini.ReadString(QStringLiteral("Params"), QStringLiteral("UseLineRes"), {});
}
