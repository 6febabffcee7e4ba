#include "RecorderWebPage.h"

#include "modem/TfmModem.h"
#include "recording/CallRecorder.h"
#include "recording/RecorderSession.h"
#include "support/SharedFiles.h"
#include "support/WebUrlFile.h"
#include "web/WebServer.h"

RecorderWebPage::RecorderWebPage(RecorderSession &session, QObject *parent)
    : QObject(parent), m_session(session),
      m_server(std::make_unique<WebServer>(session.catalogue(), &session.log(), session.dataDir(),
                                           SharedFiles::path(QStringLiteral("web"))))
{
    StatusFeed &status = m_server->status();
    status.modemOn = [&session] { return session.modem().PortOpen(); };
    status.recording = [&session] { return session.recorder().recording(); };
    connect(&session.modem(), &TfmModem::modemStateChanged, &status, &StatusFeed::changed);
    // The caller is the modem's for the call that starts, not the last caller-ID line seen: a
    // call that was not recorded must not lend its caller to the next one, which may have none.
    connect(&session.recorder(), &CallRecorder::started, &status, [&session, &status] {
        status.setCaller(session.modem().CallerText());
        status.recordingStarted();
    });
    connect(&session.recorder(), &CallRecorder::stopped, &status, &StatusFeed::recordingStopped);
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
