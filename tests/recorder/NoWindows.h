// The start-up set-up of the recorder session without a window to show anything in.
#pragma once

#include "modem/discovery/DiscoveryWindow.h"
#include "modem/discovery/SetupTarget.h"

class NoWindows final : public SetupTarget, public DiscoveryWindow
{
public:
    void applyWindowSettings() override {}
    void resetCommandStates() override {}
    void setPortStatus(int, const QString &) override {}
    void showModal() override {}
};
