#include "PasswordPrompt.h"

#include <cstdio>
#include <string>
#include <termios.h>
#include <unistd.h>

namespace PasswordPrompt {

std::optional<QString> ask(const char *prompt)
{
    const bool terminal = isatty(STDIN_FILENO) == 1;
    termios saved{};
    if (terminal) {
        std::fprintf(stderr, "%s", prompt);
        std::fflush(stderr);
        tcgetattr(STDIN_FILENO, &saved);
        termios quiet = saved;
        quiet.c_lflag &= ~tcflag_t(ECHO);
        tcsetattr(STDIN_FILENO, TCSANOW, &quiet);
    }
    std::string line;
    bool ended = true;
    for (int c; (c = std::fgetc(stdin)) != EOF;) {
        ended = false;
        if (c == '\n')
            break;
        line.push_back(char(c));
    }
    if (terminal) {
        tcsetattr(STDIN_FILENO, TCSANOW, &saved);
        std::fprintf(stderr, "\n");
    }
    if (ended)
        return std::nullopt;
    if (!line.empty() && line.back() == '\r')
        line.pop_back();
    return QString::fromStdString(line);
}

} // namespace PasswordPrompt
