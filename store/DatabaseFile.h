#pragma once
#include <iosfwd>
#include <string>
#include <string_view>

#include "store/Result.h"

namespace brindlex {

class EventPump;
class Folder;
class FolderItem;
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
[[nodiscard]] Result<DatabaseLayout> readDatabase(std::istream& in, LinkStore& store, bool import);
// Writes the whole model in the current layout (CR LF lines, UTF-8), cleaning quotes and
// line breaks in memory as it goes.
[[nodiscard]] Status writeDatabase(std::ostream& out, LinkStore& store);

// The commands: LoadDatabase shows "Outdated Database" for the older layout and on any
// failure "Error loading ..." followed by NewDatabase; it returns false then.
bool LoadDatabase(LinkStore& store, const std::string& path, bool import, const DatabaseContext& context);
// Writes the model to DatabasePath atomically; a failure leaves the old file untouched.
[[nodiscard]] Status SaveDatabase(LinkStore& store);

}  // namespace brindlex
