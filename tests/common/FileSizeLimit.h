// A full disk, imitated: while this object lives, no file of the process may grow beyond the
// limit (which holds for root too), and writes past it fail instead of raising SIGXFSZ.
#pragma once

#include <csignal>
#include <sys/resource.h>

class FileSizeLimit
{
public:
    explicit FileSizeLimit(rlim_t bytes)
    {
        m_set = ::getrlimit(RLIMIT_FSIZE, &m_old) == 0;
        m_handler = std::signal(SIGXFSZ, SIG_IGN);
        rlimit small = m_old;
        small.rlim_cur = bytes;
        m_set = m_set && ::setrlimit(RLIMIT_FSIZE, &small) == 0;
    }
    ~FileSizeLimit()
    {
        ::setrlimit(RLIMIT_FSIZE, &m_old);
        std::signal(SIGXFSZ, m_handler);
    }
    FileSizeLimit(const FileSizeLimit &) = delete;
    FileSizeLimit &operator=(const FileSizeLimit &) = delete;

    // False when the limit could not be set; the test cannot show anything then.
    bool active() const { return m_set; }

private:
    rlimit m_old{};
    void (*m_handler)(int) = SIG_DFL;
    bool m_set = false;
};
