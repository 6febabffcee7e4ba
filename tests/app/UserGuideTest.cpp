// The user guide: it documents every menu command and settings page, and the places that open
// it (F1, Help > Contents, the Settings' Help, the About box) open it where they should.
#include "app/UserGuide.h"
#include "app/AppInfo.h"
#include "app/MainActions.h"
#include "app/TfmAbout.h"
#include "app/TfmOrv.h"
#include "app/settings/TfmSettings.h"
#include "audio/StandardFormats.h"
#include "config/ProgramDir.h"
#include "support/ScriptedMessageService.h"

#include <QAction>
#include <QDesktopServices>
#include <QDialogButtonBox>
#include <QFile>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QRegularExpression>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTextDocumentFragment>
#include <gtest/gtest.h>

#include "ScaledTime.h"
#include "VoiceModemSetup.h"
#include "WindowHarness.h"

namespace {

// Stands in for the desktop's opener: notes each address the program asks it to open.
class UrlRecorder final : public QObject
{
    Q_OBJECT
public:
    UrlRecorder() { QDesktopServices::setUrlHandler(QStringLiteral("file"), this, "open"); }
    ~UrlRecorder() override { QDesktopServices::unsetUrlHandler(QStringLiteral("file")); }

    QList<QUrl> opened;

public slots:
    void open(const QUrl &url) { opened << url; }
};

QString shippedGuide()
{
    QFile file(QDir(qEnvironmentVariable("CALVORA_BIN_DIR")).filePath("Help.html"));
    EXPECT_TRUE(file.open(QIODevice::ReadOnly)) << file.fileName().toStdString();
    return QString::fromUtf8(file.readAll());
}

// A caption as the guide writes it: without its mnemonic, spacing or trailing ellipsis.
QString plainCaption(QString text)
{
    text = text.remove(QLatin1Char('&')).simplified();
    if (text.endsWith(QLatin1String("...")))
        text.chop(3);
    return text;
}

// The texts the guide sets in bold, where it names commands.
QSet<QString> boldTexts(const QString &html)
{
    static const QRegularExpression bold(QStringLiteral("<b>(.*?)</b>"),
                                         QRegularExpression::DotMatchesEverythingOption);
    QSet<QString> texts;
    for (auto it = bold.globalMatch(html); it.hasNext();)
        texts << plainCaption(QTextDocumentFragment::fromHtml(it.next().captured(1)).toPlainText());
    return texts;
}

void collectCaptions(QMenu *menu, QStringList &captions)
{
    for (QAction *action : menu->actions()) {
        if (action->isSeparator())
            continue;
        captions << plainCaption(action->text());
        if (action->menu())
            collectCaptions(action->menu(), captions);
    }
}

class UserGuideTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(ProgramDir::prepare(dir.path()));
        program = std::make_unique<WindowHarness>(dir.path(), messages);
        // A modem whose device is not there: the windows start without searching the ports.
        writeVirtualModemSetup(program->session.ini(), dir.path(), dir.filePath("no-such-tty"),
                               WorkingPcmFormat());
        program->start();
    }

    // Puts the guide where the program looks for it.
    void installGuide()
    {
        ASSERT_TRUE(QFile::copy(QDir(qEnvironmentVariable("CALVORA_BIN_DIR")).filePath("Help.html"),
                                ProgramDir::file("Help.html")));
        ASSERT_EQ(UserGuide::filePath(), ProgramDir::file("Help.html"));
    }

    ScaledTime fast{0.25};
    QTemporaryDir dir;
    ScriptedMessageService messages;
    std::unique_ptr<WindowHarness> program;
};

TEST_F(UserGuideTest, TheGuideNamesEveryMenuCommandAndHasASectionForEverySettingsPage)
{
    const QString guide = shippedGuide();
    const QSet<QString> documented = boldTexts(guide);
    QStringList captions;
    for (QAction *menu : program->windows.mainWindow().menuBar()->actions()) {
        captions << plainCaption(menu->text());
        collectCaptions(menu->menu(), captions);
    }
    ASSERT_GT(captions.size(), 30);
    for (const QString &caption : std::as_const(captions))
        EXPECT_TRUE(documented.contains(caption)) << "not in the guide: " << caption.toStdString();

    const QTabWidget *pages = program->windows.settings().pages();
    ASSERT_EQ(pages->count(), 8);
    for (int i = 0; i < pages->count(); ++i) {
        const QString title = pages->tabText(i);
        const QString heading =
            QStringLiteral("<h3 id=\"%1\">%2</h3>").arg(UserGuide::settingsSection(title), title);
        EXPECT_TRUE(guide.contains(heading)) << heading.toStdString();
    }
}

TEST_F(UserGuideTest, HelpOpensTheGuideAtTheTopOrAtTheSettingsPageShownAndNamesAMissingFile)
{
    UrlRecorder opener;
    TfmOrv &window = program->windows.mainWindow();

    // Without the file a message names where it was looked for.
    window.actions().Contents1->trigger();
    EXPECT_TRUE(opener.opened.isEmpty());
    ASSERT_FALSE(messages.texts.isEmpty());
    EXPECT_TRUE(messages.texts.last().contains(UserGuide::filePath()))
        << messages.texts.last().toStdString();

    installGuide();
    window.actions().Contents1->trigger();
    ASSERT_EQ(opener.opened.size(), 1);
    EXPECT_EQ(opener.opened[0].toLocalFile(), ProgramDir::file("Help.html"));
    EXPECT_EQ(opener.opened[0].fragment(), "");

    TfmSettings &settings = program->windows.settings();
    QTabWidget *pages = settings.pages();
    const QDialogButtonBox *buttons = settings.findChild<QDialogButtonBox *>();
    ASSERT_NE(buttons, nullptr);
    QPushButton *help = buttons->button(QDialogButtonBox::Help);
    ASSERT_NE(help, nullptr);
    EXPECT_EQ(help->accessibleName(), "Help");
    for (const auto &[page, section] :
         {std::pair{2, "settings-parameters"}, std::pair{3, "settings-media-player"}}) {
        pages->setCurrentIndex(page);
        help->click();
        ASSERT_FALSE(opener.opened.isEmpty());
        EXPECT_EQ(opener.opened.last().fragment(), section);
        EXPECT_EQ(opener.opened.last().toLocalFile(), ProgramDir::file("Help.html"));
    }
    // Every section the Help button can open is in the guide.
    const QString guide = shippedGuide();
    for (int i = 0; i < pages->count(); ++i)
        EXPECT_TRUE(guide.contains("id=\"" + UserGuide::settingsSection(pages->tabText(i)) + "\""));
}

TEST_F(UserGuideTest, AboutShowsVersionsLicenceAndDataFolderAndOpensTheFolderAndTheGuide)
{
    UrlRecorder opener;
    installGuide();
    TfmAbout about(dir.path(), messages, nullptr);
    QStringList shown;
    for (const QLabel *label : about.findChildren<QLabel *>()) {
        if (!label->text().isEmpty())
            shown << label->text();
        EXPECT_FALSE(label->accessibleName().isEmpty()) << label->objectName().toStdString();
    }
    const QString text = shown.join('\n');
    EXPECT_TRUE(text.contains("Version " + AppInfo::Version)) << text.toStdString();
    EXPECT_TRUE(text.contains(QStringLiteral("Qt ") + qVersion())) << text.toStdString();
    EXPECT_TRUE(text.contains("Licence: " + AppInfo::Licence)) << text.toStdString();
    EXPECT_TRUE(text.contains(QDir::toNativeSeparators(dir.path()))) << text.toStdString();

    QPushButton *openFolder = nullptr;
    QPushButton *guide = nullptr;
    for (QPushButton *button : about.findChildren<QPushButton *>()) {
        EXPECT_FALSE(button->accessibleName().isEmpty()) << button->text().toStdString();
        if (button->accessibleName() == "Open data folder")
            openFolder = button;
        if (button->accessibleName() == "User guide")
            guide = button;
    }
    ASSERT_NE(openFolder, nullptr);
    ASSERT_NE(guide, nullptr);
    openFolder->click();
    guide->click();
    ASSERT_EQ(opener.opened.size(), 2);
    EXPECT_EQ(QDir(opener.opened[0].toLocalFile()), QDir(dir.path()));
    EXPECT_EQ(opener.opened[1].toLocalFile(), ProgramDir::file("Help.html"));
}

} // namespace

#include "UserGuideTest.moc"
