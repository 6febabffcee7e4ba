// The window side of recording: the Record and Stop actions, the controls that wait while a
// recording runs, the tray animation, the trace and the elapsed time in the status bar. The
// recording itself is the CallRecorder's.
#pragma once

#include "recording/CallRecorder.h"

#include <QHash>
#include <QObject>

struct AppContext;
class Catalogue;
class QAction;
class TfmModem;
class TfmOrv;

class RecordingControl final : public QObject
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(RecordingControl)

public:
    RecordingControl(AppContext &context, TfmOrv &window, TfmModem &modem, Catalogue &catalogue);
    ~RecordingControl() override;

    void acRecordExecute();
    // The recording half of Stop; nothing happens unless a recording runs.
    void acStopExecute();
    bool recording() const { return m_recorder.recording(); }
    void recoverInterruptedRecording() { m_recorder.recoverInterruptedRecording(); }
    QString RecordFileName() const { return m_recorder.RecordFileName(); }
    ModemWatchdog &watchdog() { return m_recorder.watchdog(); }
    CallRecorder &recorder() { return m_recorder; }

private:
    void disableControlsForRecording();
    void ResetRecordControls();

    AppContext &m_ctx;
    TfmOrv &m_window;
    CallRecorder m_recorder;
    QHash<QAction *, bool> m_savedStates;
};
