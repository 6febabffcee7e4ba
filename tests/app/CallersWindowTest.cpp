// The Callers window, offscreen: entries added, edited and removed by hand and saved at once
// (so that the next call is named by them), a refused entry offered again with the reason,
// contacts imported from a vCard file, the home country, and a directory file that cannot be
// read left alone.
#include "app/callers/CallersWindow.h"
#include "callers/CallerNames.h"
#include "support/EventLog.h"
#include "support/ScriptedMessageService.h"
#include "support/ui/ChooserService.h"

#include <QFile>
#include <QLineEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTreeWidget>
#include <deque>
#include <gtest/gtest.h>

namespace {

class CallersWindowTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        window.askEntry = [this](const QString &title, const CallerEntry &entry) {
            asked.append(title + QStringLiteral(": ") + entry.name + QLatin1Char('|') +
                         entry.numbers.join(QLatin1Char(',')));
            std::optional<CallerEntry> answer;
            if (!answers.empty()) {
                answer = answers.front();
                answers.pop_front();
            }
            return answer;
        };
        QFile file(dir.filePath("Callers.txt"));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write("Calvora callers 1\nHomeCountry\tGB\nCaller\tAnne Smith\t020 7946 0018\n");
    }

    QStringList rows() const
    {
        QStringList shown;
        for (int i = 0; i < window.list()->topLevelItemCount(); ++i)
            shown.append(window.list()->topLevelItem(i)->text(0) + QLatin1Char('=') +
                         window.list()->topLevelItem(i)->text(1));
        return shown;
    }

    QByteArray fileContent() const
    {
        QFile file(dir.filePath("Callers.txt"));
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }

    QTemporaryDir dir;
    EventLog log{dir.filePath("Events.log")};
    ScriptedMessageService messages;
    ScriptedChooserService choosers;
    CallersWindow window{dir.path(), &choosers, messages, log};
    std::deque<std::optional<CallerEntry>> answers;
    QStringList asked;
};

TEST_F(CallersWindowTest, ARefusedEntryIsOfferedAgainAndTheSavedOneNamesTheNextCall)
{
    window.open();
    ASSERT_EQ(rows(), QStringList{"Anne Smith=020 7946 0018"});
    // The number is Anne's in another form; then a number without a digit; then a good one.
    answers = {CallerEntry{"Bob Jones", {"+44 20 7946 0018"}},
               CallerEntry{"Bob Jones", {"call me"}},
               CallerEntry{"Bob Jones", {"+1 212 555 0142", "001 212 555 0142"}}};
    window.acAddExecute();
    EXPECT_EQ(messages.texts, (QStringList{"The number +44 20 7946 0018 is already Anne Smith's.",
                                           "\"call me\" is not a telephone number."}));
    ASSERT_EQ(asked.size(), 3);
    EXPECT_EQ(asked[1], "Add a caller: Bob Jones|+44 20 7946 0018"); // nothing typed is lost
    // The same number written twice is kept once.
    EXPECT_EQ(rows(), (QStringList{"Anne Smith=020 7946 0018", "Bob Jones=+1 212 555 0142"}));
    EXPECT_EQ(window.list()->currentItem()->text(0), "Bob Jones");
    EXPECT_TRUE(log.lines().contains("Caller added: Bob Jones"));
    CallerNames names(dir.path());
    EXPECT_EQ(names.nameFor("12125550142"), "");
    EXPECT_EQ(names.nameFor("+12125550142"), "Bob Jones");

    answers = {CallerEntry{"Robert Jones", {"+1 212 555 0199"}, {"Work", " work ", "Golf"}}};
    window.acEditExecute();
    EXPECT_EQ(asked.last(), "Edit a caller: Bob Jones|+1 212 555 0142");
    EXPECT_EQ(window.list()->currentItem()->text(2), "Work, Golf");
    EXPECT_TRUE(fileContent().contains("Groups\tWork\tGolf\n"));
    EXPECT_EQ(names.nameFor("+12125550142"), "");
    EXPECT_EQ(names.nameFor("+12125550199"), "Robert Jones");

    messages.confirmAnswers = {false, true};
    window.acRemoveExecute();
    EXPECT_EQ(rows().size(), 2);
    window.acRemoveExecute();
    EXPECT_EQ(messages.texts.last(), "Remove Robert Jones from the callers?");
    EXPECT_EQ(rows(), QStringList{"Anne Smith=020 7946 0018"});
    EXPECT_EQ(names.nameFor("+12125550199"), "");
    EXPECT_TRUE(log.lines().contains("Caller removed: Robert Jones"));

    // Cancelling changes nothing.
    const QByteArray before = fileContent();
    window.acAddExecute();
    EXPECT_EQ(fileContent(), before);
}

TEST_F(CallersWindowTest, ContactsAreImportedFromAVCardFileAndABadFileChangesNothing)
{
    QFile vcf(dir.filePath("phone.vcf"));
    ASSERT_TRUE(vcf.open(QIODevice::WriteOnly));
    vcf.write("BEGIN:VCARD\r\nVERSION:3.0\r\nFN:Carol\r\nTEL:07700 900123\r\nEND:VCARD\r\n"
              "BEGIN:VCARD\r\nVERSION:3.0\r\nFN:Anne Smith\r\nTEL:+44 20 7946 0018\r\n"
              "END:VCARD\r\nBEGIN:VCARD\r\nVERSION:3.0\r\nFN:Nobody\r\nEND:VCARD\r\n");
    vcf.close();
    QFile notes(dir.filePath("notes.txt"));
    ASSERT_TRUE(notes.open(QIODevice::WriteOnly));
    notes.write("shopping list\n");
    notes.close();

    window.open();
    const QByteArray before = fileContent();
    choosers.fileAnswers = {notes.fileName(), dir.filePath("missing.vcf"), std::nullopt};
    for (int i = 0; i < 3; ++i)
        window.acImportExecute();
    EXPECT_EQ(fileContent(), before);
    ASSERT_EQ(messages.texts.size(), 2);
    EXPECT_EQ(messages.texts[0], notes.fileName() + " holds no vCard contacts");
    EXPECT_TRUE(messages.texts[1].startsWith("Cannot read " + dir.filePath("missing.vcf")));

    choosers.fileAnswers = {vcf.fileName()};
    window.acImportExecute();
    EXPECT_EQ(messages.texts.last(), "1 callers added, 0 given more numbers, 1 already known, 1 "
                                     "cards without a name or a number left out.");
    EXPECT_EQ(rows(), (QStringList{"Anne Smith=020 7946 0018", "Carol=07700 900123"}));
    EXPECT_EQ(CallerNames(dir.path()).nameFor("+447700900123"), "Carol");
}

TEST_F(CallersWindowTest, TheHomeCountryDecidesWhatANationalNumberMeans)
{
    window.open();
    CallerNames names(dir.path());
    EXPECT_EQ(names.nameFor("+442079460018"), "Anne Smith");
    window.homeCountryEdit()->setText("zz");
    window.homeCountryEdited();
    EXPECT_EQ(messages.texts.last(), "\"ZZ\" is not a country code. Enter two letters, such as "
                                     "GB, US or DE, or leave it empty for the system's country.");
    EXPECT_EQ(window.homeCountryEdit()->text(), "GB");
    window.homeCountryEdit()->setText("us");
    window.homeCountryEdited();
    EXPECT_EQ(window.homeCountryEdit()->text(), "US");
    // "020 7946 0018" is no longer a London number.
    EXPECT_EQ(names.nameFor("+442079460018"), "");
    EXPECT_TRUE(fileContent().contains("HomeCountry\tUS"));
}

TEST_F(CallersWindowTest, ADirectoryFileThatCannotBeReadIsReportedAndLeftAlone)
{
    const QByteArray foreign = "not a directory\nCaller\tX\t1\n";
    {
        QFile file(dir.filePath("Callers.txt"));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(foreign);
    }
    window.open();
    ASSERT_EQ(messages.texts.size(), 1);
    EXPECT_TRUE(messages.texts[0].endsWith("Callers.txt: not a caller directory"));
    EXPECT_EQ(window.list()->topLevelItemCount(), 0);
    for (const char *name : {"Add", "Edit", "Remove", "Import contacts"}) {
        for (QPushButton *button : window.findChildren<QPushButton *>()) {
            if (button->accessibleName() == QLatin1String(name)) {
                EXPECT_FALSE(button->isEnabled()) << name;
            }
        }
    }
    answers = {CallerEntry{"Bob", {"+1 212 555 0142"}}};
    window.acAddExecute();
    EXPECT_EQ(fileContent(), foreign);
}

} // namespace
