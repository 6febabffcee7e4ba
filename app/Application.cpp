// Start-up order matters: the main window opens the configuration that every later window
// reads, the preferences are loaded before anything uses them, and the log exists before
// anything writes to it.
#include "Application.h"

#include "AppContext.h"
#include "AppInfo.h"
#include "CatalogueWiring.h"
#include "ClosingSaves.h"
#include "MainActions.h"
#include "ModemWiring.h"
#include "PlaybackControl.h"
#include "PostprocTools.h"
#include "RecordingControl.h"
#include "SingleInstance.h"
#include "SupportCommands.h"
#include "TfmOrv.h"
#include "TraceColors.h"
#include "TraceView.h"
#include "TrayController.h"
#include "audio/out/TfmAudio.h"
#include "audio/ui/QtFormatChooser.h"
#include "catalogue/Catalogue.h"
#include "catalogue/CatalogueSchema.h"
#include "catalogue/ui/RecordNavigator.h"
#include "catalogue/ui/RecordingsListView.h"
#include "config/ModemState.h"
#include "config/PortMap.h"
#include "config/ProgramDir.h"
#include "config/RecordingFormat.h"
#include "config/SettingsStore.h"
#include "modem/ModemWatchdog.h"
#include "modem/TfmModem.h"
#include "modem/discovery/ModemDiscovery.h"
#include "modem/discovery/QueryBuffer.h"
#include "modem/discovery/TfmInitORV.h"
#include "modem/discovery/TfmParse.h"
#include "modem/discovery/ui/TProgressForm.h"
#include "modem/discovery/ui/TSpecModemForm.h"
#include "modem/discovery/ui/TfmNoModem.h"
#include "modem/discovery/ui/TfmQueryModem.h"
#include "modem/ui/TfmCallerID.h"
#include "recording/DemoModem.h"
#include "settings/SettingsPresenter.h"
#include "settings/StartupRegistrar.h"
#include "settings/TfmSettings.h"
#include "support/AtomicFile.h"
#include "support/DataDirLock.h"
#include "support/IdleHandler.h"
#include "support/TerminationSignals.h"
#include "support/Waits.h"
#include "support/diagnostics/Diagnostics.h"
#include "support/ui/ChooserService.h"
#include "support/ui/DialogMessageService.h"
#include "support/ui/LoggerWindow.h"

#include <QDialog>
#include <QFileInfo>
#include <QFrame>
#include <QTimer>

#include <cstdio>

namespace {
// The files of the data directory that are saved through a temporary file beside them.
QStringList filesSavedAtomically(const AppContext &ctx)
{
    return {
        CatalogueSchema::RecordingsTable,         CatalogueSchema::FoldersTable,
        QFileInfo(ctx.ini.FileName()).fileName(), QStringLiteral("Tree.ini"),
        QFileInfo(ctx.log.filePath()).fileName(), QFileInfo(ctx.log.previousFilePath()).fileName(),
        QStringLiteral("Compressions.d")};
}
} // namespace

CalvoraApplication::CalvoraApplication(int &argc, char **argv) : QApplication(argc, argv)
{
    setApplicationName(QStringLiteral("calvora"));
    setApplicationDisplayName(AppInfo::ProductName);
    setApplicationVersion(AppInfo::Version);
    setQuitOnLastWindowClosed(false);
}

bool CalvoraApplication::notify(QObject *receiver, QEvent *event)
{
    try {
        return QApplication::notify(receiver, event);
    } catch (const std::exception &e) {
        if (onUncaughtError)
            onUncaughtError(QString::fromUtf8(e.what()));
        else
            std::fprintf(stderr, "%s\n", e.what());
    }
    return false;
}

Application::Application(StartOptions options) : m_options(std::move(options)) {}

Application::~Application()
{
    if (auto *app = dynamic_cast<CalvoraApplication *>(QCoreApplication::instance()))
        app->onUncaughtError = nullptr;
}

void Application::guarded(const std::function<void()> &step)
{
    try {
        step();
    } catch (const std::exception &e) {
        m_messages->showMessage(QString::fromUtf8(e.what()), MessageService::Kind::Error);
    }
}

int Application::run()
{
    // Tests of the whole program shorten its fixed pauses and time-outs (the settling waits of
    // the port scan, the command time-out, ...) with this variable, a factor above 0 and at
    // most 1 (see Waits::setTimeScale). Unset, everything runs in real time.
    if (const QString scale = qEnvironmentVariable("CALVORA_TIME_SCALE"); !scale.isEmpty())
        Waits::setTimeScale(scale.toDouble());

    const QString dataDir = m_options.demo && m_options.dataDir.isEmpty()
                                ? DemoModem::defaultDataDir()
                                : ProgramDir::resolve(m_options.dataDir);
    m_instance = std::make_unique<SingleInstance>(dataDir);
    if (m_instance->notifyRunningInstance()) {
        std::fprintf(stderr, "calvora: already running for %s; its window was brought up\n",
                     qPrintable(dataDir));
        return 0;
    }
    m_instance->listen();

    if (m_options.unattended) {
        m_messages = std::make_unique<UnattendedMessageService>();
        m_choosers = std::make_unique<UnattendedChooserService>();
    } else {
        m_choosers = std::make_unique<DialogChooserService>([this] { return m_main.get(); });
        m_dialogs = std::make_unique<DialogMessageService>([this] { return m_main.get(); });
        auto session = std::make_unique<SessionMessageService>(*m_dialogs);
        m_session = session.get();
        m_messages = std::move(session);
    }
    // The headless recorder may hold this data directory; two programs must never share it.
    m_dataLock = std::make_unique<DataDirLock>(dataDir);
    if (!m_dataLock->acquire()) {
        const QString text = QStringLiteral("The data directory %1 is in use by %2.")
                                 .arg(dataDir, m_dataLock->holderText());
        std::fprintf(stderr, "calvora: %s\n", qPrintable(text));
        m_messages->showMessage(text, MessageService::Kind::Error);
        return 1;
    }
    if (auto *app = dynamic_cast<CalvoraApplication *>(QCoreApplication::instance())) {
        app->onUncaughtError = [this](const QString &text) {
            m_messages->showMessage(text, MessageService::Kind::Error);
        };
    }

    // Termination may be asked for at any time, also during a first start's modem search.
    m_signals = std::make_unique<TerminationSignals>();
    QObject::connect(m_signals.get(), &TerminationSignals::terminationRequested, qApp,
                     [this](int count) {
                         endModalDialogs();
                         if (count > 1) {
                             m_quitWhenReady = true;
                             QCoreApplication::quit();
                         } else if (m_main && m_ctx && m_ctx->FormsCreated) {
                             // Queued, so that the boxes just closed return first.
                             QTimer::singleShot(0, m_main.get(), &TfmOrv::WMQueryEndSession);
                         } else {
                             m_quitWhenReady = true;
                         }
                     });

    if (!ProgramDir::prepare(dataDir))
        m_messages->showMessage(QStringLiteral("Error setting starting directory"),
                                MessageService::Kind::Error);

    if (m_options.demo) {
        m_demo = std::make_unique<DemoModem>();
        QString error;
        if (!m_demo->start(ProgramDir::path(), error)) {
            m_messages->showMessage(error, MessageService::Kind::Error);
            return 1;
        }
    }
    createWindows();
    if (m_quitWhenReady)
        QTimer::singleShot(0, m_main.get(), &TfmOrv::WMQueryEndSession);

    const int code = QCoreApplication::exec();
    shutDown();
    return code;
}

// The session is ending: no message may wait for an answer any more, and the boxes that wait
// now are closed, so that the program can save and end.
void Application::endModalDialogs()
{
    if (m_session)
        m_session->setEnding();
    for (QWidget *window : QApplication::topLevelWidgets()) {
        if (auto *dialog = qobject_cast<QDialog *>(window); dialog && dialog->isVisible())
            dialog->reject();
    }
}

void Application::createWindows()
{
    m_ctx = std::make_unique<AppContext>(m_options, ProgramDir::path(), *m_messages);
    AppContext &ctx = *m_ctx;
    ctx.choosers = m_choosers.get();
    // This is the only instance for the data directory and no save runs there now, so any
    // temporary file of a save there was left by a run that was killed mid-save.
    const QStringList interruptedSaves =
        AtomicFile::removeStaleTemporaries(ctx.programDir, filesSavedAtomically(ctx));
    guarded([&] {
        if (m_demo)
            m_demo->writePorts(ctx.ini);
        PortMap::seed(ctx.ini);
    });

    m_catalogue = std::make_unique<Catalogue>(ctx.programDir, ctx.messages, &ctx.log);
    m_catalogue->recordingsDir = [&ctx] { return ctx.prefs.wavDir; };
    m_catalogue->earlierRecordingsDirs = [&ctx] {
        return SettingsStore::earlierRecordingsFolders(ctx.ini);
    };
    m_catalogue->callerIdEnabled = [&ctx] { return ctx.prefs.CallerID; };
    m_main = std::make_unique<TfmOrv>(ctx);
    m_formatChooser = std::make_unique<QtFormatChooser>(m_main.get());
    ctx.formatChooser = m_formatChooser.get();
    m_catalogueWiring = std::make_unique<CatalogueWiring>(*m_main, *m_catalogue, ctx);
    guarded([&] { m_catalogue->OpenCatalogue(); });
    m_main->recordingsList()->setDataset(&m_catalogue->CallsTbl);
    MainActions &actions = m_main->actions();
    RecordNavigator::bindActions(m_catalogue->CallsTbl, actions.navFirst, actions.navPrior,
                                 actions.navNext, actions.navLast);

    const QFont font = QApplication::font();
    const DialogFont dialogFont{font.family(), std::max(1, font.pointSize()), -16777208};
    guarded([&] {
        loadPreferences(ctx.ini, ctx.prefs, ctx.programDir, dialogFont, RecordingFormatSource());
    });

    applyTraceColors(*m_main, ctx.prefs);

    m_logger = std::make_unique<LoggerWindow>(ctx.log);
    guarded([&] { ctx.log.startSession(); });
    for (const QString &path : interruptedSaves)
        ctx.log.appendLine(QStringLiteral("Removed an interrupted save: ") + path);
    m_main->showLogger = [this] {
        m_logger->show();
        m_logger->raise();
    };

    LoadModemProfile(ctx.ini, ctx.ModemProfile);
    m_modem =
        std::make_unique<TfmModem>(ctx.ini, ctx.prefs, ctx.ModemProfile, ctx.log, ctx.messages);
    m_callerId = std::make_unique<TfmCallerID>();
    connectModem(*m_main, *m_modem, *m_callerId);
    m_recording = std::make_unique<RecordingControl>(ctx, *m_main, *m_modem, *m_catalogue);
    guarded([&] { m_recording->recoverInterruptedRecording(); });
    m_audio = std::make_unique<TfmAudio>(ctx.messages);
    m_playback = std::make_unique<PlaybackControl>(ctx, *m_main, *m_catalogue);
    m_playback->followRecording(m_recording->recorder());
    m_postproc =
        std::make_unique<PostprocTools>(*m_main, *m_catalogue, *m_playback, *m_audio, ctx.messages);

    m_progress = std::make_unique<TProgressForm>();
    m_noModem = std::make_unique<TfmNoModem>(ctx.ini);
    m_query = std::make_unique<QueryBuffer>();
    m_queryWindow = std::make_unique<TfmQueryModem>(*m_query);
    m_parse = std::make_unique<TfmParse>(ctx.ini, ctx.ModemProfile, *m_modem, *m_query, ctx.log,
                                         ctx.messages,
                                         ctx.programDir + QStringLiteral("/Compressions.d"));
    // The demo finds its virtual modem by scanning; real modems on this machine stay out of it.
    const QString byId = m_demo ? ctx.programDir + QStringLiteral("/no-installed-modems")
                                : QStringLiteral("/dev/serial/by-id");
    m_discovery = std::make_unique<ModemDiscovery>(ctx.ini, ctx.ModemProfile, ctx.VoiceSupported,
                                                   *m_modem, *m_parse, ctx.log, ctx.messages, byId);
    // Unattended runs and the demo take the first modem found, as if OK were pressed.
    const bool confirmFirst = ctx.options.unattended || ctx.options.demo;
    m_specModem = std::make_unique<TSpecModemForm>(*m_discovery, *m_progress, confirmFirst);
    m_initOrv = std::make_unique<TfmInitORV>(
        ctx.ini, ctx.prefs, ctx.ModemProfile, ctx.VoiceSupported, *m_modem, *m_parse, *m_discovery,
        *m_specModem, *m_main, ctx.log, ctx.messages, ctx.programDir);
    m_main->firstRecording = [this] {
        m_catalogue->CallsTbl.First();
        m_catalogue->DataSource1DataChange();
    };
    m_main->showQueryWindow = [this] {
        m_queryWindow->show();
        m_queryWindow->raise();
    };
    m_main->queryCompressions = [this] { m_parse->queryCompressionsInteractive(); };
    m_main->showNoModemNotice = [this] { m_noModem->ShowNoModemNotice(); };
    m_support = std::make_unique<SupportCommands>(ctx, *m_main, *m_modem, *m_catalogue, *m_query);
    m_catalogueWiring->connectMail(*m_support);
    // The watchdog's checks would speak to the modem in the middle of the diagnostics' queries.
    m_recording->watchdog().busy = [this, busy = m_recording->watchdog().busy] {
        return m_support->diagnostics().running() || (busy && busy());
    };
    m_registrar = std::make_unique<StartupRegistrar>(
        StartupRegistrar::defaultAutostartDir(), QCoreApplication::applicationFilePath(),
        ctx.programDir == ProgramDir::defaultPath() ? QString() : ctx.programDir);
    auto *settings = new TfmSettings(
        ctx, {*m_modem, *m_parse, *m_discovery, *m_specModem, *m_registrar}, m_main.get());
    new SettingsPresenter(ctx, *m_main, *settings, *m_modem, *m_initOrv, m_catalogue->CallsTbl,
                          m_main.get());
    guarded([&] { m_initOrv->FormCreate(); });

    ctx.FormsCreated = true;
    if (!m_modem->PortOpen()) {
        m_main->setRecordEnabled(false);
        // A configured modem that is not there yet (a USB modem plugged in later) is taken up
        // when it comes.
        if (ModemState::configured(ctx.ini) && ctx.ModemProfile.port > 0)
            m_recording->watchdog().reopenSoon();
    }
    m_main->setPortStatus(ctx.ModemProfile.port, ctx.ModemProfile.Model);

    m_idle = std::make_unique<IdleHandler>([this] { m_main->apEventsIdle(); });
    QObject::connect(m_instance.get(), &SingleInstance::showRequested, m_main.get(),
                     &TfmOrv::bringToFront);
    QObject::connect(m_main.get(), &TfmOrv::closed, qApp, &QCoreApplication::quit,
                     Qt::QueuedConnection);

    if (m_main->isMinimized() && TrayController::available())
        return; // started with the system: only the tray icon shows
    m_main->show();
}

void Application::shutDown()
{
    if (m_main && !m_main->Closing) {
        // Ended without the window closing (a second termination signal): save as a close does.
        m_main->ReallyExit = true;
        m_main->close();
    }
    m_idle.reset();
    m_signals.reset();
    // A close saves the log with the rest of the window's state and tells what failed; when
    // the close did not happen, the log is saved here.
    if (!m_main || !m_main->Closing) {
        ClosingSaves saves;
        saves.attempt(ClosingSaves::EventLogItem, [this] { m_ctx->log.save(); });
        if (!saves.allSaved())
            m_messages->showMessage(saves.report(), MessageService::Kind::Error);
    }
    m_postproc.reset();
    m_playback.reset();
    m_recording.reset(); // stops a recording that still runs, keeping it
    m_support.reset();
    m_audio.reset();
    m_initOrv.reset();
    m_specModem.reset();
    m_discovery.reset();
    m_parse.reset();
    m_queryWindow.reset();
    m_query.reset();
    m_noModem.reset();
    m_progress.reset();
    m_callerId.reset();
    m_modem.reset(); // closes the port
    m_logger.reset();
    m_catalogueWiring.reset();
    m_main.reset();
    m_catalogue.reset();
    m_demo.reset();
}
