#include "CallPolicy.h"

#include "CallRecorder.h"
#include "config/Preferences.h"
#include "modem/TfmModem.h"
#include "support/EventLog.h"

CallPolicy::CallPolicy(TfmModem &modem, const Preferences &prefs, CallRecorder &recorder,
                       EventLog &log, QObject *parent)
    : QObject(parent), m_modem(modem), m_prefs(prefs), m_recorder(recorder), m_log(log)
{
    // Queued: the request is raised inside the modem's data handler, and a recording's start
    // waits on the modem with the event loop running, which must not happen in there.
    connect(&m_modem, &TfmModem::startRecordRequested, this, &CallPolicy::takeStartRequest,
            Qt::QueuedConnection);
}

bool CallPolicy::takeStartRequest()
{
    if (!m_modem.StartRecordRequest())
        return false;
    m_modem.setStartRecordRequest(false);
    if (!m_prefs.AutoRecord)
        return false;
    if (m_recorder.phase() != CallRecorder::Phase::Idle) {
        m_log.appendLine(QStringLiteral("A call was answered while a recording runs"));
        return false;
    }
    return m_recorder.acRecordExecute();
}
