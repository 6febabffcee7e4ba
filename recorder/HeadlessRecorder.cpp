#include "HeadlessRecorder.h"

#include "JournalStream.h"

#include "config/ModemState.h"
#include "modem/discovery/ModemDiscovery.h"
#include "recording/CallRecorder.h"
#include "support/TerminationSignals.h"
#include "support/Waits.h"

#include <QCoreApplication>
#include <cstdio>

namespace {

RecorderSession::Options sessionOptions(DemoModem *demo)
{
    RecorderSession::Options options;
    options.demo = demo;
    return options;
}
} // namespace

HeadlessRecorder::HeadlessRecorder(const QString &dataDir, DemoModem *demo)
    : m_session(dataDir, m_messages, sessionOptions(demo))
{
    // The session shows nothing before it is opened, after this.
    m_messages.writeLine = [](const QString &line, MessageService::Kind kind) {
        using JournalStream::Priority;
        JournalStream::print(kind == MessageService::Kind::Error     ? Priority::Error
                             : kind == MessageService::Kind::Warning ? Priority::Warning
                                                                     : Priority::Info,
                             line);
    };
    // One line each, so that the system journal keeps what the recorder did.
    connect(&m_session.log(), &EventLog::lineAppended, this, [](const QString &line) {
        JournalStream::print(JournalStream::priorityOfLogLine(line), line);
    });
    m_signals = std::make_unique<TerminationSignals>();
    connect(m_signals.get(), &TerminationSignals::terminationRequested, this,
            [this](int, int signalNumber) { terminate(signalNumber); });
    m_retryDiscovery.setInterval(RetryDiscoveryMs);
    connect(&m_retryDiscovery, &QTimer::timeout, this, &HeadlessRecorder::bringModemOnLine);
}

HeadlessRecorder::~HeadlessRecorder()
{
    if (m_session.recorder().recording())
        m_session.recorder().stopForClosing();
    try {
        m_session.log().save();
    } catch (const std::exception &e) {
        JournalStream::print(JournalStream::Priority::Error, QString::fromStdString(e.what()));
    }
}

void HeadlessRecorder::start()
{
    m_session.open();
    bringModemOnLine();
}

void HeadlessRecorder::bringModemOnLine()
{
    m_retryDiscovery.stop();
    if (m_endRequested)
        return;
    m_session.bringModemOnLine(*this, *this);
    if (!ModemState::configured(m_session.ini())) {
        m_session.log().appendLine(QStringLiteral("No modem found; searching again in a minute"));
        m_retryDiscovery.start();
    }
}

void HeadlessRecorder::showModal()
{
    m_session.discovery().confirmFirst();
}

// A call in progress is stopped, kept and catalogued before the program ends.
void HeadlessRecorder::terminate(int signalNumber)
{
    m_endRequested = true;
    Waits::setEnding(true);
    m_retryDiscovery.stop();
    const RecordingEnd end{EndReason::Signalled, TerminationSignals::signalName(signalNumber)};
    m_session.recorder().setClosingReason(end);
    if (m_session.recorder().recording())
        m_session.recorder().stopFor(end);
    // Before the event loop runs (a signal during start-up) quitting it does nothing; main
    // looks at endRequested() then.
    QCoreApplication::quit();
}
