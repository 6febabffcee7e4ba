// Command interpretation: the profile's own answers first, then the built-in command set.
#include "vmodem/AtDialogue.h"

#include <algorithm>
#include <cctype>
#include <cstdio>

namespace vmodem {

namespace {

AtResult finalOnly(std::string_view final)
{
    AtResult r;
    r.bytes = frameReply({}, final);
    r.lines = {std::string(final)};
    return r;
}

AtResult ok()
{
    return finalOnly("OK");
}
AtResult error()
{
    return finalOnly("ERROR");
}

AtResult text(std::vector<std::string> lines)
{
    AtResult r;
    r.bytes = frameReply(lines, "OK");
    r.lines = std::move(lines);
    r.lines.emplace_back("OK");
    return r;
}

bool isNumber(std::string_view s)
{
    return !s.empty() && s.size() <= 6 && std::all_of(s.begin(), s.end(), [](char c) {
        return std::isdigit(static_cast<unsigned char>(c));
    });
}

// "E", "E0", "E1": the letter with an optional single value.
bool basicCommand(const std::string &command, char letter, int &value)
{
    if (command.empty() || command[0] != letter)
        return false;
    const std::string rest = command.substr(1);
    if (rest.empty()) {
        value = 0;
        return true;
    }
    if (!isNumber(rest))
        return false;
    value = std::stoi(rest);
    return true;
}

std::vector<int> numbersOf(const std::string &args)
{
    std::vector<int> out;
    std::string current;
    for (char c : args + ",") {
        if (c == ',' || c == ';') {
            if (!isNumber(current))
                return {};
            out.push_back(std::stoi(current));
            current.clear();
        } else {
            current.push_back(c);
        }
    }
    return out;
}

std::string threeDigits(int v)
{
    char buffer[8];
    std::snprintf(buffer, sizeof buffer, "%03d", v);
    return buffer;
}

} // namespace

std::string frameReply(const std::vector<std::string> &text, std::string_view final)
{
    std::string out;
    if (!text.empty()) {
        out += "\r\n";
        for (std::size_t i = 0; i < text.size(); ++i) {
            if (i > 0)
                out += "\r\n";
            out += text[i];
        }
        out += "\r\n";
    }
    out += "\r\n";
    out += final;
    out += "\r\n";
    return out;
}

AtDialogue::AtDialogue(const Profile &profile)
    : m_profile(profile), m_compressions(parseCompressionList(profile.textOf("AT+VSM=?")))
{
    reset();
}

void AtDialogue::reset()
{
    m_echo = true;
    m_class = 0;
    m_callerId = 0;
    m_lineSelect = 0;
    m_receiveGain = 128;
    m_transmitGain = 128;
    m_registers.fill(0);
    m_compression = -1;
    for (std::size_t i = 0; i < m_compressions.size(); ++i) {
        if (m_compressions[i].encoding != Encoding::Unsupported) {
            m_compression = static_cast<int>(i);
            m_rate = m_compressions[i].defaultRate();
            break;
        }
    }
}

const Compression *AtDialogue::compression() const
{
    return m_compression < 0 ? nullptr : &m_compressions[static_cast<std::size_t>(m_compression)];
}

AtResult AtDialogue::handle(std::string_view commandLine)
{
    std::string command = canonicalCommand(commandLine);
    if (command.size() < 2 || command.compare(0, 2, "AT") != 0)
        return error();
    // The short forms a modem treats as their long ones.
    if (command == "ATI")
        command = "ATI0";
    for (const char *query : {"+GMM", "+GMI", "+GMR", "+FMM", "+FMI", "+FMR", "+GSN", "+GCAP"})
        if (command == std::string("AT") + query)
            command += "?";
    if (const ProfileReply *r = m_profile.find(command)) {
        switch (r->kind) {
        case ProfileReply::Kind::Text:
            return text(r->lines);
        case ProfileReply::Kind::Error:
            return error();
        case ProfileReply::Kind::Silent:
            return {};
        case ProfileReply::Kind::OkOnly:
            return ok();
        case ProfileReply::Kind::Ok:
            break; // accepted: still let the built-in set update its state
        }
        AtResult builtin = handleBuiltin(command.substr(2));
        if (builtin.lines.size() == 1 && builtin.lines[0] == "ERROR")
            return ok();
        return builtin;
    }
    return handleBuiltin(command.substr(2));
}

AtResult AtDialogue::handleBuiltin(const std::string &command)
{
    int value = 0;
    if (command.empty())
        return ok();
    if (command == "Z" || command == "Z0" || command == "&F" || command == "&F0") {
        reset();
        return ok();
    }
    if (basicCommand(command, 'E', value) && value <= 1) {
        m_echo = value == 1;
        return ok();
    }
    if (basicCommand(command, 'H', value) && value <= 1)
        return ok();
    for (char letter : {'Q', 'V', 'X', 'M', 'L'})
        if (basicCommand(command, letter, value) && value <= 4)
            return ok();
    if (command.size() == 3 && command[0] == '&' &&
        std::string("CDK").find(command[1]) != std::string::npos &&
        std::isdigit(static_cast<unsigned char>(command[2])))
        return ok();
    if (command[0] == 'S') {
        const std::size_t eq = command.find('=');
        const std::string reg =
            command.substr(1, (eq == std::string::npos ? command.size() : eq) - 1);
        if (eq != std::string::npos && isNumber(reg) && std::stoi(reg) < 256) {
            const std::string v = command.substr(eq + 1);
            if (!isNumber(v) || std::stoi(v) > 255)
                return error();
            m_registers[static_cast<std::size_t>(std::stoi(reg))] = std::stoi(v);
            return ok();
        }
        if (!reg.empty() && reg.back() == '?' && isNumber(reg.substr(0, reg.size() - 1))) {
            const int n = std::stoi(reg.substr(0, reg.size() - 1));
            if (n < 256)
                return text({threeDigits(m_registers[static_cast<std::size_t>(n)])});
        }
        return error();
    }
    if (command == "+FCLASS=?")
        return text({m_profile.voice ? "0,1,8" : "0,1"});
    if (command == "+FCLASS?")
        return text({std::to_string(m_class)});
    if (command.rfind("+FCLASS=", 0) == 0) {
        const std::string v = command.substr(8);
        if (v == "0" || v == "1" || (v == "8" && m_profile.voice)) {
            m_class = std::stoi(v);
            return ok();
        }
        return error();
    }
    if (command.rfind("+V", 0) == 0)
        return m_profile.voice ? handleVoice(command) : error();
    return error();
}

AtResult AtDialogue::handleVoice(const std::string &command)
{
    const std::size_t eq = command.find('=');
    const std::string name = command.substr(0, std::min(eq, command.find('?')));
    const std::string args = eq == std::string::npos ? std::string() : command.substr(eq + 1);
    const bool query = command.size() == name.size() + 1 && command.back() == '?';
    const bool set = eq != std::string::npos && args != "?";

    if (name == "+VRX" || name == "+VTR" || name == "+VTX") {
        if (command != name || m_class != 8)
            return error();
        AtResult r = finalOnly("CONNECT");
        r.action = name == "+VTX" ? AtResult::Action::Transmit : AtResult::Action::Receive;
        if (r.action == AtResult::Action::Receive && !compression())
            return error();
        return r;
    }
    if (name == "+VCID") {
        if (query)
            return text({std::to_string(m_callerId)});
        if (args == "?")
            return text({m_profile.callerId ? "(0-2)" : "(0)"});
        if (args == "0" || ((args == "1" || args == "2") && m_profile.callerId)) {
            m_callerId = std::stoi(args);
            return ok();
        }
        return error();
    }
    if (name == "+VSM") {
        if (query) {
            const Compression *c = compression();
            return c ? text({std::to_string(c->number) + "," + std::to_string(m_rate) + ",0,0"})
                     : error();
        }
        return set ? selectCompression(args) : error();
    }
    struct Setting
    {
        const char *name;
        int *value;
        int max;
    };
    const Setting settings[] = {
        {"+VLS", &m_lineSelect, 99}, {"+VGR", &m_receiveGain, 255}, {"+VGT", &m_transmitGain, 255}};
    for (const Setting &s : settings) {
        if (name != s.name)
            continue;
        if (query)
            return text({std::to_string(*s.value)});
        if (set && isNumber(args) && std::stoi(args) <= s.max) {
            *s.value = std::stoi(args);
            return ok();
        }
        return error(); // the =? forms come from the profile's own text
    }
    // Accepted with any arguments: they change nothing this modem models.
    for (const char *accepted : {"+VGM", "+VGS", "+VSD", "+VSP", "+VTD", "+VDR", "+VIT", "+VEM",
                                 "+VRA", "+VRN", "+VNH", "+VTS", "+VSS", "+VIP"}) {
        if (name == accepted && (set || query))
            return query ? text({"0"}) : ok();
    }
    return error();
}

AtResult AtDialogue::selectCompression(const std::string &args)
{
    const std::vector<int> values = numbersOf(args);
    if (values.empty())
        return error();
    for (std::size_t i = 0; i < m_compressions.size(); ++i) {
        const Compression &c = m_compressions[i];
        if (c.number != values[0])
            continue;
        if (c.encoding == Encoding::Unsupported)
            return error();
        const int rate = values.size() > 1 ? values[1] : c.defaultRate();
        if (!c.rates.empty() && !c.allowsRate(rate))
            return error();
        if (rate < 1000 || rate > 48000)
            return error();
        m_compression = static_cast<int>(i);
        m_rate = rate;
        return ok();
    }
    return error();
}

} // namespace vmodem
