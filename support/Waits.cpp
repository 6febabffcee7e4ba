// Waits run a nested event loop in 1 ms steps rather than sleeping.
#include "Waits.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QEventLoop>
#include <QTimer>

namespace Waits {

namespace {
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

void WaitTicks(int ticks)
{
    waitMs(ticks * TickMs);
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
