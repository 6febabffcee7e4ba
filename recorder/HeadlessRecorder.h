// The recorder without windows, for always-on boxes: the recorder session the window program
// also builds on, on the same data directory. Everything it logs goes to standard error as
// well; SIGTERM and SIGINT end it cleanly, keeping a call in progress.
#pragma once

#include "modem/discovery/DiscoveryWindow.h"
#include "modem/discovery/SetupTarget.h"
#include "recording/RecorderSession.h"
#include "support/MessageService.h"

#include <QObject>
#include <QTimer>
#include <memory>

class DemoModem;
class TerminationSignals;

// Without windows, the start-up set-up has nothing to show, and the first voice modem found
// is taken, as an unattended window program does.
class HeadlessRecorder final : public QObject, private SetupTarget, private DiscoveryWindow
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(HeadlessRecorder)

public:
    // Without a configured modem, discovery runs again this often until one is found.
    static constexpr int RetryDiscoveryMs = 60 * 1000;

    HeadlessRecorder(const QString &dataDir, DemoModem *demo);
    ~HeadlessRecorder() override;

    // Opens the session (catalogue, log, recovery of a cut-off call), brings the modem on line
    // (finding one first when none is configured) and arms automatic recording.
    void start();
    // SIGTERM or SIGINT came (also while start() still ran): the program is to end.
    bool endRequested() const { return m_endRequested; }
    RecorderSession &session() { return m_session; }

private:
    void applyWindowSettings() override {}
    void resetCommandStates() override {}
    void setPortStatus(int, const QString &) override {}
    void showModal() override;

    void bringModemOnLine();
    void terminate(int signalNumber);

    // As in any unattended run; errors and warnings reach the journal as such.
    UnattendedMessageService m_messages;
    RecorderSession m_session;
    std::unique_ptr<TerminationSignals> m_signals;
    QTimer m_retryDiscovery;
    bool m_endRequested = false;
};
