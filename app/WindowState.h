// Which of the main window's commands are enabled and which are down, as a function of the
// little that decides it: the modem, the recording, the playback and the list. It is computed
// afresh whenever one of them changes; nothing saves and restores enabled flags.
#pragma once

#include "recording/CallRecorder.h"

struct WindowState
{
    enum class Playback
    {
        Stopped,
        Playing,
        Paused
    };

    bool modemOpen = false;     // the modem's port is open
    bool voiceSupported = true; // the configured modem passed the voice check
    CallRecorder::Phase recording = CallRecorder::Phase::Idle;
    Playback playback = Playback::Stopped;
    bool hasRows = false;            // the recordings list shows at least one recording
    bool currentKept = false;        // the current recording is pinned
    bool diagnosticsRunning = false; // the diagnostics speak to the modem

    bool operator==(const WindowState &) const = default;
};

struct WindowCommands
{
    bool record = false, recordDown = false;
    bool play = false, playDown = false;
    bool pause = false, pauseDown = false;
    bool stop = false;
    bool rewindAndForward = false;
    bool positionBar = false;
    // "Volume level" and "Voice equalizer".
    bool postProcessing = false;
    bool settings = false;
    // The Modem submenu with On and Off, in the Options menu and the tray.
    bool modemSwitch = false, modemOnDown = false;
    bool diagnostics = false;
    bool reportProblem = false;
    // "Memo...", "Delete...", "Move to...", "Copy to folder...", search and e-mail.
    bool listCommands = false;
    // "Keep", checked when the current recording is kept.
    bool keep = false, keepDown = false;
    // "Preview clean-up...": not while a recording adds to the catalogue, nor while a recording
    // plays (it might be one that goes).
    bool previewCleanup = false;

    bool operator==(const WindowCommands &) const = default;
};

WindowCommands commandsFor(const WindowState &state);
