// A virtual modem's profile: identification, accepted commands and verbatim capability replies.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace vmodem {

// What the modem answers to one command (or to every command a pattern matches).
struct ProfileReply
{
    enum class Kind
    {
        Text,
        Ok,     // accepted; the built-in command set still answers and keeps its state
        OkOnly, // answered with OK alone, without asking the built-in command set
        Error,
        Silent
    };
    std::string pattern; // upper case without blanks; a trailing '*' matches any rest
    Kind kind = Kind::Ok;
    std::vector<std::string> lines; // information text of Kind::Text, one entry per line
};

struct Profile
{
    std::string name;
    bool voice = true;    // accepts AT+FCLASS=8 and the voice commands
    bool callerId = true; // accepts AT+VCID=1 and AT+VCID=2
    bool dead = false;    // answers nothing at all, not even the echo
    std::vector<ProfileReply> replies;

    // The entry for a command in canonical form (upper case, no blanks): an exact pattern
    // wins over the longest matching prefix pattern. Null when the profile says nothing.
    const ProfileReply *find(std::string_view canonicalCommand) const;

    // The information text of a query the profile answers with text, else empty.
    std::vector<std::string> textOf(std::string_view canonicalCommand) const;

    // Parses profile text; on failure returns nothing and sets error to "line N: why".
    static std::optional<Profile> parse(std::string_view text, std::string &error);
    static std::optional<Profile> load(const std::string &path, std::string &error);
};

// Upper case without blanks: the form in which commands are compared.
std::string canonicalCommand(std::string_view command);

} // namespace vmodem
