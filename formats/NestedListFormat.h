#pragma once
#include <iosfwd>
#include <span>
#include <string>
#include <string_view>

#include "formats/FormatText.h"
#include "store/Result.h"

namespace brindlex {

class Folder;
class LinkStore;
struct ListRow;

// The tags of an export that writes the tree as nested lists: the Netscape bookmark file
// and the HTML list page share one writer and differ only in these.
struct NestedListFormat
{
    std::string_view prologue;  // the lines before the title, each ending in CR LF
    std::string_view item;  // what opens a link line before "<A HREF=": "<DT>" or "<LI>"
    std::string_view heading;  // a folder heading up to its attributes: "<DT><H3 FOLDED" or "<H3"
    std::string_view listOpen;  // "<DL><p>" or "<UL TYPE=disc><p>"
    std::string_view listClose;  // "</DL><p>" or "</UL><p>"
    bool datesAndDescriptions;  // ADD_DATE from MDate on links and headings, <DD> lines
    int rootLevel;  // the level at which the whole database's root list is written
    const char* failure;  // the message when the stream fails
};

extern const NestedListFormat NetscapeList;
extern const NestedListFormat HtmlList;

// Writes the whole file for `range`: ranges 0 and 1 take the contents list's `rows`,
// ranges 2 and 3 walk the store from CurrentFolder or the root. Never changes the store.
[[nodiscard]] Status writeNestedList(std::ostream& out, const NestedListFormat& format, const std::string& title,
    ExportRange range, LinkStore& store, std::span<const ListRow> rows);

// Writes `folder`'s heading (unless it is the root), its links, its subfolders at
// level + 1 and its closing line. Any depth is safe; a folder is written at most once.
void writeNestedListFolder(
    std::ostream& out, const NestedListFormat& format, LinkStore& store, Folder& folder, int level);

}  // namespace brindlex
