// The main window's mail and support commands with their windows, offscreen: e-mail of the
// current recording, the diagnostics run with its progress window, and the problem report.
#include "app/SupportCommands.h"
#include "app/AppContext.h"
#include "app/AppInfo.h"
#include "app/CatalogueWiring.h"
#include "app/CommandPresenter.h"
#include "app/MainActions.h"
#include "app/TfmOrv.h"
#include "catalogue/Catalogue.h"
#include "catalogue/ui/RecordingListPresenter.h"
#include "catalogue/ui/RecordingsListView.h"
#include "config/ProgramDir.h"
#include "diagnostics/Diagnostics.h"
#include "diagnostics/ui/DiagnosticsProgressWindow.h"
#include "diagnostics/ui/TfmAskSupport.h"
#include "modem/TfmModem.h"
#include "modem/discovery/QueryBuffer.h"
#include "support/ScriptedMessageService.h"

#include <QAction>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScopeGuard>
#include <QTemporaryDir>
#include <QTimer>
#include <gtest/gtest.h>

#include "WindowHarness.h"

#include "StandInMailProgram.h"
#include "VirtualModemProcess.h"

namespace {

class SupportCommandsTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(ProgramDir::prepare(dir.path()));
        testContext = std::make_unique<TestContext>(dir.path(), messages);
        context = &testContext->context;
        context->hasSoundOutput = [] { return true; };
        context->prefs.wavDir = dir.path() + "/wav/";
        // COM3 leads nowhere: the diagnostics cannot open it.
        context->ini.WriteString("Ports", "COM3", dir.filePath("unplugged"));
        context->ModemProfile.port = 3;
        window = std::make_unique<TfmOrv>(*context);
        catalogue = std::make_unique<Catalogue>(dir.path(), messages, &context->log);
        catalogue->recordingsDir = [this] { return context->prefs.wavDir; };
        ASSERT_TRUE(catalogue->OpenCatalogue());
        modem = std::make_unique<TfmModem>(context->ini, context->prefs, context->ModemProfile,
                                           context->log, messages);
        commands = std::make_unique<SupportCommands>(*context, *window, *modem, *catalogue, query);
        // The window's commands, on a modem that is not there.
        presenter = std::make_unique<CommandPresenter>(*window, [this] {
            WindowState state;
            state.hasRows = catalogue->commandStates().hasRows;
            state.diagnosticsRunning = commands->diagnostics().running();
            return state;
        });
        QObject::connect(catalogue.get(), &Catalogue::commandStatesChanged, presenter.get(),
                         &CommandPresenter::refresh);
        presenter->refresh();
    }

    void TearDown() override
    {
        presenter.reset();
        commands.reset();
        window.reset();
    }

    QTemporaryDir dir;
    ScriptedMessageService messages;
    std::unique_ptr<TestContext> testContext;
    AppContext *context = nullptr;
    std::unique_ptr<TfmOrv> window;
    std::unique_ptr<Catalogue> catalogue;
    std::unique_ptr<TfmModem> modem;
    QueryBuffer query;
    std::unique_ptr<SupportCommands> commands;
    std::unique_ptr<CommandPresenter> presenter;
    StandInMailProgram program;
};

TEST_F(SupportCommandsTest, EmailHandsTheCurrentRecordingsWavFileOver)
{
    MainActions &actions = window->actions();
    EXPECT_FALSE(actions.acEmailFile->isEnabled()) << "nothing to send in an empty list";
    EXPECT_TRUE(actions.acDiagnostics->isEnabled());
    EXPECT_TRUE(actions.ReportProblem1->isEnabled());

    ASSERT_TRUE(
        catalogue->AddRecordingRow(QDateTime(QDate(2024, 3, 15), QTime(14, 30, 5)), 10, "memo"));
    catalogue->DataSource1DataChange();
    ASSERT_TRUE(actions.acEmailFile->isEnabled());
    const QString wav = catalogue->recordingFilePath();
    QDir().mkpath(context->prefs.wavDir);
    QFile file(wav);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.close();

    actions.acEmailFile->trigger();
    ASSERT_EQ(program.runs().size(), 1);
    EXPECT_EQ(program.runs().at(0),
              QStringList({"--utf8", "--body",
                           "Hello,\n\n\nRecorded with Calvora\n" + AppInfo::WebAddress + "\n",
                           "--attach", QFileInfo(wav).absoluteFilePath()}));
}

// Without a mail program the user learns why, and may open the folder that holds the file to
// attach it by hand.
TEST_F(SupportCommandsTest, EmailWithoutAMailProgramSaysWhyAndOffersTheFilesFolder)
{
    ASSERT_TRUE(
        catalogue->AddRecordingRow(QDateTime(QDate(2024, 3, 15), QTime(14, 30, 5)), 10, "memo"));
    catalogue->DataSource1DataChange();
    QDir().mkpath(context->prefs.wavDir);
    QFile file(catalogue->recordingFilePath());
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.close();
    QStringList opened;
    commands->openLocation = [&](const QString &path) { opened << path; };
    QTemporaryDir noPrograms;
    const QByteArray path = qgetenv("PATH");
    qputenv("PATH", noPrograms.path().toLocal8Bit());
    const auto restore = qScopeGuard([&] { qputenv("PATH", path); });

    for (const bool open : {true, false}) {
        SCOPED_TRACE(open ? "the folder is opened" : "nothing is opened");
        messages.texts.clear();
        messages.confirmAnswers = {open};
        opened.clear();
        window->actions().acEmailFile->trigger();
        ASSERT_EQ(messages.texts.size(), 1) << messages.texts.join('|').toStdString();
        EXPECT_TRUE(messages.texts[0].startsWith(
            "The recording could not be handed to a mail program: no mail program was found "
            "(xdg-email is missing).\nOpen the folder that holds its file"))
            << messages.texts[0].toStdString();
        EXPECT_EQ(opened, open ? QStringList{QFileInfo(file).absolutePath()} : QStringList{});
    }
    EXPECT_TRUE(program.runs().isEmpty());
}

TEST_F(SupportCommandsTest, EmailSendsTheListsSelectedRecordingsAndEndsTheSelection)
{
    CatalogueWiring wiring(*window, *catalogue, *context);
    wiring.connectMail(*commands);
    window->recordingsList()->setDataset(&catalogue->CallsTbl);
    QDir().mkpath(context->prefs.wavDir);
    QStringList files;
    for (int second : {1, 2, 3}) {
        ASSERT_TRUE(catalogue->AddRecordingRow(QDateTime(QDate(2024, 3, 15), QTime(14, 30, second)),
                                               10, "memo"));
        QFile file(catalogue->recordingFilePath());
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        files << QFileInfo(file).absoluteFilePath();
    }
    catalogue->DataSource1DataChange();
    RecordingListPresenter &list = wiring.list();
    list.selectAllAction()->trigger();
    window->actions().acEmailFile->trigger();
    ASSERT_EQ(program.runs().size(), 1);
    const QStringList args = program.runs().at(0);
    EXPECT_EQ(args.count("--attach"), 3);
    for (const QString &file : files)
        EXPECT_TRUE(args.contains(file)) << file.toStdString();
    EXPECT_TRUE(list.selection().isEmpty());
}

TEST_F(SupportCommandsTest, DiagnosticsOnAPortThatCannotOpenTellsTheUser)
{
    window->actions().acDiagnostics->trigger();
    EXPECT_TRUE(messages.texts.value(0).startsWith("Error during opening com port 3"));
    EXPECT_TRUE(context->log.lines().contains("-- Options -> Diagnostics clicked"));
    EXPECT_FALSE(QFile::exists(dir.filePath("Diagnostics.log")));
    EXPECT_FALSE(commands->progressWindow().isVisible());
}

TEST_F(SupportCommandsTest, DiagnosticsShowTheirProgressAndStopAtCancel)
{
    VirtualModemProcess vmodem;
    ASSERT_TRUE(vmodem.start({"--profile", "voice"}));
    context->ini.WriteString("Ports", "COM3", vmodem.path());
    DiagnosticsProgressWindow &progress = commands->progressWindow();
    QStringList captions;
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, [&] {
        if (!progress.isVisible())
            return;
        if (captions.isEmpty())
            captions << progress.windowTitle();
        if (progress.progress() >= 20)
            progress.cancelButton()->click();
    });
    poll.start(5);
    window->actions().acDiagnostics->trigger();
    poll.stop();

    EXPECT_EQ(captions, QStringList{"Progress..."});
    EXPECT_FALSE(progress.isVisible());
    EXPECT_TRUE(modem->PortOpen());
    EXPECT_EQ(context->log.lines().last(), "Diagnostics cancelled");
    EXPECT_FALSE(QFile::exists(dir.filePath("Diagnostics.log")));
    EXPECT_FALSE(vmodem.log().contains("<< at+VPR=?")) << "the last query was never sent";
    EXPECT_TRUE(query.text().startsWith(commands->diagnostics().headingLines().join('\n')));
}

// A finished run says so and where its report is, and opens the report when asked.
TEST_F(SupportCommandsTest, FinishedDiagnosticsTellWhereTheReportIsAndOpenIt)
{
    VirtualModemProcess vmodem;
    ASSERT_TRUE(vmodem.start({"--profile", "voice"}));
    context->ini.WriteString("Ports", "COM3", vmodem.path());
    QStringList opened;
    commands->openLocation = [&](const QString &path) { opened << path; };
    window->actions().acDiagnostics->trigger();

    const QString report = dir.filePath("Diagnostics.log");
    ASSERT_TRUE(QFile::exists(report));
    ASSERT_EQ(messages.texts.size(), 1) << messages.texts.join('|').toStdString();
    EXPECT_EQ(messages.texts[0],
              "The diagnostics are finished. Their report is in " + report + ".\nOpen it now?");
    EXPECT_EQ(opened, QStringList{report});
    EXPECT_FALSE(commands->progressWindow().isVisible());
}

TEST(DiagnosticsProgressWindowTest, CancelAndClosingAskTheRunToStop)
{
    DiagnosticsProgressWindow window;
    window.start("Progress...");
    EXPECT_EQ(window.windowTitle(), "Progress...");
    EXPECT_TRUE(window.isVisible());
    EXPECT_EQ(window.progress(), 0);
    window.setProgress(45);
    EXPECT_EQ(window.progress(), 45);
    EXPECT_FALSE(window.cancelRequested());
    window.cancelButton()->click();
    EXPECT_TRUE(window.cancelRequested());
    window.finish();
    EXPECT_FALSE(window.isVisible());

    window.start("Progress...");
    EXPECT_FALSE(window.cancelRequested()) << "a new run starts uncancelled";
    window.close();
    EXPECT_TRUE(window.cancelRequested());
    EXPECT_TRUE(window.isVisible()) << "the run hides it once stopped";
    window.finish();
}

TEST_F(SupportCommandsTest, ProblemReportListsItsFilesAndSendsTheDescription)
{
    TfmAskSupport &ask = commands->askSupport();
    QStringList seen;
    bool sentFlagDuringShow = true;
    QTimer::singleShot(0, &ask, [&] {
        EXPECT_EQ(ask.windowTitle(), "Report a problem");
        seen << ask.attachmentsLabel()->text();
        sentFlagDuringShow = ask.reportSent();
        ask.description()->setPlainText("No caller ID.\nSince Monday.");
        ask.okButton()->click();
    });
    window->actions().ReportProblem1->trigger();

    EXPECT_FALSE(sentFlagDuringShow);
    EXPECT_TRUE(ask.reportSent());
    ASSERT_EQ(seen.size(), 1);
    EXPECT_TRUE(seen[0].contains(dir.filePath("Diagnostics.log")));
    EXPECT_TRUE(seen[0].contains(dir.filePath("orv.ini")));
    ASSERT_EQ(program.runs().size(), 1);
    const QStringList arguments = program.runs().at(0);
    EXPECT_EQ(arguments.at(arguments.indexOf("--body") + 1), "No caller ID.\nSince Monday.\n");
    EXPECT_EQ(arguments.at(arguments.indexOf("--subject") + 1), "ORV v1.8.3 support");
    EXPECT_EQ(arguments.last(), AppInfo::SupportAddress);
    EXPECT_TRUE(ask.description()->toPlainText().isEmpty()) << "a sent report starts afresh";

    // Cancel sends nothing and keeps what was written.
    QTimer::singleShot(0, &ask, [&] {
        ask.description()->setPlainText("draft");
        ask.reject();
    });
    window->actions().ReportProblem1->trigger();
    EXPECT_FALSE(ask.reportSent());
    EXPECT_EQ(program.runs().size(), 1);
    EXPECT_EQ(ask.description()->toPlainText(), "draft");
}

} // namespace
