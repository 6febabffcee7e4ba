// Where the recordings' first format comes from.
#include "config/RecordingFormat.h"

#include "audio/StandardFormats.h"
#include "config/Preferences.h"

#include <QFile>

QByteArray DefaultRecordingFormat()
{
    const QString cpn = QStringLiteral("FileCompression.cpn");
    TdeWaveFormat format = WorkingPcmFormat();
    if (QFile::exists(cpn)) {
        // A file that cannot be read is kept for the user to look at; the default serves.
        try {
            TdeWaveFormat loaded = WorkingPcmFormat();
            loaded.LoadFromFile(cpn);
            format = loaded;
            QFile::remove(cpn);
        } catch (const FileAccessError &) {
        }
    }
    return format.toBytes();
}

QString DescribeStreamFormat(const QByteArray &streamForm)
{
    TdeWaveFormat format;
    format.loadFromBytes(streamForm);
    return format.FormatDescription();
}

FileFormatSource RecordingFormatSource()
{
    return {DefaultRecordingFormat, DescribeStreamFormat};
}
