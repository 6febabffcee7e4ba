// The command half of a V.253 voice modem: one command line in, the framed reply out.
#pragma once

#include "vmodem/Compression.h"
#include "vmodem/Profile.h"

#include <array>
#include <string>
#include <string_view>
#include <vector>

namespace vmodem {

struct AtResult
{
    enum class Action
    {
        None,
        Receive,
        Transmit
    };
    std::string bytes;              // framed information text and final result, for the host
    std::vector<std::string> lines; // the same without framing, for the log
    Action action = Action::None;
};

// Holds the settings a modem keeps between commands (echo, class, caller ID, compression,
// gains, S-registers). Knows nothing of timing or the port.
class AtDialogue
{
public:
    explicit AtDialogue(const Profile &profile);

    // One command line without its carriage return, e.g. "at+vsm=128,8000".
    AtResult handle(std::string_view commandLine);

    void reset(); // ATZ: echo on, data class, caller ID off, default compression

    bool echo() const { return m_echo; }
    int callerIdMode() const { return m_callerId; } // 0 off, 1 formatted, 2 unformatted
    const Compression *compression() const;         // the one AT+VSM selected, or null
    int rate() const { return m_rate; }
    const std::vector<Compression> &compressions() const { return m_compressions; }

private:
    AtResult handleBuiltin(const std::string &command); // command after "AT", canonical
    AtResult handleVoice(const std::string &command);
    AtResult selectCompression(const std::string &args);

    const Profile &m_profile;
    std::vector<Compression> m_compressions;
    bool m_echo = true;
    int m_class = 0;
    int m_callerId = 0;
    int m_compression = -1; // index into m_compressions
    int m_rate = 8000;
    int m_lineSelect = 0;
    int m_receiveGain = 128;
    int m_transmitGain = 128;
    std::array<int, 256> m_registers{};
};

// "\r\n<text>\r\n" framing of information text followed by the final result code.
std::string frameReply(const std::vector<std::string> &text, std::string_view final);

} // namespace vmodem
