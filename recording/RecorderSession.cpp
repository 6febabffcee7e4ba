// Start-up order matters: the configuration and the preferences are read before anything uses
// them, the log's session starts before anything writes to it, and a cut-off call is
// recovered before a new one can replace its file.
#include "RecorderSession.h"

#include "CallPolicy.h"
#include "CallRecorder.h"
#include "DemoModem.h"
#include "LowDiskWatch.h"
#include "RetentionScheduler.h"
#include "callers/CallFiling.h"
#include "callers/CallerDirectory.h"
#include "callers/CallerNames.h"
#include "catalogue/Catalogue.h"
#include "catalogue/CatalogueSchema.h"
#include "config/ModemState.h"
#include "config/PortMap.h"
#include "config/RecordingFormat.h"
#include "config/SettingsStore.h"
#include "modem/ModemWatchdog.h"
#include "modem/TfmModem.h"
#include "modem/discovery/InstalledModems.h"
#include "modem/discovery/ModemDiscovery.h"
#include "modem/discovery/QueryBuffer.h"
#include "modem/discovery/TfmInitORV.h"
#include "modem/discovery/TfmParse.h"
#include "support/AtomicFile.h"
#include "support/MessageService.h"

#include <QFileInfo>
#include <QTimer>

RecorderSession::RecorderSession(const QString &dataDir, MessageService &messages)
    : RecorderSession(dataDir, messages, Options{})
{}

RecorderSession::RecorderSession(const QString &dataDir, MessageService &messages, Options options)
    : m_dataDir(dataDir), m_messages(messages), m_options(std::move(options)),
      m_ini(dataDir + QStringLiteral("/orv.ini")), m_log(dataDir + QStringLiteral("/Events.log"))
{
    m_catalogue = std::make_unique<Catalogue>(m_dataDir, m_messages, &m_log);
    m_catalogue->recordingsDir = [this] { return m_prefs.wavDir; };
    m_catalogue->earlierRecordingsDirs = [this] {
        return SettingsStore::earlierRecordingsFolders(m_ini);
    };
    m_catalogue->callerIdEnabled = [this] { return m_prefs.CallerID; };

    m_callerNames = std::make_unique<CallerNames>(m_dataDir);
    // A rules file damaged while the program runs is said in the log: a message would stand
    // in the way of the call being answered.
    m_filing = std::make_unique<CallFiling>(
        m_dataDir, *m_callerNames, [this](const QString &text) { m_log.appendLine(text); });
    m_modem = std::make_unique<TfmModem>(m_ini, m_prefs, m_profile, m_log, m_messages);
    m_modem->setCallerNamer(
        [this](const QString &number) { return m_callerNames->nameFor(number); });
    m_recorder = std::make_unique<CallRecorder>(m_ini, m_prefs, m_profile, m_voiceSupported, m_log,
                                                m_messages, *m_modem, *m_catalogue);
    m_recorder->fileCall = [this](const QString &callerText, const QDateTime &start) {
        return m_filing->decide(callerText, start);
    };
    m_policy = std::make_unique<CallPolicy>(*m_modem, m_prefs, *m_recorder, m_log, m_filing.get());
    m_retention =
        std::make_unique<RetentionScheduler>(m_ini, *m_catalogue, m_messages, m_log, *m_recorder);
    m_lowDisk = std::make_unique<LowDiskWatch>(m_prefs, m_log);
    // A recording takes room, and a clean-up after it gives some back.
    connect(m_recorder.get(), &CallRecorder::stopped, m_lowDisk.get(), &LowDiskWatch::check,
            Qt::QueuedConnection);
    m_query = std::make_unique<QueryBuffer>();
    m_parse = std::make_unique<TfmParse>(m_ini, m_profile, *m_modem, *m_query, m_log, m_messages,
                                         m_dataDir + QStringLiteral("/Compressions.d"));
    QString byId = m_options.installedModemsDir;
    if (byId.isEmpty()) {
        // The demo finds its virtual modem by scanning; real modems stay out of it.
        byId = m_options.demo ? m_dataDir + QStringLiteral("/no-installed-modems")
                              : InstalledModems::DefaultByIdDir;
    }
    m_discovery = std::make_unique<ModemDiscovery>(m_ini, m_profile, m_voiceSupported, *m_modem,
                                                   *m_parse, m_log, m_messages, byId);
}

RecorderSession::~RecorderSession()
{
    if (m_recorder->recording())
        m_recorder->stopForClosing();
    m_initOrv.reset();
    m_lowDisk.reset();
    m_retention.reset();
    m_policy.reset();
    m_recorder.reset();
    m_discovery.reset();
    m_parse.reset();
    m_query.reset();
    m_modem.reset(); // closes the port
    m_catalogue.reset();
    m_filing.reset();
    m_callerNames.reset();
}

void RecorderSession::guarded(const std::function<void()> &step)
{
    try {
        step();
    } catch (const std::exception &e) {
        m_messages.showMessage(QString::fromUtf8(e.what()), MessageService::Kind::Error);
    }
}

void RecorderSession::open()
{
    // This program is the only user of the data directory and no save runs there yet, so any
    // temporary file of a save was left by a run that was killed mid-save.
    const QStringList interruptedSaves = AtomicFile::removeStaleTemporaries(
        m_dataDir,
        {CatalogueSchema::RecordingsTable, CatalogueSchema::FoldersTable,
         QFileInfo(m_ini.FileName()).fileName(), QStringLiteral("Tree.ini"),
         QFileInfo(m_log.filePath()).fileName(), QFileInfo(m_log.previousFilePath()).fileName(),
         QStringLiteral("Compressions.d"), CallerDirectory::fileName(),
         CallerRulesFile::fileName()});
    guarded([this] {
        if (m_options.demo)
            m_options.demo->writePorts(m_ini);
        PortMap::seed(m_ini);
    });
    guarded([this] { m_catalogue->OpenCatalogue(); });
    guarded([this] {
        loadPreferences(m_ini, m_prefs, m_dataDir, m_options.dialogFont, RecordingFormatSource());
    });
    guarded([this] { m_log.startSession(); });
    for (const QString &path : interruptedSaves)
        m_log.appendLine(QStringLiteral("Removed an interrupted save: ") + path);
    LoadModemProfile(m_ini, m_profile);
    guarded([this] { m_recorder->recoverInterruptedRecording(); });
    if (const QString problems = m_filing->reload(); !problems.isEmpty()) {
        m_log.appendLine(problems);
        m_messages.showMessage(problems, MessageService::Kind::Warning);
    }
    m_retention->start();
    // The first look waits for the event loop, so that the windows are there to show it.
    QTimer::singleShot(0, m_lowDisk.get(), &LowDiskWatch::start);
}

void RecorderSession::bringModemOnLine(DiscoveryWindow &window, SetupTarget &target)
{
    m_initOrv = std::make_unique<TfmInitORV>(m_ini, m_prefs, m_profile, m_voiceSupported, *m_modem,
                                             *m_parse, *m_discovery, window, target, m_log,
                                             m_messages, m_dataDir);
    guarded([this] { m_initOrv->FormCreate(); });
    // A configured modem that is not there yet (a USB modem plugged in later) is taken up
    // when it comes.
    if (!m_modem->PortOpen() && ModemState::configured(m_ini) && m_profile.port > 0)
        m_recorder->watchdog().reopenSoon();
}
