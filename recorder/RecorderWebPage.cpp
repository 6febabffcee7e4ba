#include "RecorderWebPage.h"

#include "modem/TfmModem.h"
#include "recording/CallRecorder.h"
#include "recording/RecorderSession.h"
#include "support/SharedFiles.h"
#include "support/WebUrlFile.h"
#include "web/WebServer.h"

namespace {

// The status line's state, read from the recorder and its modem at one moment.
StatusFeed::State statusOf(const TfmModem &modem, const CallRecorder &recorder)
{
    using Phase = CallRecorder::Phase;
    StatusFeed::State s;
    // A recording holds the modem from its preparation until it is armed again, also while
    // the port is closed and opened again around the stop; a port that cannot be opened again
    // ends that phase, and the modem shows off then.
    s.modemOn = modem.PortOpen() || recorder.phase() != Phase::Idle;
    // From the start of reception the call's filing (its caller) and start are settled.
    s.recording = recorder.phase() == Phase::Receiving || recorder.phase() == Phase::Stopping;
    if (s.recording) {
        const CallFiling::Decision &call = recorder.filing();
        // A call without caller ID is from no one in particular, not from "Unavailable".
        s.caller = call.number.isEmpty() ? QString() : call.callerText();
        s.started = recorder.recordStart();
    }
    return s;
}

} // namespace

RecorderWebPage::RecorderWebPage(RecorderSession &session, QObject *parent)
    : QObject(parent), m_session(session),
      m_server(std::make_unique<WebServer>(session.catalogue(), &session.log(), session.dataDir(),
                                           SharedFiles::path(QStringLiteral("web"))))
{
    StatusFeed &status = m_server->status();
    status.state = [&session] { return statusOf(session.modem(), session.recorder()); };
    connect(&session.modem(), &TfmModem::modemStateChanged, &status, &StatusFeed::changed);
    connect(&session.recorder(), &CallRecorder::phaseChanged, &status, &StatusFeed::changed);
}

RecorderWebPage::~RecorderWebPage()
{
    WebUrlFile::remove(m_session.dataDir());
}

bool RecorderWebPage::start(const ListenAddress &address, const QString &tlsCert,
                            const QString &tlsKey, QString &error)
{
    if (!m_server->start(address, tlsCert, tlsKey, error))
        return false;
    WebUrlFile::write(m_session.dataDir(), m_server->url());
    return true;
}
