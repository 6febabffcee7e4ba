// The program's life: one instance, the data directory, the windows in their order of
// creation, the message loop with its idle work, and the saves on the way out.
#pragma once

#include "StartOptions.h"

#include <QApplication>
#include <functional>
#include <memory>

struct AppContext;
class Catalogue;
class CatalogueWiring;
class ChooserService;
class DataDirLock;
class DemoModem;
class FormatChooser;
class IdleHandler;
class ModemDiscovery;
class QueryBuffer;
class TProgressForm;
class TSpecModemForm;
class TfmInitORV;
class TfmNoModem;
class TfmParse;
class TfmQueryModem;
class RecordingControl;
class PlaybackControl;
class PostprocTools;
class TfmAudio;
class LoggerWindow;
class MessageService;
class SessionMessageService;
class SingleInstance;
class SupportCommands;
class StartupRegistrar;
class TerminationSignals;
class TfmCallerID;
class TfmModem;
class TfmOrv;

// Errors that escape an event handler are shown to the user and the program goes on, as a
// desktop program's message loop does, instead of ending the process.
class CalvoraApplication final : public QApplication
{
public:
    CalvoraApplication(int &argc, char **argv);
    bool notify(QObject *receiver, QEvent *event) override;

    std::function<void(const QString &)> onUncaughtError;
};

class Application final
{
public:
    explicit Application(StartOptions options);
    ~Application();

    // Runs the program until it ends; returns the exit code.
    int run();

    TfmOrv *mainWindow() const { return m_main.get(); }
    AppContext *context() const { return m_ctx.get(); }

private:
    void createWindows();
    void endModalDialogs();
    void shutDown();
    void guarded(const std::function<void()> &step);

    StartOptions m_options;
    std::unique_ptr<MessageService> m_dialogs;
    std::unique_ptr<MessageService> m_messages;
    std::unique_ptr<ChooserService> m_choosers;
    SessionMessageService *m_session = nullptr;
    std::unique_ptr<SingleInstance> m_instance;
    std::unique_ptr<DemoModem> m_demo;
    std::unique_ptr<DataDirLock> m_dataLock;
    std::unique_ptr<AppContext> m_ctx;
    std::unique_ptr<Catalogue> m_catalogue;
    std::unique_ptr<TfmOrv> m_main;
    std::unique_ptr<CatalogueWiring> m_catalogueWiring;
    std::unique_ptr<FormatChooser> m_formatChooser;
    std::unique_ptr<LoggerWindow> m_logger;
    std::unique_ptr<TfmModem> m_modem;
    std::unique_ptr<TfmCallerID> m_callerId;
    std::unique_ptr<RecordingControl> m_recording;
    std::unique_ptr<TfmAudio> m_audio;
    std::unique_ptr<PlaybackControl> m_playback;
    std::unique_ptr<PostprocTools> m_postproc;
    std::unique_ptr<TProgressForm> m_progress;
    std::unique_ptr<TfmNoModem> m_noModem;
    std::unique_ptr<QueryBuffer> m_query;
    std::unique_ptr<TfmQueryModem> m_queryWindow;
    std::unique_ptr<TfmParse> m_parse;
    std::unique_ptr<ModemDiscovery> m_discovery;
    std::unique_ptr<TSpecModemForm> m_specModem;
    std::unique_ptr<TfmInitORV> m_initOrv;
    std::unique_ptr<SupportCommands> m_support;
    std::unique_ptr<StartupRegistrar> m_registrar;
    std::unique_ptr<IdleHandler> m_idle;
    std::unique_ptr<TerminationSignals> m_signals;
    bool m_quitWhenReady = false;
};
