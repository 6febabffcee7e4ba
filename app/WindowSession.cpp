// The windows are created in a fixed order: the main window first (every later window is
// its child or reads its controls), the commands' presenter last, once every part whose
// state it reads exists; the start-up set-up then runs through them.
#include "WindowSession.h"

#include "CatalogueWiring.h"
#include "CommandPresenter.h"
#include "MainActions.h"
#include "ModemWiring.h"
#include "PlaybackControl.h"
#include "PostprocTools.h"
#include "RecordingControl.h"
#include "StorageCommands.h"
#include "SupportCommands.h"
#include "TfmOrv.h"
#include "TraceColors.h"
#include "app/callers/CallersWindow.h"
#include "audio/out/TfmAudio.h"
#include "audio/ui/QtFormatChooser.h"
#include "callers/CallerNames.h"
#include "catalogue/Catalogue.h"
#include "catalogue/store/StoreVariant.h"
#include "catalogue/ui/FolderTreePresenter.h"
#include "catalogue/ui/RecordNavigator.h"
#include "catalogue/ui/RecordingsListView.h"
#include "config/ProgramDir.h"
#include "diagnostics/Diagnostics.h"
#include "modem/ModemWatchdog.h"
#include "modem/TfmModem.h"
#include "modem/discovery/QueryBuffer.h"
#include "modem/discovery/TfmInitORV.h"
#include "modem/discovery/TfmParse.h"
#include "modem/discovery/ui/TProgressForm.h"
#include "modem/discovery/ui/TSpecModemForm.h"
#include "modem/discovery/ui/TfmNoModem.h"
#include "modem/discovery/ui/TfmQueryModem.h"
#include "modem/ui/TfmCallerID.h"
#include "recording/CallAnnouncements.h"
#include "recording/CallRecorder.h"
#include "recording/RetentionScheduler.h"
#include "settings/SettingsPresenter.h"
#include "settings/StartupRegistrar.h"
#include "settings/TfmSettings.h"
#include "support/DesktopNotifications.h"
#include "support/ui/LoggerWindow.h"

#include <QAction>
#include <QCoreApplication>

WindowSession::WindowSession(RecorderSession &session, StartOptions options,
                             ChooserService *choosers, std::function<bool()> hasSoundOutput)
    : m_session(session), m_ctx(std::move(options), session)
{
    m_ctx.choosers = choosers;
    m_ctx.hasSoundOutput = std::move(hasSoundOutput);
}

WindowSession::~WindowSession()
{
    if (m_main) {
        m_main->refreshCommands = nullptr;
        m_main->firstRecording = nullptr;
    }
    m_session.retention().busy = nullptr;
    m_announcements.reset();
    m_commands.reset();
    m_storage.reset();
    m_postproc.reset();
    m_playback.reset();
    m_recording.reset();
    m_support.reset();
    m_audio.reset();
    m_specModem.reset();
    m_queryWindow.reset();
    m_noModem.reset();
    m_progress.reset();
    m_callerId.reset();
    m_logger.reset();
    m_catalogueWiring.reset();
    m_main.reset();
}

void WindowSession::setNotifications(std::unique_ptr<DesktopNotifications> notifications)
{
    m_notifications = std::move(notifications);
}

WindowState WindowSession::state() const
{
    WindowState s;
    s.modemOpen = m_session.modem().PortOpen();
    s.voiceSupported = m_session.voiceSupported();
    s.recording = m_session.recorder().phase();
    s.playback = m_playback ? m_playback->state() : WindowState::Playback::Stopped;
    s.hasRows = m_session.catalogue().commandStates().hasRows;
    const Catalogue &catalogue = m_session.catalogue();
    s.currentKept = s.hasRows && catalogue.Details.isPinned(catalogue.currentRecordingId());
    s.diagnosticsRunning = m_support && m_support->diagnostics().running();
    return s;
}

void WindowSession::start()
{
    AppContext &ctx = m_ctx;
    Catalogue &catalogue = m_session.catalogue();
    TfmModem &modem = m_session.modem();
    CallRecorder &recorder = m_session.recorder();

    m_main = std::make_unique<TfmOrv>(ctx);
    m_formatChooser = std::make_unique<QtFormatChooser>(m_main.get());
    ctx.formatChooser = m_formatChooser.get();
    m_catalogueWiring = std::make_unique<CatalogueWiring>(*m_main, catalogue, ctx);
    RecordingsListView *list = m_main->recordingsList();
    list->setDateTimeFormats(catalogue.formats);
    list->directoryName = [this](const QString &number) {
        return m_session.callerNames().nameFor(number);
    };
    list->setDataset(&catalogue.CallsTbl);
    MainActions &actions = m_main->actions();
    RecordNavigator::bindActions(*m_main->recordingsList(), actions.navFirst, actions.navPrior,
                                 actions.navNext, actions.navLast);
    applyTraceColors(*m_main, ctx.prefs);

    m_logger = std::make_unique<LoggerWindow>(ctx.log);
    m_main->showLogger = [this] {
        m_logger->show();
        m_logger->raise();
    };

    m_callerId = std::make_unique<TfmCallerID>();
    m_callerId->nameOf = [this](const QString &number) {
        return m_session.callerNames().nameFor(number);
    };
    connectModem(*m_main, modem, *m_callerId);
    m_recording = std::make_unique<RecordingControl>(*m_main, recorder);
    m_audio = std::make_unique<TfmAudio>(ctx.messages);
    m_playback = std::make_unique<PlaybackControl>(ctx, *m_main, catalogue);
    m_playback->followRecording(recorder);
    m_postproc = std::make_unique<PostprocTools>(*m_main, *m_playback, *m_audio, ctx.messages);

    m_progress = std::make_unique<TProgressForm>();
    m_noModem = std::make_unique<TfmNoModem>(ctx.ini);
    m_queryWindow = std::make_unique<TfmQueryModem>(m_session.query());
    // Unattended runs and the demo take the first modem found, as if OK were pressed.
    const bool confirmFirst = ctx.options.unattended || ctx.options.demo;
    m_specModem =
        std::make_unique<TSpecModemForm>(m_session.discovery(), *m_progress, confirmFirst);
    m_main->firstRecording = [&catalogue] {
        catalogue.CallsTbl.First();
        catalogue.DataSource1DataChange();
    };
    m_main->showQueryWindow = [this] {
        m_queryWindow->show();
        m_queryWindow->raise();
    };
    m_main->queryCompressions = [this] { m_session.parse().queryCompressionsInteractive(); };
    m_main->showNoModemNotice = [this] { m_noModem->ShowNoModemNotice(); };
    m_support =
        std::make_unique<SupportCommands>(ctx, *m_main, modem, catalogue, m_session.query());
    m_catalogueWiring->connectMail(*m_support);
    m_storage =
        std::make_unique<StorageCommands>(ctx, *m_main, m_session, m_catalogueWiring->list());
    m_callers =
        new CallersWindow(ctx.programDir, ctx.choosers, ctx.messages, ctx.log, m_main.get());
    QObject::connect(actions.acCallers, &QAction::triggered, m_callers, &CallersWindow::open);
    QObject::connect(actions.acImportContacts, &QAction::triggered, m_callers, [this] {
        m_callers->open();
        m_callers->acImportExecute();
    });
    // The watchdog's checks would speak to the modem in the middle of the diagnostics' queries.
    ModemWatchdog &watchdog = recorder.watchdog();
    watchdog.busy = [this, busy = watchdog.busy] {
        return m_support->diagnostics().running() || (busy && busy());
    };
    m_registrar = std::make_unique<StartupRegistrar>(
        StartupRegistrar::defaultAutostartDir(), QCoreApplication::applicationFilePath(),
        ctx.programDir == ProgramDir::defaultPath() ? QString() : ctx.programDir);
    m_settings = new TfmSettings(
        ctx, {modem, m_session.parse(), m_session.discovery(), *m_specModem, *m_registrar},
        m_main.get());
    m_settings->folderList = [&catalogue] {
        QList<std::pair<QString, QString>> folders;
        const TStoreCursor &c = catalogue.FoldersTbl.cursor();
        const int code = c.fieldIndex("FolderId"), name = c.fieldIndex("FolderName");
        if (!catalogue.FoldersTbl.Active() || code < 0 || name < 0)
            return folders;
        for (std::size_t i = 0; i < c.recordCount(); ++i)
            if (c.record(i).isLive())
                folders.append(
                    {StoreVariant::text(c.bytes(i, code)), StoreVariant::text(c.bytes(i, name))});
        return folders;
    };
    m_settings->storageRulesChanged = [this] { m_session.retention().rulesChanged(); };
    m_session.retention().busy = [this] { return m_playback && m_playback->busy(); };
    SettingsPresenter::SetUp setUp;
    setUp.applyPreferences = [this] {
        if (TfmInitORV *initOrv = m_session.initOrv())
            initOrv->applyPreferences();
    };
    setUp.bringModemOnLine = [this] {
        if (TfmInitORV *initOrv = m_session.initOrv())
            initOrv->bringModemOnLine();
    };
    m_settingsPresenter = new SettingsPresenter(ctx, *m_main, *m_settings, modem, recorder,
                                                std::move(setUp), catalogue.CallsTbl, m_main.get());

    if (!m_notifications)
        m_notifications = std::make_unique<DesktopNotifications>(QDBusConnection::sessionBus());
    m_announcements = std::make_unique<CallAnnouncements>(
        modem, recorder, catalogue, m_session.callerNames(), *m_notifications,
        [&prefs = ctx.prefs] { return prefs.Notifications; });
    m_announcements->showRecording = [this](const QString &id) {
        m_main->showNormal();
        m_main->raise();
        m_main->activateWindow();
        m_catalogueWiring->tree().showRecording(id);
    };

    m_commands = std::make_unique<CommandPresenter>(*m_main, [this] { return state(); });
    m_main->refreshCommands = [this] { m_commands->refresh(); };
    const auto refresh = [this] { m_commands->refresh(); };
    QObject::connect(&recorder, &CallRecorder::phaseChanged, m_commands.get(), refresh);
    QObject::connect(m_playback.get(), &PlaybackControl::stateChanged, m_commands.get(), refresh);
    QObject::connect(&catalogue, &Catalogue::commandStatesChanged, m_commands.get(), refresh);
    // The diagnostics hold the modem while they run, also those of a problem report.
    for (QAction *command : {actions.acDiagnostics, actions.ReportProblem1})
        QObject::connect(command, &QAction::triggered, m_commands.get(), refresh,
                         Qt::QueuedConnection);
    m_commands->refresh();

    m_session.bringModemOnLine(*m_specModem, *m_main);
    ctx.FormsCreated = true;
    m_main->setPortStatus(ctx.ModemProfile.port, ctx.ModemProfile.Model);
    m_commands->refresh();
}
