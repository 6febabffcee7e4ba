// calvora-vmodem: a virtual voice modem on a pseudo-terminal, for tests and the demo mode.
#include "vmodem/Profile.h"
#include "vmodem/PseudoTerminal.h"
#include "vmodem/ScriptStep.h"
#include "vmodem/VirtualModem.h"

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <fstream>
#include <iostream>
#include <poll.h>
#include <sstream>
#include <sys/signalfd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <optional>
#include <string>
#include <vector>

using namespace vmodem;

namespace {

constexpr const char *Usage =
    "usage: calvora-vmodem [--profile NAME|FILE] [--script \"STEP; STEP; ...\"]\n"
    "                      [--scenario NAME|FILE] [--voice SIGNAL|WAVFILE] [--speed N]\n"
    "                      [--pace N] [--link PATH] [--log FILE]\n"
    "       calvora-vmodem --help | --version\n"
    "Opens a pseudo-terminal that behaves like a V.253 voice modem and prints its path as the\n"
    "first line of standard output. Script steps are also read from standard input, one line\n"
    "at a time.\n"
    "Profiles shipped: voice (default), nocid, softmodem, rockwell, mixed, rate7200, zyxel,\n"
    "data, dead.\n"
    "Scenarios shipped: demo, demo-call, demo-loop, two-calls, private-call, caller-id-error.\n"
    "Steps: wait MS | waitfor TEXT | ring | cid KEY=VALUE|KEY=VALUE... |\n"
    "       call N CADENCE_MS [KEY=VALUE|...] [end=answered|gaveup] | raw TEXT |\n"
    "       voice SIGNAL|WAVFILE [MS] | event CHAR | repeat | exit\n"
    "Signals: silence speech busy busy-us dial dial425 ramp tone:HZ\n";

FILE *g_log = stderr;

void writeLog(const std::string &line)
{
    std::fputs(line.c_str(), g_log);
    std::fputc('\n', g_log);
    std::fflush(g_log);
}

std::string executableDir()
{
    char path[4096];
    const ssize_t n = ::readlink("/proc/self/exe", path, sizeof path - 1);
    if (n <= 0)
        return ".";
    std::string p(path, static_cast<std::size_t>(n));
    const std::size_t slash = p.rfind('/');
    return slash == std::string::npos ? "." : p.substr(0, slash);
}

bool isFile(const std::string &path)
{
    struct stat st
    {};
    return ::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

// A shipped file by its name: beside the program in a build tree, under share/calvora when
// installed. Empty when there is none.
std::string shippedFile(const std::string &folder, const std::string &name)
{
    for (const std::string &dir :
         {executableDir() + "/" + folder, executableDir() + "/../share/calvora/" + folder}) {
        if (isFile(dir + "/" + name))
            return dir + "/" + name;
    }
    return {};
}

std::optional<Profile> findProfile(const std::string &nameOrFile, std::string &error)
{
    if (nameOrFile.find('/') != std::string::npos || isFile(nameOrFile))
        return Profile::load(nameOrFile, error);
    const std::string shipped = shippedFile("vmodem-profiles", nameOrFile + ".profile");
    if (shipped.empty()) {
        error = "no profile named \"" + nameOrFile + "\" (looked in " + executableDir() +
                "/vmodem-profiles and " + executableDir() + "/../share/calvora/vmodem-profiles)";
        return std::nullopt;
    }
    return Profile::load(shipped, error);
}

// A scenario file, or the name of a shipped one.
std::string scenarioPath(const std::string &nameOrFile)
{
    if (nameOrFile.find('/') != std::string::npos || isFile(nameOrFile))
        return nameOrFile;
    const std::string shipped = shippedFile("vmodem-scenarios", nameOrFile + ".scenario");
    return shipped.empty() ? nameOrFile : shipped;
}

std::optional<std::string> readTextFile(const std::string &path, std::string &error)
{
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        error = "cannot open " + path;
        return std::nullopt;
    }
    std::ostringstream s;
    s << in.rdbuf();
    if (s.str().size() > (1u << 20)) {
        error = path + " is larger than 1 MiB";
        return std::nullopt;
    }
    return s.str();
}

// Writes what the modem has for the host, as much as the terminal takes now.
void drainOutput(VirtualModem &modem, int fd)
{
    while (!modem.output().empty()) {
        const ssize_t n = ::write(fd, modem.output().data(), modem.output().size());
        if (n > 0) {
            modem.consumeOutput(static_cast<std::size_t>(n));
            continue;
        }
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0 && errno != EAGAIN && errno != EWOULDBLOCK)
            modem.clearOutput(); // the host went away; the hang-up is noticed next round
        return;
    }
}

} // namespace

int main(int argc, char **argv)
{
    std::string profileName = "voice";
    std::string linkPath;
    std::string logPath;
    double speed = 1.0;
    double pace = 1.0;
    std::vector<std::pair<std::string, std::string>> sources; // in command-line order

    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        auto value = [&]() -> std::string {
            if (i + 1 >= argc) {
                std::cerr << "calvora-vmodem: " << arg << " needs a value\n" << Usage;
                std::exit(2);
            }
            return argv[++i];
        };
        if (arg == "--profile")
            profileName = value();
        else if (arg == "--script" || arg == "--scenario" || arg == "--voice")
            sources.emplace_back(arg, value());
        else if (arg == "--link")
            linkPath = value();
        else if (arg == "--log")
            logPath = value();
        else if (arg == "--speed" || arg == "--pace") {
            const std::string v = value();
            char *end = nullptr;
            const double factor = std::strtod(v.c_str(), &end);
            if (end == v.c_str() || *end != '\0' || !(factor > 0 && factor <= 1000)) {
                std::cerr << "calvora-vmodem: " << arg
                          << " takes a number above 0 and at most 1000\n"
                          << Usage;
                return 2;
            }
            (arg == "--speed" ? speed : pace) = factor;
        } else if (arg == "--help" || arg == "-h") {
            std::cout << Usage;
            return 0;
        } else if (arg == "--version") {
            std::cout << "calvora-vmodem " << CALVORA_VERSION << "\n";
            return 0;
        } else {
            std::cerr << "calvora-vmodem: unknown option " << arg << "\n" << Usage;
            return 2;
        }
    }

    if (!logPath.empty()) {
        g_log = std::fopen(logPath.c_str(), "w");
        if (!g_log) {
            std::cerr << "calvora-vmodem: cannot write " << logPath << "\n";
            return 2;
        }
    }

    std::string error;
    std::optional<Profile> profile = findProfile(profileName, error);
    if (!profile) {
        std::cerr << "calvora-vmodem: " << error << "\n";
        return 2;
    }
    std::vector<Step> steps;
    for (const auto &[option, text] : sources) {
        std::optional<std::vector<Step>> parsed;
        if (option == "--script") {
            parsed = parseScript(text, error);
        } else if (option == "--voice") {
            parsed = parseStep("voice " + text, error);
        } else {
            const std::optional<std::string> content = readTextFile(scenarioPath(text), error);
            if (content)
                parsed = parseScript(*content, error);
        }
        if (!parsed) {
            std::cerr << "calvora-vmodem: " << option << ": " << error << "\n";
            return 2;
        }
        steps.insert(steps.end(), parsed->begin(), parsed->end());
    }

    // Termination signals arrive through a descriptor, so the loop ends cleanly between steps.
    sigset_t signals;
    sigemptyset(&signals);
    sigaddset(&signals, SIGINT);
    sigaddset(&signals, SIGTERM);
    sigprocmask(SIG_BLOCK, &signals, nullptr);
    const int signalFd = ::signalfd(-1, &signals, SFD_CLOEXEC | SFD_NONBLOCK);
    std::signal(SIGPIPE, SIG_IGN);

    PseudoTerminal pty;
    if (!pty.open(error)) {
        std::cerr << "calvora-vmodem: " << error << "\n";
        return 1;
    }
    if (!linkPath.empty() && !pty.createLink(linkPath, error)) {
        std::cerr << "calvora-vmodem: " << error << "\n";
        return 1;
    }
    std::cout << pty.slavePath() << std::endl;

    VirtualModem modem(*profile, writeLog, speed);
    modem.setPace(pace);
    writeLog("== " + (profile->name.empty() ? profileName : profile->name) + " on " +
             pty.slavePath() + (linkPath.empty() ? "" : " (" + linkPath + ")"));
    bool hostOpen = pty.hostHasOpen();
    modem.setHostOpen(hostOpen);
    modem.addSteps(steps);

    bool stdinOpen = true;
    ::fcntl(STDIN_FILENO, F_SETFL, ::fcntl(STDIN_FILENO, F_GETFL) | O_NONBLOCK);
    std::string stdinBuffer;
    bool quit = false;

    while (!quit && !modem.finished()) {
        using Clock = VirtualModem::Clock;
        Clock::time_point now = Clock::now();
        const bool open = pty.hostHasOpen();
        if (open != hostOpen) {
            hostOpen = open;
            if (!open)
                pty.discardUnread();
            modem.setHostOpen(open);
        }
        modem.advance(now);
        if (modem.finished())
            break;
        if (hostOpen)
            drainOutput(modem, pty.masterFd());

        int timeout = 1000;
        if (const auto wake = modem.nextWakeup(now)) {
            const auto ms = std::chrono::ceil<std::chrono::milliseconds>(*wake - now).count();
            timeout = static_cast<int>(std::clamp<long long>(ms, 0, 1000));
        }
        // A closed slave makes the master report a hang-up all the time: look again shortly
        // instead of polling it.
        if (!hostOpen)
            timeout = std::min(timeout, 20);
        pollfd fds[3];
        nfds_t count = 0;
        fds[count++] = {signalFd, POLLIN, 0};
        const nfds_t stdinIndex = count;
        if (stdinOpen)
            fds[count++] = {STDIN_FILENO, POLLIN, 0};
        const nfds_t masterIndex = count;
        if (hostOpen) {
            short events = POLLIN;
            if (!modem.output().empty())
                events |= POLLOUT;
            fds[count++] = {pty.masterFd(), events, 0};
        }
        if (::poll(fds, count, timeout) < 0 && errno != EINTR)
            break;
        if (fds[0].revents & POLLIN)
            quit = true;
        now = Clock::now();
        if (hostOpen && masterIndex < count && (fds[masterIndex].revents & POLLIN)) {
            char buffer[4096];
            const ssize_t n = ::read(pty.masterFd(), buffer, sizeof buffer);
            if (n > 0)
                modem.hostBytes(std::string_view(buffer, static_cast<std::size_t>(n)), now);
        }
        if (stdinOpen && stdinIndex < count && (fds[stdinIndex].revents & (POLLIN | POLLHUP))) {
            char buffer[4096];
            const ssize_t n = ::read(STDIN_FILENO, buffer, sizeof buffer);
            if (n == 0 || (n < 0 && errno != EAGAIN && errno != EINTR)) {
                stdinOpen = false;
            } else if (n > 0) {
                stdinBuffer.append(buffer, static_cast<std::size_t>(n));
                std::size_t end;
                while ((end = stdinBuffer.find('\n')) != std::string::npos) {
                    const std::string line = stdinBuffer.substr(0, end);
                    stdinBuffer.erase(0, end + 1);
                    if (auto parsed = parseScript(line, error))
                        modem.addSteps(*parsed);
                    else
                        writeLog("== error: " + error);
                }
                if (stdinBuffer.size() > 65536)
                    stdinBuffer.clear(); // a line that long is no script
            }
        }
    }

    if (quit)
        writeLog("== terminated by a signal");
    if (hostOpen)
        drainOutput(modem, pty.masterFd());
    pty.close();
    writeLog("== port removed");
    if (g_log != stderr)
        std::fclose(g_log);
    return 0;
}
