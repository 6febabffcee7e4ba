// Which commands the window offers, as a function of the modem, the recording, the playback
// and the list, including the moments where a recording and a playback overlap.
#include "app/WindowState.h"

#include <gtest/gtest.h>

namespace {

using Phase = CallRecorder::Phase;
using Playback = WindowState::Playback;

WindowState idle()
{
    WindowState s;
    s.modemOpen = true;
    s.voiceSupported = true;
    s.hasRows = true;
    return s;
}

struct Case
{
    const char *name;
    WindowState state;
    // record, play, pause, stop, rewind/ff, post-processing, settings, report a problem
    bool record, play, pause, stop, seek, tools, settings, report;
    bool recordDown, playDown, pauseDown;
};

WindowState with(Phase recording, Playback playback, bool hasRows = true, bool open = true)
{
    WindowState s = idle();
    s.recording = recording;
    s.playback = playback;
    s.hasRows = hasRows;
    s.modemOpen = open;
    return s;
}

TEST(WindowStateTest, CommandsFollowTheModemTheRecordingThePlaybackAndTheList)
{
    WindowState noVoice = idle();
    noVoice.voiceSupported = false;
    WindowState diagnostics = idle();
    diagnostics.diagnosticsRunning = true;

    const Case cases[] = {
        // name, state, record play pause stop seek tools settings report, down: rec play pause
        {"idle", idle(), 1, 1, 1, 1, 0, 1, 1, 1, 0, 0, 0},
        {"empty list", with(Phase::Idle, Playback::Stopped, false), 1, 0, 0, 0, 0, 0, 1, 1, 0, 0,
         0},
        {"modem off", with(Phase::Idle, Playback::Stopped, true, false), 0, 1, 1, 1, 0, 1, 1, 1, 0,
         0, 0},
        {"no voice", noVoice, 0, 1, 1, 1, 0, 1, 1, 1, 0, 0, 0},
        {"diagnostics", diagnostics, 1, 1, 1, 1, 0, 1, 0, 0, 0, 0, 0},
        {"playing", with(Phase::Idle, Playback::Playing), 0, 1, 1, 1, 0, 0, 1, 1, 0, 1, 0},
        {"paused", with(Phase::Idle, Playback::Paused), 0, 1, 1, 1, 1, 0, 1, 1, 0, 0, 1},
        {"preparing", with(Phase::Preparing, Playback::Stopped), 0, 0, 0, 0, 0, 0, 0, 0, 1, 0, 0},
        {"receiving", with(Phase::Receiving, Playback::Stopped), 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0},
        {"stopping", with(Phase::Stopping, Playback::Stopped), 0, 0, 0, 0, 0, 0, 0, 0, 1, 0, 0},
        // A call answered during a playback: both run until one ends.
        {"call during playback", with(Phase::Receiving, Playback::Playing), 0, 0, 0, 1, 0, 0, 0, 0,
         1, 1, 0},
        {"call during a pause", with(Phase::Receiving, Playback::Paused), 0, 0, 0, 1, 0, 0, 0, 0, 1,
         0, 1},
        // The playback ended first: the call still holds the modem.
        {"playback ended during the call", with(Phase::Receiving, Playback::Stopped), 0, 0, 0, 1, 0,
         0, 0, 0, 1, 0, 0},
        // The call ended first while its Stop re-arms the modem.
        {"call stopping during playback", with(Phase::Stopping, Playback::Playing), 0, 0, 0, 1, 0,
         0, 0, 0, 1, 1, 0},
        // Settings closed during a playback: the modem is back, the playback still runs.
        {"settings closed while playing", with(Phase::Idle, Playback::Playing), 0, 1, 1, 1, 0, 0, 1,
         1, 0, 1, 0},
        {"settings closed while paused", with(Phase::Idle, Playback::Paused), 0, 1, 1, 1, 1, 0, 1,
         1, 0, 0, 1},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        const WindowCommands w = commandsFor(c.state);
        EXPECT_EQ(w.record, c.record);
        EXPECT_EQ(w.play, c.play);
        EXPECT_EQ(w.pause, c.pause);
        EXPECT_EQ(w.stop, c.stop);
        EXPECT_EQ(w.rewindAndForward, c.seek);
        EXPECT_EQ(w.postProcessing, c.tools);
        EXPECT_EQ(w.settings, c.settings);
        EXPECT_EQ(w.modemSwitch, c.settings) << "the Modem menu goes with Settings";
        EXPECT_EQ(w.diagnostics, c.settings);
        EXPECT_EQ(w.reportProblem, c.report);
        EXPECT_EQ(w.recordDown, c.recordDown);
        EXPECT_EQ(w.playDown, c.playDown);
        EXPECT_EQ(w.pauseDown, c.pauseDown);
        EXPECT_EQ(w.positionBar, c.state.playback != Playback::Stopped);
        EXPECT_EQ(w.listCommands, c.state.hasRows);
        EXPECT_EQ(w.modemOnDown, c.state.modemOpen);
        EXPECT_EQ(w.keep, c.state.hasRows);
        EXPECT_FALSE(w.keepDown) << "no recording is kept in these cases";
        EXPECT_EQ(w.previewCleanup,
                  c.state.recording == Phase::Idle && c.state.playback == Playback::Stopped);
    }
}

// "Keep" is checked exactly when the current recording is kept, and only with a list.
TEST(WindowStateTest, KeepShowsTheCurrentRecordingsPin)
{
    struct Case
    {
        bool hasRows, kept, keep, keepDown;
    };
    for (const Case &c : {Case{true, true, true, true}, Case{true, false, true, false},
                          Case{false, true, false, false}}) {
        WindowState s = idle();
        s.hasRows = c.hasRows;
        s.currentKept = c.kept;
        const WindowCommands w = commandsFor(s);
        EXPECT_EQ(w.keep, c.keep);
        EXPECT_EQ(w.keepDown, c.keepDown);
    }
}

} // namespace
