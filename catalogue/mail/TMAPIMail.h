// The mail component: hands a message (recipients, subject, body, attachments) to the user's
// mail program, which opens its compose window so that the user completes and sends it there.
// On Linux the hand-off is xdg-email, started with its arguments as a list (never through a
// shell), so no text of the message can become a command.
#pragma once

#include <QString>
#include <QStringList>
#include <memory>

class QTemporaryDir;

class TMAPIMail final
{
public:
    // Result codes of Send (the numbers of the simple mail interface).
    static constexpr int Success = 0;
    static constexpr int UserAbort = 1; // cancelled, or no mail program at all
    static constexpr int Failure = 2;   // the mail program failed
    static constexpr int AttachmentNotFound = 11;
    static constexpr int AttachmentOpenFailure = 12;
    static constexpr int AttachmentWriteFailure = 13;
    static constexpr int TextTooLarge = 18;
    static constexpr int MessageInUse = 22; // a Send of this object is still waiting
    static constexpr int BadRecipients = 25;

    // At most this many characters of each recipient and each attachment's display name are
    // passed on.
    static constexpr int MaxFieldLength = 256;
    // The body travels percent-encoded inside one mailto: argument of the mail program, and
    // an argument may hold 128 KiB; a longer body could not be handed over whole.
    static constexpr int MaxBodyBytes = 40000;

    TMAPIMail();
    ~TMAPIMail();
    TMAPIMail(const TMAPIMail &) = delete;
    TMAPIMail &operator=(const TMAPIMail &) = delete;

    QString Subject;
    QString Body;
    // One per recipient: "CC:" + address (any letter case) a copy, "BCC:" + address a blind
    // copy, any other entry a main recipient.
    QStringList Recipients;
    // Full paths of the files to attach.
    QStringList Attachments;
    // Display names by position; an empty or missing one keeps the file's own name.
    QStringList AttachmentNames;
    // The mail program fills in the sender, so these are not passed on.
    QString SenderName;
    QString SenderAddress;
    // The compose window always opens with xdg-email; the flags are kept for the callers.
    bool EditDialog = true;
    bool ResolveNames = false;
    bool RequestReceipt = false;

    // Hands the message over and waits (with the event loop running) until xdg-email ended.
    // True when it reported success; the code is kept in lastResult(). A Send called while
    // one of this object waits (from an event handled meanwhile) is refused: it would change
    // the message being sent.
    bool Send();
    int lastResult() const { return m_lastResult; }

    // "User cancelled request", "General MAPI failure", ... ; "Unknown Error Code: " + code
    // for a number the table does not hold.
    static QString errorText(int code);

    // The class a recipient entry stands for, and its address without the prefix.
    enum class RecipientKind
    {
        To,
        Cc,
        Bcc
    };
    struct Recipient
    {
        RecipientKind kind;
        QString address;
    };
    static Recipient parseRecipient(const QString &entry);

    // The program that hands the message over, looked up on PATH at each Send.
    static inline const QString Program = QStringLiteral("xdg-email");

    // The result code for xdg-email's exit status: 0 success; 1 (bad arguments) and 4 (the
    // mail program failed) a general failure; 2 a file that does not exist; 3 no mail program
    // found (as if the user cancelled); 5 a file that cannot be read.
    static int resultForExitStatus(int status);

private:
    int handOver(const QStringList &arguments);
    // The path to pass for attachment i: the file itself, or a copy under its display name.
    int attachmentPath(qsizetype i, QString &path);

    int m_lastResult = Success;
    bool m_sending = false;
    // Copies of attachments under their display names; they live as long as this object,
    // since the mail program may read them after xdg-email has returned.
    std::unique_ptr<QTemporaryDir> m_namedCopies;
    int m_copyCount = 0;
};
