#include "explorer/FileCommands.h"

#include <filesystem>

#include <QCursor>

#include "explorer/CommandTable.h"
#include "explorer/FolderPanes.h"
#include "explorer/Services.h"
#include "explorer/WaitCursor.h"
#include "platform/qt/DialogHost.h"
#include "platform/qt/FileDialogs.h"
#include "settings/ProgramSettings.h"
#include "settings/Settings.h"
#include "store/DatabaseCommands.h"
#include "store/DatabaseFile.h"
#include "store/LinkStore.h"

namespace brindlex {

namespace {

// The file-name part of a path (after the last "/" or "\").
std::string fileNamePart(const std::string& path)
{
    const size_t slash = path.find_last_of("/\\");
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

}  // namespace

FileCommands::FileCommands(const Services& services, FolderPanes& panes, CommandTable& commands,
    const DialogHost& dialogs, const ProgramSettings& settings)
    : m_services(services)
    , m_panes(panes)
    , m_dialogs(dialogs)
    , m_settings(settings)
{
    commands.connect(Command::NewFile, [this] { NewDatabase(); });
    commands.connect(Command::OpenFile, [this] { OpenDatabase(); });
    commands.connect(Command::SaveFile, [this] { SaveDatabase(); });
    commands.connect(Command::SaveFileAs, [this] { SaveDatabaseAs(); });
}

std::string FileCommands::folderOfDatabase() const
{
    const std::string& current = m_services.store.DatabasePath();
    const size_t slash = current.find_last_of('/');
    return slash == std::string::npos ? m_services.programDir : current.substr(0, slash);
}

DatabaseCommandHooks FileCommands::hooks()
{
    return DatabaseCommandHooks {
        m_services.platform.messages,
        [this]() -> std::optional<std::string> {
            return m_services.fileDialogs.saveFile(m_dialogs.parent(),
                { "Save Brindlex Database As", "BDX Files (*.BDX *.bdx)", folderOfDatabase(),
                    m_services.store.DatabaseTitle(), "bdx" });
        },
        [this] { m_panes.RefreshPanes(true); },
        m_services.programDir,
        &m_guard,
    };
}

void FileCommands::NewDatabase()
{
    WaitCursor wait;
    NewFile(m_services.store, hooks(), m_settings.options.AutoSave == 1, m_saveMarker);
}

void FileCommands::OpenDatabase()
{
    const std::optional<std::string> path = m_services.fileDialogs.openFile(m_dialogs.parent(),
        { "Open Brindlex Database", "BDX Files (*.BDX *.bdx);;All Files (*)", folderOfDatabase(), "", "bdx" });
    if (!path) {
        return;
    }
    // Opening replaces the open database, so it gets the same save question as New.
    if (OfferSave(m_services.store, hooks(), m_settings.options.AutoSave == 1, m_saveMarker) != CommandOutcome::Done) {
        return;
    }
    Load(*path);
    m_panes.RefreshPanes(true);
}

void FileCommands::SaveDatabase()
{
    WaitCursor wait;
    SaveFile(m_services.store, hooks(), m_saveMarker);
}

bool FileCommands::SaveDatabaseAs()
{
    WaitCursor wait;
    return SaveFileAs(m_services.store, hooks(), m_saveMarker) != CommandOutcome::Cancelled;
}

std::optional<std::string> FileCommands::DatabaseAtStart()
{
    LinkStore& store = m_services.store;
    const std::string& programDir = m_services.programDir;
    if (m_services.newDatabase) {
        store.NewDatabase(programDir);
        return std::nullopt;
    }
    const std::string fallback = lastDatabaseDefault(programDir);
    const std::string& lastDB = m_settings.LastDB();
    std::string path = m_services.commandLine;
    if (path.empty()) {
        path = lastDB.empty() ? fallback : lastDB;
    }
    store.SetDatabaseTitle(fileNamePart(lastDB.empty() ? fallback : lastDB));
    // A first run (nothing stored, no default database yet) starts quietly with a new one.
    std::error_code error;
    if (m_services.commandLine.empty() && lastDB.empty() && !std::filesystem::exists(path, error)) {
        store.NewDatabase(programDir);
        return std::nullopt;
    }
    return path;
}

bool FileCommands::OfferSaveAtExit()
{
    // AutoSave 0 asks, 1 saves without asking, anything else closes without saving. A save
    // that was asked for but did not happen (Save As cancelled, the write failed) keeps the
    // window, so that closing never drops changes the user wanted kept.
    const int autoSave = m_settings.options.AutoSave;
    if (autoSave != 0 && autoSave != 1) {
        return true;
    }
    WaitCursor wait;
    return OfferSave(m_services.store, hooks(), autoSave == 1, m_saveMarker) == CommandOutcome::Done;
}

void FileCommands::Load(const std::string& path)
{
    WaitCursor wait;
    const DatabaseContext context { m_services.platform.messages, m_services.platform.events, m_services.programDir };
    // Locked before it is read, so that no other copy writes it meanwhile; a database
    // another copy holds opens read-only.
    m_guard.opening(path);
    if (!LoadDatabase(m_services.store, path, false, context)) {
        m_guard.clear();  // a new database took its place
    }
}

}  // namespace brindlex
