#pragma once
#include <iosfwd>
#include <span>
#include <string>
#include <string_view>

#include "store/Result.h"

namespace brindlex {

class LinkStore;
class MessageBoxes;
struct ListRow;

// Reads one Internet shortcut file (decoded text) and adds a link named `name` to
// CurrentFolder. The address is the URL= value of the [InternetShortcut] section; a file
// without one gives its second line less four characters. Fails for a file of fewer than
// two lines.
[[nodiscard]] Status ImportShortcutFile(std::istream& in, LinkStore& store, const std::string& name);

// The file name a shortcut for a row named `rowText` gets: the text with ".url" added,
// every path separator and character a file name cannot hold replaced by "_", leading
// dots too (no hidden files), "Untitled" for no text, and cut at a character boundary so
// that the name and a temporary's suffix fit in a file name. A `number` above 1 comes
// before ".url" as " (2)", " (3)", ...
std::string shortcutFileName(std::string_view rowText, int number = 1);

// Writes `directory`/<row text>.url for every selected row (folder rows included), rows
// named alike getting numbered names, replacing files of the same name; beeps and writes nothing when no row is
// selected. Stops at the first file that cannot be written and names it in the error.
[[nodiscard]] Status ExportShortcutFiles(
    std::span<const ListRow> rows, const std::string& directory, MessageBoxes& messages);

}  // namespace brindlex
