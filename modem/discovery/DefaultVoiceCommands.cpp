// The V.253 commands most voice modems accept, with the middle gain of the usual 0-255 range.
#include "DefaultVoiceCommands.h"

#include "config/TModemParams.h"

void applyDefaultVoiceCommands(TModemParams &p)
{
    p.Reset = QStringLiteral("atz");
    p.answer = QStringLiteral("ats0=0");
    p.VoiceMode = QStringLiteral("at+fclass=8");
    p.InitVoice = QStringLiteral("at+vid");
    p.DisCallerId = QStringLiteral("at+vcid=0");
    p.ForCallerId = QStringLiteral("at+vcid=1");
    p.UnfCallerId = QStringLiteral("at+vcid=2");
    p.Distinctive = QStringLiteral("at+vdr=0");
    p.SpeakerVol = QStringLiteral("at+vgt=128");
    p.SpeakerOn = QStringLiteral("at+vsp=1");
    p.SpeakerOff = QStringLiteral("at+vsp=0");
    p.LineSel_T = QStringLiteral("at+vls=1");
    p.BeepTone = QStringLiteral("at+vtd=100");
    p.SilenceTimer = QStringLiteral("at+vsd=127,255");
    p.ToneGeneration = QStringLiteral("at+vts=");
    p.VoiceProcess = QStringLiteral("at+vtr");
    p.VoiceTrx = QStringLiteral("at+vtx");
    p.VoiceRec = QStringLiteral("at+vrx");
    p.VoiceCompression = QStringLiteral("at+vsm=128");
    p.RecGain = QStringLiteral("at+vgr=128");
    p.MicGain = QStringLiteral("at+vgm=128");
    p.SpeakerGain = QStringLiteral("at+vgs=128");
}
