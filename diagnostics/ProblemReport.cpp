// The problem report's mail and its fallback body.
#include "ProblemReport.h"

#include "Diagnostics.h"
#include "catalogue/mail/TMAPIMail.h"
#include "modem/discovery/QueryBuffer.h"
#include "support/EventLog.h"
#include "support/MessageService.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace {
// The configuration file is read up to here (it is a few kilobytes).
constexpr qint64 MaxConfigurationBytes = QueryBuffer::MaxLength;

QString lines(const QStringList &list)
{
    QString text;
    for (const QString &line : list)
        text += line + QLatin1Char('\n');
    return text;
}

QStringList withoutTrailingEmptyLine(QStringList list)
{
    if (!list.isEmpty() && list.last().isEmpty())
        list.removeLast();
    return list;
}
} // namespace

ProblemReport::ProblemReport(Diagnostics &diagnostics, EventLog &log, QueryBuffer &query,
                             TMAPIMail &mail, MessageService &messages, QString programDir,
                             QString supportAddress)
    : m_diagnostics(diagnostics), m_log(log), m_query(query), m_mail(mail), m_messages(messages),
      m_programDir(std::move(programDir)), m_supportAddress(std::move(supportAddress))
{}

QStringList ProblemReport::attachmentFiles() const
{
    return {m_diagnostics.filePath(), m_programDir + QStringLiteral("/orv.ini")};
}

QString ProblemReport::firstBody(const QStringList &description)
{
    return lines(description);
}

QString ProblemReport::secondBody(const QStringList &description, const QStringList &diagnostics,
                                  const QStringList &configuration, const QStringList &events,
                                  qsizetype maxBytes)
{
    const QString end = QStringLiteral("--------------------- End -----------------------\n");
    const QString head = lines(description) + QLatin1Char('\n') +
                         QStringLiteral("----------------- Diagnostics -------------------\n") +
                         lines(diagnostics) + QLatin1Char('\n') +
                         QStringLiteral("------------------- orv.ini ---------------------\n") +
                         lines(configuration) + end + QLatin1Char('\n') +
                         QStringLiteral("------------------- Events ---------------------\n");

    // The newest events tell most about the problem: the oldest go first when room is short.
    qsizetype room = maxBytes - head.toUtf8().size() - end.toUtf8().size();
    qsizetype first = events.size();
    while (first > 0) {
        const qsizetype size = events[first - 1].toUtf8().size() + 1;
        if (size > room)
            break;
        room -= size;
        --first;
    }
    return head + lines(events.mid(first)) + end;
}

bool ProblemReport::send(const QString &description)
{
    try {
        m_log.save();
    } catch (const FileCreateError &e) {
        m_messages.showMessage(QString::fromStdString(e.what()), MessageService::Kind::Error);
    }
    m_diagnostics.RunDiagnostics();

    const QStringList descriptionLines =
        withoutTrailingEmptyLine(description.split(QLatin1Char('\n')));
    m_mail.Recipients = {m_supportAddress};
    m_mail.Attachments.clear();
    m_mail.AttachmentNames.clear();
    m_mail.Subject = Subject;
    m_mail.Body = firstBody(descriptionLines);
    m_mail.EditDialog = true;
    m_mail.ResolveNames = false;
    m_mail.RequestReceipt = false;
    for (const QString &file : attachmentFiles()) {
        if (QFileInfo(file).isFile())
            m_mail.Attachments << file;
    }
    bool sent = m_mail.Send();
    if (!sent) {
        const QStringList diagnostics = m_query.lines();
        QByteArray configuration;
        if (QFile file(m_programDir + QStringLiteral("/orv.ini")); file.open(QIODevice::ReadOnly))
            configuration = file.read(MaxConfigurationBytes);
        m_query.setText(QString::fromUtf8(configuration));
        const QStringList configurationLines = withoutTrailingEmptyLine(m_query.lines());
        m_query.clear();
        m_mail.Body = secondBody(descriptionLines, diagnostics, configurationLines, m_log.lines(),
                                 TMAPIMail::MaxBodyBytes);
        sent = m_mail.Send();
    }
    QDir::setCurrent(m_programDir);
    if (sent)
        return true;
    // Without a mail program the report must not look sent, nor be lost.
    const QString question =
        QStringLiteral("The problem report could not be handed to a mail program: %1.\n"
                       "Save it in a folder, so that you can attach its files by hand?")
            .arg(TMAPIMail::errorText(m_mail.lastResult()));
    if (!m_messages.confirm(question))
        return false;
    const QString folder = saveAsFolder(description);
    if (folder.isEmpty()) {
        m_messages.showMessage(QStringLiteral("The problem report could not be saved in ") +
                                   m_programDir,
                               MessageService::Kind::Error);
    } else if (openFolder) {
        openFolder(folder);
    } else {
        m_messages.showMessage(QStringLiteral("The problem report was saved in ") + folder);
    }
    return false;
}

QString ProblemReport::saveAsFolder(const QString &description) const
{
    const QString folder = m_programDir + QStringLiteral("/problem-report-") +
                           QDateTime::currentDateTime().toString(QStringLiteral("yyyyMMdd-hhmmss"));
    if (!QDir().mkpath(folder))
        return QString();
    QStringList files = attachmentFiles();
    files << m_log.filePath();
    for (const QString &file : std::as_const(files)) {
        if (QFileInfo(file).isFile() &&
            !QFile::copy(file, folder + QLatin1Char('/') + QFileInfo(file).fileName()))
            return QString();
    }
    QFile text(folder + QStringLiteral("/Description.txt"));
    if (!text.open(QIODevice::WriteOnly) || text.write(description.toUtf8()) < 0)
        return QString();
    return folder;
}
