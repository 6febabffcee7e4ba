// The window side of recording: the Record and Stop commands, the tray animation, the trace
// and the elapsed time in the status bar. The recording itself is the CallRecorder's; which
// commands it leaves enabled follows from its phase (see WindowState).
#pragma once

#include <QObject>

class CallRecorder;
class TfmOrv;

class RecordingControl final : public QObject
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(RecordingControl)

public:
    // The recorder must outlive this object.
    RecordingControl(TfmOrv &window, CallRecorder &recorder);
    ~RecordingControl() override;

    void acRecordExecute();
    // The recording half of Stop; nothing happens unless a recording runs.
    void acStopExecute();
    bool recording() const;

private:
    TfmOrv &m_window;
    CallRecorder &m_recorder;
};
