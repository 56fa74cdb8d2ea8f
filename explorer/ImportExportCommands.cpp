#include "explorer/ImportExportCommands.h"

#include <exception>
#include <new>
#include <optional>
#include <string>

#include <QDir>

#include "explorer/CommandTable.h"
#include "explorer/ContentsList.h"
#include "explorer/ContentsModel.h"
#include "explorer/FolderPanes.h"
#include "explorer/LongWork.h"
#include "explorer/WaitCursor.h"
#include "formats/ImportSteps.h"
#include "formats/ui/DialogFilters.h"
#include "formats/ui/frmExport.h"
#include "formats/ui/frmImport.h"
#include "platform/MessageBoxes.h"
#include "platform/Platform.h"
#include "platform/qt/DialogHost.h"
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
    { ImportKind::Firefox, Command::ImportFirefox },
    { ImportKind::Chromium, Command::ImportChromium },
};

// Marks a command as running for the lifetime of the scope, whatever way it is left; the
// main window is kept open meanwhile.
class RunningMark
{
public:
    RunningMark(bool& flag, LongWork& work)
        : m_flag(flag)
        , m_work(work)
    {
        m_flag = true;
        m_work.begin();
    }
    ~RunningMark()
    {
        m_flag = false;
        m_work.end();
    }
    RunningMark(const RunningMark&) = delete;
    RunningMark& operator=(const RunningMark&) = delete;

private:
    bool& m_flag;
    LongWork& m_work;
};

FileDialogRequest openRequest(ImportKind kind)
{
    const ImportCommandText& text = importCommandText(kind);
    // A profile import starts where the browsers keep their profiles.
    std::string directory;
    if (const std::optional<ProfileBrowser> browser = profileBrowserOf(kind)) {
        directory = profileStartFolder(*browser, toUtf8(QDir::homePath()));
    }
    return FileDialogRequest { text.dialogTitle, qtFilter(text.filter), directory, text.initialName,
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

// `doing` says what failed: "importing PATH". Memory that ran out is told as such rather
// than by the exception's name.
void reportUnexpected(MessageBoxes& messages, const std::string& doing, const std::exception& error)
{
    if (dynamic_cast<const std::bad_alloc*>(&error) != nullptr) {
        messages.show("Error", "Out of memory " + doing + "...", MessageIcon::Critical);
        return;
    }
    messages.show("Error", "Error " + doing + ": " + error.what(), MessageIcon::Information);
}

}  // namespace

ImportExportCommands::ImportExportCommands(FolderPanes& panes, CommandTable& commands, const DialogHost& dialogs,
    const Platform& platform, FileDialogs& fileDialogs, std::string programDir, LongWork& work)
    : m_panes(panes)
    , m_dialogs(dialogs)
    , m_platform(platform)
    , m_fileDialogs(fileDialogs)
    , m_programDir(std::move(programDir))
    , m_work(work)
{
    for (const auto [kind, command] : ImportCommands) {
        commands.connect(command, [this, kind] { Import(kind); });
    }
    commands.connect(Command::ExportShortcuts, [this] { ExportShortcuts(); });
    commands.connect(Command::ExportAs, [this] { ExportAs(ExportKind::Netscape); });
}

std::vector<ListRow> ImportExportCommands::shownRows() const
{
    const ContentsList& list = *m_panes.ListView1();
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
        m_platform.messages.beep();
        return;
    }
    RunningMark running(m_running, m_work);
    if (kind == ImportKind::Shortcuts) {
        importShortcuts();
    } else {
        importSingleFile(kind);
    }
}

void ImportExportCommands::importSingleFile(ImportKind kind)
{
    const Platform& platform = m_platform;
    const std::optional<std::string> path = m_fileDialogs.openFile(m_dialogs.parent(), openRequest(kind));
    if (!path) {
        return;
    }
    if (!checkImportPath(kind, *path, platform.messages)) {
        return;
    }
    LinkStore& store = m_panes.store();
    Folder& remembered = store.CurrentFolder();
    {
        WaitCursor wait;
        try {
            if (kind == ImportKind::Database) {
                NoProgress none;
                const ImportServices services { none, platform.events, platform.messages, m_programDir };
                (void)importFileAsStep(store, kind, *path, services);
            } else {
                frmImport progress(platform.events, m_dialogs.parent());
                showProgress(progress);
                const ImportServices services { progress, progress, platform.messages, m_programDir };
                // A failure has been shown, naming the file; what was read stays.
                (void)importFileAsStep(store, kind, *path, services);
                m_dialogs.closeTransient(&progress);
            }
        } catch (const std::exception& error) {
            store.SetCurrentFolder(remembered);
            reportUnexpected(platform.messages, "importing " + *path, error);
        }
    }
    refreshPanes();
}

void ImportExportCommands::importShortcuts()
{
    const Platform& platform = m_platform;
    const std::vector<std::string> paths
        = m_fileDialogs.openFiles(m_dialogs.parent(), openRequest(ImportKind::Shortcuts));
    if (paths.empty()) {
        return;
    }
    LinkStore& store = m_panes.store();
    Folder& remembered = store.CurrentFolder();
    {
        WaitCursor wait;
        try {
            frmImport progress(platform.events, m_dialogs.parent());
            showProgress(progress);
            const ImportServices services { progress, progress, platform.messages, m_programDir };
            (void)importShortcutFilesAsStep(store, selectionOf(paths), services);
            m_dialogs.closeTransient(&progress);
        } catch (const std::exception& error) {
            store.SetCurrentFolder(remembered);
            reportUnexpected(platform.messages, "importing shortcuts", error);
        }
    }
    refreshPanes();
}

void ImportExportCommands::showProgress(frmImport& progress)
{
    m_dialogs.prepare(&progress);
    progress.show();
    progress.processEvents();
}

void ImportExportCommands::refreshPanes()
{
    m_panes.FillList();
    m_panes.BuildTree();
}

void ImportExportCommands::ExportShortcuts()
{
    if (m_running) {
        m_platform.messages.beep();
        return;
    }
    RunningMark running(m_running, m_work);
    MessageBoxes& messages = m_platform.messages;
    try {
        (void)exportShortcuts(shownRows(), m_programDir, messages);
    } catch (const std::exception& error) {
        reportUnexpected(messages, "exporting shortcuts", error);
    }
}

void ImportExportCommands::ExportAs(ExportKind type)
{
    if (m_running) {
        m_platform.messages.beep();
        return;
    }
    RunningMark running(m_running, m_work);
    frmExport dialog(m_dialogs, m_panes.store(), m_platform.messages, m_fileDialogs, m_programDir, shownRows());
    dialog.setFileType(type);
    dialog.exec();
}

}  // namespace brindlex
