// Presenting a recording: what the CallRecorder reports becomes enabled and disabled
// commands, the tray's animation, the trace and the status bar.
#include "RecordingControl.h"

#include "AppContext.h"
#include "MainActions.h"
#include "TfmOrv.h"
#include "TraceView.h"
#include "TransportPanel.h"
#include "TrayController.h"

#include <QAction>
#include <QMenu>
#include <QSlider>

RecordingControl::RecordingControl(AppContext &context, TfmOrv &window, TfmModem &modem,
                                   Catalogue &catalogue)
    : m_ctx(context), m_window(window),
      m_recorder(context.ini, context.prefs, context.ModemProfile, context.VoiceSupported,
                 context.log, context.messages, modem, catalogue)
{
    m_recorder.onDisplayBlock = [this](std::span<const std::uint8_t> samples) {
        m_window.trace().DisplayData(samples);
    };
    connect(&m_recorder, &CallRecorder::preparing, this, [this] {
        m_window.ListUpdatesEnabled = false;
        disableControlsForRecording();
    });
    connect(&m_recorder, &CallRecorder::startFailed, this, &RecordingControl::ResetRecordControls);
    connect(&m_recorder, &CallRecorder::started, this, [this] {
        m_window.actions().acStop->setEnabled(true);
        m_window.tray().startAnimation();
    });
    connect(&m_recorder, &CallRecorder::elapsed, this,
            [this](const QString &text) { m_window.setStatusText(0, text); });
    connect(&m_recorder, &CallRecorder::stopping, this, [this] {
        m_window.trace().ClearTrace();
        m_window.tray().stopAnimation();
        m_window.tray().setModemIcon(true);
    });
    connect(&m_recorder, &CallRecorder::stopped, this, [this] {
        ResetRecordControls();
        m_window.transport().positionBar()->setEnabled(false);
    });
    connect(&m_recorder, &CallRecorder::recordAvailable, &m_window, &TfmOrv::setRecordEnabled);

    MainActions &a = m_window.actions();
    connect(a.acRecord, &QAction::triggered, this, &RecordingControl::acRecordExecute);
    connect(a.acStop, &QAction::triggered, this, &RecordingControl::acStopExecute);
    m_window.isRecording = [this] { return recording(); };
    m_window.stopRecording = [this] { acStopExecute(); };
    m_window.startRecording = [this] { acRecordExecute(); };
}

RecordingControl::~RecordingControl()
{
    m_recorder.disconnect(this);
    if (recording())
        m_recorder.acStopExecute();
}

void RecordingControl::acRecordExecute()
{
    // The Record button stays down while the recording is prepared and runs.
    m_window.actions().acRecord->setChecked(true);
    m_recorder.Redirection = m_window.Redirection;
    m_recorder.acRecordExecute();
    m_window.Redirection = m_recorder.Redirection;
}

void RecordingControl::acStopExecute()
{
    m_recorder.acStopExecute();
}

void RecordingControl::disableControlsForRecording()
{
    MainActions &a = m_window.actions();
    m_savedStates.clear();
    for (QAction *action :
         {a.acRecord, a.acPlay, a.acPause, a.acRewind, a.acFF, a.acStop, a.mnLevel, a.mnEqualizer,
          a.acSettings, a.acModemOn, a.acModemOff, a.acDiagnostics, a.modemMenu->menuAction()}) {
        m_savedStates.insert(action, action->isEnabled());
        action->setEnabled(false);
    }
}

// Controls come back as they were before the recording, so that commands of features that
// are not available stay disabled; Rewind and Fast forward stay off until a pause.
void RecordingControl::ResetRecordControls()
{
    MainActions &a = m_window.actions();
    for (auto it = m_savedStates.cbegin(); it != m_savedStates.cend(); ++it)
        it.key()->setEnabled(it.value());
    m_savedStates.clear();
    a.acRecord->setChecked(false);
    a.acRewind->setEnabled(false);
    a.acFF->setEnabled(false);
    m_window.ListUpdatesEnabled = true;
}
