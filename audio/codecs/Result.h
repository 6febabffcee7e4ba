// Result codes of the codec layer. They keep the numbers of the desktop multimedia services
// so that one table of texts (CheckAudioResult) serves every audio component.
#pragma once

namespace codecs {

enum class Result : int
{
    Ok = 0,
    InvalidHandle = 5,
    NoDriver = 6,
    NoMemory = 7,
    NotSupported = 8,
    InvalidFlag = 10,
    InvalidParam = 11,
    NotPossible = 512,
    Busy = 513,
    Unprepared = 514,
    Cancelled = 515,
};

// The number the texts of CheckAudioResult are keyed by.
constexpr int code(Result result)
{
    return static_cast<int>(result);
}

} // namespace codecs
