// The logger window shows the event log as it grows and empties.
#include "support/ui/LoggerWindow.h"
#include "support/EventLog.h"

#include <QTemporaryDir>
#include <gtest/gtest.h>

TEST(LoggerWindowTest, FollowsTheLogAndStaysOnTop)
{
    QTemporaryDir dir;
    EventLog log(dir.filePath("Events.log"));
    log.appendLine("before");
    LoggerWindow window(log);
    EXPECT_EQ(window.windowTitle(), "Logger");
    EXPECT_TRUE(window.windowFlags() & Qt::WindowStaysOnTopHint);
    EXPECT_EQ(window.geometry(), QRect(20, 177, 281, 416));
    EXPECT_FALSE(window.isVisible()) << "created hidden";

    log.AddLogLine("-- Modem on clicked");
    EXPECT_EQ(window.text(), "before\n-- Modem on clicked");

    for (int i = 0; i < 998; ++i)
        log.appendLine("x");
    log.AddLogLine("limit");
    EXPECT_EQ(window.text(), "") << "the window empties with the list";
    log.appendLine("<b>not bold</b>");
    EXPECT_EQ(window.text(), "<b>not bold</b>");
}
