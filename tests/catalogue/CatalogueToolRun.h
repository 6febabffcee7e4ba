// Running calvora-catalogue from a test: its exit code and what it wrote.
#pragma once

#include <QProcess>
#include <QString>
#include <QStringList>
#include <gtest/gtest.h>

struct ToolRun
{
    int code;
    QString out, err;
};

inline ToolRun runTool(const QStringList &args)
{
    QProcess p;
    p.start(qEnvironmentVariable("CALVORA_BIN_DIR") + "/calvora-catalogue", args);
    EXPECT_TRUE(p.waitForFinished(60000));
    return {p.exitCode(), QString::fromUtf8(p.readAllStandardOutput()),
            QString::fromUtf8(p.readAllStandardError())};
}
