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
    m_call = CallDecision{m_modem.callNumber(),
                          m_filing->decide(callerText, QDateTime::currentDateTime())};
    const CallFiling::Decision &decision = m_call->decision;
    if (decision.neverRecord)
        m_log.appendLine(QStringLiteral("Rule %1 never records %2: this call will not be recorded")
                             .arg(decision.rule + 1)
                             .arg(decision.callerText()));
}

CallPolicy::CallDecision &CallPolicy::decisionForAnsweredCall()
{
    const quint64 call = m_modem.callNumber();
    if (!m_call || m_call->call != call)
        m_call = CallDecision{call,
                              m_filing->decide(m_modem.CallerText(), QDateTime::currentDateTime())};
    return *m_call;
}

// Nothing is opened, sent or written: the modem only waits for the next call. The caller stays
// the modem's, so that a recording the user starts by hand still names it. A call that rings
// on after it was skipped stays skipped without a word more.
void CallPolicy::skipCall(CallDecision &call)
{
    const CallFiling::Decision &decision = call.decision;
    if (!call.skipped)
        m_log.appendLine(QStringLiteral("A rule skipped the call of %1 (rule %2: %3); nothing "
                                        "was recorded")
                             .arg(decision.callerText().isEmpty()
                                      ? QStringLiteral("an unknown caller")
                                      : decision.callerText())
                             .arg(decision.rule + 1)
                             .arg(decision.ruleText));
    call.skipped = true;
    m_modem.setAutoCall(false);
    m_modem.EnableAutoRecord();
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
    if (!m_filing)
        return m_recorder.acRecordExecute();
    CallDecision &call = decisionForAnsweredCall();
    if (call.decision.neverRecord) {
        skipCall(call);
        return false;
    }
    // A copy: the recording's start runs the event loop, and with it the next call's caller ID.
    const CallFiling::Decision decision = call.decision;
    return m_recorder.recordAnsweredCall(decision);
}
