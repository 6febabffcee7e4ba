// The chunks are walked as written: "RIFF", "WAVE", then a "fmt " chunk before the "data" chunk.
#include "RecordingFileCheck.h"

#include <QFile>
#include <QFileInfo>
#include <QtEndian>
#include <algorithm>

RecordingFileState inspectRecordingFile(const QString &path)
{
    const QFileInfo info(path);
    if (!info.exists())
        return RecordingFileState::Missing;
    if (!info.isFile())
        return RecordingFileState::NotWav;
    QFile file(path);
    if (file.size() == 0)
        return RecordingFileState::Empty;
    if (!file.open(QIODevice::ReadOnly))
        return RecordingFileState::NotWav;
    const qint64 length = file.size();
    const QByteArray head = file.read(12);
    if (head.size() < 12 || !head.startsWith("RIFF") || head.mid(8, 4) != "WAVE")
        return RecordingFileState::NotWav;
    bool format = false;
    qint64 at = 12;
    while (at + 8 <= length) {
        if (!file.seek(at))
            return RecordingFileState::NotWav;
        const QByteArray chunk = file.read(8);
        if (chunk.size() < 8)
            return RecordingFileState::NotWav;
        const QByteArray id = chunk.left(4);
        const quint32 size = qFromLittleEndian<quint32>(chunk.constData() + 4);
        if (id == "fmt ") {
            format = size >= 16 && at + 8 + 16 <= length;
        } else if (id == "data") {
            if (!format)
                return RecordingFileState::NotWav;
            // The sizes say what was written whole; bytes past them are a write cut short.
            const qint64 samples = std::min<qint64>(size, length - (at + 8));
            return samples > 0 ? RecordingFileState::Sound : RecordingFileState::NoSound;
        }
        at += 8 + qint64(size) + (size & 1);
    }
    return RecordingFileState::NotWav;
}

QString recordingFileProblem(RecordingFileState state)
{
    switch (state) {
    case RecordingFileState::Missing:
        return QStringLiteral("is missing");
    case RecordingFileState::Empty:
        return QStringLiteral("is empty");
    case RecordingFileState::NotWav:
        return QStringLiteral("is not a WAV file");
    case RecordingFileState::NoSound:
        return QStringLiteral("holds no sound");
    case RecordingFileState::Sound:
        break;
    }
    return QString();
}
