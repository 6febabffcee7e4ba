// The recorder without windows, for always-on boxes: the same modem, discovery, recording and
// catalogue code as the window program, on the same data directory. Everything it logs goes
// to standard error as well; SIGTERM and SIGINT end it cleanly, keeping a call in progress.
#pragma once

#include "config/Preferences.h"
#include "config/TIniFile.h"
#include "config/TModemParams.h"
#include "support/EventLog.h"
#include "support/MessageService.h"

#include <QObject>
#include <QTimer>
#include <memory>

class CallRecorder;
class Catalogue;
class DemoModem;
class ModemDiscovery;
class QueryBuffer;
class TerminationSignals;
class TfmModem;
class TfmParse;

class HeadlessRecorder final : public QObject
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(HeadlessRecorder)

public:
    // Without a configured modem, discovery runs again this often until one is found.
    static constexpr int RetryDiscoveryMs = 60 * 1000;

    HeadlessRecorder(const QString &dataDir, DemoModem *demo);
    ~HeadlessRecorder() override;

    // Opens the catalogue and the log, recovers a cut-off call, brings the modem on line
    // (finding one first when none is configured) and arms automatic recording.
    void start();
    // SIGTERM or SIGINT came (also while start() still ran): the program is to end.
    bool endRequested() const { return m_endRequested; }

private:
    void bringModemOnLine();
    void startRequestedRecording();
    void terminate();

    QString m_dataDir;
    DemoModem *m_demo;
    UnattendedMessageService m_messages;
    TIniFile m_ini;
    Preferences m_prefs;
    TModemParams m_profile;
    EventLog m_log;
    bool m_voiceSupported = true;
    std::unique_ptr<Catalogue> m_catalogue;
    std::unique_ptr<TfmModem> m_modem;
    std::unique_ptr<QueryBuffer> m_query;
    std::unique_ptr<TfmParse> m_parse;
    std::unique_ptr<ModemDiscovery> m_discovery;
    std::unique_ptr<CallRecorder> m_recorder;
    std::unique_ptr<TerminationSignals> m_signals;
    QTimer m_retryDiscovery;
    bool m_endRequested = false;
};
