// The header is walked chunk by chunk, as sizes after the data chunk cannot be trusted.
#include "RecordingRecovery.h"

#include <QFile>
#include <QtEndian>

namespace {
quint32 le32(const QByteArray &b, int at)
{
    return qFromLittleEndian<quint32>(b.constData() + at);
}
quint16 le16(const QByteArray &b, int at)
{
    return qFromLittleEndian<quint16>(b.constData() + at);
}
} // namespace

std::optional<RecoveredWav> completeWavFile(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadWrite))
        return std::nullopt;
    const qint64 length = file.size();
    const QByteArray head = file.read(12);
    if (head.size() < 12 || !head.startsWith("RIFF") || head.mid(8, 4) != "WAVE")
        return std::nullopt;

    quint32 avgBytes = 0;
    quint16 blockAlign = 1;
    qint64 at = 12;
    while (at + 8 <= length) {
        file.seek(at);
        const QByteArray chunk = file.read(8);
        const QByteArray id = chunk.left(4).toLower();
        const quint32 size = le32(chunk, 4);
        if (id == "fmt ") {
            const QByteArray fmt = file.read(16);
            if (fmt.size() < 16)
                return std::nullopt;
            avgBytes = le32(fmt, 8);
            blockAlign = qMax<quint16>(1, le16(fmt, 12));
        } else if (id == "data") {
            if (avgBytes == 0)
                return std::nullopt;
            qint64 data = length - (at + 8);
            data -= data % blockAlign;
            const QByteArray riffSize = [&] {
                QByteArray b(4, '\0');
                qToLittleEndian<quint32>(quint32(at + 8 + data - 8), b.data());
                return b;
            }();
            QByteArray dataSize(4, '\0');
            qToLittleEndian<quint32>(quint32(data), dataSize.data());
            if (!file.seek(4) || file.write(riffSize) != 4 || !file.seek(at + 4) ||
                file.write(dataSize) != 4 || !file.resize(at + 8 + data) || !file.flush())
                return std::nullopt;
            return RecoveredWav{data, avgBytes};
        }
        at += 8 + qint64(size) + (size & 1);
    }
    return std::nullopt;
}
