// The steps of a call script: rings, caller ID, pauses, line sound, raw bytes.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace vmodem {

using CallerIdFields = std::vector<std::pair<std::string, std::string>>;

struct Step
{
    enum class Kind
    {
        Wait,     // ms: pause the script
        WaitFor,  // text: pause until the host has sent a command containing it
        Ring,     // send RING
        CallerId, // fields: one "KEY = VALUE" line each
        Raw,      // text: bytes sent verbatim
        Voice,    // text: what the line carries next, ms: for how long (< 0: until changed)
        Event,    // text: the character sent after a DLE
        CallEnd,  // text: "answered" or "gaveup"
        Repeat,   // run the steps since the start (or the last repeat) again
        Deaf,     // text "on" or "off": commands go unanswered, as by a hung modem
        Exit      // close the port and end
    };
    Kind kind = Kind::Ring;
    long long ms = 0;
    std::string text;
    CallerIdFields fields;
};

// Parses one step; "call" expands to its rings, pauses and caller ID. Nothing on error, with
// error saying why.
std::optional<std::vector<Step>> parseStep(std::string_view text, std::string &error);

// Steps separated by ";" or line ends; lines starting with "#" are comments.
std::optional<std::vector<Step>> parseScript(std::string_view text, std::string &error);

// "KEY=VALUE|KEY=VALUE": the caller-ID fields in their order.
std::optional<CallerIdFields> parseCallerIdFields(std::string_view text, std::string &error);

// The caller-ID block a modem sends: "\r\nKEY = VALUE\r\n" per field.
std::string formatCallerId(const CallerIdFields &fields);

// C escapes \r \n \t \\ \xHH (and \; for a semicolon inside a script); nothing when malformed.
std::optional<std::string> unescape(std::string_view text);

// Printable form of bytes for the log: controls as <CR>, <LF>, <DLE> or \xHH.
std::string printable(std::string_view bytes);

} // namespace vmodem
