// Event log storage. Lines are single lines whatever the caller passes: a caller-ID text
// or a modem reply with a line break would otherwise forge further log lines.
#include "EventLog.h"

#include <QFile>
#include <QFileInfo>

#include <algorithm>
#include <cerrno>
#include <exception>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {
// Bounds what start-up reads of a damaged or foreign file.
constexpr qint64 MaxLoadBytes = 16 * 1024 * 1024;

QString oneLine(const QString &text)
{
    QString line = text;
    line.replace(QLatin1Char('\r'), QLatin1Char(' ')).replace(QLatin1Char('\n'), QLatin1Char(' '));
    return line;
}

bool writeAll(int fd, const QByteArray &bytes)
{
    qsizetype done = 0;
    while (done < bytes.size()) {
        const ssize_t n =
            ::write(fd, bytes.constData() + done, static_cast<size_t>(bytes.size() - done));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return false;
        done += n;
    }
    return true;
}
} // namespace

FileCreateError::FileCreateError(const QString &path, int osError)
    : FileSaveError(QStringLiteral("Cannot create file %1").arg(path), osError)
{}

EventLog::EventLog(QString filePath, QObject *parent)
    : QObject(parent), m_filePath(std::move(filePath))
{}

void EventLog::appendLine(const QString &text)
{
    m_lines.append(oneLine(text));
    writePendingLines();
    emit lineAppended(m_lines.last());
}

void EventLog::AddLogLine(const QString &text)
{
    appendLine(text);
    if (m_lines.size() >= LineLimit)
        saveAndClear();
}

void EventLog::saveAndClear()
{
    save();
    // The next save replaces the file, so these lines would be gone after it. Events.log
    // holds them now whatever happens here, so a failure to write the copy is let pass.
    AtomicFile::write(previousFilePath(), fileContent());
    m_lines.clear();
    m_linesInFile = 0;
    emit cleared();
}

void EventLog::startSession()
{
    // Lines added before the first session (the catalogue's start-up) are already at the end of
    // the file when their append worked; the previous run's lines are what comes before them.
    const QStringList early = m_sessionStarted ? QStringList() : m_lines;
    const qint64 previousSize = m_sessionStarted ? -1 : m_sizeBeforeEarlyLines;
    m_sessionStarted = true;
    m_sizeBeforeEarlyLines = -1;

    m_lines = loadFile(previousSize >= 0 ? std::min(previousSize, MaxLoadBytes) : MaxLoadBytes);
    m_linesInFile = 0;
    emit cleared();
    for (const QString &line : std::as_const(m_lines))
        emit lineAppended(line);
    const qsizetype loaded = m_lines.size();

    m_lines.append(SessionLine);
    emit lineAppended(SessionLine);
    std::exception_ptr saveFailure;
    bool saved = false;
    if (m_lines.size() >= LineLimit) {
        try {
            saveAndClear();
            saved = true;
        } catch (const FileCreateError &) {
            saveFailure = std::current_exception();
        }
    }
    for (const QString &line : early) {
        m_lines.append(line);
        emit lineAppended(line);
    }

    if (saved) {
        // The file holds what the limit saved; the early lines follow it.
        writePendingLines();
    } else if (AtomicFile::write(m_filePath, fileContent())) {
        m_linesInFile = m_lines.size();
    } else {
        // The file holds the loaded lines, and perhaps early lines after them. Those are taken
        // off so that the session line can come first.
        if (previousSize >= 0)
            QFile::resize(m_filePath, previousSize);
        m_linesInFile = loaded;
        writePendingLines();
    }
    if (saveFailure)
        std::rethrow_exception(saveFailure);
}

QStringList EventLog::loadFile(qint64 maxBytes) const
{
    QStringList lines;
    QFile file(m_filePath);
    if (!file.open(QIODevice::ReadOnly))
        return lines;
    QByteArray content = file.read(maxBytes);
    if (content.endsWith('\n'))
        content.chop(1);
    if (content.isEmpty())
        return lines;
    for (QByteArray line : content.split('\n')) {
        if (line.endsWith('\r'))
            line.chop(1);
        lines.append(QString::fromUtf8(line));
    }
    return lines;
}

bool EventLog::writePendingLines()
{
    if (m_linesInFile >= m_lines.size())
        return true;
    const int fd = ::open(QFile::encodeName(m_filePath).constData(),
                          O_RDWR | O_APPEND | O_CREAT | O_CLOEXEC, 0644);
    if (fd < 0)
        return false;
    bool ok = false;
    struct stat info
    {};
    if (::fstat(fd, &info) == 0) {
        const off_t size = info.st_size;
        QByteArray bytes;
        // A file that does not end a line (edited by hand, or cut short by a power cut) gets
        // the line ended first, so that the next line does not join it.
        char last = '\n';
        if (size > 0 && ::pread(fd, &last, 1, size - 1) == 1 && last != '\n')
            bytes += "\r\n";
        for (qsizetype i = m_linesInFile; i < m_lines.size(); ++i) {
            bytes += m_lines.at(i).toUtf8();
            bytes += "\r\n";
        }
        ok = writeAll(fd, bytes);
        if (!ok) {
            // A short write (a full disk) leaves no half line behind; should that fail too,
            // the next append ends the half line first.
            [[maybe_unused]] const int undone = ::ftruncate(fd, size);
        } else if (!m_sessionStarted && m_sizeBeforeEarlyLines < 0) {
            m_sizeBeforeEarlyLines = size;
        }
    }
    ::close(fd);
    if (ok)
        m_linesInFile = m_lines.size();
    return ok;
}

void EventLog::save()
{
    saveTo(m_filePath);
    m_linesInFile = m_lines.size();
}

void EventLog::saveTo(const QString &path) const
{
    if (!AtomicFile::write(path, fileContent())) {
        const int error = errno;
        throw FileCreateError(QFileInfo(path).absoluteFilePath(), error);
    }
}

QString EventLog::previousFilePath(const QString &filePath)
{
    return filePath + QStringLiteral(".1");
}

QByteArray EventLog::fileContent() const
{
    QByteArray content;
    for (const QString &line : m_lines) {
        content += line.toUtf8();
        content += "\r\n";
    }
    return content;
}
