// Separates a voice modem's receive stream into audio and events. The modem shields every
// data byte 0x10 (DLE) as DLE DLE and reports events in band as DLE + one character
// ('b' busy tone, 'd' dial tone, 's' silence, digits for DTMF, ETX at the end of data).
#pragma once

#include <cstdint>
#include <string>
#include <vector>

class DleFilter
{
public:
    static constexpr uint8_t DLE = 0x10;
    static constexpr uint8_t ETX = 0x03;

    // Appends the audio bytes of data to audio and the event characters to events. A DLE
    // at the end of data waits for the next call's first byte.
    void feed(const uint8_t *data, std::size_t size, std::vector<uint8_t> &audio,
              std::string &events);

    void reset() { m_pendingDle = false; }

private:
    bool m_pendingDle = false;
};

// A readable name for an event character, for the log ("busy tone", "DTMF 5", ...).
std::string dleEventName(char event);

// The events that mean the far end (or the handset) has gone: busy and dial tone, the modem's
// silence and quiet reports, a line current break (the handset put down) and a loop current
// interruption. The handset lifted ('H') is not among them: some modems send it as soon as the
// line is selected.
bool dleEventEndsCall(char event);
