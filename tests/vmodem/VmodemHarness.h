// Starts calvora-vmodem and talks to it over its pseudo-terminal, as a host program would.
#pragma once

#include <QProcess>
#include <QStringList>

#include <chrono>
#include <string>

class VmodemHarness
{
public:
    VmodemHarness() = default;
    ~VmodemHarness();
    VmodemHarness(const VmodemHarness &) = delete;
    VmodemHarness &operator=(const VmodemHarness &) = delete;

    // Starts the program with the arguments and reads the terminal's path; false on failure.
    bool start(const QStringList &arguments);
    // Opens the terminal in raw mode; false on failure.
    bool openPort();
    void closePort();
    // True when the open port reports that the other side has gone.
    bool hungUp();

    void send(const std::string &bytes);
    // Reads until the received bytes contain needle or the time runs out; returns everything
    // read since the last call that was not yet returned, up to and including the needle.
    std::string readUntil(const std::string &needle,
                          std::chrono::milliseconds timeout = std::chrono::seconds(10));
    // Reads whatever arrives within the time.
    std::string readFor(std::chrono::milliseconds time);
    // Sends a command line and returns the reply up to the final OK or ERROR.
    std::string command(const std::string &line);

    // Writes script steps to the program's standard input.
    void inject(const std::string &steps);
    // The program's log so far (its standard error).
    std::string log();
    // Waits until the log holds the text.
    bool waitForLog(const std::string &text,
                    std::chrono::milliseconds timeout = std::chrono::seconds(10));

    const std::string &path() const { return m_path; }
    QProcess &process() { return m_process; }

private:
    QProcess m_process;
    std::string m_path;
    std::string m_pending; // received but not yet returned
    std::string m_log;
    int m_fd = -1;
};

// The program, from CALVORA_BIN_DIR.
QString vmodemProgram();
