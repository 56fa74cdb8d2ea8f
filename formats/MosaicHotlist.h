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

// Reads an NCSA Mosaic hotlist (decoded text). The top-level menu's items go into
// `target`; every other menu becomes a folder, placed under the folder whose submenu item
// names it (a menu no submenu item names is placed under the root). CurrentFolder is
// left at the folder of the last menu read; the caller restores it. On a file cut short
// inside an item the error says so, what was added stays and submenus stay unresolved.
[[nodiscard]] Status ImportMosaicHotlist(
    std::istream& in, LinkStore& store, Folder& target, const ReadContext& context);

// Writes a hotlist for `range` (rows for ranges 0 and 1). Never changes the store.
[[nodiscard]] Status ExportMosaicHotlist(
    std::ostream& out, const std::string& title, ExportRange range, LinkStore& store, std::span<const ListRow> rows);

// Writes the section of `folder` numbered `menuNumber` and the sections of everything
// below it, numbered depth first; on return `menuNumber` is the highest number used.
void WriteMosaicMenu(std::ostream& out, LinkStore& store, Folder& folder, int& menuNumber);

}  // namespace brindlex
