#include "formats/FormatText.h"

#include <algorithm>
#include <cstdint>
#include <istream>
#include <iterator>
#include <ostream>

#include "store/TextRules.h"

namespace brindlex {

namespace {

struct NamedReference
{
    std::string_view name;
    char32_t code;
};

// The references today's browsers and page editors write; others stay undecoded.
constexpr NamedReference NamedReferences[] = { { "amp", U'&' }, { "lt", U'<' }, { "gt", U'>' }, { "quot", U'"' },
    { "apos", U'\'' }, { "nbsp", 0xA0 }, { "copy", 0xA9 }, { "reg", 0xAE }, { "trade", 0x2122 }, { "hellip", 0x2026 },
    { "mdash", 0x2014 }, { "ndash", 0x2013 }, { "laquo", 0xAB }, { "raquo", 0xBB }, { "lsquo", 0x2018 },
    { "rsquo", 0x2019 }, { "ldquo", 0x201C }, { "rdquo", 0x201D }, { "bull", 0x2022 }, { "middot", 0xB7 },
    { "euro", 0x20AC }, { "pound", 0xA3 }, { "yen", 0xA5 }, { "cent", 0xA2 }, { "sect", 0xA7 }, { "deg", 0xB0 },
    { "times", 0xD7 }, { "divide", 0xF7 }, { "iexcl", 0xA1 }, { "iquest", 0xBF }, { "Agrave", 0xC0 },
    { "Aacute", 0xC1 }, { "Acirc", 0xC2 }, { "Atilde", 0xC3 }, { "Auml", 0xC4 }, { "Aring", 0xC5 }, { "AElig", 0xC6 },
    { "Ccedil", 0xC7 }, { "Egrave", 0xC8 }, { "Eacute", 0xC9 }, { "Ecirc", 0xCA }, { "Euml", 0xCB }, { "Igrave", 0xCC },
    { "Iacute", 0xCD }, { "Icirc", 0xCE }, { "Iuml", 0xCF }, { "Ntilde", 0xD1 }, { "Ograve", 0xD2 }, { "Oacute", 0xD3 },
    { "Ocirc", 0xD4 }, { "Otilde", 0xD5 }, { "Ouml", 0xD6 }, { "Oslash", 0xD8 }, { "Ugrave", 0xD9 }, { "Uacute", 0xDA },
    { "Ucirc", 0xDB }, { "Uuml", 0xDC }, { "Yacute", 0xDD }, { "szlig", 0xDF }, { "agrave", 0xE0 }, { "aacute", 0xE1 },
    { "acirc", 0xE2 }, { "atilde", 0xE3 }, { "auml", 0xE4 }, { "aring", 0xE5 }, { "aelig", 0xE6 }, { "ccedil", 0xE7 },
    { "egrave", 0xE8 }, { "eacute", 0xE9 }, { "ecirc", 0xEA }, { "euml", 0xEB }, { "igrave", 0xEC }, { "iacute", 0xED },
    { "icirc", 0xEE }, { "iuml", 0xEF }, { "ntilde", 0xF1 }, { "ograve", 0xF2 }, { "oacute", 0xF3 }, { "ocirc", 0xF4 },
    { "otilde", 0xF5 }, { "ouml", 0xF6 }, { "oslash", 0xF8 }, { "ugrave", 0xF9 }, { "uacute", 0xFA }, { "ucirc", 0xFB },
    { "uuml", 0xFC }, { "yacute", 0xFD }, { "yuml", 0xFF } };

// Decodes the reference that starts at text[0] == '&'; returns its length, 0 if none.
size_t decodeReference(std::string_view text, std::string& out)
{
    const size_t semi = text.find(';', 1);
    if (semi == std::string_view::npos || semi > 12) {
        return 0;
    }
    const std::string_view body = text.substr(1, semi - 1);
    if (body.size() >= 2 && body[0] == '#') {
        const bool hex = body[1] == 'x' || body[1] == 'X';
        const std::string_view digits = body.substr(hex ? 2 : 1);
        if (digits.empty()) {
            return 0;
        }
        uint32_t value = 0;
        for (char d : digits) {
            uint32_t v;
            if (d >= '0' && d <= '9') {
                v = static_cast<uint32_t>(d - '0');
            } else if (hex && d >= 'a' && d <= 'f') {
                v = static_cast<uint32_t>(d - 'a' + 10);
            } else if (hex && d >= 'A' && d <= 'F') {
                v = static_cast<uint32_t>(d - 'A' + 10);
            } else {
                return 0;
            }
            value = std::min<uint32_t>(value * (hex ? 16 : 10) + v, 0x110000);
        }
        appendUtf8(out, value);
        return semi + 1;
    }
    for (const NamedReference& ref : NamedReferences) {
        if (ref.name == body) {
            appendUtf8(out, ref.code);
            return semi + 1;
        }
    }
    return 0;
}

}  // namespace

std::string decodeHtml(std::string_view text)
{
    if (text.find('&') == std::string_view::npos) {
        return std::string(text);
    }
    std::string out;
    out.reserve(text.size());
    size_t done = 0;  // text before this is in `out`
    for (size_t amp = text.find('&'); amp != std::string_view::npos; amp = text.find('&', amp + 1)) {
        out.append(text.data() + done, amp - done);
        done = amp;
        const size_t used = decodeReference(text.substr(amp), out);
        if (used != 0) {
            done = amp + used;
            amp = done - 1;
        }
    }
    out.append(text.data() + done, text.size() - done);
    return out;
}

std::string escapeHtmlText(std::string_view text)
{
    if (std::none_of(text.begin(), text.end(), [](char c) { return c == '&' || c == '<' || c == '>'; })) {
        return std::string(text);
    }
    std::string out;
    out.reserve(text.size() + 16);
    for (char c : text) {
        switch (c) {
        case '&':
            out += "&amp;";
            break;
        case '<':
            out += "&lt;";
            break;
        case '>':
            out += "&gt;";
            break;
        default:
            out += c;
        }
    }
    return out;
}

std::string escapeHtmlAttribute(std::string_view text)
{
    if (std::none_of(text.begin(), text.end(), [](char c) { return c == '&' || c == '"'; })) {
        return std::string(text);
    }
    std::string out;
    out.reserve(text.size() + 16);
    for (char c : text) {
        if (c == '&') {
            out += "&amp;";
        } else if (c == '"') {
            out += "&quot;";
        } else {
            out += c;
        }
    }
    return out;
}

std::string oneLine(std::string_view text)
{
    if (std::none_of(text.begin(), text.end(), [](char c) { return c == '\r' || c == '\n'; })) {
        return std::string(text);
    }
    return LineBreaksToBlank(text);
}

namespace {

// Writes `text` with each run of line breaks as one blank and each character `reference`
// gives a text for replaced by that text; the rest goes out in runs as it stands.
template <typename Reference> void putOneLine(std::ostream& out, std::string_view text, Reference reference)
{
    size_t plain = 0;  // where the run not written yet starts
    bool inBreak = false;
    for (size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        std::string_view replacement;
        if (c == '\r' || c == '\n') {
            replacement = inBreak ? std::string_view() : std::string_view(" ");
            inBreak = true;
        } else {
            inBreak = false;
            replacement = reference(c);
            if (replacement.empty()) {
                continue;
            }
        }
        out.write(text.data() + plain, static_cast<std::streamsize>(i - plain));
        out.write(replacement.data(), static_cast<std::streamsize>(replacement.size()));
        plain = i + 1;
    }
    out.write(text.data() + plain, static_cast<std::streamsize>(text.size() - plain));
}

}  // namespace

void putHtmlTextLine(std::ostream& out, std::string_view text)
{
    putOneLine(out, text, [](char c) {
        switch (c) {
        case '&':
            return std::string_view("&amp;");
        case '<':
            return std::string_view("&lt;");
        case '>':
            return std::string_view("&gt;");
        default:
            return std::string_view();
        }
    });
}

void putHtmlAttributeLine(std::ostream& out, std::string_view text)
{
    putOneLine(out, text, [](char c) {
        switch (c) {
        case '&':
            return std::string_view("&amp;");
        case '"':
            return std::string_view("&quot;");
        default:
            return std::string_view();
        }
    });
}

Error formatError(std::string message)
{
    return Error { ErrorKind::Format, std::move(message) };
}

}  // namespace brindlex
