// The main window's trace as the post-processing windows draw on it: a whole stream of 8-bit
// samples as one trace, and clearing it. Empty calls draw nothing.
#pragma once

#include <QByteArray>
#include <functional>

struct MainTrace
{
    std::function<void(const QByteArray &stream)> DisplayStreamData;
    std::function<void()> ClearTrace;
};
