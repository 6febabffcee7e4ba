#include "WindowState.h"

WindowCommands commandsFor(const WindowState &s)
{
    using Phase = CallRecorder::Phase;
    using Playback = WindowState::Playback;
    // From Record to the modem's re-arming after Stop the modem belongs to the recording:
    // nothing else may speak to it, and playback cannot start.
    const bool recording = s.recording != Phase::Idle;
    const bool playing = s.playback != Playback::Stopped;
    const bool modemFree = !recording && !s.diagnosticsRunning;

    WindowCommands c;
    c.record = s.modemOpen && s.voiceSupported && !recording && !playing;
    c.recordDown = recording;
    c.play = s.hasRows && !recording;
    c.playDown = s.playback == Playback::Playing;
    c.pause = s.hasRows && !recording;
    c.pauseDown = s.playback == Playback::Paused;
    // Stop ends a recording once it receives, a playback at any time, and is otherwise there
    // whenever there is something to play.
    c.stop = s.recording == Phase::Receiving || playing || (s.hasRows && !recording);
    c.rewindAndForward = s.playback == Playback::Paused && !recording;
    c.positionBar = playing;
    c.postProcessing = s.hasRows && !playing && !recording;
    c.settings = modemFree;
    c.modemSwitch = modemFree;
    c.modemOnDown = s.modemOpen;
    c.diagnostics = modemFree;
    c.reportProblem = modemFree;
    c.listCommands = s.hasRows;
    c.keep = s.hasRows;
    c.keepDown = s.hasRows && s.currentKept;
    c.previewCleanup = !recording && !playing;
    return c;
}
