// Low disk warnings.
#include "LowDiskWatch.h"

#include "audio/TdeWaveFormat.h"
#include "config/Preferences.h"
#include "support/DiskSpace.h"
#include "support/EventLog.h"

#include <QDir>
#include <QFileInfo>

namespace {

// The disk of a folder not made yet is its parent's.
QString existingFolder(const QString &folder)
{
    QString path = QDir(folder).absolutePath();
    while (!QFileInfo(path).isDir() && !QDir(path).isRoot())
        path = QFileInfo(path).absolutePath();
    return path;
}

} // namespace

LowDiskWatch::LowDiskWatch(const Preferences &prefs, EventLog &log, QObject *parent)
    : QObject(parent), m_prefs(prefs), m_log(log)
{
    m_timer.setInterval(CheckMs);
    connect(&m_timer, &QTimer::timeout, this, &LowDiskWatch::check);
}

void LowDiskWatch::start()
{
    m_timer.start();
    check();
}

qint64 LowDiskWatch::bytesPerSecond() const
{
    TdeWaveFormat format;
    try {
        format.loadFromBytes(m_prefs.FileCompression);
    } catch (const std::exception &) {
        return 8000;
    }
    // A format that names no rate is taken as the modem's 8-bit 8000 Hz.
    return format.AvgBytesPerSec() > 0 ? qint64(format.AvgBytesPerSec()) : 8000;
}

std::optional<qint64> LowDiskWatch::minutesLeft() const
{
    const QString folder = existingFolder(m_prefs.wavDir);
    const std::optional<qint64> free = freeSpace ? freeSpace(folder) : DiskSpace::freeBytes(folder);
    if (!free)
        return std::nullopt;
    return std::max<qint64>(0, *free) / bytesPerSecond() / 60;
}

void LowDiskWatch::check()
{
    const std::optional<qint64> minutes = minutesLeft();
    if (!minutes)
        return;
    if (*minutes >= FirstWarningMinutes) {
        if (m_warned > 0) {
            m_warned = 0;
            m_log.appendLine(QStringLiteral("The recordings folder has room again"));
            emit roomAgain();
        }
        return;
    }
    const int level = *minutes < SecondWarningMinutes ? 2 : 1;
    if (level <= m_warned)
        return;
    m_warned = level;
    const QString text =
        QStringLiteral("Low disk space: the recordings folder %1 has room for about %2 minutes of "
                       "recording. Free some space, or set a clean-up rule on the Storage page.")
            .arg(QDir::toNativeSeparators(m_prefs.wavDir))
            .arg(*minutes);
    m_log.appendLine(text);
    emit lowDisk(text, *minutes);
}
