// Waits run a nested event loop in 1 ms steps rather than sleeping.
#include "Waits.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QEventLoop>
#include <QTimer>

#include <algorithm>
#include <cmath>

namespace Waits {

namespace {
double g_timeScale = 1.0;
bool g_ending = false;

bool quitting()
{
    return QCoreApplication::closingDown() || QCoreApplication::instance() == nullptr;
}

void runLoopFor(int ms)
{
    QEventLoop loop;
    QTimer::singleShot(ms, Qt::PreciseTimer, &loop, &QEventLoop::quit);
    loop.exec();
}
} // namespace

void setEnding(bool ending)
{
    g_ending = ending;
}

bool ending()
{
    return g_ending;
}

void setTimeScale(double factor)
{
    g_timeScale = factor > 0.0 && factor <= 1.0 ? factor : 1.0;
}

double timeScale()
{
    return g_timeScale;
}

int scaledMs(int ms)
{
    if (ms <= 0)
        return 0;
    return std::max(1, static_cast<int>(std::lround(ms * g_timeScale)));
}

void WaitTicks(int ticks)
{
    waitMs(scaledMs(ticks * TickMs));
}

void waitMs(int ms)
{
    waitUntil([] { return false; }, ms);
}

bool waitUntil(const std::function<bool()> &condition, int timeoutMs)
{
    const QDeadlineTimer deadline(timeoutMs, Qt::PreciseTimer);
    while (true) {
        if (condition())
            return true;
        if (deadline.hasExpired() || quitting())
            return false;
        runLoopFor(static_cast<int>(std::min<qint64>(1, deadline.remainingTime())));
    }
}

} // namespace Waits
