#pragma once
#include <cstdint>
#include <iosfwd>
#include <optional>
#include <string>
#include <string_view>

#include "store/Result.h"

namespace brindlex {

class EventPump;
class Folder;
class FolderItem;
class InputFile;
class LinkStore;
class MessageBoxes;

enum class DatabaseLayout { Current, Older };

// What LoadDatabase needs from the desktop.
struct DatabaseContext
{
    MessageBoxes& messages;
    EventPump& events;
    std::string programDir;  // where NewDB.BDX lives
};

// Fills a scratch Folder from a folder or root record line (fields 1-5 and the counts).
// Fails for a line that does not have the record's shape.
[[nodiscard]] Status ParseFolderLine(std::string_view line, Folder& out);
// Fills a scratch FolderItem from an entry record line of 10 (or 9) fields.
[[nodiscard]] Status ParseItemLine(std::string_view line, FolderItem& out);

// Reads a database (decoded text, either layout) into the store. import false: the
// store's model is replaced; import true: the file becomes a new folder under
// CurrentFolder. No message boxes; the error says what was wrong.
// Folders nested deeper than MaxFolderDepth are placed at that level; `placedAtLimit`, when
// given, receives how many were.
[[nodiscard]] Result<DatabaseLayout> readDatabase(
    std::istream& in, LinkStore& store, bool import, size_t* placedAtLimit = nullptr);
// The same for text already decoded to UTF-8. The file is parsed whole before the store
// changes, so a file that fails leaves the store as it was. Folders that cannot be placed
// (unknown or looping parents, repeated ids) end up at the top level.
[[nodiscard]] Result<DatabaseLayout> readDatabaseText(
    std::string_view text, LinkStore& store, bool import, size_t* placedAtLimit = nullptr);
// readDatabase of a large file: its lines from the first line start at `splitAt` or past
// it are read by a thread of their own while this one reads the lines before. Nothing when
// that did not work out (a file with an error, not UTF-8, of the older layout, or with no
// line start there); the store is then as it was, and readDatabase reads the file in one
// part.
[[nodiscard]] std::optional<Result<DatabaseLayout>> readDatabaseInParts(
    const InputFile& in, LinkStore& store, bool import, size_t* placedAtLimit, uint64_t splitAt);
// The layout by the first field of the file: "Version:" and more means the current one.
DatabaseLayout detectLayout(std::string_view text);
// The bytes of a file, or why it cannot be read.
[[nodiscard]] Result<std::string> readFileBytes(const std::string& path);
// Writes the whole model in the current layout (CR LF lines, UTF-8), cleaning quotes and
// line breaks in memory as it goes.
[[nodiscard]] Status writeDatabase(std::ostream& out, LinkStore& store);

// The commands: LoadDatabase shows "Outdated Database" for the older layout, the nesting
// limit's notice when it placed folders at the limit, and on any
// failure "Error loading ..." followed by NewDatabase; it returns false then. In import
// mode a failure shows "Error loading ..." and leaves the open database as it was, and
// DatabasePath stays the open database's.
bool LoadDatabase(LinkStore& store, const std::string& path, bool import, const DatabaseContext& context);
// Writes the model to DatabasePath atomically; a failure leaves the old file untouched.
[[nodiscard]] Status SaveDatabase(LinkStore& store);

}  // namespace brindlex
