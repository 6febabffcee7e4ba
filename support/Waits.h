// Waiting without blocking: the event loop keeps running while a wait lasts, so serial data,
// timers and user input are handled meanwhile (and handlers may be re-entered).
#pragma once

#include <functional>

namespace Waits {

constexpr int TickMs = 55;

// The program's fixed pauses and time-outs (the settling waits of WaitTicks, the AT command
// time-out, the caller-ID window's steps, the pauses between tries to reopen a modem) run
// this many times as long as written. It is 1 in the program; tests shorten it so that what
// those times drive can be checked without seconds of waiting. Times that follow the telephone
// line (the ring span, learnt from the RING cadence) and the voice stream are never scaled.
// 0 < factor <= 1; other values are taken as 1.
void setTimeScale(double factor);
double timeScale();
// ms (>= 0) times the time scale, rounded; at least 1 when ms is above 0.
int scaledMs(int ms);

// The program is ending (a termination signal, its window closed for good): work that would
// start something new, such as re-arming the modem after a call, is left undone. Waits run on.
void setEnding(bool ending);
bool ending();

// Waits n ticks of 55 ms (9 ticks about half a second, 36 about two seconds), scaled by the
// time scale.
void WaitTicks(int ticks);

// Waits up to timeoutMs for condition, polling every millisecond. True when it held.
// Returns early (false) when the application is quitting.
bool waitUntil(const std::function<bool()> &condition, int timeoutMs);

// Waits ms milliseconds with the event loop running.
void waitMs(int ms);

} // namespace Waits
