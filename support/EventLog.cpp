// Event log storage. Lines are single lines whatever the caller passes: a caller-ID text
// or a modem reply with a line break would otherwise forge further log lines.
#include "EventLog.h"

#include <QFile>
#include <QFileInfo>

#include <cerrno>

namespace {
// Bounds what start-up reads of a damaged or foreign file.
constexpr qint64 MaxLoadBytes = 16 * 1024 * 1024;

QString oneLine(const QString &text)
{
    QString line = text;
    line.replace(QLatin1Char('\r'), QLatin1Char(' ')).replace(QLatin1Char('\n'), QLatin1Char(' '));
    return line;
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
    emit lineAppended(m_lines.last());
}

void EventLog::AddLogLine(const QString &text)
{
    appendLine(text);
    if (m_lines.size() >= LineLimit) {
        save();
        // The next save replaces the file, so these lines would be gone after it. Events.log
        // holds them now whatever happens here, so a failure to write the copy is let pass.
        AtomicFile::write(previousFilePath(), fileContent());
        m_lines.clear();
        emit cleared();
    }
}

void EventLog::startSession()
{
    m_lines.clear();
    emit cleared();
    QFile file(m_filePath);
    if (file.open(QIODevice::ReadOnly)) {
        QByteArray content = file.read(MaxLoadBytes);
        if (content.endsWith('\n'))
            content.chop(1);
        if (!content.isEmpty()) {
            for (QByteArray line : content.split('\n')) {
                if (line.endsWith('\r'))
                    line.chop(1);
                m_lines.append(QString::fromUtf8(line));
            }
        }
        for (const QString &line : std::as_const(m_lines))
            emit lineAppended(line);
    }
    AddLogLine(SessionLine);
}

void EventLog::save() const
{
    saveTo(m_filePath);
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
