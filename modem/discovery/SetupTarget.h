// What the start-up set-up changes in the main window; the main window implements it.
#pragma once

#include <QString>

class SetupTarget
{
public:
    virtual ~SetupTarget() = default;
    // Volume slider, list and tree fonts, folder pane width and column widths from orv.ini.
    virtual void applyWindowSettings() = 0;
    // The first recording current when there is one; the commands follow the voice support
    // just read (Record only with a voice modem whose port is open).
    virtual void resetCommandStates() = 0;
    // The status bar's " COM PORT n" and " <model>" panels.
    virtual void setPortStatus(int port, const QString &model) = 0;
};
