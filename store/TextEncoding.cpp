#include "store/TextEncoding.h"
#include "store/Text.h"

#include <array>
#include <cctype>
#include <cstdint>
#include <cstring>

namespace brindlex {

namespace {

// Code points of bytes 0x80..0xFF. Windows-1252 leaves five bytes undefined; like
// Windows, they map to the C1 control of the same number.
// clang-format off
constexpr std::array<char32_t, 128> Windows1252 = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
    0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F,
    0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
    0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178,
    0x00A0, 0x00A1, 0x00A2, 0x00A3, 0x00A4, 0x00A5, 0x00A6, 0x00A7,
    0x00A8, 0x00A9, 0x00AA, 0x00AB, 0x00AC, 0x00AD, 0x00AE, 0x00AF,
    0x00B0, 0x00B1, 0x00B2, 0x00B3, 0x00B4, 0x00B5, 0x00B6, 0x00B7,
    0x00B8, 0x00B9, 0x00BA, 0x00BB, 0x00BC, 0x00BD, 0x00BE, 0x00BF,
    0x00C0, 0x00C1, 0x00C2, 0x00C3, 0x00C4, 0x00C5, 0x00C6, 0x00C7,
    0x00C8, 0x00C9, 0x00CA, 0x00CB, 0x00CC, 0x00CD, 0x00CE, 0x00CF,
    0x00D0, 0x00D1, 0x00D2, 0x00D3, 0x00D4, 0x00D5, 0x00D6, 0x00D7,
    0x00D8, 0x00D9, 0x00DA, 0x00DB, 0x00DC, 0x00DD, 0x00DE, 0x00DF,
    0x00E0, 0x00E1, 0x00E2, 0x00E3, 0x00E4, 0x00E5, 0x00E6, 0x00E7,
    0x00E8, 0x00E9, 0x00EA, 0x00EB, 0x00EC, 0x00ED, 0x00EE, 0x00EF,
    0x00F0, 0x00F1, 0x00F2, 0x00F3, 0x00F4, 0x00F5, 0x00F6, 0x00F7,
    0x00F8, 0x00F9, 0x00FA, 0x00FB, 0x00FC, 0x00FD, 0x00FE, 0x00FF,
};

constexpr std::array<char32_t, 128> MacRoman = {
    0x00C4, 0x00C5, 0x00C7, 0x00C9, 0x00D1, 0x00D6, 0x00DC, 0x00E1,
    0x00E0, 0x00E2, 0x00E4, 0x00E3, 0x00E5, 0x00E7, 0x00E9, 0x00E8,
    0x00EA, 0x00EB, 0x00ED, 0x00EC, 0x00EE, 0x00EF, 0x00F1, 0x00F3,
    0x00F2, 0x00F4, 0x00F6, 0x00F5, 0x00FA, 0x00F9, 0x00FB, 0x00FC,
    0x2020, 0x00B0, 0x00A2, 0x00A3, 0x00A7, 0x2022, 0x00B6, 0x00DF,
    0x00AE, 0x00A9, 0x2122, 0x00B4, 0x00A8, 0x2260, 0x00C6, 0x00D8,
    0x221E, 0x00B1, 0x2264, 0x2265, 0x00A5, 0x00B5, 0x2202, 0x2211,
    0x220F, 0x03C0, 0x222B, 0x00AA, 0x00BA, 0x03A9, 0x00E6, 0x00F8,
    0x00BF, 0x00A1, 0x00AC, 0x221A, 0x0192, 0x2248, 0x2206, 0x00AB,
    0x00BB, 0x2026, 0x00A0, 0x00C0, 0x00C3, 0x00D5, 0x0152, 0x0153,
    0x2013, 0x2014, 0x201C, 0x201D, 0x2018, 0x2019, 0x00F7, 0x25CA,
    0x00FF, 0x0178, 0x2044, 0x20AC, 0x2039, 0x203A, 0xFB01, 0xFB02,
    0x2021, 0x00B7, 0x201A, 0x201E, 0x2030, 0x00C2, 0x00CA, 0x00C1,
    0x00CB, 0x00C8, 0x00CD, 0x00CE, 0x00CF, 0x00CC, 0x00D3, 0x00D4,
    0xF8FF, 0x00D2, 0x00DA, 0x00DB, 0x00D9, 0x0131, 0x02C6, 0x02DC,
    0x00AF, 0x02D8, 0x02D9, 0x02DA, 0x00B8, 0x02DD, 0x02DB, 0x02C7,
};
// clang-format on

void appendSingleByte(std::string& out, std::string_view bytes, const std::array<char32_t, 128>& high)
{
    out.reserve(out.size() + bytes.size() + bytes.size() / 8);
    size_t plain = 0;  // start of the run of ASCII bytes not yet appended
    for (size_t i = 0; i < bytes.size(); ++i) {
        const auto b = static_cast<unsigned char>(bytes[i]);
        if (b >= 0x80) {
            out.append(bytes.data() + plain, i - plain);
            appendUtf8(out, high[b - 0x80]);
            plain = i + 1;
        }
    }
    out.append(bytes.data() + plain, bytes.size() - plain);
}

std::string fromSingleByte(std::string_view bytes, const std::array<char32_t, 128>& high)
{
    std::string out;
    appendSingleByte(out, bytes, high);
    return out;
}

// The length of the run of ASCII bytes at the start of `bytes`, eight at a time.
size_t asciiPrefix(std::string_view bytes)
{
    size_t i = 0;
    for (; i + 8 <= bytes.size(); i += 8) {
        uint64_t word;
        std::memcpy(&word, bytes.data() + i, 8);
        if ((word & 0x8080808080808080ULL) != 0) {
            break;
        }
    }
    while (i < bytes.size() && static_cast<unsigned char>(bytes[i]) < 0x80) {
        ++i;
    }
    return i;
}

}  // namespace

bool isValidUtf8(std::string_view bytes)
{
    size_t i = 0;
    const size_t n = bytes.size();
    while (i < n) {
        const auto b = static_cast<unsigned char>(bytes[i]);
        if (b < 0x80) {
            i += asciiPrefix(bytes.substr(i));
            continue;
        }
        size_t len = 0;
        char32_t cp = 0;
        if (b >= 0xC2 && b <= 0xDF) {
            len = 2;
            cp = b & 0x1F;
        } else if (b >= 0xE0 && b <= 0xEF) {
            len = 3;
            cp = b & 0x0F;
        } else if (b >= 0xF0 && b <= 0xF4) {
            len = 4;
            cp = b & 0x07;
        } else {
            return false;
        }
        if (i + len > n) {
            return false;
        }
        for (size_t k = 1; k < len; ++k) {
            const auto c = static_cast<unsigned char>(bytes[i + k]);
            if ((c & 0xC0) != 0x80) {
                return false;
            }
            cp = (cp << 6) | (c & 0x3F);
        }
        if ((len == 3 && (cp < 0x800 || (cp >= 0xD800 && cp <= 0xDFFF)))
            || (len == 4 && (cp < 0x10000 || cp > 0x10FFFF))) {
            return false;
        }
        i += len;
    }
    return true;
}

Charset charsetNamed(std::string_view name)
{
    const std::string cs = lowerAscii(name);
    if (cs == "x-mac-roman" || cs == "macintosh" || cs == "x-mac-system" || cs == "macroman" || cs == "mac") {
        return Charset::MacRoman;
    }
    // Browsers read a declared Latin-1 as Windows-1252, and so do we.
    if (cs == "iso-8859-1" || cs == "latin1" || cs == "iso8859-1" || cs == "latin-1" || cs == "windows-1252"
        || cs == "cp1252") {
        return Charset::Windows1252;
    }
    return Charset::Utf8;
}

void appendDecoded(std::string& out, std::string_view bytes, Charset charset)
{
    switch (charset) {
    case Charset::MacRoman:
        appendSingleByte(out, bytes, MacRoman);
        return;
    case Charset::Windows1252:
        appendSingleByte(out, bytes, Windows1252);
        return;
    case Charset::Utf8:
        break;
    }
    if (isValidUtf8(bytes)) {
        out.append(bytes);
    } else {
        appendSingleByte(out, bytes, Windows1252);
    }
}

std::string decodeText(std::string_view bytes, std::string_view charset)
{
    if (bytes.substr(0, 3) == "\xEF\xBB\xBF") {
        bytes.remove_prefix(3);
    }
    const Charset cs = charsetNamed(charset);
    if (cs == Charset::Utf8 && isValidUtf8(bytes)) {
        return std::string(bytes);
    }
    if (cs != Charset::Utf8) {
        return fromSingleByte(bytes, cs == Charset::MacRoman ? MacRoman : Windows1252);
    }
    // Decided line by line: a file that is UTF-8 but for a stray byte (an old name pasted
    // in) keeps every other name as written.
    std::string out;
    out.reserve(bytes.size() + bytes.size() / 8);
    size_t start = 0;
    while (start < bytes.size()) {
        const size_t newline = bytes.find('\n', start);
        const size_t end = newline == std::string_view::npos ? bytes.size() : newline + 1;
        appendDecoded(out, bytes.substr(start, end - start), Charset::Utf8);
        start = end;
    }
    return out;
}

std::string declaredCharset(std::string_view html)
{
    const std::string head = lowerAscii(html.substr(0, 4096));
    size_t pos = 0;
    while ((pos = head.find("charset", pos)) != std::string::npos) {
        pos += 7;
        size_t i = pos;
        while (i < head.size() && (head[i] == ' ' || head[i] == '\t')) {
            ++i;
        }
        if (i >= head.size() || head[i] != '=') {
            continue;
        }
        ++i;
        while (i < head.size() && (head[i] == ' ' || head[i] == '"' || head[i] == '\'')) {
            ++i;
        }
        size_t end = i;
        while (end < head.size()
            && (std::isalnum(static_cast<unsigned char>(head[end])) || head[end] == '-' || head[end] == '_'
                || head[end] == ':' || head[end] == '.')) {
            ++end;
        }
        if (end > i) {
            return head.substr(i, end - i);
        }
    }
    return {};
}

}  // namespace brindlex
