// The recordings' default format for the preferences, in the stream form (128 bytes).
#pragma once

#include <QByteArray>
#include <QString>

struct FileFormatSource;

// The format of "FileCompression.cpn" in the current directory when that file exists (the
// file is deleted once read), otherwise mono 8-bit PCM at 8000 Hz.
QByteArray DefaultRecordingFormat();
// The description of a format in stream form; empty for a format no codec knows.
QString DescribeStreamFormat(const QByteArray &streamForm);
// Both of the above, as the preferences take them.
FileFormatSource RecordingFormatSource();
