#include "store/Text.h"

#include <istream>

namespace brindlex {

std::string trimBlanks(std::string_view text)
{
    const size_t first = text.find_first_not_of(' ');
    if (first == std::string_view::npos) {
        return {};
    }
    const size_t last = text.find_last_not_of(' ');
    return std::string(text.substr(first, last - first + 1));
}

char upperAscii(char c)
{
    return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c;
}

char lowerAscii(char c)
{
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

std::string upperAscii(std::string_view text)
{
    std::string out(text);
    for (char& c : out) {
        c = upperAscii(c);
    }
    return out;
}

std::string lowerAscii(std::string_view text)
{
    std::string out(text);
    for (char& c : out) {
        c = lowerAscii(c);
    }
    return out;
}

bool equalsNoCase(std::string_view a, std::string_view b)
{
    if (a.size() != b.size()) {
        return false;
    }
    for (size_t i = 0; i < a.size(); ++i) {
        if (lowerAscii(a[i]) != lowerAscii(b[i])) {
            return false;
        }
    }
    return true;
}

size_t findNoCase(std::string_view text, std::string_view needle, size_t from)
{
    if (needle.empty()) {
        return from <= text.size() ? from : std::string_view::npos;
    }
    const char first = upperAscii(needle[0]);
    for (size_t i = from; i + needle.size() <= text.size(); ++i) {
        if (upperAscii(text[i]) != first) {
            continue;
        }
        size_t k = 1;
        while (k < needle.size() && upperAscii(text[i + k]) == upperAscii(needle[k])) {
            ++k;
        }
        if (k == needle.size()) {
            return i;
        }
    }
    return std::string_view::npos;
}

void appendUtf8(std::string& out, char32_t c)
{
    if (c == 0 || c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF)) {
        c = 0xFFFD;
    }
    if (c < 0x80) {
        out += static_cast<char>(c);
    } else if (c < 0x800) {
        out += static_cast<char>(0xC0 | (c >> 6));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
        out += static_cast<char>(0xE0 | (c >> 12));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (c >> 18));
        out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    }
}

std::string readAll(std::istream& in)
{
    std::string bytes;
    const std::istream::pos_type start = in.tellg();
    if (start != std::istream::pos_type(-1) && in.seekg(0, std::ios::end)) {
        const std::istream::pos_type end = in.tellg();
        in.seekg(start);
        if (end != std::istream::pos_type(-1) && end >= start) {
            bytes.resize(static_cast<size_t>(end - start));
            in.read(bytes.data(), static_cast<std::streamsize>(bytes.size()));
            bytes.resize(static_cast<size_t>(in.gcount()));
        }
    }
    in.clear(in.rdstate() & std::ios::badbit);
    // Whatever the size did not cover (or all of it, for a stream that cannot seek).
    char chunk[1 << 16];
    while (in.read(chunk, sizeof chunk) || in.gcount() > 0) {
        bytes.append(chunk, static_cast<size_t>(in.gcount()));
    }
    return bytes;
}

bool LineCursor::next(std::string_view& line)
{
    if (m_pos >= m_text.size()) {
        return false;
    }
    const size_t end = m_text.find('\n', m_pos);
    const size_t stop = end == std::string_view::npos ? m_text.size() : end;
    line = m_text.substr(m_pos, stop - m_pos);
    if (!line.empty() && line.back() == '\r') {
        line.remove_suffix(1);
    }
    m_pos = end == std::string_view::npos ? m_text.size() : end + 1;
    ++m_number;
    return true;
}

}  // namespace brindlex
