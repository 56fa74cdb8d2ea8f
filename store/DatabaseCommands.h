#pragma once
#include <functional>
#include <optional>
#include <string>

namespace brindlex {

class DatabaseGuard;
class LinkStore;
class MessageBoxes;

// What the File menu's "Save", "Save As" and "New" need from the window. The window owns
// the file dialog and the panes; these commands only decide.
struct DatabaseCommandHooks
{
    MessageBoxes& messages;
    // Shows the "Save Brindlex Database As" dialog; the chosen full path, or nothing
    // when the user cancelled.
    std::function<std::optional<std::string>()> chooseSavePath;
    // Refreshes title, tree and list after the database changed name or was replaced.
    std::function<void()> refresh;
    std::string programDir;  // where NewDB.BDX lives
    // The window's hold on its database, when it keeps one: a database open read-only is
    // saved through Save As, and a file changed on disk since it was read is overwritten
    // only when the user says so.
    DatabaseGuard* guard = nullptr;
};

enum class CommandOutcome { Done, Cancelled, Failed };

// The marker "Save As" leaves for the closing sequence when its dialog was cancelled.
inline constexpr const char* CancelMarker = "Cancel";

// "Save As": corrects the extension (telling the user in "Extention Error"), renames the
// database and its root, saves and refreshes. Cancelled sets `marker` to "Cancel". A
// failed save is reported in a box and gives Failed.
CommandOutcome SaveFileAs(LinkStore& store, const DatabaseCommandHooks& hooks, std::string& marker);
// "Save": a database never saved (title "newdb.bdx" in any case) goes through Save As, and
// so does one the guard holds read-only. A file the guard sees changed on disk asks
// "Database Changed": Yes overwrites it, No goes through Save As, Cancel saves nothing.
CommandOutcome SaveFile(LinkStore& store, const DatabaseCommandHooks& hooks, std::string& marker);
// The save question of "New", "Open" and the closing sequence: asks "Save Database ?"
// unless autoSave, and saves when told to (through Save As for a database never saved).
// Done means the caller may go on and replace or drop the open database: it was saved,
// or the user answered No. Cancelled and Failed mean it must be kept.
CommandOutcome OfferSave(LinkStore& store, const DatabaseCommandHooks& hooks, bool autoSave, std::string& marker);
// "New": asks "Save Database ?" unless autoSave, saves when told to, then NewDatabase.
// When the save is cancelled or fails the open database is kept.
CommandOutcome NewFile(LinkStore& store, const DatabaseCommandHooks& hooks, bool autoSave, std::string& marker);

// The Save As name correction: ".bdx" appended to a file name without a dot, or put in
// place of an extension that does not contain ".bdx". Returns the name unchanged when
// it needs no correction.
std::string correctedDatabaseName(const std::string& path);
// True when the title counts as never saved.
bool isUnsavedTitle(const std::string& title);

}  // namespace brindlex
