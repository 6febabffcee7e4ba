// The windows added to a recorder session: the main window with its catalogue, modem,
// recording, playback, post-processing, support and settings parts, the discovery windows,
// and the commands kept as the window's state says. The program builds one around its
// session; tests build one the same way.
#pragma once

#include "AppContext.h"
#include "WindowState.h"

#include <memory>

class CallAnnouncements;
class CallersWindow;
class DesktopNotifications;
class CatalogueWiring;
class ChooserService;
class CommandPresenter;
class FormatChooser;
class LoggerWindow;
class PlaybackControl;
class PostprocTools;
class RecordingControl;
class SettingsPresenter;
class StartupRegistrar;
class StorageCommands;
class SupportCommands;
class TProgressForm;
class TSpecModemForm;
class TfmAudio;
class TfmCallerID;
class TfmNoModem;
class TfmOrv;
class TfmQueryModem;
class TfmSettings;

class WindowSession
{
public:
    // The session and the services must outlive this object. hasSoundOutput answers the
    // start-up's sound check (unset: the desktop's audio service is asked).
    WindowSession(RecorderSession &session, StartOptions options, ChooserService *choosers,
                  std::function<bool()> hasSoundOutput = {});
    ~WindowSession();
    WindowSession(const WindowSession &) = delete;
    WindowSession &operator=(const WindowSession &) = delete;

    // Creates the windows in their order, then runs the start-up modem set-up through them.
    void start();
    // Before start: the desktop notifications go there instead of the session bus's service.
    void setNotifications(std::unique_ptr<DesktopNotifications> notifications);

    AppContext &context() { return m_ctx; }
    RecorderSession &session() { return m_session; }
    TfmOrv &mainWindow() { return *m_main; }
    PlaybackControl &playback() { return *m_playback; }
    RecordingControl &recording() { return *m_recording; }
    PostprocTools &postproc() { return *m_postproc; }
    SupportCommands &support() { return *m_support; }
    StorageCommands &storage() { return *m_storage; }
    TfmSettings &settings() { return *m_settings; }
    SettingsPresenter &settingsPresenter() { return *m_settingsPresenter; }
    CommandPresenter &commands() { return *m_commands; }
    TfmCallerID &callerId() { return *m_callerId; }
    CallersWindow &callers() { return *m_callers; }
    // The state the commands follow, read now.
    WindowState state() const;

private:
    RecorderSession &m_session;
    AppContext m_ctx;
    std::unique_ptr<TfmOrv> m_main;
    std::unique_ptr<FormatChooser> m_formatChooser;
    std::unique_ptr<CatalogueWiring> m_catalogueWiring;
    std::unique_ptr<LoggerWindow> m_logger;
    std::unique_ptr<TfmCallerID> m_callerId;
    std::unique_ptr<RecordingControl> m_recording;
    std::unique_ptr<TfmAudio> m_audio;
    std::unique_ptr<PlaybackControl> m_playback;
    std::unique_ptr<PostprocTools> m_postproc;
    std::unique_ptr<TProgressForm> m_progress;
    std::unique_ptr<TfmNoModem> m_noModem;
    std::unique_ptr<TfmQueryModem> m_queryWindow;
    std::unique_ptr<TSpecModemForm> m_specModem;
    std::unique_ptr<SupportCommands> m_support;
    std::unique_ptr<StorageCommands> m_storage;
    std::unique_ptr<StartupRegistrar> m_registrar;
    TfmSettings *m_settings = nullptr;                // owned by the main window
    SettingsPresenter *m_settingsPresenter = nullptr; // owned by the main window
    CallersWindow *m_callers = nullptr;               // owned by the main window
    std::unique_ptr<CommandPresenter> m_commands;
    std::unique_ptr<DesktopNotifications> m_notifications;
    std::unique_ptr<CallAnnouncements> m_announcements;
};
