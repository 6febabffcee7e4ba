// Reading the profile text format documented at the top of each shipped profile file.
#include "vmodem/Profile.h"

#include <algorithm>
#include <cctype>
#include <fstream>
#include <sstream>

namespace vmodem {

namespace {

constexpr std::size_t MaxProfileBytes = 1 << 20;

std::string trim(std::string_view s)
{
    std::size_t b = 0;
    std::size_t e = s.size();
    while (b < e && std::isspace(static_cast<unsigned char>(s[b])))
        ++b;
    while (e > b && std::isspace(static_cast<unsigned char>(s[e - 1])))
        --e;
    return std::string(s.substr(b, e - b));
}

std::string lower(std::string s)
{
    for (char &c : s)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return s;
}

std::optional<bool> parseBool(const std::string &value)
{
    const std::string v = lower(value);
    if (v == "yes" || v == "true" || v == "on" || v == "1")
        return true;
    if (v == "no" || v == "false" || v == "off" || v == "0")
        return false;
    return std::nullopt;
}

} // namespace

std::string canonicalCommand(std::string_view command)
{
    std::string out;
    out.reserve(command.size());
    for (char c : command) {
        if (c == ' ' || c == '\t')
            continue;
        out.push_back(static_cast<char>(std::toupper(static_cast<unsigned char>(c))));
    }
    return out;
}

const ProfileReply *Profile::find(std::string_view command) const
{
    const ProfileReply *best = nullptr;
    std::size_t bestLength = 0;
    for (const ProfileReply &r : replies) {
        if (r.pattern == command)
            return &r;
        if (!r.pattern.empty() && r.pattern.back() == '*') {
            const std::string_view prefix(r.pattern.data(), r.pattern.size() - 1);
            if (command.substr(0, prefix.size()) == prefix && prefix.size() >= bestLength) {
                best = &r;
                bestLength = prefix.size();
            }
        }
    }
    return best;
}

std::vector<std::string> Profile::textOf(std::string_view command) const
{
    const ProfileReply *r = find(command);
    if (r && r->kind == ProfileReply::Kind::Text)
        return r->lines;
    return {};
}

std::optional<Profile> Profile::parse(std::string_view text, std::string &error)
{
    Profile profile;
    std::istringstream in{std::string(text)};
    std::string line;
    int number = 0;
    ProfileReply *open = nullptr; // the reply that "|" lines continue
    auto fail = [&](const std::string &why) {
        error = "line " + std::to_string(number) + ": " + why;
        return std::nullopt;
    };
    while (std::getline(in, line)) {
        ++number;
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        const std::string t = trim(line);
        if (t.empty() || t.front() == '#')
            continue;
        if (t.front() == '|') {
            if (!open)
                return fail("a \"|\" line without a command before it");
            std::string_view rest(t);
            rest.remove_prefix(1);
            if (!rest.empty() && rest.front() == ' ')
                rest.remove_prefix(1);
            open->kind = ProfileReply::Kind::Text;
            open->lines.emplace_back(rest);
            continue;
        }
        open = nullptr;
        const std::size_t arrow = t.find("=>");
        if (arrow != std::string::npos) {
            ProfileReply reply;
            reply.pattern = canonicalCommand(trim(std::string_view(t).substr(0, arrow)));
            if (reply.pattern.size() < 2 || reply.pattern.compare(0, 2, "AT") != 0)
                return fail("a command must begin with AT");
            const std::string value = trim(std::string_view(t).substr(arrow + 2));
            if (value == "OK" || value.empty()) {
                reply.kind = ProfileReply::Kind::Ok; // empty: becomes text with its "|" lines
            } else if (value == "OK ONLY") {
                reply.kind = ProfileReply::Kind::OkOnly;
            } else if (value == "ERROR") {
                reply.kind = ProfileReply::Kind::Error;
            } else if (value == "SILENT") {
                reply.kind = ProfileReply::Kind::Silent;
            } else {
                reply.kind = ProfileReply::Kind::Text;
                reply.lines.push_back(value);
            }
            profile.replies.push_back(std::move(reply));
            if (profile.replies.back().kind == ProfileReply::Kind::Text ||
                profile.replies.back().kind == ProfileReply::Kind::Ok)
                open = &profile.replies.back();
            continue;
        }
        const std::size_t colon = t.find(':');
        if (colon == std::string::npos)
            return fail("expected \"key: value\" or \"COMMAND => reply\"");
        const std::string key = lower(trim(std::string_view(t).substr(0, colon)));
        const std::string value = trim(std::string_view(t).substr(colon + 1));
        if (key == "name") {
            profile.name = value;
            continue;
        }
        bool *setting = key == "voice"      ? &profile.voice
                        : key == "callerid" ? &profile.callerId
                        : key == "dead"     ? &profile.dead
                                            : nullptr;
        if (!setting)
            return fail("unknown key \"" + key + "\"");
        const std::optional<bool> flag = parseBool(value);
        if (!flag)
            return fail("\"" + key + "\" takes yes or no");
        *setting = *flag;
    }
    return profile;
}

std::optional<Profile> Profile::load(const std::string &path, std::string &error)
{
    std::ifstream file(path, std::ios::binary);
    if (!file) {
        error = "cannot open " + path;
        return std::nullopt;
    }
    std::string text(MaxProfileBytes + 1, '\0');
    file.read(text.data(), static_cast<std::streamsize>(text.size()));
    text.resize(static_cast<std::size_t>(file.gcount()));
    if (text.size() > MaxProfileBytes) {
        error = path + " is larger than 1 MiB";
        return std::nullopt;
    }
    std::optional<Profile> p = parse(text, error);
    if (!p)
        error = path + ": " + error;
    return p;
}

} // namespace vmodem
