#pragma once
#include <iosfwd>
#include <span>
#include <string>

#include "formats/FormatText.h"
#include "store/Result.h"

namespace brindlex {

class Folder;
class LinkStore;
struct ListRow;

// Adds every link of an HTML page (decoded text) to CurrentFolder and, when the page has
// a title, renames CurrentFolder to it. A link is an anchor with an href attribute (any
// letter case, quoted or not, anywhere in the tag); anchors without one are skipped.
[[nodiscard]] Status ExtractHtmlLinks(std::istream& in, LinkStore& store, const ReadContext& context);

// Writes the nested HTML list page for `range` (rows for ranges 0 and 1). Never changes the store.
[[nodiscard]] Status ExportHtmlFile(
    std::ostream& out, const std::string& title, ExportRange range, LinkStore& store, std::span<const ListRow> rows);

// Writes `folder`'s heading (unless it is the root), links, sublists and closing line.
// Any depth is safe; a folder is written at most once.
void WriteHtmlFolder(std::ostream& out, LinkStore& store, Folder& folder, int level);

}  // namespace brindlex
