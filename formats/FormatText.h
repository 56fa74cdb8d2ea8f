#pragma once
#include <iosfwd>
#include <string>
#include <string_view>

#include "store/Result.h"
#include "store/Text.h"  // trimBlanks, findNoCase, LineCursor, readAll: shared by every reader

namespace brindlex {

class EventPump;
class Progress;

// Where a reader reports how far it got, and how it lets pending window events run.
struct ReadContext
{
    Progress& progress;
    EventPump& events;
    // Where a reader adds how many folders it placed at the nesting limit; may be null.
    size_t* placedAtLimit = nullptr;
};

// The four export ranges, numbered as the export dialog's option buttons.
enum class ExportRange {
    SelectedItems = 0,
    ImmediateFolderItems = 1,
    FolderItemsAndSubFolders = 2,
    EntireDatabase = 3
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
// Write escapeHtmlText(oneLine(text)) and escapeHtmlAttribute(oneLine(text)) to `out`
// without making either string: an export writes a million of them.
void putHtmlTextLine(std::ostream& out, std::string_view text);
void putHtmlAttributeLine(std::ostream& out, std::string_view text);

// The error a reader returns for a file it cannot read on.
Error formatError(std::string message);

}  // namespace brindlex
