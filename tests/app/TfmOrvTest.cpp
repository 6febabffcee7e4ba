// The main window offscreen: its commands, closing rules and saved placement.
#include "app/TfmOrv.h"
#include "app/AppContext.h"
#include "app/MainActions.h"
#include "app/TransportPanel.h"
#include "catalogue/ui/RecordingsListView.h"
#include "config/ProgramDir.h"
#include "support/ScriptedMessageService.h"

#include <QAction>
#include <QDir>
#include <QFile>
#include <QHeaderView>
#include <QMenu>
#include <QMenuBar>
#include <QShortcut>
#include <QSlider>
#include <QTableView>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include "WindowHarness.h"

#include "FileSizeLimit.h"

#include <cerrno>
#include <cstring>
#include <optional>

namespace {

class MainWindowTest : public ::testing::Test
{
protected:
    void SetUp() override { ASSERT_TRUE(ProgramDir::prepare(dir.path())); }

    std::unique_ptr<TfmOrv> open(const QStringList &args = {"calvora"})
    {
        testContext = std::make_unique<TestContext>(dir.path(), messages, args);
        context = &testContext->context;
        context->prefs.StartUp = context->ini.ReadBool("Params", "StartUp", false);
        context->hasSoundOutput = [this] { return soundOutput; };
        return std::make_unique<TfmOrv>(*context);
    }

    QTemporaryDir dir;
    bool soundOutput = true; // what the desktop's audio service is taken to say
    ScriptedMessageService messages;
    std::unique_ptr<TestContext> testContext;
    AppContext *context = nullptr;
};

QStringList menuTexts(QMenu *menu)
{
    QStringList texts;
    for (QAction *a : menu->actions()) {
        if (a->isSeparator())
            continue;
        texts << a->text() +
                     (a->shortcut().isEmpty() ? QString() : " [" + a->shortcut().toString() + "]");
    }
    return texts;
}

TEST_F(MainWindowTest, MenusHoldEveryCommandWithItsShortcut)
{
    auto window = open();
    MainActions &a = window->actions();
    QStringList titles;
    for (QAction *menu : window->menuBar()->actions())
        titles << menu->text();
    EXPECT_EQ(titles, QStringList({" &File ", " &Tree ", " Re&corder ", " &Post processing ",
                                   " &Storage ", " &Options ", " &Help "}));
    EXPECT_EQ(menuTexts(a.fileMenu),
              QStringList({"Memo... [Ctrl+M]", "Delete... [Ctrl+D]", "Move to...",
                           "Copy to folder...", "Email wav file to...", "Search... [Ctrl+F]",
                           "Keep [Ctrl+K]", "E&xit [Ctrl+X]"}));
    EXPECT_EQ(menuTexts(a.storageMenu),
              QStringList({"Preview clean-up...", "Hide silent recordings"}));
    EXPECT_EQ(menuTexts(a.treeMenu), QStringList({"Add node", "Add child node", "Insert node",
                                                  "Delete node...", "Rename node", "Expand node",
                                                  "Collapse node", "Expand all", "Collapse all"}));
    EXPECT_EQ(menuTexts(a.recorderMenu),
              QStringList({"Play [Ctrl+P]", "Pause", "Stop [Ctrl+S]", "Rewind", "Fast forward",
                           "Record [Ctrl+R]"}));
    EXPECT_EQ(menuTexts(a.postMenu), QStringList({"Volume level", "Voice equalizer"}));
    EXPECT_EQ(menuTexts(a.optionsMenu), QStringList({"Settings...", "Modem", "Diagnostics",
                                                     "Callers...", "Import contacts..."}));
    EXPECT_EQ(menuTexts(a.modemMenu), QStringList({"On", "Off"}));
    EXPECT_EQ(menuTexts(a.helpMenu), QStringList({"Contents...", "Report a problem...", "About"}));

    EXPECT_TRUE(a.acExit->isEnabled());
    EXPECT_TRUE(a.About1->isEnabled());
    EXPECT_FALSE(a.acRecord->isEnabled()) << "commands of absent features are not faked";
    EXPECT_EQ(window->windowTitle(), "Calvora");
    EXPECT_EQ(window->statusText(0), " Modem off");
}

TEST_F(MainWindowTest, WarnsAtStartWhenThereIsNoSoundOutput)
{
    const QString warning = "Your system has no sound card or\nyour sound card is not set up "
                            "properly.\nThis software requires a sound card to play WAV files";
    for (bool present : {true, false}) {
        SCOPED_TRACE(present);
        messages.texts.clear();
        soundOutput = present;
        auto window = open();
        EXPECT_EQ(messages.texts, present ? QStringList() : QStringList{warning});
    }
}

TEST_F(MainWindowTest, PlacementVolumeAndColumnsSurviveARestart)
{
    {
        auto window = open();
        window->applyWindowSettings();
        window->move(100, 120);
        window->resize(600, 500);
        window->transport().volumeBar()->setValue(13);
        window->recordingsList()->setColumnWidths(91, 70, 70);
        EXPECT_TRUE(window->close());
        EXPECT_TRUE(window->Closing);
    }
    TIniFile &ini = context->ini;
    EXPECT_EQ(ini.readSection("params").mid(0, 6),
              QStringList({"MainTop", "MainLeft", "MainWid", "MainHeight", "Volume", "Splitter"}));
    EXPECT_EQ(ini.ReadInteger("params", "MainWid", 0), 600);
    EXPECT_EQ(ini.ReadInteger("Params", "Date", 0), 91);
    EXPECT_FALSE(ini.SectionExists("Modem")) << "closing must not invent a modem";

    auto window = open();
    window->applyWindowSettings();
    EXPECT_EQ(window->size(), QSize(600, 500));
    EXPECT_EQ(window->transport().volumeBar()->value(), 13);
    EXPECT_EQ(window->recordingsList()->header()->sectionSize(0), 91);

    context->ini.WriteString("Modem", "Distinctive", "at+vdr=0");
    window->close();
    EXPECT_EQ(context->ini.ReadString("Modem", "Distinctive", {}), "0");
}

TEST_F(MainWindowTest, FirstStartUsesTheDesignPlacement)
{
    auto window = open();
    EXPECT_EQ(window->size(), QSize(TfmOrv::DesignWidth, TfmOrv::DesignHeight));
    EXPECT_EQ(window->minimumSize(), QSize(TfmOrv::MinWidth, TfmOrv::MinHeight));
}

TEST_F(MainWindowTest, StartingWithTheSystemMinimisesInsteadOfClosing)
{
    TIniFile(dir.filePath("orv.ini")).WriteBool("Params", "StartUp", true);
    auto window = open({"calvora", "startup"});
    window->show();
    EXPECT_TRUE(window->isMinimized() || !window->isVisible());
    EXPECT_FALSE(window->ReallyExit);

    window->bringToFront();
    EXPECT_FALSE(window->close()) << "the close box minimises";
    EXPECT_FALSE(window->Closing);

    window->actions().acExit->trigger();
    EXPECT_TRUE(window->Closing) << "File Exit ends the program";
}

TEST_F(MainWindowTest, DeveloperKeysExistOnlyWithOnide)
{
    auto keysOf = [](TfmOrv &window) {
        QStringList keys;
        for (QShortcut *s : window.findChildren<QShortcut *>())
            keys << s->key().toString();
        return keys;
    };
    auto plain = open();
    EXPECT_FALSE(keysOf(*plain).contains("Alt+2"));

    auto developer = open({"calvora", "onide"});
    const QStringList keys = keysOf(*developer);
    for (const char *key : {"Alt+2", "Alt+3", "Alt+4", "Alt+6", "Alt+7"})
        EXPECT_TRUE(keys.contains(key)) << key;
    for (QShortcut *s : developer->findChildren<QShortcut *>()) {
        if (s->key().toString() == "Alt+6")
            emit s->activated();
    }
    EXPECT_TRUE(developer->Redirection);
    EXPECT_EQ(messages.texts.last(), "Redirection enabled");
}

TEST_F(MainWindowTest, TheStartupArgumentNeedsStartWithTheSystem)
{
    auto off = open({"calvora", "STARTUP"});
    EXPECT_FALSE(off->isMinimized());
    EXPECT_TRUE(off->ReallyExit);

    TIniFile(dir.filePath("orv.ini")).WriteBool("Params", "StartUp", true);
    auto other = open({"calvora", "ONIDE"});
    EXPECT_FALSE(other->isMinimized());
}

TEST_F(MainWindowTest, ClosingWhileRecordingAsksFirst)
{
    TIniFile(dir.filePath("orv.ini")).WriteBool("Params", "StartUp", true);
    auto window = open();
    bool recording = true;
    int stops = 0;
    window->isRecording = [&] { return recording; };
    window->stopRecording = [&] {
        ++stops;
        recording = false;
    };

    messages.confirmAnswers = {false};
    window->actions().acExit->trigger();
    EXPECT_EQ(messages.texts.last(), "Exit while recording?");
    EXPECT_FALSE(window->Closing);
    EXPECT_EQ(stops, 0);
    EXPECT_TRUE(window->ReallyExit) << "a later close box click ends the program";

    messages.confirmAnswers = {true};
    EXPECT_TRUE(window->close());
    EXPECT_EQ(stops, 1);
    EXPECT_TRUE(window->Closing);
}

// Each save at closing is made on its own: what fails is told once, with the file and the
// system's reason, the rest is saved and the window closes.
TEST_F(MainWindowTest, AFailedSaveAtCloseIsReportedAndTheWindowStillCloses)
{
    const QString ini = dir.filePath("orv.ini");
    const QString log = dir.filePath("Events.log");
    const QString header = "Not everything could be saved when closing:";
    const QString layoutFailed = "\nThe window layout: Unable to write to " + ini + " (%1)";
    const QString modemFailed = "\nThe modem settings: Unable to write to " + ini + " (%1)";
    const QString logFailed = "\nThe event log: Cannot create file " + log + " (%1)";
    const QString isDir = QString::fromLocal8Bit(std::strerror(EISDIR));
    const QString full = QString::fromLocal8Bit(std::strerror(EFBIG)); // the size limit's error

    struct Case
    {
        const char *name;
        const char *directoryInPlaceOf; // a directory where this file should be
        rlim_t sizeLimit;               // 0: none
        QString message;
        bool layoutSaved;
        bool logSaved;
    };
    const Case cases[] = {
        {"orv.ini unwritable", "orv.ini", 0, header + layoutFailed.arg(isDir), false, true},
        {"Events.log unwritable", "Events.log", 0, header + logFailed.arg(isDir), true, false},
        {"disk full", nullptr, 16,
         header + layoutFailed.arg(full) + modemFailed.arg(full) + logFailed.arg(full), false,
         false},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        for (const QString &path : {ini, log}) {
            QFile::remove(path);
            QDir(path).removeRecursively();
        }
        TIniFile(ini).WriteString("Modem", "Port", "3"); // 15 bytes, within the size limit
        auto window = open();
        if (c.directoryInPlaceOf) {
            QFile::remove(dir.filePath(c.directoryInPlaceOf));
            ASSERT_TRUE(QDir(dir.path()).mkdir(c.directoryInPlaceOf));
        }
        const qsizetype shown = messages.texts.size();
        {
            std::optional<FileSizeLimit> limit;
            if (c.sizeLimit > 0) {
                limit.emplace(c.sizeLimit);
                ASSERT_TRUE(limit->active());
            }
            // Each line goes to the file when it is added, so this one is added where the
            // file cannot take it: only the save at close could write it.
            context->log.appendLine("a session line longer than the limit");
            EXPECT_TRUE(window->close());
        }
        EXPECT_TRUE(window->Closing);
        ASSERT_EQ(messages.texts.size(), shown + 1) << "one message, shown once";
        EXPECT_EQ(messages.texts.last(), c.message);

        QFile iniFile(ini);
        EXPECT_EQ(iniFile.open(QIODevice::ReadOnly) && iniFile.readAll().contains("MainTop="),
                  c.layoutSaved);
        QFile logFile(log);
        EXPECT_EQ(logFile.open(QIODevice::ReadOnly) &&
                      logFile.readAll().contains("a session line longer than the limit"),
                  c.logSaved);
    }
}

} // namespace
