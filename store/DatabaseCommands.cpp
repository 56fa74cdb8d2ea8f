#include "store/DatabaseCommands.h"

#include "platform/MessageBoxes.h"
#include "store/DatabaseFile.h"
#include "store/DatabaseGuard.h"
#include "store/LinkStore.h"
#include "store/Text.h"

namespace brindlex {

namespace {

size_t nameStart(const std::string& path)
{
    const size_t slash = path.find_last_of('/');
    return slash == std::string::npos ? 0 : slash + 1;
}

CommandOutcome failed(const DatabaseCommandHooks& hooks, const std::string& path, const std::string& reason)
{
    hooks.messages.show("Error", "Error saving " + path + "...\n" + reason, MessageIcon::Critical);
    return CommandOutcome::Failed;
}

// Writes the database to its path. `chosen`: the path was just chosen in Save As.
CommandOutcome save(LinkStore& store, const DatabaseCommandHooks& hooks, std::string& marker, bool chosen)
{
    const std::string path = store.DatabasePath();
    if (DatabaseGuard* guard = hooks.guard) {
        if (!chosen && guard->readOnly() && path == guard->path()) {
            hooks.messages.show("Read-Only Database",
                path + " is in use by another process and is open read-only.\nSave it under another name.",
                MessageIcon::Information);
            return SaveFileAs(store, hooks, marker);
        }
        if (Status claimed = guard->claim(path); !claimed.ok()) {
            return failed(hooks, path, claimed.error().message);
        }
        if (guard->changedOnDisk(path)) {
            const Answer answer = hooks.messages.show("Database Changed",
                path
                    + " was changed on disk since it was opened here.\nYes overwrites it with this database, No saves "
                      "this database under another name.",
                MessageIcon::Exclamation, MessageButtons::YesNoCancel);
            if (answer == Answer::Cancel) {
                return CommandOutcome::Cancelled;
            }
            if (answer != Answer::Yes) {
                return SaveFileAs(store, hooks, marker);
            }
        }
    }
    const Status saved = SaveDatabase(store);
    if (!saved.ok()) {
        return failed(hooks, path, saved.error().message);
    }
    if (hooks.guard != nullptr) {
        hooks.guard->saved(path);
    }
    return CommandOutcome::Done;
}

}  // namespace

bool isUnsavedTitle(const std::string& title)
{
    return lowerAscii(title) == "newdb.bdx";
}

std::string correctedDatabaseName(const std::string& path)
{
    const size_t start = nameStart(path);
    const size_t dot = path.find('.', start);
    if (dot == std::string::npos) {
        return path + ".bdx";
    }
    if (lowerAscii(path.substr(start)).find(".bdx") != std::string::npos) {
        return path;
    }
    return path.substr(0, path.find_last_of('.')) + ".bdx";
}

CommandOutcome SaveFileAs(LinkStore& store, const DatabaseCommandHooks& hooks, std::string& marker)
{
    const std::optional<std::string> chosen = hooks.chooseSavePath();
    if (!chosen) {
        marker = CancelMarker;
        return CommandOutcome::Cancelled;
    }
    const std::string path = correctedDatabaseName(*chosen);
    if (path != *chosen) {
        hooks.messages.show("Extention Error",
            "Invalid file extention. Must be .BDX. Making correction\nNew file name is " + path,
            MessageIcon::Information);
    }
    store.SetDatabasePath(path);
    const std::string& title = store.DatabaseTitle();
    store.Root().Caption = title.substr(0, title.find('.'));
    const CommandOutcome outcome = save(store, hooks, marker, true);
    if (hooks.refresh) {
        hooks.refresh();
    }
    return outcome;
}

CommandOutcome SaveFile(LinkStore& store, const DatabaseCommandHooks& hooks, std::string& marker)
{
    if (isUnsavedTitle(store.DatabaseTitle())) {
        return SaveFileAs(store, hooks, marker);
    }
    return save(store, hooks, marker, false);
}

CommandOutcome OfferSave(LinkStore& store, const DatabaseCommandHooks& hooks, bool autoSave, std::string& marker)
{
    if (!autoSave) {
        const Answer answer = hooks.messages.show("Save Database ?", "Do you wish to save the current database ?",
            MessageIcon::Question, MessageButtons::YesNoCancel);
        if (answer == Answer::Cancel) {
            return CommandOutcome::Cancelled;
        }
        if (answer != Answer::Yes) {
            return CommandOutcome::Done;
        }
    }
    // A save the user asked for that did not happen must not lose the database.
    return SaveFile(store, hooks, marker);
}

CommandOutcome NewFile(LinkStore& store, const DatabaseCommandHooks& hooks, bool autoSave, std::string& marker)
{
    const CommandOutcome offered = OfferSave(store, hooks, autoSave, marker);
    if (offered != CommandOutcome::Done) {
        return offered;
    }
    store.NewDatabase(hooks.programDir);
    if (hooks.guard != nullptr) {
        hooks.guard->clear();
    }
    if (hooks.refresh) {
        hooks.refresh();
    }
    return CommandOutcome::Done;
}

}  // namespace brindlex
