// The configured modem's identity and voice command set, mirrored from [Modem] of orv.ini.
#pragma once

#include <QString>

class TIniFile;

struct TModemParams
{
    QString DriverDate;
    QString Manufacturer;
    QString DeviceDesc;
    QString Model;
    QString Reset;
    QString answer;
    QString monitor;
    QString PortName; // set by discovery only, never stored
    int port = 1;
    QString VoiceMode;
    QString InitVoice;
    QString DisCallerId;
    QString ForCallerId;
    QString UnfCallerId;
    QString Distinctive;
    QString SpeakerVol;
    QString LineSel_T;
    QString LineSel_T_Reply; // key "LineSel_T#": the reply expected to LineSel_T
    QString BeepTone;
    QString SilenceTimer;
    QString ToneGeneration;
    QString VoiceProcess;
    QString VoiceTrx;
    QString VoiceRec;
    QString VoiceCompression;
    QString RecGain;
    QString SpeakerOn;
    QString SpeakerOff;
    QString MicGain;
    QString SpeakerGain;
    QString UseLine;
    QString UseLineRes;

    // A command field holding "none" (in any case, anywhere in the text) is not supported.
    static bool isSupported(const QString &command);
};

// Fills profile from [Modem] and [Params]; the port name is left as it was.
void LoadModemProfile(const TIniFile &ini, TModemParams &profile);
