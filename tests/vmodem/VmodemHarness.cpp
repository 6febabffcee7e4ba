// The pseudo-terminal harness shared by the virtual modem's program tests.
#include "VmodemHarness.h"

#include <QElapsedTimer>

#include <cerrno>
#include <fcntl.h>
#include <poll.h>
#include <termios.h>
#include <unistd.h>

QString vmodemProgram()
{
    return qEnvironmentVariable("CALVORA_BIN_DIR") + "/calvora-vmodem";
}

VmodemHarness::~VmodemHarness()
{
    closePort();
    if (m_process.state() != QProcess::NotRunning) {
        m_process.terminate();
        if (!m_process.waitForFinished(10000))
            m_process.kill();
        m_process.waitForFinished(5000);
    }
}

bool VmodemHarness::start(const QStringList &arguments)
{
    m_process.start(vmodemProgram(), arguments);
    if (!m_process.waitForStarted(10000))
        return false;
    QElapsedTimer timer;
    timer.start();
    while (!m_process.canReadLine() && timer.elapsed() < 20000) {
        if (!m_process.waitForReadyRead(500) && m_process.state() == QProcess::NotRunning)
            return false;
    }
    if (!m_process.canReadLine())
        return false;
    m_path = m_process.readLine().trimmed().toStdString();
    return !m_path.empty();
}

bool VmodemHarness::openPort()
{
    m_fd = ::open(m_path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK);
    if (m_fd < 0)
        return false;
    termios t{};
    ::tcgetattr(m_fd, &t);
    ::cfmakeraw(&t);
    ::tcsetattr(m_fd, TCSANOW, &t);
    m_pending.clear();
    return true;
}

void VmodemHarness::closePort()
{
    if (m_fd >= 0)
        ::close(m_fd);
    m_fd = -1;
}

bool VmodemHarness::hungUp()
{
    pollfd p{m_fd, POLLIN, 0};
    if (m_fd < 0 || ::poll(&p, 1, 5000) <= 0)
        return false;
    char byte = 0;
    return (p.revents & POLLHUP) != 0 || ::read(m_fd, &byte, 1) <= 0;
}

void VmodemHarness::send(const std::string &bytes)
{
    std::size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t n = ::write(m_fd, bytes.data() + done, bytes.size() - done);
        if (n > 0) {
            done += static_cast<std::size_t>(n);
        } else if (n < 0 && (errno == EAGAIN || errno == EINTR)) {
            pollfd p{m_fd, POLLOUT, 0};
            ::poll(&p, 1, 100);
        } else {
            return;
        }
    }
}

std::string VmodemHarness::readUntil(const std::string &needle, std::chrono::milliseconds timeout)
{
    QElapsedTimer timer;
    timer.start();
    while (true) {
        const std::size_t at = m_pending.find(needle);
        if (at != std::string::npos) {
            std::string out = m_pending.substr(0, at + needle.size());
            m_pending.erase(0, at + needle.size());
            return out;
        }
        const qint64 left = timeout.count() - timer.elapsed();
        if (left <= 0 || m_fd < 0) {
            std::string out;
            out.swap(m_pending);
            return out;
        }
        pollfd p{m_fd, POLLIN, 0};
        if (::poll(&p, 1, static_cast<int>(std::min<qint64>(left, 100))) > 0 &&
            (p.revents & POLLIN)) {
            char buffer[4096];
            const ssize_t n = ::read(m_fd, buffer, sizeof buffer);
            if (n > 0)
                m_pending.append(buffer, static_cast<std::size_t>(n));
        }
    }
}

std::string VmodemHarness::readFor(std::chrono::milliseconds time)
{
    // at the time-out readUntil hands over everything it has read
    return readUntil(std::string(1, '\0') + "never-sent-by-the-modem", time);
}

std::string VmodemHarness::command(const std::string &line)
{
    send(line + "\r");
    std::string reply;
    QElapsedTimer timer;
    timer.start();
    while (timer.elapsed() < 10000) {
        reply += readUntil("\r\n", std::chrono::milliseconds(200));
        if (reply.find("\r\nOK\r\n") != std::string::npos ||
            reply.find("\r\nERROR\r\n") != std::string::npos)
            break;
    }
    return reply;
}

void VmodemHarness::inject(const std::string &steps)
{
    m_process.write(QByteArray::fromStdString(steps + "\n"));
    m_process.waitForBytesWritten(5000);
}

std::string VmodemHarness::log()
{
    m_log += m_process.readAllStandardError().toStdString();
    return m_log;
}

bool VmodemHarness::waitForLog(const std::string &text, std::chrono::milliseconds timeout)
{
    QElapsedTimer timer;
    timer.start();
    while (log().find(text) == std::string::npos) {
        if (timer.elapsed() > timeout.count())
            return false;
        m_process.waitForReadyRead(100);
    }
    return true;
}
