// Presenting a recording: what the CallRecorder reports becomes the tray's animation, the
// trace and the status bar.
#include "RecordingControl.h"

#include "MainActions.h"
#include "TfmOrv.h"
#include "TraceView.h"
#include "TrayController.h"
#include "recording/CallRecorder.h"

#include <QAction>

RecordingControl::RecordingControl(TfmOrv &window, CallRecorder &recorder)
    : m_window(window), m_recorder(recorder)
{
    m_recorder.onDisplayBlock = [this](std::span<const std::uint8_t> samples) {
        m_window.trace().DisplayData(samples);
    };
    // The developer switch is the window's (Alt+6); the recorder clears it when it fails.
    connect(&m_recorder, &CallRecorder::preparing, this,
            [this] { m_recorder.Redirection = m_window.Redirection; });
    const auto takeBackRedirection = [this] { m_window.Redirection = m_recorder.Redirection; };
    connect(&m_recorder, &CallRecorder::startFailed, this, takeBackRedirection);
    connect(&m_recorder, &CallRecorder::started, this, [this, takeBackRedirection] {
        takeBackRedirection();
        m_window.tray().startAnimation();
    });
    connect(&m_recorder, &CallRecorder::elapsed, this,
            [this](const QString &text) { m_window.setStatusText(0, text); });
    connect(&m_recorder, &CallRecorder::stopping, this, [this] {
        m_window.trace().ClearTrace();
        m_window.tray().stopAnimation();
        m_window.tray().setModemIcon(true);
    });

    MainActions &a = m_window.actions();
    connect(a.acRecord, &QAction::triggered, this, &RecordingControl::acRecordExecute);
    connect(a.acStop, &QAction::triggered, this, &RecordingControl::acStopExecute);
    m_window.isRecording = [this] { return recording(); };
    // The window closes during a call: the call is kept and ends as "program closed".
    m_window.stopRecording = [this] { m_recorder.stopForClosing(); };
}

RecordingControl::~RecordingControl()
{
    m_recorder.disconnect(this);
    m_recorder.onDisplayBlock = nullptr;
    m_window.isRecording = nullptr;
    m_window.stopRecording = nullptr;
}

bool RecordingControl::recording() const
{
    return m_recorder.recording();
}

void RecordingControl::acRecordExecute()
{
    m_recorder.acRecordExecute();
}

void RecordingControl::acStopExecute()
{
    m_recorder.acStopExecute();
}
