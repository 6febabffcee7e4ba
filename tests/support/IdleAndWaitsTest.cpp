// The idle handler and the waits that keep the event loop running.
#include "support/IdleHandler.h"
#include "support/Waits.h"

#include "ScaledTime.h"

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

TEST(WaitsTest, TheTimeScaleShortensFixedPausesOnly)
{
    struct Case
    {
        double factor;
        int ms;
        int scaled;
    };
    const Case cases[] = {{1.0, 2000, 2000},  {0.25, 2000, 500}, {0.1, 55, 6},
                          {0.001, 55, 1},     {0.5, 0, 0},       {0.0, 2000, 2000},
                          {-1.0, 2000, 2000}, {2.0, 2000, 2000}};
    for (const Case &c : cases) {
        SCOPED_TRACE(c.factor);
        Waits::setTimeScale(c.factor);
        EXPECT_EQ(Waits::scaledMs(c.ms), c.scaled);
    }
    Waits::setTimeScale(1.0);

    {
        ScaledTime fast(0.1);
        EXPECT_EQ(Waits::timeScale(), 0.1);
        QElapsedTimer clock;
        clock.start();
        Waits::WaitTicks(36); // two seconds in real time
        EXPECT_GE(clock.elapsed(), 36 * Waits::TickMs / 10 - 5);
        EXPECT_LT(clock.elapsed(), 36 * Waits::TickMs / 2);

        // A wait for a condition keeps its own bound: it is no fixed pause.
        clock.restart();
        EXPECT_FALSE(Waits::waitUntil([] { return false; }, 100));
        EXPECT_GE(clock.elapsed(), 95);
    }
    EXPECT_EQ(Waits::timeScale(), 1.0) << "the scale is given back";
}
