#include "CallPolicy.h"

#include "CallRecorder.h"
#include "config/Preferences.h"
#include "modem/TfmModem.h"
#include "support/EventLog.h"

CallPolicy::CallPolicy(TfmModem &modem, const Preferences &prefs, CallRecorder &recorder,
                       EventLog &log, CallFiling *filing, QObject *parent)
    : QObject(parent), m_modem(modem), m_prefs(prefs), m_recorder(recorder), m_log(log),
      m_filing(filing)
{
    // Queued: the request is raised inside the modem's data handler, and a recording's start
    // waits on the modem with the event loop running, which must not happen in there.
    connect(&m_modem, &TfmModem::startRecordRequested, this, &CallPolicy::takeStartRequest,
            Qt::QueuedConnection);
    connect(&m_modem, &TfmModem::callerIdShown, this, &CallPolicy::callerIdArrived);
}

void CallPolicy::callerIdArrived(const QString &callerText)
{
    if (!m_filing)
        return;
    m_ringing = m_filing->decide(callerText, QDateTime::currentDateTime());
    if (m_ringing->neverRecord)
        m_log.appendLine(QStringLiteral("Rule %1 never records %2: this call will not be recorded")
                             .arg(m_ringing->rule + 1)
                             .arg(m_ringing->callerText()));
}

CallFiling::Decision CallPolicy::decisionForAnsweredCall()
{
    std::optional<CallFiling::Decision> ringing;
    ringing.swap(m_ringing);
    // The decision belongs to this call only when its caller ID is still the modem's.
    if (ringing && ringing->number == m_modem.CallerText())
        return *ringing;
    return m_filing->decide(m_modem.CallerText(), QDateTime::currentDateTime());
}

// Nothing is opened, sent or written: the modem only waits for the next call. The caller stays
// the modem's, so that a recording the user starts by hand still names it.
void CallPolicy::skipCall(const CallFiling::Decision &decision)
{
    m_log.appendLine(QStringLiteral("A rule skipped the call of %1 (rule %2: %3); nothing was "
                                    "recorded")
                         .arg(decision.callerText().isEmpty() ? QStringLiteral("an unknown caller")
                                                              : decision.callerText())
                         .arg(decision.rule + 1)
                         .arg(decision.ruleText));
    m_modem.setAutoCall(false);
    m_modem.EnableAutoRecord();
}

bool CallPolicy::takeStartRequest()
{
    if (!m_modem.StartRecordRequest())
        return false;
    m_modem.setStartRecordRequest(false);
    if (!m_prefs.AutoRecord) {
        m_ringing.reset();
        return false;
    }
    if (m_recorder.phase() != CallRecorder::Phase::Idle) {
        m_ringing.reset();
        m_log.appendLine(QStringLiteral("A call was answered while a recording runs"));
        return false;
    }
    if (!m_filing)
        return m_recorder.acRecordExecute();
    const CallFiling::Decision decision = decisionForAnsweredCall();
    if (decision.neverRecord) {
        skipCall(decision);
        return false;
    }
    return m_recorder.recordAnsweredCall(decision);
}
