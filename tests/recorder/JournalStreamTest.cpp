// Which of the event log's lines reach the journal as errors or warnings.
#include "recorder/JournalStream.h"

#include <gtest/gtest.h>

namespace {

TEST(JournalStreamTest, LogLinesThatReportFailuresAreErrorsOrWarnings)
{
    using JournalStream::Priority;
    const struct
    {
        const char *line;
        Priority priority;
    } cases[] = {
        {"Error while finishing the recording: No space left on device", Priority::Error},
        {"Unable to write /data/Recording.journal", Priority::Error},
        {"Com port 3 lost (the device went away)", Priority::Warning},
        {"The modem does not answer; reopening com port 3", Priority::Warning},
        {"Com port 3 not back yet; next try in 60 s", Priority::Warning},
        {"An interrupted recording held no sound: 1_20260101_120000.wav", Priority::Warning},
        {"Compression 4 is missing from Compressions.d", Priority::Warning},
        {"-- Recording stopped", Priority::Info},
        {"Com port 3 opened...", Priority::Info},
        // A caller's name is not read as a failure.
        {"Caller ID detected: Error Smith", Priority::Info},
    };
    for (const auto &c : cases)
        EXPECT_EQ(JournalStream::priorityOfLogLine(QString::fromUtf8(c.line)), c.priority)
            << c.line;
}

} // namespace
