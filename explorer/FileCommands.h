#pragma once
#include <optional>
#include <string>

#include "store/DatabaseGuard.h"

namespace brindlex {

class CommandTable;
class DialogHost;
class FileDialogs;
class FolderPanes;
class ProgramSettings;
struct DatabaseCommandHooks;
struct Services;

// The database commands of the File menu (New, Open, Save, Save As), the database the
// start-up opens, and the save question of the shutdown.
class FileCommands
{
public:
    // Everything must outlive the commands.
    FileCommands(const Services& services, FolderPanes& panes, CommandTable& commands, const DialogHost& dialogs,
        const ProgramSettings& settings);
    FileCommands(const FileCommands&) = delete;
    FileCommands& operator=(const FileCommands&) = delete;

    void NewDatabase();
    void OpenDatabase();
    void SaveDatabase();
    // Returns false when the user cancelled the dialog.
    bool SaveDatabaseAs();

    // The database the start-up opens: the one named on the command line, else the last
    // one used. Nothing, after starting a new database, on a first run (nothing stored,
    // no default database yet) or when asked for a new one.
    std::optional<std::string> DatabaseAtStart();
    // Loads the database at `path`, replacing the open one; a failure is shown.
    void Load(const std::string& path);
    // The save question of the shutdown, as AutoSave says (0 asks, 1 saves, else none).
    // False when the database must stay open: cancelled, or a save that did not happen.
    bool OfferSaveAtExit();

    // True when another process has the open database locked: it is saved only under
    // another name.
    bool readOnly() const { return m_guard.readOnly(); }

    // "Cancel" when the last Save As dialog was cancelled.
    const std::string& saveMarker() const { return m_saveMarker; }

private:
    DatabaseCommandHooks hooks();
    std::string folderOfDatabase() const;

    const Services& m_services;
    FolderPanes& m_panes;
    const DialogHost& m_dialogs;
    const ProgramSettings& m_settings;
    std::string m_saveMarker;
    DatabaseGuard m_guard;  // the lock on the open database and what its file was like
};

}  // namespace brindlex
