#pragma once
#include <cstdint>
#include <iosfwd>
#include <span>
#include <string>

#include "formats/FormatText.h"
#include "store/Result.h"

namespace brindlex {

class Folder;
class LinkStore;
class TextFileBuf;
struct ListRow;

// Reads a Netscape bookmark file (decoded text) and adds its folders and links to
// CurrentFolder, which is the same folder again on return. Reading stops after the list
// that closes the outermost level, or at the end of the text. An entry's ADD_DATE (a
// folder's LAST_MODIFIED when it has none) becomes its MDate, else it is dated today; a
// <DD> line after an entry becomes its Description. On a malformed line the error names
// it and what was added before stays.
[[nodiscard]] Status ImportNetscapeFile(std::istream& in, LinkStore& store, const ReadContext& context);
// The size from which ImportNetscapeText reads a file in two parts.
constexpr uint64_t NetscapeSplitSize = uint64_t { 4 } << 20;
// As ImportNetscapeFile, of the file at `path` opened as `text` and not yet read. A
// UTF-8 file of NetscapeSplitSize or more (or any, from the first line that starts at
// or after `splitAt` when that is not 0) is read in two parts at once: a thread makes
// the links of the back part while this one reads the front. The result is the same
// as ImportNetscapeFile's; read errors are left in `text`, as there.
[[nodiscard]] Status ImportNetscapeText(
    TextFileBuf& text, const std::string& path, LinkStore& store, const ReadContext& context, uint64_t splitAt = 0);

// Writes a whole bookmark file for `range`, declared UTF-8, with each entry's MDate as
// ADD_DATE and a <DD> line for each description. Ranges 0 and 1 take the contents list's
// `rows`; ranges 2 and 3 walk the store from CurrentFolder or the root. Never changes the store.
[[nodiscard]] Status ExportNetscapeFile(
    std::ostream& out, const std::string& title, ExportRange range, LinkStore& store, std::span<const ListRow> rows);

// Writes `folder`'s heading (unless it is the root), its links, its subfolders at
// level + 1 and its closing line. Any depth is safe; a folder is written at most once.
void WriteNetscapeFolder(std::ostream& out, LinkStore& store, Folder& folder, int level);

}  // namespace brindlex
