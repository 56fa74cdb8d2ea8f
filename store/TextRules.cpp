#include "store/TextRules.h"

#include <array>
#include <utility>

namespace brindlex {

std::string QuotesToApostrophes(std::string_view text)
{
    std::string out(text);
    for (char& c : out) {
        if (c == '"') {
            c = '\'';
        }
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

std::string ClassifyURL(std::string_view url)
{
    static constexpr std::array<std::pair<std::string_view, std::string_view>, 8> Kinds { {
        { "HTTP://", "Http" },
        { "FTP://", "Ftp" },
        { "FILE:", "File" },
        { "GOPHER://", "Gopher" },
        { "AFS://", "Archie" },
        { "MAILTO:", "EMail" },
        { "NEWS:", "News" },
        { "TELNET://", "Telnet" },
    } };
    std::string upper(url);
    for (char& c : upper) {
        if (c >= 'a' && c <= 'z') {
            c = static_cast<char>(c - 'a' + 'A');
        }
    }
    for (const auto& [scheme, word] : Kinds) {
        if (upper.find(scheme) != std::string::npos) {
            return std::string(word);
        }
    }
    return "Unknown";
}

}  // namespace brindlex
