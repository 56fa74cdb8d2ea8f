#pragma once
#include <iosfwd>
#include <string>
#include <string_view>

namespace brindlex {

// Text helpers shared by the store, the formats, the browser link and the tools. Text is
// UTF-8; "ASCII" helpers change or compare the letters A-Z and a-z only and leave every
// other byte as it stands.

// `text` without the blanks (spaces, not tabs) at its start and end.
std::string trimBlanks(std::string_view text);

char upperAscii(char c);
char lowerAscii(char c);
std::string upperAscii(std::string_view text);
std::string lowerAscii(std::string_view text);
// Whether the texts are equal when ASCII letters are compared without case.
bool equalsNoCase(std::string_view a, std::string_view b);
// Position of `needle` in `text` at or after `from`, ASCII letters compared without
// case; npos if absent.
size_t findNoCase(std::string_view text, std::string_view needle, size_t from = 0);

// Appends the UTF-8 form of a code point; one that cannot be encoded (NUL, a surrogate,
// beyond U+10FFFF) is written as U+FFFD.
void appendUtf8(std::string& out, char32_t c);

// The whole remaining content of `in`, read in one piece when its size is known.
std::string readAll(std::istream& in);

// Walks text line by line: LF or CR LF ends a line (the CR is dropped); the last line
// may lack its end. The text must outlive the cursor.
class LineCursor
{
public:
    explicit LineCursor(std::string_view text)
        : m_text(text)
    {
    }
    bool atEnd() const { return m_pos >= m_text.size(); }
    // The next line, or false at the end of the text.
    bool next(std::string_view& line);
    // How many lines next() has given.
    size_t number() const { return m_number; }

private:
    std::string_view m_text;
    size_t m_pos = 0;
    size_t m_number = 0;
};

}  // namespace brindlex
