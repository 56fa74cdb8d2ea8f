#include "explorer/ImportExportCommands.h"

#include <exception>
#include <optional>
#include <string>

#include "explorer/CommandTable.h"
#include "explorer/ContentsList.h"
#include "explorer/ContentsModel.h"
#include "explorer/WaitCursor.h"
#include "explorer/frmTarnwell.h"
#include "formats/ui/DialogFilters.h"
#include "formats/ui/frmExport.h"
#include "formats/ui/frmImport.h"
#include "platform/MessageBoxes.h"
#include "platform/qt/FileDialogs.h"
#include "platform/qt/QtString.h"
#include "store/LinkStore.h"

namespace brindlex {

namespace {

struct ImportCommand
{
    ImportKind kind;
    Command command;
};
constexpr ImportCommand ImportCommands[] = {
    { ImportKind::Database, Command::ImportDatabase },
    { ImportKind::Netscape, Command::ImportNetscape },
    { ImportKind::Shortcuts, Command::ImportShortcuts },
    { ImportKind::Mosaic, Command::ImportMosaic },
    { ImportKind::Spyglass, Command::ImportSpyglass },
    { ImportKind::Spry, Command::ImportSpry },
    { ImportKind::Html, Command::ImportHtml },
};

// Marks a command as running for the lifetime of the scope, whatever way it is left; the
// main window is kept open meanwhile.
class RunningMark
{
public:
    RunningMark(bool& flag, frmTarnwell& window)
        : m_flag(flag)
        , m_window(window)
    {
        m_flag = true;
        m_window.beginLongWork();
    }
    ~RunningMark()
    {
        m_flag = false;
        m_window.endLongWork();
    }
    RunningMark(const RunningMark&) = delete;
    RunningMark& operator=(const RunningMark&) = delete;

private:
    bool& m_flag;
    frmTarnwell& m_window;
};

FileDialogRequest openRequest(ImportKind kind)
{
    const ImportCommandText& text = importCommandText(kind);
    return FileDialogRequest { text.dialogTitle, qtFilter(text.filter), "", text.initialName,
        dialogSuffix(text.defaultExtension) };
}

// The open dialog answers with full paths, all in one folder.
FileSelection selectionOf(const std::vector<std::string>& paths)
{
    FileSelection selection;
    for (const std::string& path : paths) {
        const size_t slash = path.find_last_of('/');
        const std::string directory = slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
        if (selection.names.empty()) {
            selection.directory = directory;
        }
        // The dialog answers from one folder; a path from elsewhere cannot come from it.
        if (directory == selection.directory) {
            selection.names.push_back(path.substr(directory.size()));
        }
    }
    return selection;
}

void reportUnexpected(MessageBoxes& messages, const std::string& what, const std::exception& error)
{
    messages.show("Error", what + ": " + error.what(), MessageIcon::Information);
}

}  // namespace

ImportExportCommands::ImportExportCommands(frmTarnwell& window)
    : m_window(window)
{
    for (const auto [kind, command] : ImportCommands) {
        m_window.commands().connect(command, [this, kind] { Import(kind); });
    }
    m_window.commands().connect(Command::ExportShortcuts, [this] { ExportShortcuts(); });
    m_window.commands().connect(Command::ExportAs, [this] { ExportAs(ExportKind::Netscape); });
}

std::vector<ListRow> ImportExportCommands::shownRows() const
{
    const ContentsList& list = *m_window.ListView1();
    std::vector<ListRow> rows;
    const int count = list.rowCount();
    rows.reserve(static_cast<size_t>(count));
    for (int index = 0; index < count; ++index) {
        ListRow row = list.model().row(index);
        row.Selected = list.isRowSelected(index);
        rows.push_back(std::move(row));
    }
    return rows;
}

void ImportExportCommands::Import(ImportKind kind)
{
    if (m_running) {
        m_window.platform().messages.beep();
        return;
    }
    RunningMark running(m_running, m_window);
    if (kind == ImportKind::Shortcuts) {
        importShortcuts();
    } else {
        importSingleFile(kind);
    }
}

void ImportExportCommands::importSingleFile(ImportKind kind)
{
    const Platform& platform = m_window.platform();
    const std::optional<std::string> path = m_window.fileDialogs().openFile(&m_window, openRequest(kind));
    if (!path) {
        return;
    }
    if (!checkImportPath(kind, *path, platform.messages)) {
        return;
    }
    LinkStore& store = m_window.store();
    Folder& remembered = store.CurrentFolder();
    {
        WaitCursor wait;
        try {
            if (kind == ImportKind::Database) {
                NoProgress none;
                const ImportServices services { none, platform.events, platform.messages, m_window.programDir() };
                (void)importFile(store, kind, *path, services);
            } else {
                frmImport progress(platform.events, &m_window);
                showProgress(progress);
                const ImportServices services { progress, progress, platform.messages, m_window.programDir() };
                // A failure has been shown, naming the file; what was read stays.
                (void)importFile(store, kind, *path, services);
                m_window.closeTransient(&progress);
            }
        } catch (const std::exception& error) {
            store.SetCurrentFolder(remembered);
            reportUnexpected(platform.messages, "Error importing " + *path, error);
        }
    }
    refreshPanes();
}

void ImportExportCommands::importShortcuts()
{
    const Platform& platform = m_window.platform();
    const std::vector<std::string> paths
        = m_window.fileDialogs().openFiles(&m_window, openRequest(ImportKind::Shortcuts));
    if (paths.empty()) {
        return;
    }
    LinkStore& store = m_window.store();
    Folder& remembered = store.CurrentFolder();
    {
        WaitCursor wait;
        try {
            frmImport progress(platform.events, &m_window);
            showProgress(progress);
            const ImportServices services { progress, progress, platform.messages, m_window.programDir() };
            (void)importShortcutFiles(store, selectionOf(paths), services);
            m_window.closeTransient(&progress);
        } catch (const std::exception& error) {
            store.SetCurrentFolder(remembered);
            reportUnexpected(platform.messages, "Error importing shortcuts", error);
        }
    }
    refreshPanes();
}

void ImportExportCommands::showProgress(frmImport& progress)
{
    m_window.ApplyProgramFont(&progress);
    progress.adjustSize();
    m_window.CenterOverMainWindow(&progress);
    progress.show();
    progress.processEvents();
}

void ImportExportCommands::refreshPanes()
{
    m_window.FillList();
    m_window.BuildTree();
}

void ImportExportCommands::ExportShortcuts()
{
    if (m_running) {
        m_window.platform().messages.beep();
        return;
    }
    RunningMark running(m_running, m_window);
    MessageBoxes& messages = m_window.platform().messages;
    try {
        (void)exportShortcuts(shownRows(), m_window.programDir(), messages);
    } catch (const std::exception& error) {
        reportUnexpected(messages, "Error exporting shortcuts", error);
    }
}

void ImportExportCommands::ExportAs(ExportKind type)
{
    if (m_running) {
        m_window.platform().messages.beep();
        return;
    }
    RunningMark running(m_running, m_window);
    frmExport dialog(m_window, shownRows());
    dialog.setFileType(type);
    dialog.exec();
}

}  // namespace brindlex
