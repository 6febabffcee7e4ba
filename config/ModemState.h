// What orv.ini keeps about the modem besides its command profile: whether one is configured,
// whether it passed the voice check, the compression row chosen, the learnt ring span, the
// no-modem notice's choice and the Distinctive flag cleared at exit.
#pragma once

#include <optional>

class TIniFile;

namespace ModemState {

// A modem was found and set up ([Modem] exists).
bool configured(const TIniFile &ini);
// The configured COM number, 0 when none.
int configuredPort(const TIniFile &ini);

bool voiceSupported(const TIniFile &ini);
void setVoiceSupported(TIniFile &ini, bool supported);

// The row of Compressions.d used for recording.
int compressionRow(const TIniFile &ini);

// The learnt ring span in milliseconds; no value before one was learnt.
std::optional<int> ringSpanMs(const TIniFile &ini, int fallback);
void setRingSpanMs(TIniFile &ini, int ms);

// The user asked not to see the no-modem notice again.
bool noModemNoticeOff(const TIniFile &ini);
void setNoModemNoticeOff(TIniFile &ini, bool off);

// Seconds between checks that an idle modem answers ([General] ModemCheck, 0: none). The
// default 600 is written the first time, so that the file shows the setting.
int modemCheckSeconds(TIniFile &ini);

// Clears the Distinctive flag of a configured modem; nothing without one (creating [Modem]
// would make the next start look for a modem that was never found).
void clearDistinctive(TIniFile &ini);

} // namespace ModemState
