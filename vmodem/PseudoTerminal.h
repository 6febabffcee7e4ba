// The pseudo-terminal the host sees as the modem's serial port.
#pragma once

#include <optional>
#include <string>

namespace vmodem {

// Owns the master side. The slave is set to raw mode once and then left to the host; whether
// the host has it open is read from the master's hang-up state.
class PseudoTerminal final
{
public:
    PseudoTerminal() = default;
    ~PseudoTerminal();
    PseudoTerminal(const PseudoTerminal &) = delete;
    PseudoTerminal &operator=(const PseudoTerminal &) = delete;

    bool open(std::string &error);
    void close();

    int masterFd() const { return m_master; }
    const std::string &slavePath() const { return m_slavePath; }

    // True while some process has the slave open.
    bool hostHasOpen() const;
    // Drops whatever the host has not read yet (so a reopened port starts clean).
    void discardUnread();

    // Makes path a symbolic link to the slave; an existing symbolic link is replaced, any
    // other file is left alone and reported.
    bool createLink(const std::string &path, std::string &error);
    void removeLink();

private:
    int m_master = -1;
    std::string m_slavePath;
    std::string m_link;
};

} // namespace vmodem
