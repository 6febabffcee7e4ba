// Start-up order matters: the main window opens the configuration that every later window
// reads, the preferences are loaded before anything uses them, and the log exists before
// anything writes to it.
#include "Application.h"

#include "AppContext.h"
#include "AppInfo.h"
#include "ColorValue.h"
#include "DemoModem.h"
#include "MainActions.h"
#include "MainWindow.h"
#include "ModemWiring.h"
#include "RecordingControl.h"
#include "SingleInstance.h"
#include "TerminationSignals.h"
#include "TraceView.h"
#include "TrayController.h"
#include "audio/RecordingFormat.h"
#include "catalogue/Catalogue.h"
#include "catalogue/ui/RecordNavigator.h"
#include "catalogue/ui/RecordingsListView.h"
#include "config/PortMap.h"
#include "config/ProgramDir.h"
#include "modem/TfmModem.h"
#include "modem/ui/TfmCallerID.h"
#include "support/IdleHandler.h"
#include "support/ui/DialogMessageService.h"
#include "support/ui/LoggerWindow.h"

#include <QFrame>

#include <cstdio>

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

    if (m_options.unattended)
        m_messages = std::make_unique<UnattendedMessageService>();
    else
        m_messages = std::make_unique<DialogMessageService>([this] { return m_main.get(); });
    if (auto *app = dynamic_cast<CalvoraApplication *>(QCoreApplication::instance())) {
        app->onUncaughtError = [this](const QString &text) {
            m_messages->showMessage(text, MessageService::Kind::Error);
        };
    }

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

    const int code = QCoreApplication::exec();
    shutDown();
    return code;
}

void Application::createWindows()
{
    m_ctx = std::make_unique<AppContext>(m_options, ProgramDir::path(), *m_messages);
    AppContext &ctx = *m_ctx;
    guarded([&] {
        if (m_demo)
            m_demo->writePorts(ctx.ini);
        PortMap::seed(ctx.ini);
    });

    m_catalogue = std::make_unique<Catalogue>(ctx.programDir, ctx.messages, &ctx.log);
    m_catalogue->recordingsDir = [&ctx] { return ctx.prefs.wavDir; };
    m_catalogue->callerIdEnabled = [&ctx] { return ctx.prefs.CallerID; };
    m_main = std::make_unique<TfmOrv>(ctx);
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

    applyTraceColors();

    m_logger = std::make_unique<LoggerWindow>(ctx.log);
    guarded([&] { ctx.log.startSession(); });
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
    ctx.VoiceSupported =
        ctx.ini.ReadBool(QStringLiteral("Params"), QStringLiteral("Voicefeatures"), true);
    m_main->ApplyWindowSettings();

    ctx.FormsCreated = true;
    // The modem port is not open yet, so nothing can be recorded.
    m_main->setRecordEnabled(false);
    m_main->setStatusText(1, QStringLiteral(" COM PORT %1").arg(ctx.ModemProfile.port));
    m_main->setStatusText(2, QStringLiteral(" ") + ctx.ModemProfile.Model);

    m_idle = std::make_unique<IdleHandler>([this] { m_main->apEventsIdle(); });
    m_signals = std::make_unique<TerminationSignals>();
    QObject::connect(m_signals.get(), &TerminationSignals::terminationRequested, m_main.get(),
                     [this](int count) {
                         if (count == 1)
                             m_main->WMQueryEndSession();
                         else
                             QCoreApplication::quit();
                     });
    QObject::connect(m_instance.get(), &SingleInstance::showRequested, m_main.get(),
                     &TfmOrv::Show1Click);
    QObject::connect(m_main.get(), &TfmOrv::closed, qApp, &QCoreApplication::quit,
                     Qt::QueuedConnection);

    if (m_main->isMinimized() && TrayController::available())
        return; // started with the system: only the tray icon shows
    m_main->show();
}

void Application::applyTraceColors()
{
    const QPalette palette = m_main->palette();
    const QColor background = colorFromValue(m_ctx->prefs.BackColor, palette);
    m_main->trace().setColors(background, colorFromValue(m_ctx->prefs.TraceColor, palette));
    QPalette panel = m_main->tracePanel()->palette();
    panel.setColor(QPalette::Window, background);
    m_main->tracePanel()->setPalette(panel);
    m_main->trace().ClearTrace();
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
    try {
        m_ctx->log.save();
    } catch (const std::exception &e) {
        std::fprintf(stderr, "%s\n", e.what());
    }
    m_recording.reset(); // stops a recording that still runs, keeping it
    m_callerId.reset();
    m_modem.reset(); // closes the port
    m_logger.reset();
    m_main.reset();
    m_catalogue.reset();
    m_demo.reset();
}
