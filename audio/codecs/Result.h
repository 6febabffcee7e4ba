// Result codes of the codec layer. They keep the numbers of the desktop multimedia services
// so that one table of texts (CheckAudioResult) serves every audio component.
#pragma once

namespace codecs::Result {
constexpr int Ok = 0;
constexpr int InvalidHandle = 5;
constexpr int NoDriver = 6;
constexpr int NoMemory = 7;
constexpr int NotSupported = 8;
constexpr int InvalidFlag = 10;
constexpr int InvalidParam = 11;
constexpr int NotPossible = 512;
constexpr int Busy = 513;
constexpr int Unprepared = 514;
constexpr int Cancelled = 515;
} // namespace codecs::Result
