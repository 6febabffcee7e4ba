// The program's life: one instance, the data directory, the windows in their order of
// creation, the message loop with its idle work, and the saves on the way out.
#pragma once

#include "StartOptions.h"

#include <QApplication>
#include <functional>
#include <memory>

class ChooserService;
class DataDirLock;
class DemoModem;
class IdleHandler;
class MessageService;
class RecorderSession;
class SessionMessageService;
class SingleInstance;
class TerminationSignals;
class TfmOrv;
class WindowSession;
struct AppContext;

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

    TfmOrv *mainWindow() const;
    AppContext *context() const;

private:
    // After a termination signal the program ends within this time, whatever is open.
    static constexpr int EndDeadlineMs = 1200;

    void createWindows();
    void endModalDialogs();
    void shutDown();

    StartOptions m_options;
    std::unique_ptr<MessageService> m_dialogs;
    std::unique_ptr<MessageService> m_messages;
    std::unique_ptr<ChooserService> m_choosers;
    SessionMessageService *m_session = nullptr;
    std::unique_ptr<SingleInstance> m_instance;
    std::unique_ptr<DemoModem> m_demo;
    std::unique_ptr<DataDirLock> m_dataLock;
    std::unique_ptr<RecorderSession> m_recorder;
    std::unique_ptr<WindowSession> m_windows;
    std::unique_ptr<IdleHandler> m_idle;
    std::unique_ptr<TerminationSignals> m_signals;
    bool m_quitWhenReady = false;
};
