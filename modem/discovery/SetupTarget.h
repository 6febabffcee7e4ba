// What the start-up set-up changes in the main window; the main window implements it.
#pragma once

#include <QString>

class SetupTarget
{
public:
    virtual ~SetupTarget() = default;
    // Whether the user can start a recording.
    virtual void setRecordEnabled(bool enabled) = 0;
    // Volume slider, list and tree fonts, folder pane width and column widths from orv.ini.
    virtual void applyWindowSettings() = 0;
    // Playback and catalogue commands in their idle state: rewind and fast forward off; the
    // first recording current when there is one, with the commands that need one enabled.
    virtual void resetCommandStates() = 0;
    // The status bar's " COM PORT n" and " <model>" panels.
    virtual void setPortStatus(int port, const QString &model) = 0;
};
