// The "Modem initialization" window as the start-up set-up sees it: shown modally after a
// search found at least one candidate, closed when a modem was confirmed.
#pragma once

class DiscoveryWindow
{
public:
    virtual ~DiscoveryWindow() = default;
    // Shows the candidates and returns once the window has closed.
    virtual void showModal() = 0;
};
