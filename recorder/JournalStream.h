// Standard error as the systemd journal reads it: a line that begins with its syslog priority
// ("<3>" for an error) is kept with that priority instead of the unit's default, so that
// `journalctl -p err` finds the recorder's errors.
#pragma once

#include <QByteArray>
#include <QString>

namespace JournalStream {

enum class Priority
{
    Error = 3,
    Warning = 4,
    Info = 6
};

// True when standard error is the stream the journal named in JOURNAL_STREAM (its device and
// inode): a program started by a service with its standard error sent elsewhere writes plain
// lines.
bool connected();
// "<n>" when connected(), else nothing.
QByteArray prefix(Priority priority);
// The event log's lines are plain text; those that report a failure reach the journal as errors
// or warnings, so that `journalctl -p warning` shows what went wrong.
Priority priorityOfLogLine(const QString &line);
// Writes "<n>text\n" (or "text\n") to standard error and flushes it.
void print(Priority priority, const QString &text);

} // namespace JournalStream
