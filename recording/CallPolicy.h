// Whether a call becomes a recording. A call always wins: with automatic recording on, a call
// the modem reports answered is recorded whatever the windows show; a playback carries on and
// ends with the recording's Stop. Both programs decide here, on the modem's own signal.
// A rule that never records the caller is decided when the caller ID arrives and checked when
// the call is answered, before anything is written: no recording is started for that call.
// The decision stays with the call: RINGs that follow after its ringing seemed to end (a ring
// span shorter than the line's cadence) belong to the same call and change nothing.
#pragma once

#include "callers/CallFiling.h"

#include <QObject>
#include <optional>

class CallRecorder;
class EventLog;
class TfmModem;
struct Preferences;

class CallPolicy final : public QObject
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(CallPolicy)

public:
    // The collaborators must outlive this object; the preferences are read at each call.
    // filing may be null: then every answered call is recorded.
    CallPolicy(TfmModem &modem, const Preferences &prefs, CallRecorder &recorder, EventLog &log,
               CallFiling *filing = nullptr, QObject *parent = nullptr);

    // Takes the modem's start request, if any, and starts the recording it asks for. Runs on
    // its own from the event loop after the modem raised the request; true when a recording
    // was started.
    bool takeStartRequest();

private:
    // The rules' decision for one call of the modem's, and whether the call was skipped.
    struct CallDecision
    {
        quint64 call = 0;
        CallFiling::Decision decision;
        bool skipped = false;
    };

    void callerIdArrived(const QString &callerText);
    // The rules' decision for the call now answered: the one made when its caller ID came or
    // when it was answered before, or, without either, one made now.
    CallDecision &decisionForAnsweredCall();
    void skipCall(CallDecision &call);

    TfmModem &m_modem;
    const Preferences &m_prefs;
    CallRecorder &m_recorder;
    EventLog &m_log;
    CallFiling *m_filing;
    std::optional<CallDecision> m_call; // of the modem's latest call
};
