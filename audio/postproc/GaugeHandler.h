// How a post-processing run reports its progress gauge to whoever shows it.
#pragma once

#include <functional>

// Called with the gauge position (0 .. 100) at the moments a tool's window moves its gauge
// and lets pending events run. An empty handler reports nothing.
using GaugeHandler = std::function<void(int position)>;
