// Parsing the compression list the way a modem would read its own AT+VSM=? table.
#include "vmodem/Compression.h"

#include <algorithm>
#include <cctype>

namespace vmodem {

namespace {

std::string upper(std::string_view s)
{
    std::string out(s);
    for (char &c : out)
        c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return out;
}

std::string trimmed(std::string_view s)
{
    while (!s.empty() && std::isspace(static_cast<unsigned char>(s.front())))
        s.remove_prefix(1);
    while (!s.empty() && std::isspace(static_cast<unsigned char>(s.back())))
        s.remove_suffix(1);
    return std::string(s);
}

// Splits at separators that are outside parentheses and quotes.
std::vector<std::string> splitFields(std::string_view line, char separator)
{
    std::vector<std::string> fields;
    std::string current;
    int depth = 0;
    bool quoted = false;
    for (char c : line) {
        if (c == '"')
            quoted = !quoted;
        else if (!quoted && c == '(')
            ++depth;
        else if (!quoted && c == ')' && depth > 0)
            --depth;
        if (c == separator && depth == 0 && !quoted) {
            fields.push_back(trimmed(current));
            current.clear();
        } else {
            current.push_back(c);
        }
    }
    fields.push_back(trimmed(current));
    return fields;
}

bool parseInt(std::string_view s, int &value)
{
    const std::string t = trimmed(s);
    if (t.empty() || t.size() > 9 || !std::all_of(t.begin(), t.end(), [](char c) {
            return std::isdigit(static_cast<unsigned char>(c));
        }))
        return false;
    value = std::stoi(t);
    return true;
}

// "(7200-8000,11025)" or "8000" or "(9600)".
std::vector<std::pair<int, int>> parseRates(std::string_view field)
{
    std::string text;
    for (char c : field)
        if (c != '(' && c != ')')
            text.push_back(c);
    std::vector<std::pair<int, int>> rates;
    for (const std::string &part : splitFields(text, ',')) {
        const std::size_t dash = part.find('-');
        int low = 0;
        int high = 0;
        if (dash == std::string::npos) {
            if (parseInt(part, low))
                rates.emplace_back(low, low);
        } else if (parseInt(part.substr(0, dash), low) && parseInt(part.substr(dash + 1), high) &&
                   low <= high) {
            rates.emplace_back(low, high);
        }
    }
    return rates;
}

bool containsAny(const std::string &s, std::initializer_list<const char *> words)
{
    return std::any_of(words.begin(), words.end(),
                       [&](const char *w) { return s.find(w) != std::string::npos; });
}

} // namespace

bool Compression::allowsRate(int rate) const
{
    return std::any_of(rates.begin(), rates.end(),
                       [&](const auto &r) { return rate >= r.first && rate <= r.second; });
}

int Compression::defaultRate() const
{
    if (rates.empty() || allowsRate(8000))
        return 8000;
    return std::min_element(rates.begin(), rates.end())->first;
}

Encoding encodingOf(std::string_view name, int bits)
{
    const std::string n = upper(name);
    if (n.find("IMA") != std::string::npos && (bits == 4 || bits == 0))
        return Encoding::ImaAdpcm;
    if (containsAny(n, {"ADPCM", "CELP"}))
        return Encoding::Unsupported;
    if (containsAny(n, {"ULAW", "U-LAW", "MU-LAW", "M-LAW", "G711U", "G.711U", "G.711 U"}))
        return Encoding::MuLaw;
    if (containsAny(n, {"ALAW", "A-LAW", "G711A", "G.711A", "G.711 A"}))
        return Encoding::ALaw;
    const bool wide = bits > 8 || containsAny(n, {"16-BIT", "16BIT", "16 BIT"});
    if (n.find("UNSIGNED") != std::string::npos)
        return wide ? Encoding::Unsupported : Encoding::Unsigned8;
    if (n.find("SIGNED") != std::string::npos)
        return wide ? Encoding::Linear16 : Encoding::Signed8;
    if (containsAny(n, {"LINEAR", "PCM"}))
        return wide ? Encoding::Linear16 : Encoding::Unsigned8; // 8-bit linear is unsigned
    return Encoding::Unsupported;
}

const char *encodingName(Encoding e)
{
    switch (e) {
    case Encoding::Unsigned8:
        return "8-bit unsigned";
    case Encoding::Signed8:
        return "8-bit signed";
    case Encoding::Linear16:
        return "16-bit signed little-endian";
    case Encoding::MuLaw:
        return "mu-law";
    case Encoding::ALaw:
        return "A-law";
    case Encoding::ImaAdpcm:
        return "IMA ADPCM";
    case Encoding::Unsupported:
        break;
    }
    return "unsupported";
}

std::vector<Compression> parseCompressionList(const std::vector<std::string> &lines)
{
    std::vector<Compression> list;
    for (const std::string &raw : lines) {
        std::string line = trimmed(raw);
        if (upper(line).rfind("+VSM:", 0) == 0)
            line = trimmed(std::string_view(line).substr(5));
        const char separator = line.find(',') != std::string::npos ? ',' : ';';
        const std::vector<std::string> fields = splitFields(line, separator);
        Compression c;
        if (fields.size() < 3 || !parseInt(fields[0], c.number))
            continue;
        c.name = fields[1];
        c.name.erase(std::remove(c.name.begin(), c.name.end(), '"'), c.name.end());
        if (fields.size() >= 5) {
            parseInt(fields[2], c.bits);
            c.rates = parseRates(fields[4]);
        } else {
            c.rates = parseRates(fields[2]);
        }
        c.encoding = encodingOf(c.name, c.bits);
        list.push_back(std::move(c));
    }
    return list;
}

} // namespace vmodem
