#include <algorithm>
#include <filesystem>
#include <iostream>
#include <new>
#include <system_error>

#include "formats/ImportExport.h"
#include "platform/Clock.h"
#include "platform/EventPump.h"
#include "platform/MessageBoxes.h"
#include "platform/Progress.h"
#include "store/DatabaseFile.h"
#include "store/DatabaseLock.h"
#include "store/FileAccess.h"
#include "store/Images.h"
#include "store/Limits.h"
#include "store/LinkStore.h"
#include "store/ListRow.h"
#include "store/ProgramDirectory.h"
#include "store/Text.h"
#include "tools/bdxtool/Commands.h"
#include "tools/bdxtool/ToolDatabase.h"

namespace brindlex::bdxtool {

namespace {

namespace fs = std::filesystem;

// How long a command waits for a database that another process is writing.
constexpr auto LockWait = std::chrono::seconds(2);

constexpr const char* ImportUsage = "usage: bdxtool import FORMAT FILE... --into DB [--folder PATH]";
constexpr const char* ExportUsage = "usage: bdxtool export FORMAT OUT --from DB [--range 1|2|3] [--folder PATH]";

// The formats by their command-line names. bdx and url have no writer of the export
// dialog: bdx is the database file itself, url a folder of shortcut files. firefox and
// chromium read a browser profile (its folder or its bookmarks file) and write nothing.
struct ToolFormat
{
    const char* name;
    ImportKind import;
    std::optional<ExportKind> writer;
};

constexpr ToolFormat Formats[] = {
    { "bdx", ImportKind::Database, std::nullopt },
    { "netscape", ImportKind::Netscape, ExportKind::Netscape },
    { "mosaic", ImportKind::Mosaic, ExportKind::Mosaic },
    { "spry", ImportKind::Spry, ExportKind::Spry },
    { "spyglass", ImportKind::Spyglass, ExportKind::Spyglass },
    { "url", ImportKind::Shortcuts, std::nullopt },
    { "html", ImportKind::Html, ExportKind::Html },
    { "firefox", ImportKind::Firefox, std::nullopt },
    { "chromium", ImportKind::Chromium, std::nullopt },
};

const ToolFormat* formatNamed(const std::string& name)
{
    for (const ToolFormat& format : Formats) {
        if (name == format.name) {
            return &format;
        }
    }
    return nullptr;
}

int unknownFormat(const std::string& name)
{
    return usage("unknown format " + name + " (one of bdx netscape mosaic spry spyglass url html firefox chromium)");
}

// The message boxes of the import and export commands, for a program without a window:
// the text of the last error shown becomes bdxtool's one-line message. The older-layout
// notice is information only and does not count as an error.
class ToolMessages : public MessageBoxes
{
public:
    Answer show(const std::string& title, const std::string& text, MessageIcon, MessageButtons) override
    {
        if (title == NestingLimitTitle) {
            // A notice: the import goes on, and the user learns that the tree changed.
            std::cerr << "bdxtool: " << text << "\n";
        } else if (title != "Outdated Database") {
            m_last = text;
            std::replace(m_last.begin(), m_last.end(), '\n', ' ');
        }
        return Answer::Ok;
    }
    void beep() override { m_beeped = true; }

    const std::string& last() const { return m_last; }
    bool beeped() const { return m_beeped; }

private:
    std::string m_last;
    bool m_beeped = false;
};

// Why `file` cannot be imported as `format`, or nothing. The window's extension checks
// apply; a shortcut file is checked by its name, as the window checks each chosen file.
std::optional<std::string> refusedImport(const ToolFormat& format, const std::string& file)
{
    if (const std::optional<ProfileBrowser> browser = profileBrowserOf(format.import)) {
        const Result<ProfileBookmarks> found = findProfileBookmarks(*browser, file);
        if (!found.ok()) {
            return file + ": " + found.error().message;
        }
        return std::nullopt;
    }
    std::error_code error;
    if (!fs::exists(file, error)) {
        return file + ": no such file";
    }
    if (!fs::is_regular_file(file, error)) {
        return file + ": not a regular file";
    }
    if (format.import == ImportKind::Shortcuts) {
        if (lowerAscii(fs::path(file).filename().string()).find(".url") == std::string::npos) {
            return file + ": Invalid File Format. Must be *.URL";
        }
        return std::nullopt;
    }
    ToolMessages messages;
    if (!checkImportPath(format.import, file, messages)) {
        return file + ": " + messages.last();
    }
    return std::nullopt;
}

// Imports one file below CurrentFolder with the window's import code. The error is the
// one line to print.
Status importOne(LinkStore& store, const ToolFormat& format, const std::string& file)
{
    if (format.import == ImportKind::Database) {
        // Read directly so that the message can say which line is wrong.
        InputFile in;
        if (const Status opened = in.open(file); !opened.ok()) {
            return Error { ErrorKind::NotFound, "cannot open " + file + ": " + opened.error().message };
        }
        size_t placed = 0;
        const Result<DatabaseLayout> read = readDatabase(in, store, true, &placed);
        if (!read.ok()) {
            return Error { read.error().kind, file + ": " + read.error().message };
        }
        if (placed > 0) {
            std::cerr << "bdxtool: " << nestingLimitMessage(file) << "\n";
        }
        return Status::Ok();
    }
    NoProgress progress;
    NoEvents events;
    ToolMessages messages;
    const ImportServices services { progress, events, messages, programDirectory() };
    // The Mosaic reader finds folders by Path, which the window's tree keeps up to date;
    // no other reader looks at it, and the paths are never stored.
    if (format.import == ImportKind::Mosaic) {
        assignTreePaths(store);
    }
    Status imported = Status::Ok();
    if (format.import == ImportKind::Shortcuts) {
        const fs::path path(file);
        const std::string directory = path.has_parent_path() ? path.parent_path().string() + "/" : "";
        imported = importShortcutFiles(store, FileSelection { directory, { path.filename().string() } }, services);
    } else {
        imported = importFile(store, format.import, file, services);
    }
    if (!imported.ok()) {
        return Error { imported.error().kind, messages.last().empty() ? imported.error().message : messages.last() };
    }
    return Status::Ok();
}

// Reads the range option for `format`. Ranges 1 and 2 work on --folder, 3 on the whole
// database; range 0, the rows selected in the window, has no meaning here.
std::optional<int> rangeFor(const ToolFormat& format, const std::optional<std::string>& option,
    const std::optional<std::string>& folder, std::string& refusal)
{
    if (!format.writer) {
        if (format.import == ImportKind::Database) {
            if (option.value_or("3") != "3" || folder) {
                refusal = "bdx always writes the entire database; --range and --folder do not apply";
                return std::nullopt;
            }
            return 3;
        }
        if (option.value_or("1") != "1") {
            refusal = "url writes one shortcut file per link of one folder (--range 1, the default)";
            return std::nullopt;
        }
        return 1;
    }
    const std::string value = option.value_or("3");
    if (value == "0") {
        refusal = "--range 0 (Selected Items) needs rows selected in the window; use --range 1, 2 or 3";
        return std::nullopt;
    }
    if (value != "1" && value != "2" && value != "3") {
        refusal = "--range is 1, 2 or 3";
        return std::nullopt;
    }
    if (value == "3" && folder) {
        refusal = "--folder selects the folder of ranges 1 and 2; range 3 writes the entire database";
        return std::nullopt;
    }
    return value[0] - '0';
}

// Writes a shortcut file for every link of `from` into the directory `out`, made when
// it does not exist yet.
int exportShortcutsTo(LinkStore& store, Folder& from, const std::string& out)
{
    std::vector<ListRow> rows = listRows(from);
    std::erase_if(rows, [](const ListRow& row) { return row.Icon == Image::Folder; });
    if (rows.empty()) {
        return badInput(pathOf(store, from) + " holds no links to write");
    }
    for (ListRow& row : rows) {
        row.Selected = true;
    }
    std::error_code error;
    if (!fs::is_directory(out, error)) {
        if (fs::exists(out, error) || !fs::create_directory(out, error)) {
            return badInput(out + ": not a directory that shortcut files can be written to");
        }
    }
    ToolMessages messages;
    const Status written = exportShortcuts(rows, out, messages);
    if (!written.ok()) {
        return badInput(messages.last().empty() ? written.error().message : messages.last());
    }
    return 0;
}

}  // namespace

int runImport(const std::vector<std::string>& arguments, LinkStore& store)
{
    std::vector<std::string> args = arguments;
    std::vector<std::optional<std::string>> options;
    if (!takeOptions(args, { "into", "folder" }, options) || args.size() < 2 || !options[0]) {
        return usage(ImportUsage);
    }
    const ToolFormat* format = formatNamed(args[0]);
    if (format == nullptr) {
        return unknownFormat(args[0]);
    }
    // Every file is checked before the database is touched.
    for (size_t i = 1; i < args.size(); ++i) {
        if (const std::optional<std::string> refusal = refusedImport(*format, args[i])) {
            return badInput(*refusal);
        }
    }
    const std::string& db = *options[0];
    // Held from the load to the save, so that no other process saves in between.
    DatabaseLock lock;
    if (const Status locked = lock.acquire(db, LockWait); !locked.ok()) {
        return badInput(locked.error().message);
    }
    // What the command is busy with, for the message when memory runs out.
    std::string doing = "reading " + db;
    try {
        if (fs::exists(db)) {
            const Result<DatabaseLayout> layout = loadDatabase(store, db);
            if (!layout.ok()) {
                return badInput(layout.error().message);
            }
        } else {
            store.NewDatabase(programDirectory());
            store.SetDatabasePath(db);
            // Named after its file, as Save As names a database.
            const std::string& title = store.DatabaseTitle();
            store.Root().Caption = title.substr(0, title.find('.'));
        }
        if (options[1] && folderAtPath(store, *options[1]) == nullptr) {
            return badInput("no folder " + *options[1]);
        }
        for (size_t i = 1; i < args.size(); ++i) {
            doing = "reading " + args[i];
            // Looked up again each time: an import may rename the folders it fills.
            Folder* into = options[1] ? folderAtPath(store, *options[1]) : &store.Root();
            store.SetCurrentFolder(into != nullptr ? *into : store.Root());
            const Status imported = importOne(store, *format, args[i]);
            if (!imported.ok()) {
                // Nothing is saved: the database file stays as it was.
                return badInput(imported.error().message);
            }
        }
        doing = "writing " + db;
        const Status saved = SaveDatabase(store);
        if (!saved.ok()) {
            return badInput(saved.error().message);
        }
    } catch (const std::bad_alloc&) {
        // Nothing was saved half way: the database file stays as it was.
        return badInput("out of memory " + doing);
    }
    return 0;
}

int runExport(const std::vector<std::string>& arguments, LinkStore& store)
{
    std::vector<std::string> args = arguments;
    std::vector<std::optional<std::string>> options;
    if (!takeOptions(args, { "from", "range", "folder" }, options) || args.size() != 2 || !options[0]) {
        return usage(ExportUsage);
    }
    const ToolFormat* format = formatNamed(args[0]);
    if (format == nullptr) {
        return unknownFormat(args[0]);
    }
    if (profileBrowserOf(format->import)) {
        return usage(args[0] + " is read from a browser profile and cannot be written; export as netscape, which "
            + "every browser imports");
    }
    std::string refusal;
    const std::optional<int> range = rangeFor(*format, options[1], options[2], refusal);
    if (!range) {
        return usage(refusal);
    }
    std::string doing = "reading " + *options[0];
    try {
        const Result<DatabaseLayout> layout = loadDatabase(store, *options[0]);
        if (!layout.ok()) {
            return badInput(layout.error().message);
        }
        Folder* from = options[2] ? folderAtPath(store, *options[2]) : &store.Root();
        if (from == nullptr) {
            return badInput("no folder " + *options[2]);
        }
        store.SetCurrentFolder(*from);
        const std::string& out = args[1];
        doing = "writing " + out;

        if (format->import == ImportKind::Database) {
            DatabaseLock lock;
            if (const Status locked = lock.acquire(out, LockWait); !locked.ok()) {
                return badInput(locked.error().message);
            }
            store.SetDatabasePath(out);
            const Status saved = SaveDatabase(store);
            return saved.ok() ? 0 : badInput(saved.error().message);
        }
        if (format->import == ImportKind::Shortcuts) {
            return exportShortcutsTo(store, *from, out);
        }
        // Range 1 writes the folder's rows as the contents list shows them.
        const std::vector<ListRow> rows = listRows(*from);
        ToolMessages messages;
        const Status written
            = exportFile(store, *format->writer, out, static_cast<ExportRange>(*range), rows, messages);
        if (!written.ok()) {
            return badInput(messages.last().empty() ? written.error().message : messages.last());
        }
        return 0;
    } catch (const std::bad_alloc&) {
        return badInput("out of memory " + doing);
    }
}

}  // namespace brindlex::bdxtool
