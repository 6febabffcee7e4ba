// The hand-off to xdg-email and the mapping of what it reports onto the mail result codes.
#include "TMAPIMail.h"

#include "support/Waits.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>

#include <climits>

namespace {
bool hasControlCharacters(const QString &text)
{
    for (const QChar c : text) {
        if (c.category() == QChar::Other_Control)
            return true;
    }
    return false;
}

// A display name made safe to be a file name of its own: no folders, no control characters.
QString safeFileName(const QString &name)
{
    QString safe;
    for (const QChar c : name.left(TMAPIMail::MaxFieldLength)) {
        if (c == QLatin1Char('/') || c.category() == QChar::Other_Control)
            safe += QLatin1Char('_');
        else
            safe += c;
    }
    safe = safe.trimmed();
    if (safe == QLatin1String(".") || safe == QLatin1String(".."))
        return {};
    return safe;
}
} // namespace

TMAPIMail::TMAPIMail() = default;
TMAPIMail::~TMAPIMail() = default;

QString TMAPIMail::errorText(int code)
{
    switch (code) {
    case 1:
        return QStringLiteral("User cancelled request");
    case 2:
        return QStringLiteral("General MAPI failure");
    case 3:
        return QStringLiteral("Logon failure");
    case 4:
        return QStringLiteral("Disk full");
    case 5:
        return QStringLiteral("Insufficient memory");
    case 6:
        return QStringLiteral("Access denied");
    case 8:
        return QStringLiteral("Too many sessions");
    case 9:
        return QStringLiteral("Too many files open");
    case 10:
        return QStringLiteral("Too many recipients");
    case 11:
        return QStringLiteral("Attachment not found");
    case 12:
        return QStringLiteral("Failed to open attachment");
    case 13:
        return QStringLiteral("Failed to write attachment");
    case 14:
        return QStringLiteral("Unknown recipient");
    case 15:
        return QStringLiteral("Invalid recipient type");
    case 16:
        return QStringLiteral("No messages");
    case 17:
        return QStringLiteral("Invalid message");
    case 18:
        return QStringLiteral("Text too large.");
    case 19:
        return QStringLiteral("Invalid session");
    case 20:
        return QStringLiteral("Type not supported");
    case 21:
        return QStringLiteral("Ambiguous recipient");
    case 22:
        return QStringLiteral("Message in use");
    case 23:
        return QStringLiteral("Network failure");
    case 24:
        return QStringLiteral("Invalid edit fields");
    case 25:
        return QStringLiteral("Invalid recipients");
    case 26:
        return QStringLiteral("Not supported");
    default:
        return QStringLiteral("Unknown Error Code: ") + QString::number(code);
    }
}

TMAPIMail::Recipient TMAPIMail::parseRecipient(const QString &entry)
{
    if (entry.startsWith(QLatin1String("CC:"), Qt::CaseInsensitive))
        return {RecipientKind::Cc, entry.mid(3).left(MaxFieldLength)};
    if (entry.startsWith(QLatin1String("BCC:"), Qt::CaseInsensitive))
        return {RecipientKind::Bcc, entry.mid(4).left(MaxFieldLength)};
    return {RecipientKind::To, entry.left(MaxFieldLength)};
}

int TMAPIMail::resultForExitStatus(int status)
{
    switch (status) {
    case 0:
        return Success;
    case 2:
        return AttachmentNotFound;
    case 3:
        return UserAbort;
    case 5:
        return AttachmentOpenFailure;
    default:
        return Failure;
    }
}

bool TMAPIMail::Send()
{
    if (m_sending) {
        m_lastResult = MessageInUse;
        return false;
    }
    QStringList arguments{QStringLiteral("--utf8")};
    QStringList mainRecipients;
    m_lastResult = Success;
    for (const QString &entry : Recipients) {
        const Recipient recipient = parseRecipient(entry.trimmed());
        // An address starting with "-" would be read as an option of xdg-email.
        if (recipient.address.isEmpty() || recipient.address.startsWith(QLatin1Char('-')) ||
            hasControlCharacters(recipient.address)) {
            m_lastResult = BadRecipients;
            return false;
        }
        switch (recipient.kind) {
        case RecipientKind::To:
            mainRecipients << recipient.address;
            break;
        case RecipientKind::Cc:
            arguments << QStringLiteral("--cc") << recipient.address;
            break;
        case RecipientKind::Bcc:
            arguments << QStringLiteral("--bcc") << recipient.address;
            break;
        }
    }
    if (!Subject.isEmpty())
        arguments << QStringLiteral("--subject") << Subject;
    if (!Body.isEmpty()) {
        if (Body.toUtf8().size() > MaxBodyBytes) {
            m_lastResult = TextTooLarge;
            return false;
        }
        arguments << QStringLiteral("--body") << Body;
    }
    for (qsizetype i = 0; i < Attachments.size(); ++i) {
        QString path;
        m_lastResult = attachmentPath(i, path);
        if (m_lastResult != Success)
            return false;
        arguments << QStringLiteral("--attach") << path;
    }
    arguments << mainRecipients;
    m_sending = true;
    m_lastResult = handOver(arguments);
    m_sending = false;
    return m_lastResult == Success;
}

int TMAPIMail::attachmentPath(qsizetype i, QString &path)
{
    // The whole path is passed: a path cut short would name another file or none.
    const QFileInfo file(Attachments.at(i));
    if (!file.exists() || !file.isFile())
        return AttachmentNotFound;
    if (!file.isReadable())
        return AttachmentOpenFailure;
    path = file.absoluteFilePath();
    const QString name = safeFileName(AttachmentNames.value(i));
    if (name.isEmpty() || name == file.fileName())
        return Success;

    // xdg-email has no display names: the file goes under its name as a copy of its own.
    if (!m_namedCopies)
        m_namedCopies = std::make_unique<QTemporaryDir>();
    const QString folder = m_namedCopies->filePath(QString::number(++m_copyCount));
    const QString copy = folder + QLatin1Char('/') + name;
    if (!m_namedCopies->isValid() || !QDir().mkpath(folder) || !QFile::copy(path, copy))
        return AttachmentWriteFailure;
    path = copy;
    return Success;
}

int TMAPIMail::handOver(const QStringList &arguments)
{
    const QString program = QStandardPaths::findExecutable(Program);
    if (program.isEmpty())
        return UserAbort; // no way to reach a mail program
    QProcess process;
    process.setStandardInputFile(QProcess::nullDevice());
    process.setStandardOutputFile(QProcess::nullDevice());
    process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    bool finished = false;
    QObject::connect(&process, &QProcess::finished, [&finished] { finished = true; });
    process.start(program, arguments, QIODevice::ReadOnly);
    if (!process.waitForStarted())
        return UserAbort;
    // The mail program may take the message at once or only when the user has finished;
    // either way the program stays responsive meanwhile.
    if (!Waits::waitUntil([&] { return finished; }, INT_MAX)) {
        process.kill();
        process.waitForFinished(1000);
        return Failure;
    }
    if (process.exitStatus() != QProcess::NormalExit)
        return Failure;
    return resultForExitStatus(process.exitCode());
}
