#include "ModemLinkSettings.h"

#include "ModemState.h"
#include "PortMap.h"
#include "Preferences.h"
#include "TIniFile.h"
#include "TModemParams.h"

// The values as they are used, not the file's keys: OK rewrites keys with the values they had
// (and the compression's command and codec format from the same row), which changes nothing.
ModemLinkSettings ModemLinkSettings::read(const TIniFile &ini, const Preferences &prefs)
{
    TModemParams p;
    LoadModemProfile(ini, p);
    ModemLinkSettings settings;
    settings.values = {QString::number(p.port),
                       PortMap::devicePath(ini, p.port),
                       QString::number(prefs.baudRateValue()),
                       prefs.flowControlName(),
                       QString::number(prefs.CallerID),
                       QString::number(ModemState::compressionRow(ini)),
                       QString::number(ModemState::voiceSupported(ini)),
                       p.Model,
                       p.Reset,
                       p.answer,
                       p.monitor,
                       p.VoiceMode,
                       p.InitVoice,
                       p.DisCallerId,
                       p.ForCallerId,
                       p.UnfCallerId,
                       p.SpeakerVol,
                       p.LineSel_T,
                       p.LineSel_T_Reply,
                       p.BeepTone,
                       p.SilenceTimer,
                       p.ToneGeneration,
                       p.VoiceProcess,
                       p.VoiceTrx,
                       p.VoiceRec,
                       p.RecGain,
                       p.SpeakerOn,
                       p.SpeakerOff,
                       p.MicGain,
                       p.SpeakerGain,
                       p.UseLine,
                       p.UseLineRes};
    return settings;
}
