#include "ModemState.h"

#include "OrvKeys.h"

#include "TIniFile.h"
#include <algorithm>
#include <exception>

using namespace OrvKeys;

namespace ModemState {

bool configured(const TIniFile &ini)
{
    return ini.SectionExists(Modem);
}

int configuredPort(const TIniFile &ini)
{
    return ini.ReadInteger(Modem, Port, 0);
}

bool voiceSupported(const TIniFile &ini)
{
    return ini.ReadBool(Params, VoiceFeatures, true);
}

void setVoiceSupported(TIniFile &ini, bool supported)
{
    ini.WriteBool(Params, VoiceFeatures, supported);
}

int compressionRow(const TIniFile &ini)
{
    return ini.ReadInteger(Params, Compression, 0);
}

std::optional<int> ringSpanMs(const TIniFile &ini, int fallback)
{
    if (!ini.ValueExists(General, RingTimeOut))
        return std::nullopt;
    return ini.ReadInteger(General, RingTimeOut, fallback);
}

void setRingSpanMs(TIniFile &ini, int ms)
{
    ini.WriteInteger(General, RingTimeOut, ms);
}

bool noModemNoticeOff(const TIniFile &ini)
{
    return ini.ReadBool(Params, NoModemMsg, false);
}

void setNoModemNoticeOff(TIniFile &ini, bool off)
{
    ini.WriteBool(Params, NoModemMsg, off);
}

int modemCheckSeconds(TIniFile &ini)
{
    constexpr int DefaultSeconds = 600;
    if (!ini.ValueExists(General, ModemCheck)) {
        try {
            ini.WriteInteger(General, ModemCheck, DefaultSeconds);
        } catch (const std::exception &) {
            // The default holds all the same.
        }
        return DefaultSeconds;
    }
    return std::max(0, ini.ReadInteger(General, ModemCheck, DefaultSeconds));
}

void clearDistinctive(TIniFile &ini)
{
    if (ini.SectionExists(Modem))
        ini.WriteBool(Modem, Distinctive, false);
}

} // namespace ModemState
