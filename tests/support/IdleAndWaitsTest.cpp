// The idle handler and the waits that keep the event loop running.
#include "support/IdleHandler.h"
#include "support/Waits.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QTimer>
#include <gtest/gtest.h>

TEST(IdleHandlerTest, RunsAfterEventsAndNotAgainOnItsOwn)
{
    int runs = 0;
    IdleHandler idle([&] { ++runs; });
    QTimer::singleShot(5, [] {});
    Waits::waitMs(100);
    EXPECT_GE(runs, 1);

    // With nothing happening the handler must not keep itself busy.
    const int before = runs;
    QEventLoop quiet;
    QTimer::singleShot(300, &quiet, &QEventLoop::quit);
    quiet.exec();
    EXPECT_LT(runs - before, 5) << "an idle run must not post the next one";
}

TEST(IdleHandlerTest, WorkThatWaitsIsNotReentered)
{
    int depth = 0;
    int maxDepth = 0;
    int runs = 0;
    IdleHandler idle([&] {
        ++runs;
        maxDepth = std::max(maxDepth, ++depth);
        if (runs == 1) {
            // A recording started from idle work runs nested event loops.
            QTimer::singleShot(1, [] {});
            Waits::waitMs(50);
        }
        --depth;
    });
    QTimer::singleShot(1, [] {});
    Waits::waitMs(200);
    EXPECT_GE(runs, 1);
    EXPECT_EQ(maxDepth, 1);
}

TEST(WaitsTest, WaitUntilProcessesEventsAndStopsWhenTheConditionHolds)
{
    bool fired = false;
    QTimer::singleShot(30, [&] { fired = true; });
    QElapsedTimer clock;
    clock.start();
    EXPECT_TRUE(Waits::waitUntil([&] { return fired; }, 5000));
    EXPECT_LT(clock.elapsed(), 4000);

    EXPECT_FALSE(Waits::waitUntil([] { return false; }, 20));
    clock.restart();
    Waits::WaitTicks(2);
    EXPECT_GE(clock.elapsed(), 2 * Waits::TickMs - 5);
}
