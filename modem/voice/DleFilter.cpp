// DLE unshielding.
#include "DleFilter.h"

void DleFilter::feed(const uint8_t *data, std::size_t size, std::vector<uint8_t> &audio,
                     std::string &events)
{
    audio.reserve(audio.size() + size);
    for (std::size_t i = 0; i < size; ++i) {
        const uint8_t byte = data[i];
        if (m_pendingDle) {
            m_pendingDle = false;
            if (byte == DLE)
                audio.push_back(DLE);
            else
                events.push_back(static_cast<char>(byte));
        } else if (byte == DLE) {
            m_pendingDle = true;
        } else {
            audio.push_back(byte);
        }
    }
}

std::string dleEventName(char event)
{
    switch (event) {
    case 'b':
        return "busy tone";
    case 'd':
        return "dial tone";
    case 's':
        return "silence";
    case 'q':
        return "quiet after voice";
    case 'c':
        return "fax calling tone";
    case 'e':
        return "data calling tone";
    case 'a':
    case 'f':
        return "answer tone";
    case 'h':
        return "line current break";
    case 'H':
        return "handset off hook";
    case 'l':
        return "loop current interruption";
    case 'p':
    case 'P':
        return "line voltage change";
    case 'r':
        return "ringback";
    case 'R':
        return "ring";
    case 'J':
        return "SIT tone";
    case 'o':
        return "receive overrun";
    case 'u':
        return "underrun";
    case DleFilter::ETX:
        return "end of data";
    default:
        break;
    }
    if ((event >= '0' && event <= '9') || event == '*' || event == '#' ||
        (event >= 'A' && event <= 'D'))
        return std::string("DTMF ") + event;
    return "code 0x" + std::string(1, "0123456789ABCDEF"[(event >> 4) & 0xF]) +
           std::string(1, "0123456789ABCDEF"[event & 0xF]);
}

bool dleEventEndsCall(char event)
{
    switch (event) {
    case 'b':
    case 'd':
    case 's':
    case 'q':
    case 'h':
    case 'l':
        return true;
    default:
        return false;
    }
}
