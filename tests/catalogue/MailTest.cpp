// The mail hand-off to xdg-email, checked by a stand-in that records its arguments, and the
// e-mail of recordings.
#include "StandInMailProgram.h"
#include "catalogue/Catalogue.h"
#include "catalogue/mail/RecordingMail.h"
#include "catalogue/mail/TMAPIMail.h"
#include "support/ScriptedMessageService.h"

#include <QFileInfo>
#include <QTemporaryDir>
#include <QTimer>
#include <gtest/gtest.h>

namespace {

QString writeFile(const QString &path, const QByteArray &content = "data")
{
    QFile file(path);
    file.open(QIODevice::WriteOnly);
    file.write(content);
    return path;
}

class MailTest : public ::testing::Test
{
protected:
    QTemporaryDir dir;
    StandInMailProgram program;
    TMAPIMail mail;
};

TEST_F(MailTest, HandsEveryPartOverAsOneArgumentEach)
{
    const QString spaced = writeFile(dir.filePath("call with \"quotes\" and spaces.wav"));
    const QString quoted = writeFile(dir.filePath("it's; $(rm -rf x) `y`.ini"));
    mail.Recipients = {"to@example.org", "cc:copy@example.org", "BcC:blind@example.org",
                       "Cc:second@example.org", "other@example.org"};
    mail.Subject = "Subject \"with\" quotes";
    mail.Body = "Hello,\n\n\nline three; $HOME\n";
    mail.Attachments = {spaced, quoted};

    ASSERT_TRUE(mail.Send());
    EXPECT_EQ(mail.lastResult(), 0);
    ASSERT_EQ(program.runs().size(), 1);
    EXPECT_EQ(program.runs().at(0),
              QStringList({"--utf8", "--cc", "copy@example.org", "--bcc", "blind@example.org",
                           "--cc", "second@example.org", "--subject", "Subject \"with\" quotes",
                           "--body", "Hello,\n\n\nline three; $HOME\n", "--attach", spaced,
                           "--attach", quoted, "to@example.org", "other@example.org"}));
}

TEST_F(MailTest, EmptySubjectAndBodyAreLeftOut)
{
    ASSERT_TRUE(mail.Send());
    EXPECT_EQ(program.runs().at(0), QStringList{"--utf8"});
}

TEST_F(MailTest, ExitStatusesMapOntoResultCodes)
{
    struct Case
    {
        int status, code;
        const char *text;
    };
    const Case cases[] = {{0, 0, nullptr},
                          {1, 2, "General MAPI failure"},
                          {2, 11, "Attachment not found"},
                          {3, 1, "User cancelled request"},
                          {4, 2, "General MAPI failure"},
                          {5, 12, "Failed to open attachment"},
                          {9, 2, "General MAPI failure"}};
    for (const Case &c : cases) {
        SCOPED_TRACE(c.status);
        program.setExitStatus(c.status);
        EXPECT_EQ(mail.Send(), c.code == 0);
        EXPECT_EQ(mail.lastResult(), c.code);
        if (c.text) {
            EXPECT_EQ(TMAPIMail::errorText(c.code), c.text);
        }
    }
    EXPECT_EQ(TMAPIMail::errorText(7), "Unknown Error Code: 7");
    EXPECT_EQ(TMAPIMail::errorText(18), "Text too large.");
}

TEST_F(MailTest, MissingProgramGivesCodeOne)
{
    const QByteArray path = qgetenv("PATH");
    qputenv("PATH", dir.path().toLocal8Bit());
    EXPECT_FALSE(mail.Send());
    qputenv("PATH", path);
    EXPECT_EQ(mail.lastResult(), 1);
    EXPECT_EQ(TMAPIMail::errorText(mail.lastResult()), "User cancelled request");
}

TEST_F(MailTest, ASendWhileOneWaitsIsRefused)
{
    program.setDelay("0.3");
    mail.Body = "first";
    bool nested = true;
    QTimer::singleShot(50, [&] {
        mail.Body = "second";
        nested = mail.Send();
        EXPECT_EQ(mail.lastResult(), 22);
    });
    EXPECT_TRUE(mail.Send());
    EXPECT_FALSE(nested);
    EXPECT_EQ(mail.lastResult(), 0);
    ASSERT_EQ(program.runs().size(), 1);
    EXPECT_EQ(program.runs().at(0).last(), "first");
}

TEST_F(MailTest, RecipientsAreCutTo256Characters)
{
    const QString address = QString(300, 'a');
    mail.Recipients = {address, "CC:" + address};
    ASSERT_TRUE(mail.Send());
    const QStringList arguments = program.runs().at(0);
    EXPECT_EQ(arguments.at(2), address.left(256));
    EXPECT_EQ(arguments.last(), address.left(256));
    EXPECT_EQ(TMAPIMail::parseRecipient("bcc:x@y").kind, TMAPIMail::RecipientKind::Bcc);
    EXPECT_EQ(TMAPIMail::parseRecipient("bcc:x@y").address, "x@y");
}

TEST_F(MailTest, RefusedMessagesNeverReachTheProgram)
{
    struct Case
    {
        const char *what;
        std::function<void(TMAPIMail &)> fill;
        int code;
    };
    const QString existing = writeFile(dir.filePath("a.wav"));
    const Case cases[] = {
        {"missing attachment", [&](TMAPIMail &m) { m.Attachments = {dir.filePath("none.wav")}; },
         11},
        {"option-like recipient", [](TMAPIMail &m) { m.Recipients = {"--attach"}; }, 25},
        {"recipient with a line break", [](TMAPIMail &m) { m.Recipients = {"a@b\nc"}; }, 25},
        {"empty copy recipient", [](TMAPIMail &m) { m.Recipients = {"CC:"}; }, 25},
        {"body too large",
         [&](TMAPIMail &m) {
             m.Attachments = {existing};
             m.Body = QString(TMAPIMail::MaxBodyBytes + 1, 'x');
         },
         18},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        TMAPIMail refused;
        c.fill(refused);
        EXPECT_FALSE(refused.Send());
        EXPECT_EQ(refused.lastResult(), c.code);
    }
    EXPECT_TRUE(program.runs().isEmpty());
}

TEST_F(MailTest, AttachmentNamesGoByPosition)
{
    const QString first = writeFile(dir.filePath("20240315_143005.wav"), "first");
    const QString second = writeFile(dir.filePath("second.wav"), "second");
    mail.Attachments = {first, second};
    mail.AttachmentNames = {"Call with Anna.wav"};
    ASSERT_TRUE(mail.Send());
    const QStringList arguments = program.runs().at(0);
    const QString shown = arguments.at(arguments.indexOf("--attach") + 1);
    EXPECT_EQ(QFileInfo(shown).fileName(), "Call with Anna.wav");
    QFile copy(shown);
    ASSERT_TRUE(copy.open(QIODevice::ReadOnly));
    EXPECT_EQ(copy.readAll(), "first");
    EXPECT_EQ(arguments.at(arguments.lastIndexOf("--attach") + 1), second);
}

class RecordingMailTest : public ::testing::Test
{
protected:
    RecordingMailTest() : catalogue(dir.path(), messages, nullptr)
    {
        catalogue.formats = DateTimeFormats::fromLocale(QLocale::c(), "dd.MM.yyyy", "HH:mm:ss");
        catalogue.recordingsDir = [this] { return dir.filePath("wav") + "/"; };
        catalogue.clearFolderTree = [] {};
        catalogue.addRootFolderNode = [](const QString &, const QString &) {};
        catalogue.loadFolderTree = [] {};
        QDir(dir.path()).mkpath("wav");
        EXPECT_TRUE(catalogue.OpenCatalogue());
    }

    // Adds a recording row (with its WAV file unless missing); returns its code.
    QString addRecording(int second, bool withFile)
    {
        const QDateTime start(QDate(2024, 3, 15), QTime(14, 30, second));
        EXPECT_TRUE(catalogue.AddRecordingRow(start, 10, "memo"));
        if (withFile)
            writeFile(catalogue.recordingFilePath(), "RIFF");
        return catalogue.CallsTbl.FieldValues("id").toString();
    }

    QTemporaryDir dir;
    ScriptedMessageService messages;
    Catalogue catalogue;
    StandInMailProgram program;
    TMAPIMail mail;
};

TEST_F(RecordingMailTest, TheSelectedRecordingsWavFileIsHandedOver)
{
    const QString first = addRecording(1, true);
    const QString missing = addRecording(2, false);
    const QString third = addRecording(3, true);
    const QString body = recordingsMailBody("Calvora", "https://calvora.org");
    EXPECT_EQ(body, "Hello,\n\n\nRecorded with Calvora\nhttps://calvora.org\n");

    mail.Attachments = {"left over from before"};
    EXPECT_EQ(
        emailRecordings(catalogue, mail, {first, missing, "NOSUCHID", third}, body, dir.path()), 0);
    ASSERT_EQ(program.runs().size(), 1);
    const QString wav = dir.filePath("wav") + "/";
    EXPECT_EQ(program.runs().at(0),
              QStringList({"--utf8", "--body", body, "--attach", wav + "1_20240315_143001.wav",
                           "--attach", wav + "1_20240315_143003.wav"}));
    // The row that was current stays current.
    EXPECT_EQ(catalogue.CallsTbl.FieldValues("id").toString(), third);
    EXPECT_EQ(QDir::currentPath(), QDir(dir.path()).canonicalPath());
}

TEST_F(RecordingMailTest, AMissingFileOpensTheComposeWindowWithoutAttachment)
{
    const QString missing = addRecording(2, false);
    EXPECT_EQ(emailRecordings(catalogue, mail, {missing}, "body", dir.path()), 0);
    EXPECT_EQ(program.runs().at(0), QStringList({"--utf8", "--body", "body"}));
}

} // namespace
