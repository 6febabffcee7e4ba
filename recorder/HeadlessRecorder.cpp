#include "HeadlessRecorder.h"

#include "catalogue/Catalogue.h"
#include "config/ModemState.h"
#include "config/PortMap.h"
#include "config/RecordingFormat.h"
#include "modem/ModemWatchdog.h"
#include "modem/TfmModem.h"
#include "modem/discovery/DiscoveryWindow.h"
#include "modem/discovery/ModemDiscovery.h"
#include "modem/discovery/QueryBuffer.h"
#include "modem/discovery/SetupTarget.h"
#include "modem/discovery/TfmInitORV.h"
#include "modem/discovery/TfmParse.h"
#include "recording/CallRecorder.h"
#include "recording/DemoModem.h"
#include "support/TerminationSignals.h"

#include <QCoreApplication>
#include <cstdio>

namespace {
// Without windows the start-up set-up has nothing to show.
class NoWindow final : public SetupTarget
{
public:
    void setRecordEnabled(bool) override {}
    void applyWindowSettings() override {}
    void resetCommandStates() override {}
    void setPortStatus(int, const QString &) override {}
};

// The first voice modem found is taken, as an unattended window program does.
class TakeFirstModem final : public DiscoveryWindow
{
public:
    explicit TakeFirstModem(ModemDiscovery &discovery) : m_discovery(discovery) {}
    void showModal() override { m_discovery.confirmFirst(); }

private:
    ModemDiscovery &m_discovery;
};
} // namespace

HeadlessRecorder::HeadlessRecorder(const QString &dataDir, DemoModem *demo)
    : m_dataDir(dataDir), m_demo(demo), m_ini(dataDir + QStringLiteral("/orv.ini")),
      m_log(dataDir + QStringLiteral("/Events.log"))
{
    // One line each, so that the system journal keeps what the recorder did.
    connect(&m_log, &EventLog::lineAppended, this, [](const QString &line) {
        std::fprintf(stderr, "%s\n", line.toLocal8Bit().constData());
        std::fflush(stderr);
    });
    m_signals = std::make_unique<TerminationSignals>();
    connect(m_signals.get(), &TerminationSignals::terminationRequested, this,
            &HeadlessRecorder::terminate);
    m_retryDiscovery.setInterval(RetryDiscoveryMs);
    connect(&m_retryDiscovery, &QTimer::timeout, this, &HeadlessRecorder::bringModemOnLine);
}

HeadlessRecorder::~HeadlessRecorder()
{
    if (m_recorder && m_recorder->recording())
        m_recorder->acStopExecute();
    m_recorder.reset();
    m_discovery.reset();
    m_parse.reset();
    m_modem.reset();
    try {
        m_log.save();
    } catch (const std::exception &e) {
        std::fprintf(stderr, "%s\n", e.what());
    }
}

void HeadlessRecorder::start()
{
    try {
        if (m_demo)
            m_demo->writePorts(m_ini);
        PortMap::seed(m_ini);
    } catch (const std::exception &e) {
        m_messages.showMessage(QString::fromUtf8(e.what()), MessageService::Kind::Error);
    }
    m_catalogue = std::make_unique<Catalogue>(m_dataDir, m_messages, &m_log);
    m_catalogue->recordingsDir = [this] { return m_prefs.wavDir; };
    m_catalogue->callerIdEnabled = [this] { return m_prefs.CallerID; };
    try {
        loadPreferences(m_ini, m_prefs, m_dataDir, DialogFont{QStringLiteral("Sans Serif"), 8},
                        RecordingFormatSource());
    } catch (const std::exception &e) {
        m_messages.showMessage(QString::fromUtf8(e.what()), MessageService::Kind::Error);
    }
    m_log.startSession();
    m_catalogue->OpenCatalogue();

    LoadModemProfile(m_ini, m_profile);
    m_modem = std::make_unique<TfmModem>(m_ini, m_prefs, m_profile, m_log, m_messages);
    m_recorder = std::make_unique<CallRecorder>(m_ini, m_prefs, m_profile, m_voiceSupported, m_log,
                                                m_messages, *m_modem, *m_catalogue);
    m_recorder->recoverInterruptedRecording();
    connect(m_modem.get(), &TfmModem::startRecordRequested, this,
            &HeadlessRecorder::startRequestedRecording, Qt::QueuedConnection);

    m_query = std::make_unique<QueryBuffer>();
    m_parse = std::make_unique<TfmParse>(m_ini, m_profile, *m_modem, *m_query, m_log, m_messages,
                                         m_dataDir + QStringLiteral("/Compressions.d"));
    // The demo finds its virtual modem by scanning; real modems on this machine stay out of it.
    const QString byId = m_demo ? m_dataDir + QStringLiteral("/no-installed-modems")
                                : QStringLiteral("/dev/serial/by-id");
    m_discovery = std::make_unique<ModemDiscovery>(m_ini, m_profile, m_voiceSupported, *m_modem,
                                                   *m_parse, m_log, m_messages, byId);
    bringModemOnLine();
}

void HeadlessRecorder::bringModemOnLine()
{
    m_retryDiscovery.stop();
    if (m_endRequested)
        return;
    TakeFirstModem window(*m_discovery);
    NoWindow noWindow;
    TfmInitORV initOrv(m_ini, m_prefs, m_profile, m_voiceSupported, *m_modem, *m_parse,
                       *m_discovery, window, noWindow, m_log, m_messages, m_dataDir);
    initOrv.FormCreate();
    if (!ModemState::configured(m_ini)) {
        m_log.appendLine(QStringLiteral("No modem found; searching again in a minute"));
        m_retryDiscovery.start();
        return;
    }
    // A configured modem that is not there (yet) is taken up when it comes.
    if (!m_modem->PortOpen())
        m_recorder->watchdog().reopenSoon();
}

void HeadlessRecorder::startRequestedRecording()
{
    if (!m_modem->StartRecordRequest())
        return;
    m_modem->setStartRecordRequest(false);
    if (m_prefs.AutoRecord && !m_recorder->recording())
        m_recorder->acRecordExecute();
}

// A call in progress is stopped, kept and catalogued before the program ends.
void HeadlessRecorder::terminate()
{
    m_endRequested = true;
    m_retryDiscovery.stop();
    if (m_recorder && m_recorder->recording())
        m_recorder->acStopExecute();
    // Before the event loop runs (a signal during start-up) quitting it does nothing; main
    // looks at endRequested() then.
    QCoreApplication::quit();
}
