#pragma once
#include <iosfwd>
#include <string>
#include <string_view>

#include "store/Result.h"

namespace brindlex {

class EventPump;
class Progress;

// Where a reader reports how far it got, and how it lets pending window events run.
struct ReadContext
{
    Progress& progress;
    EventPump& events;
};

// The four export ranges, numbered as the export dialog's option buttons.
enum class ExportRange {
    SelectedItems = 0,
    ImmediateFolderItems = 1,
    FolderItemsAndSubFolders = 2,
    EntireDatabase = 3
};

// The whole remaining content of `in`.
std::string readAll(std::istream& in);

// Walks text line by line; accepts CR LF and LF (a trailing CR is dropped from each line).
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

private:
    std::string_view m_text;
    size_t m_pos = 0;
};

// Decodes character references (&amp; &#39; &#x27; and the common named ones) to UTF-8.
// A reference that is not recognised stays as it is.
std::string decodeHtml(std::string_view text);
// Escapes & < > for HTML text.
std::string escapeHtmlText(std::string_view text);
// Escapes & and " for a double-quoted HTML attribute value.
std::string escapeHtmlAttribute(std::string_view text);
// Each run of line breaks becomes one blank, so that a written value stays on its line.
std::string oneLine(std::string_view text);

// Position of `needle` in `text` at or after `from`, letters compared without case; npos if absent.
size_t findNoCase(std::string_view text, std::string_view needle, size_t from = 0);
std::string upperAscii(std::string_view text);
std::string trimBlanks(std::string_view text);

// The error a reader returns for a file it cannot read on.
Error formatError(std::string message);

}  // namespace brindlex
