// The recorder built from a data directory: the configuration, preferences, event log,
// catalogue, caller names and rules, modem link, discovery, call recorder (with its watchdog and
// the recovery of a cut-off call) and the call policy, created in one order and ended in one order.
// The window program adds its windows to it, the headless recorder adds standard error and signals,
// and tests use it as it is.
#pragma once

#include "config/Preferences.h"
#include "config/TIniFile.h"
#include "config/TModemParams.h"
#include "support/EventLog.h"

#include <QObject>
#include <functional>
#include <memory>

class CallPolicy;
class CallFiling;
class CallerNames;
class CallRecorder;
class Catalogue;
class DemoModem;
class DiscoveryWindow;
class MessageService;
class ModemDiscovery;
class QueryBuffer;
class RetentionScheduler;
class LowDiskWatch;
class SetupTarget;
class TfmInitORV;
class TfmModem;
class TfmParse;

class RecorderSession final : public QObject
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(RecorderSession)

public:
    struct Options
    {
        // The demo's virtual modem, started by the program; it gets COM1.
        DemoModem *demo = nullptr;
        // The list of installed modems; the demo keeps real ones out of its search.
        QString installedModemsDir;
        // The font the settings take when orv.ini names none.
        DialogFont dialogFont{QStringLiteral("Sans Serif"), 8};
    };

    // dataDir exists and is the only user of it (the program holds its lock). The messages
    // service must outlive the session.
    RecorderSession(const QString &dataDir, MessageService &messages, Options options);
    RecorderSession(const QString &dataDir, MessageService &messages);
    // A recording that still runs is stopped and kept. Saving the log is the program's: each
    // says in its own way when that fails.
    ~RecorderSession() override;

    // Removes the temporary files a killed save left, seeds the port map, opens the catalogue,
    // loads the preferences, starts the log's session, loads the modem profile, completes
    // a recording a crash cut off and starts the retention schedule and the watch on the
    // recordings disk. An error of one step is shown and the next step runs.
    void open();
    // The start-up modem set-up: discovery on a first start (its candidates shown in window),
    // the preferences applied to target, the port opened and automatic recording armed. A
    // configured modem that is not there yet is taken up when it comes.
    void bringModemOnLine(DiscoveryWindow &window, SetupTarget &target);

    const QString &dataDir() const { return m_dataDir; }
    TIniFile &ini() { return m_ini; }
    Preferences &prefs() { return m_prefs; }
    TModemParams &profile() { return m_profile; }
    bool &voiceSupported() { return m_voiceSupported; }
    EventLog &log() { return m_log; }
    MessageService &messages() { return m_messages; }
    Catalogue &catalogue() { return *m_catalogue; }
    TfmModem &modem() { return *m_modem; }
    QueryBuffer &query() { return *m_query; }
    TfmParse &parse() { return *m_parse; }
    ModemDiscovery &discovery() { return *m_discovery; }
    CallRecorder &recorder() { return *m_recorder; }
    CallPolicy &policy() { return *m_policy; }
    RetentionScheduler &retention() { return *m_retention; }
    LowDiskWatch &lowDisk() { return *m_lowDisk; }
    // The names of callers from the caller directory in the data directory.
    CallerNames &callerNames() { return *m_callerNames; }
    // The caller rules: how each call is filed, named or skipped.
    CallFiling &filing() { return *m_filing; }
    // The start-up set-up of the last bringModemOnLine, whose second half runs again after the
    // settings; null before.
    TfmInitORV *initOrv() { return m_initOrv.get(); }

private:
    void guarded(const std::function<void()> &step);

    QString m_dataDir;
    MessageService &m_messages;
    Options m_options;
    TIniFile m_ini;
    Preferences m_prefs;
    TModemParams m_profile;
    bool m_voiceSupported = true;
    EventLog m_log;
    std::unique_ptr<Catalogue> m_catalogue;
    std::unique_ptr<CallerNames> m_callerNames;
    std::unique_ptr<CallFiling> m_filing;
    std::unique_ptr<TfmModem> m_modem;
    std::unique_ptr<QueryBuffer> m_query;
    std::unique_ptr<TfmParse> m_parse;
    std::unique_ptr<ModemDiscovery> m_discovery;
    std::unique_ptr<CallRecorder> m_recorder;
    std::unique_ptr<CallPolicy> m_policy;
    std::unique_ptr<RetentionScheduler> m_retention;
    std::unique_ptr<LowDiskWatch> m_lowDisk;
    std::unique_ptr<TfmInitORV> m_initOrv;
};
