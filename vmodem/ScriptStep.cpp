// Parsing script text into steps.
#include "vmodem/ScriptStep.h"

#include <algorithm>
#include <cctype>
#include <cstdio>

namespace vmodem {

namespace {

std::string trim(std::string_view s)
{
    while (!s.empty() && std::isspace(static_cast<unsigned char>(s.front())))
        s.remove_prefix(1);
    while (!s.empty() && std::isspace(static_cast<unsigned char>(s.back())))
        s.remove_suffix(1);
    return std::string(s);
}

bool parseCount(std::string_view s, long long &value, long long max)
{
    if (s.empty() || s.size() > 9 || !std::all_of(s.begin(), s.end(), [](char c) {
            return std::isdigit(static_cast<unsigned char>(c));
        }))
        return false;
    value = std::stoll(std::string(s));
    return value <= max;
}

int hexDigit(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    return -1;
}

constexpr long long MaxMs = 24LL * 3600 * 1000;

} // namespace

std::optional<std::string> unescape(std::string_view text)
{
    std::string out;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '\\') {
            out.push_back(text[i]);
            continue;
        }
        if (++i >= text.size())
            return std::nullopt;
        switch (text[i]) {
        case 'r':
            out.push_back('\r');
            break;
        case 'n':
            out.push_back('\n');
            break;
        case 't':
            out.push_back('\t');
            break;
        case '\\':
            out.push_back('\\');
            break;
        case ';':
            out.push_back(';');
            break;
        case 'x': {
            const int hi = i + 1 < text.size() ? hexDigit(text[i + 1]) : -1;
            const int lo = i + 2 < text.size() ? hexDigit(text[i + 2]) : -1;
            if (hi < 0 || lo < 0)
                return std::nullopt;
            out.push_back(static_cast<char>(hi * 16 + lo));
            i += 2;
            break;
        }
        default:
            return std::nullopt;
        }
    }
    return out;
}

std::string printable(std::string_view bytes)
{
    std::string out;
    for (char ch : bytes) {
        const auto c = static_cast<unsigned char>(ch);
        if (c == '\r')
            out += "<CR>";
        else if (c == '\n')
            out += "<LF>";
        else if (c == 0x10)
            out += "<DLE>";
        else if (c == 0x03)
            out += "<ETX>";
        else if (c < 0x20 || c >= 0x7f) {
            char buffer[8];
            std::snprintf(buffer, sizeof buffer, "\\x%02X", c);
            out += buffer;
        } else
            out.push_back(ch);
    }
    return out;
}

std::optional<CallerIdFields> parseCallerIdFields(std::string_view text, std::string &error)
{
    CallerIdFields fields;
    std::string_view rest = text;
    while (true) {
        const std::size_t bar = rest.find('|');
        const std::string item = trim(rest.substr(0, bar));
        const std::size_t eq = item.find('=');
        const std::string key = trim(std::string_view(item).substr(0, eq));
        if (eq == std::string::npos || key.empty() || key.size() > 16) {
            error = "caller-ID field \"" + item + "\" is not KEY=VALUE";
            return std::nullopt;
        }
        const std::string value = trim(std::string_view(item).substr(eq + 1));
        if (value.size() > 80) {
            error = "caller-ID value longer than 80 characters";
            return std::nullopt;
        }
        fields.emplace_back(key, value);
        if (bar == std::string_view::npos)
            break;
        rest.remove_prefix(bar + 1);
    }
    return fields;
}

std::string formatCallerId(const CallerIdFields &fields)
{
    std::string out;
    for (const auto &[key, value] : fields)
        out.append("\r\n").append(key).append(" = ").append(value).append("\r\n");
    return out;
}

std::optional<std::vector<Step>> parseStep(std::string_view text, std::string &error)
{
    const std::string line = trim(text);
    const std::size_t space = line.find_first_of(" \t");
    const std::string word = line.substr(0, space);
    const std::string args = space == std::string::npos ? std::string() : trim(line.substr(space));
    Step step;
    auto one = [&](Step s) {
        return std::optional<std::vector<Step>>(std::vector<Step>{std::move(s)});
    };

    if (word == "wait") {
        step.kind = Step::Kind::Wait;
        if (!parseCount(args, step.ms, MaxMs)) {
            error = "wait takes milliseconds";
            return std::nullopt;
        }
        return one(step);
    }
    if (word == "waitfor") {
        if (args.empty()) {
            error = "waitfor takes the text of a command";
            return std::nullopt;
        }
        step.kind = Step::Kind::WaitFor;
        step.text = args;
        return one(step);
    }
    if (word == "ring" && args.empty()) {
        step.kind = Step::Kind::Ring;
        return one(step);
    }
    if (word == "cid") {
        step.kind = Step::Kind::CallerId;
        auto fields = parseCallerIdFields(args, error);
        if (!fields)
            return std::nullopt;
        step.fields = std::move(*fields);
        return one(step);
    }
    if (word == "raw") {
        auto bytes = unescape(args);
        if (!bytes || bytes->empty()) {
            error = "raw takes text with the escapes \\r \\n \\t \\\\ \\; \\xHH";
            return std::nullopt;
        }
        step.kind = Step::Kind::Raw;
        step.text = std::move(*bytes);
        return one(step);
    }
    if (word == "voice") {
        step.kind = Step::Kind::Voice;
        step.ms = -1;
        std::string source = args;
        const std::size_t last = source.find_last_of(" \t");
        if (last != std::string::npos && parseCount(trim(source.substr(last)), step.ms, MaxMs))
            source = trim(source.substr(0, last));
        else
            step.ms = -1;
        if (source.empty()) {
            error = "voice takes a signal name or a WAV file, then optionally milliseconds";
            return std::nullopt;
        }
        step.text = source;
        return one(step);
    }
    if (word == "event") {
        if (args.size() != 1 || !std::isgraph(static_cast<unsigned char>(args[0]))) {
            error = "event takes one character, sent after a DLE";
            return std::nullopt;
        }
        step.kind = Step::Kind::Event;
        step.text = args;
        return one(step);
    }
    if (word == "repeat" && args.empty()) {
        step.kind = Step::Kind::Repeat;
        return one(step);
    }
    if (word == "deaf") {
        if (args != "on" && args != "off") {
            error = "deaf takes on or off";
            return std::nullopt;
        }
        step.kind = Step::Kind::Deaf;
        step.text = args;
        return one(step);
    }
    if (word == "exit" && args.empty()) {
        step.kind = Step::Kind::Exit;
        return one(step);
    }
    if (word == "call") {
        // call N CADENCE_MS [KEY=VALUE|...] [end=answered|gaveup]
        std::string rest = args;
        std::string end = "answered";
        for (const char *e : {"answered", "gaveup"}) {
            const std::string suffix = std::string("end=") + e;
            if (rest.size() >= suffix.size() &&
                rest.compare(rest.size() - suffix.size(), suffix.size(), suffix) == 0) {
                end = e;
                rest = trim(rest.substr(0, rest.size() - suffix.size()));
            }
        }
        long long rings = 0;
        long long cadence = 0;
        const std::size_t s1 = rest.find_first_of(" \t");
        const std::string ringsText = rest.substr(0, s1);
        rest = s1 == std::string::npos ? std::string() : trim(rest.substr(s1));
        const std::size_t s2 = rest.find_first_of(" \t");
        const std::string cadenceText = rest.substr(0, s2);
        rest = s2 == std::string::npos ? std::string() : trim(rest.substr(s2));
        if (!parseCount(ringsText, rings, 100) || rings < 1 ||
            !parseCount(cadenceText, cadence, MaxMs) || cadence < 1) {
            error = "call takes a ring count (1-100) and a cadence in milliseconds";
            return std::nullopt;
        }
        std::optional<CallerIdFields> fields;
        if (!rest.empty()) {
            fields = parseCallerIdFields(rest, error);
            if (!fields)
                return std::nullopt;
        }
        std::vector<Step> steps;
        for (long long i = 0; i < rings; ++i) {
            steps.push_back(Step{Step::Kind::Ring, 0, {}, {}});
            if (i == rings - 1)
                break;
            if (i == 0 && fields) {
                // real lines deliver caller ID 0.5 to 1.5 s after the first ring
                const long long before = std::min(1500LL, cadence / 2);
                steps.push_back(Step{Step::Kind::Wait, before, {}, {}});
                steps.push_back(Step{Step::Kind::CallerId, 0, {}, *fields});
                steps.push_back(Step{Step::Kind::Wait, cadence - before, {}, {}});
            } else {
                steps.push_back(Step{Step::Kind::Wait, cadence, {}, {}});
            }
        }
        if (rings == 1 && fields) {
            steps.push_back(Step{Step::Kind::Wait, std::min(1500LL, cadence / 2), {}, {}});
            steps.push_back(Step{Step::Kind::CallerId, 0, {}, *fields});
        }
        steps.push_back(Step{Step::Kind::CallEnd, 0, end, {}});
        return steps;
    }
    error = "unknown step \"" + line + "\"";
    return std::nullopt;
}

std::optional<std::vector<Step>> parseScript(std::string_view text, std::string &error)
{
    std::vector<Step> steps;
    std::size_t lineStart = 0;
    while (lineStart <= text.size()) {
        std::size_t lineEnd = text.find('\n', lineStart);
        if (lineEnd == std::string_view::npos)
            lineEnd = text.size();
        const std::string line = trim(text.substr(lineStart, lineEnd - lineStart));
        lineStart = lineEnd + 1;
        if (line.empty() || line.front() == '#')
            continue;
        // split at ";" that are not escaped
        std::string current;
        auto flush = [&]() -> bool {
            const std::string s = trim(current);
            current.clear();
            if (s.empty())
                return true;
            auto parsed = parseStep(s, error);
            if (!parsed)
                return false;
            steps.insert(steps.end(), parsed->begin(), parsed->end());
            return true;
        };
        for (std::size_t i = 0; i < line.size(); ++i) {
            if (line[i] == '\\' && i + 1 < line.size()) {
                current.push_back(line[i]);
                current.push_back(line[++i]);
            } else if (line[i] == ';') {
                if (!flush())
                    return std::nullopt;
            } else {
                current.push_back(line[i]);
            }
        }
        if (!flush())
            return std::nullopt;
    }
    return steps;
}

} // namespace vmodem
