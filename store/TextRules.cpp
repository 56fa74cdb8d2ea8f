#include "store/TextRules.h"

#include <algorithm>

namespace brindlex {

std::string QuotesToApostrophes(std::string_view text)
{
    std::string out(text);
    for (size_t at = out.find('"'); at != std::string::npos; at = out.find('"', at + 1)) {
        out[at] = '\'';
    }
    return out;
}

std::string DecodeQuoteMarks(std::string_view text)
{
    std::string out;
    out.reserve(text.size());
    for (size_t i = 0; i < text.size();) {
        if (text.compare(i, 3, "%!%") == 0) {
            out += '"';
            i += 3;
        } else {
            out += text[i++];
        }
    }
    return out;
}

std::string StripLineBreaks(std::string_view text)
{
    std::string out;
    out.reserve(text.size());
    for (char c : text) {
        if (c != '\n' && c != '\r' && c != '\t') {
            out += c;
        }
    }
    return out;
}

std::string LineBreaksToBlank(std::string_view text)
{
    std::string out;
    out.reserve(text.size());
    bool inBreak = false;
    for (char c : text) {
        if (c == '\r' || c == '\n') {
            if (!inBreak) {
                out += ' ';
            }
            inBreak = true;
        } else {
            out += c;
            inBreak = false;
        }
    }
    return out;
}

namespace {

char upperAscii(char c)
{
    return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c;
}

// True when the `name.size()` characters before `colon` spell `name` (upper case, any
// letter case in the URL) and, for `slashes`, "//" follows the colon.
bool schemeEndsAt(std::string_view url, size_t colon, std::string_view name, bool slashes)
{
    if (colon < name.size() || (slashes && url.compare(colon + 1, 2, "//") != 0)) {
        return false;
    }
    const size_t start = colon - name.size();
    for (size_t i = 0; i < name.size(); ++i) {
        if (upperAscii(url[start + i]) != name[i]) {
            return false;
        }
    }
    return true;
}

// The schemes ClassifyURL knows, with their kind words.
struct Rule
{
    std::string_view name;  // the scheme before its colon, upper case
    bool slashes;  // the colon is followed by "//"
    int order;
    const char* word;
};
constexpr Rule Rules[] = {
    { "HTTP", true, 1, "Http" },
    { "HTTPS", true, 1, "Http" },
    { "FTP", true, 2, "Ftp" },
    { "FILE", false, 3, "File" },
    { "GOPHER", true, 4, "Gopher" },
    { "AFS", true, 5, "Archie" },
    { "MAILTO", false, 6, "EMail" },
    { "NEWS", false, 7, "News" },
    { "TELNET", true, 8, "Telnet" },
};

}  // namespace

std::string ClassifyURL(std::string_view url)
{
    // Every scheme the rules look for ends in a colon, so the URL is searched colon by
    // colon; the rule with the lowest number among all that match anywhere wins, as a
    // test of each rule in turn over the whole URL would have it. "HTTPS://" counts as
    // "HTTP://" (today's links are links); nothing else is added.
    const Rule* best = nullptr;
    for (size_t colon = url.find(':'); colon != std::string_view::npos; colon = url.find(':', colon + 1)) {
        for (const Rule& rule : Rules) {
            if ((best == nullptr || rule.order < best->order) && schemeEndsAt(url, colon, rule.name, rule.slashes)) {
                best = &rule;
                break;
            }
        }
        if (best != nullptr && best->order == 1) {
            break;
        }
    }
    return best == nullptr ? "Unknown" : best->word;
}

std::vector<std::string_view> URLKinds()
{
    std::vector<std::string_view> words;
    for (const Rule& rule : Rules) {
        if (std::find(words.begin(), words.end(), rule.word) == words.end()) {
            words.push_back(rule.word);
        }
    }
    words.push_back("Unknown");
    return words;
}

}  // namespace brindlex
