// Start-up order matters: the main window opens the configuration that every later window
// reads, the preferences are loaded before anything uses them, and the log exists before
// anything writes to it.
#include "Application.h"

#include "AppContext.h"
#include "AppInfo.h"
#include "ClosingSaves.h"
#include "SingleInstance.h"
#include "TfmOrv.h"
#include "TrayController.h"
#include "WindowSession.h"
#include "config/ProgramDir.h"
#include "recording/CallRecorder.h"
#include "recording/DemoModem.h"
#include "recording/RecorderSession.h"
#include "support/DataDirLock.h"
#include "support/IdleHandler.h"
#include "support/TerminationSignals.h"
#include "support/Waits.h"
#include "support/WebUrlFile.h"
#include "support/ui/ChooserService.h"
#include "support/ui/DialogMessageService.h"
#include "support/ui/ScreenFit.h"

#include <QDesktopServices>
#include <QDialog>
#include <QTimer>
#include <QUrl>

#include <cstdio>

CalvoraApplication::CalvoraApplication(int &argc, char **argv) : QApplication(argc, argv)
{
    setApplicationName(QStringLiteral("calvora"));
    setApplicationDisplayName(AppInfo::ProductName);
    setApplicationVersion(AppInfo::Version);
    setQuitOnLastWindowClosed(false);
    installEventFilter(new DialogScreenFit(this));
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

TfmOrv *Application::mainWindow() const
{
    return m_windows ? &m_windows->mainWindow() : nullptr;
}

AppContext *Application::context() const
{
    return m_windows ? &m_windows->context() : nullptr;
}

Application::~Application()
{
    if (auto *app = dynamic_cast<CalvoraApplication *>(QCoreApplication::instance()))
        app->onUncaughtError = nullptr;
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
        m_choosers = std::make_unique<DialogChooserService>([this] { return mainWindow(); });
        m_dialogs = std::make_unique<DialogMessageService>([this] { return mainWindow(); });
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
        // A headless recorder that serves its web page: its recordings are there.
        const QString url = WebUrlFile::read(dataDir);
        if (url.isEmpty()) {
            m_messages->showMessage(text, MessageService::Kind::Error);
            return 1;
        }
        std::fprintf(stderr, "calvora: its recordings are on the web page %s\n", qPrintable(url));
        // Unattended runs answer every question with Yes; nobody would see the browser.
        if (!m_options.unattended &&
            m_messages->confirm(text + QStringLiteral("\n\nIts recordings are on its web page, "
                                                      "%1.\nOpen the web page in the browser?")
                                           .arg(url)))
            QDesktopServices::openUrl(QUrl(url));
        return 1;
    }
    // The address a recorder that ended without cleaning up left is no longer served.
    WebUrlFile::remove(dataDir);
    if (auto *app = dynamic_cast<CalvoraApplication *>(QCoreApplication::instance())) {
        app->onUncaughtError = [this](const QString &text) {
            m_messages->showMessage(text, MessageService::Kind::Error);
        };
    }

    // Termination may be asked for at any time, also during a first start's modem search.
    m_signals = std::make_unique<TerminationSignals>();
    QObject::connect(
        m_signals.get(), &TerminationSignals::terminationRequested, qApp,
        [this](int count, int signalNumber) {
            // A call in progress is kept and says why it ended.
            if (m_recorder)
                m_recorder->recorder().setClosingReason(
                    {EndReason::Signalled, TerminationSignals::signalName(signalNumber)});
            // The program ends whatever is open: nothing is started again, and what a dialog
            // that closes now would apply is dropped.
            Waits::setEnding(true);
            endModalDialogs();
            if (count > 1) {
                m_quitWhenReady = true;
                QCoreApplication::quit();
            } else if (mainWindow() && context()->FormsCreated) {
                // Queued, so that the boxes just closed return first.
                QTimer::singleShot(0, mainWindow(), &TfmOrv::WMQueryEndSession);
                // A dialog that cannot be closed from here (a desktop's own file chooser) or a
                // long wait must not hold up the end: the event loops are then left, nested
                // ones too, and shutDown() closes the window as for a second signal.
                QTimer::singleShot(EndDeadlineMs, qApp, [this] {
                    m_quitWhenReady = true;
                    QCoreApplication::quit();
                });
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
        QTimer::singleShot(0, mainWindow(), &TfmOrv::WMQueryEndSession);

    const int code = QCoreApplication::exec();
    shutDown();
    return code;
}

// The session is ending: no message may wait for an answer any more, and the boxes that wait
// now are closed, so that the program can save and end. Each is cancelled: what it would have
// applied is dropped.
void Application::endModalDialogs()
{
    if (m_session)
        m_session->setEnding();
    for (QWidget *window : QApplication::topLevelWidgets()) {
        if (!window->isVisible())
            continue;
        if (auto *dialog = qobject_cast<QDialog *>(window))
            dialog->reject();
        else if (window->isModal())
            window->close();
    }
}

void Application::createWindows()
{
    RecorderSession::Options options;
    options.demo = m_demo.get();
    const QFont font = QApplication::font();
    options.dialogFont = DialogFont{font.family(), std::max(1, font.pointSize()), -16777208};
    m_recorder = std::make_unique<RecorderSession>(ProgramDir::path(), *m_messages, options);
    m_recorder->open();
    m_windows = std::make_unique<WindowSession>(*m_recorder, m_options, m_choosers.get());
    m_windows->start();

    TfmOrv *main = mainWindow();
    m_idle = std::make_unique<IdleHandler>([main] { main->apEventsIdle(); });
    QObject::connect(m_instance.get(), &SingleInstance::showRequested, main, &TfmOrv::bringToFront);
    // Closed for good: a call's Stop that runs on meanwhile leaves the modem as it is.
    QObject::connect(main, &TfmOrv::closed, qApp, [] {
        Waits::setEnding(true);
        QMetaObject::invokeMethod(qApp, &QCoreApplication::quit, Qt::QueuedConnection);
    });

    if (main->isMinimized() && TrayController::available())
        return; // started with the system: only the tray icon shows
    main->show();
}

void Application::shutDown()
{
    TfmOrv *main = mainWindow();
    if (main && !main->Closing) {
        // Ended without the window closing (a second termination signal): save as a close does.
        main->ReallyExit = true;
        main->close();
    }
    m_idle.reset();
    m_signals.reset();
    // A close saves the log with the rest of the window's state and tells what failed; when
    // the close did not happen, the log is saved here.
    if (m_recorder && (!main || !main->Closing)) {
        ClosingSaves saves;
        saves.attempt(ClosingSaves::EventLogItem, [this] { m_recorder->log().save(); });
        if (!saves.allSaved())
            m_messages->showMessage(saves.report(), MessageService::Kind::Error);
    }
    m_windows.reset();
    m_recorder.reset(); // stops a recording that still runs, keeping it; closes the port
    m_demo.reset();
}
