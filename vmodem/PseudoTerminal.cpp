// The pseudo-terminal: opening, raw mode, hang-up state and the symbolic link.
#include "vmodem/PseudoTerminal.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <poll.h>
#include <sys/stat.h>
#include <termios.h>
#include <unistd.h>

namespace vmodem {

PseudoTerminal::~PseudoTerminal()
{
    close();
}

bool PseudoTerminal::open(std::string &error)
{
    m_master = ::posix_openpt(O_RDWR | O_NOCTTY);
    if (m_master < 0 || ::grantpt(m_master) != 0 || ::unlockpt(m_master) != 0) {
        error = std::string("cannot create a pseudo-terminal: ") + std::strerror(errno);
        close();
        return false;
    }
    char name[128];
    if (::ptsname_r(m_master, name, sizeof name) != 0) {
        error = std::string("cannot name the pseudo-terminal: ") + std::strerror(errno);
        close();
        return false;
    }
    m_slavePath = name;
    // Raw mode on the slave, so that CR and LF pass untranslated whichever way they go. The
    // setting stays with the terminal after this descriptor closes.
    const int slave = ::open(name, O_RDWR | O_NOCTTY);
    if (slave < 0) {
        error = "cannot open " + m_slavePath + ": " + std::strerror(errno);
        close();
        return false;
    }
    termios t{};
    if (::tcgetattr(slave, &t) == 0) {
        ::cfmakeraw(&t);
        ::cfsetispeed(&t, B115200);
        ::cfsetospeed(&t, B115200);
        ::tcsetattr(slave, TCSANOW, &t);
    }
    ::close(slave);
    const int flags = ::fcntl(m_master, F_GETFL);
    ::fcntl(m_master, F_SETFL, flags | O_NONBLOCK);
    ::fcntl(m_master, F_SETFD, FD_CLOEXEC);
    return true;
}

void PseudoTerminal::close()
{
    removeLink();
    if (m_master >= 0)
        ::close(m_master);
    m_master = -1;
}

bool PseudoTerminal::hostHasOpen() const
{
    pollfd p{m_master, POLLIN, 0};
    if (::poll(&p, 1, 0) < 0)
        return false;
    return (p.revents & POLLHUP) == 0;
}

void PseudoTerminal::discardUnread()
{
    ::tcflush(m_master, TCIOFLUSH);
}

bool PseudoTerminal::createLink(const std::string &path, std::string &error)
{
    struct stat st
    {};
    if (::lstat(path.c_str(), &st) == 0) {
        if (!S_ISLNK(st.st_mode)) {
            error = path + " exists and is not a symbolic link; it is left alone";
            return false;
        }
        ::unlink(path.c_str());
    }
    if (::symlink(m_slavePath.c_str(), path.c_str()) != 0) {
        error = "cannot create the link " + path + ": " + std::strerror(errno);
        return false;
    }
    m_link = path;
    return true;
}

void PseudoTerminal::removeLink()
{
    if (m_link.empty())
        return;
    // Only our own link: another instance may have replaced it meanwhile.
    char target[256];
    const ssize_t n = ::readlink(m_link.c_str(), target, sizeof target - 1);
    if (n > 0 && std::string(target, static_cast<std::size_t>(n)) == m_slavePath)
        ::unlink(m_link.c_str());
    m_link.clear();
}

} // namespace vmodem
