// Whether a call becomes a recording. A call always wins: with automatic recording on, a call
// the modem reports answered is recorded whatever the windows show; a playback carries on and
// ends with the recording's Stop. Both programs decide here, on the modem's own signal.
#pragma once

#include <QObject>

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
    CallPolicy(TfmModem &modem, const Preferences &prefs, CallRecorder &recorder, EventLog &log,
               QObject *parent = nullptr);

    // Takes the modem's start request, if any, and starts the recording it asks for. Runs on
    // its own from the event loop after the modem raised the request; true when a recording
    // was started.
    bool takeStartRequest();

private:
    TfmModem &m_modem;
    const Preferences &m_prefs;
    CallRecorder &m_recorder;
    EventLog &m_log;
};
