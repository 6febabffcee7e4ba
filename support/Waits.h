// Waiting without blocking: the event loop keeps running while a wait lasts, so serial data,
// timers and user input are handled meanwhile (and handlers may be re-entered).
#pragma once

#include <functional>

namespace Waits {

constexpr int TickMs = 55;

// Waits n ticks of 55 ms (9 ticks about half a second, 36 about two seconds).
void WaitTicks(int ticks);

// Waits up to timeoutMs for condition, polling every millisecond. True when it held.
// Returns early (false) when the application is quitting.
bool waitUntil(const std::function<bool()> &condition, int timeoutMs);

// Waits ms milliseconds with the event loop running.
void waitMs(int ms);

} // namespace Waits
