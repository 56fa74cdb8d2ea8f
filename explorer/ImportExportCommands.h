#pragma once
#include <string>
#include <vector>

#include "formats/ImportExport.h"
#include "store/ListRow.h"

namespace brindlex {

class CommandTable;
class DialogHost;
class FileDialogs;
class FolderPanes;
class LongWork;
class frmImport;
struct Platform;

// The Import and Export commands of the File menu. Connects and enables every Import
// submenu item, "MS Internet Explorer Urls" and "As File Type" of the Export submenu.
//
// An import asks for its file, checks the name, runs the reader into CurrentFolder behind
// the import progress window and refreshes the list and the tree; CurrentFolder is the
// same afterwards. Only one import or export runs at a time: a command that arrives while
// one is running (from pending events) is refused with a beep.
class ImportExportCommands
{
public:
    // Everything must outlive the commands; `work` is held while one runs.
    ImportExportCommands(FolderPanes& panes, CommandTable& commands, const DialogHost& dialogs,
        const Platform& platform, FileDialogs& fileDialogs, std::string programDir, LongWork& work);
    ImportExportCommands(const ImportExportCommands&) = delete;
    ImportExportCommands& operator=(const ImportExportCommands&) = delete;

    void Import(ImportKind kind);
    // Shortcut files of the selected rows, into the program's directory.
    void ExportShortcuts();
    // The export dialog, opened on `type`; modal.
    void ExportAs(ExportKind type = ExportKind::Netscape);

    bool isRunning() const { return m_running; }

    // The rows of the contents list in their shown order, each marked selected or not.
    std::vector<ListRow> shownRows() const;

private:
    void importSingleFile(ImportKind kind);
    void importShortcuts();
    void showProgress(frmImport& progress);
    void refreshPanes();

    FolderPanes& m_panes;
    const DialogHost& m_dialogs;
    const Platform& m_platform;
    FileDialogs& m_fileDialogs;
    std::string m_programDir;
    LongWork& m_work;
    bool m_running = false;
};

}  // namespace brindlex
