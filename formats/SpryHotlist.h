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

// Reads a Spry Mosaic hotlist (decoded text) into CurrentFolder, which is the same folder
// again on return; each sublist becomes a folder. Reading stops at the brace that closes
// the outermost list or at the end of the text. A file that ends inside an item or a
// list heading fails; what was added before stays.
[[nodiscard]] Status ImportSpryHotlist(std::istream& in, LinkStore& store, const ReadContext& context);

// Writes a Spry hotlist for `range` (rows for ranges 0 and 1). Never changes the store.
[[nodiscard]] Status ExportSpryHotlist(
    std::ostream& out, const std::string& title, ExportRange range, LinkStore& store, std::span<const ListRow> rows);

// Writes `folder`'s list at depth `level` and its sublists below it. Any depth is safe.
void WriteSpryList(std::ostream& out, LinkStore& store, Folder& folder, int level);

// Reads a Spyglass Mosaic hotlist page (decoded text): every anchor with a double-quoted
// address becomes a link in CurrentFolder. A broken anchor fails the read; what was
// added before stays.
[[nodiscard]] Status ImportSpyglassHotlist(std::istream& in, LinkStore& store, const ReadContext& context);

// Writes the flat Spyglass page for `range`; folders are flattened, `title` is not used.
[[nodiscard]] Status ExportSpyglassHotlist(
    std::ostream& out, const std::string& title, ExportRange range, LinkStore& store, std::span<const ListRow> rows);

}  // namespace brindlex
