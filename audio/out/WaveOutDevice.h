// The sound output device under the output component: a queue of PCM blocks played in the
// order written, each reported done once played, with pause, restart and reset. Result codes
// are the multimedia codes of EACMError.h (0 = success).
#pragma once

#include "audio/TdeWaveFormat.h"

#include <cstdint>
#include <functional>

// One block in flight. It lives in a 32-byte block of the output's pool; the device keeps
// only the pointer, and reports the same pointer back when the block has played.
struct WaveHeader
{
    std::uint8_t *data;
    std::uint32_t length;
    std::uint32_t loops;
    std::uint32_t prepared;
};
static_assert(sizeof(WaveHeader) <= 32, "a header fits its 32-byte pool block");

class WaveOutDevice
{
public:
    // Codes the devices answer with.
    static constexpr int BadDeviceId = 2, NoMemory = 7, InvalidHandle = 5, BadFormat = 32;

    virtual ~WaveOutDevice() = default;

    // Opens device number device (-1: the desktop's default output) for format. Done reports
    // are posted to onDone later, on the calling thread, never from within a call here.
    virtual int open(int device, const TdeWaveFormat &format,
                     std::function<void(WaveHeader *)> onDone) = 0;
    virtual int write(WaveHeader *header) = 0;
    virtual int pause() = 0;
    virtual int restart() = 0;
    // Stops at once; every block written and not yet reported is reported done, later.
    virtual int reset() = 0;
    virtual int close() = 0;
};
