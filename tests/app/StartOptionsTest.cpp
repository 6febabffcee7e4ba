// Command-line parsing.
#include "app/StartOptions.h"

#include <gtest/gtest.h>

TEST(StartOptionsTest, ParsesOptionsAndTheFirstArgumentInAnyCase)
{
    struct Case
    {
        QStringList args;
        QString dataDir;
        bool unattended;
        bool startup;
        bool onide;
    };
    const Case cases[] = {
        {{"calvora"}, "", false, false, false},
        {{"calvora", "startup"}, "", false, true, false},
        {{"calvora", "StartUp", "--data-dir", "/d"}, "/d", false, true, false},
        {{"calvora", "--unattended", "onide"}, "", true, false, true},
        {{"calvora", "other"}, "", false, false, false},
        {{"calvora", "--data-dir=/x", "ONIDE"}, "/x", false, false, true},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.args.join(' ').toStdString());
        const StartOptions o = StartOptions::parse(c.args);
        EXPECT_TRUE(o.error.isEmpty());
        EXPECT_EQ(o.dataDir, c.dataDir);
        EXPECT_EQ(o.unattended, c.unattended);
        EXPECT_EQ(o.startedByStartup(), c.startup);
        EXPECT_EQ(o.developerKeys(), c.onide);
    }
    EXPECT_FALSE(StartOptions::parse({"calvora", "--no-such"}).error.isEmpty());
    EXPECT_TRUE(StartOptions::parse({"calvora", "--version"}).showVersion);
    EXPECT_TRUE(StartOptions::parse({"calvora", "--help"}).showHelp);
}
