#include "formats/ImportExport.h"

#include <algorithm>
#include <cstring>
#include <istream>
#include <unordered_map>
#include <unordered_set>

#include "formats/BookmarkTree.h"
#include "formats/HtmlLinks.h"
#include "formats/InternetShortcut.h"
#include "formats/MosaicHotlist.h"
#include "formats/NetscapeFormat.h"
#include "formats/SpryHotlist.h"
#include "platform/EventPump.h"
#include "platform/MessageBoxes.h"
#include "platform/Progress.h"
#include "store/AtomicFile.h"
#include "store/DatabaseFile.h"
#include "store/FileAccess.h"
#include "store/Limits.h"
#include "store/LinkStore.h"
#include "store/Text.h"
#include "store/TextFile.h"

namespace brindlex {

namespace {

// Every open dialog also offers all files. Dialogs of the HTML-based formats match
// ".html" as well as ".htm": every browser today writes "bookmarks.html". The texts
// before each "|" are the descriptions the dialogs show.
constexpr ImportCommandText ImportTexts[] = {
    { "Import a Brindlex Database file", "*.BDX", ".bdx", "Brindlex Database Files (*.BDX)|*.BDX|All Files (*)|*" },
    { "Import a Netscape Bookmark file", "*.HTM", ".htm",
        "Netscape HTM Bookmark Files (*.HTM)|*.HTM;*.HTML|All Files (*)|*" },
    { "Import MS Internet Explorer Url Files", "*.URL", ".url",
        "MS Internet Explorer URL files (*.URL)|*.URL|All Files (*)|*" },
    { "Import a NCSA Mosaic Hotlist file", "*.HOT", ".hot", "NCSA Mosaic Hotlist Files (*.HOT)|*.HOT|All Files (*)|*" },
    { "Import a Spyglass Mosaic Hotlist file", "*.HTM", ".htm",
        "Spyglass HTM Hotlist Files (*.HTM)|*.HTM;*.HTML|All Files (*)|*" },
    { "Import a Spry Mosaic Hotlist file", "*.HOT", ".hot", "Spry Mosaic Hotlist Files (*.HOT)|*.HOT|All Files (*)|*" },
    { "Extract URLs from an HTML File", "*.HTM", ".htm", "HTML Files (*.HTM,*.HTML)|*.HTM;*.HTML|All Files (*)|*" },
    { "Import the bookmarks of a Firefox profile", "places.sqlite", ".sqlite",
        "Firefox Bookmarks (places.sqlite)|places.sqlite|All Files (*)|*" },
    { "Import the bookmarks of a Chromium profile", "Bookmarks", "",
        "Chromium Bookmarks (Bookmarks)|Bookmarks|All Files (*)|*" },
};

constexpr ExportTypeText ExportTexts[] = {
    { "Netscape Bookmarks", "*.htm", "Netscape Bookmarks File (*.HTM)|*.htm;*.html" },
    { "NCSA Mosaic Hotlist", "*.hot", "NCSA Mosaic Hotlist File (*.HOT)|*.hot" },
    { "Spry Mosaic Hotlist", "*.hot", "Spry Mosaic Hotlist File (*.HOT)|*.hot" },
    { "Spyglass Mosaic Hotlist", "*.htm", "Spyglass Mosaic Hotlist File (*.HTM)|*.htm;*.html" },
    { "HTML File", "*.htm", "HTML File (*.HTM,*.HTML)|*.htm;*.html" },
};

// The marks of a format that a piece of its text (whole lines) may hold. Files of the
// other formats, binary files and empty ones have none of them.
bool hasMarks(ImportKind kind, std::string_view text)
{
    const auto has = [&](std::string_view mark) { return text.find(mark) != std::string_view::npos; };
    const auto hasNoCase = [&](std::string_view mark) { return findNoCase(text, mark) != std::string_view::npos; };
    switch (kind) {
    case ImportKind::Netscape:
        return hasNoCase("<DL>") || hasNoCase("<DT>") || hasNoCase("<H3") || hasNoCase("<A");
    case ImportKind::Mosaic: {
        if (has("[User Menu")) {
            return true;
        }
        LineCursor lines(text);
        for (std::string_view line; lines.next(line);) {
            if (line.substr(0, 4) == "Item" && line.find('=') != std::string_view::npos) {
                return true;
            }
        }
        return false;
    }
    case ImportKind::Spry:
        return has("Hotlist") || has("Sublist") || has("Item");
    case ImportKind::Spyglass:
        return hasNoCase("href") || hasNoCase("<title>");
    case ImportKind::Html:
        for (size_t lt = text.find('<'); lt != std::string_view::npos; lt = text.find('<', lt + 1)) {
            const char next = lt + 1 < text.size() ? text[lt + 1] : ' ';
            if ((next >= 'A' && next <= 'Z') || (next >= 'a' && next <= 'z') || next == '!') {
                return true;
            }
        }
        return false;
    case ImportKind::Database:
    case ImportKind::Shortcuts:
    case ImportKind::Firefox:  // read by SQLite and JSON, which refuse what is not theirs
    case ImportKind::Chromium:
        break;
    }
    return true;
}

const char* formatName(ImportKind kind)
{
    switch (kind) {
    case ImportKind::Netscape:
        return "a Netscape bookmark file";
    case ImportKind::Mosaic:
        return "an NCSA Mosaic hotlist file";
    case ImportKind::Spry:
        return "a Spry Mosaic hotlist file";
    case ImportKind::Spyglass:
        return "a Spyglass Mosaic hotlist file";
    case ImportKind::Html:
        return "an HTML file";
    case ImportKind::Shortcuts:
        return "an Internet shortcut file";
    case ImportKind::Firefox:
        return "a Firefox bookmarks file";
    case ImportKind::Chromium:
        return "a Chromium bookmarks file";
    case ImportKind::Database:
        break;
    }
    return "a Brindlex database file";
}

// Looks through the file for a mark of its format before anything is imported: a file
// with none, or with a NUL byte in its first 4 KiB (binary), is "not a ... file". The
// marks of a real file lie in its first block, so this reads little more than that.
Status recognise(ImportKind kind, const std::string& path)
{
    TextFileBuf file;
    if (Status opened = file.open(path, false); !opened.ok()) {
        return opened;
    }
    const Error refused { ErrorKind::Format, std::string("not ") + formatName(kind) };
    constexpr size_t BinaryWindow = 4096;
    size_t looked = 0;  // bytes of the first 4 KiB already looked through for a NUL
    bool marked = false;
    for (std::string_view block; file.nextBlock(block);) {
        if (looked < BinaryWindow) {
            const size_t span = std::min(block.size(), BinaryWindow - looked);
            if (std::memchr(block.data(), '\0', span) != nullptr) {
                return refused;
            }
            looked += span;
        }
        marked = marked || hasMarks(kind, block);
        if (marked && looked >= BinaryWindow) {
            return Status::Ok();
        }
    }
    if (file.readFailed()) {
        return Error { ErrorKind::Io, file.readError() };
    }
    return marked ? Status::Ok() : Status(refused);
}

// Makes a folder current again however the import ends (an error, or memory running out).
class CurrentFolderKeeper
{
public:
    explicit CurrentFolderKeeper(LinkStore& store)
        : m_store(store)
        , m_folder(store.CurrentFolderPtr())
    {
    }
    ~CurrentFolderKeeper()
    {
        // The folder may have left the flat list (a failed import undone); the root then.
        m_store.SetCurrentFolder(m_store.FindFolder(m_folder->id) == m_folder.get() ? *m_folder : m_store.Root());
    }
    CurrentFolderKeeper(const CurrentFolderKeeper&) = delete;
    CurrentFolderKeeper& operator=(const CurrentFolderKeeper&) = delete;

private:
    LinkStore& m_store;
    std::shared_ptr<Folder> m_folder;
};

bool isHtmlBased(ImportKind kind)
{
    return kind == ImportKind::Netscape || kind == ImportKind::Spyglass || kind == ImportKind::Html;
}

void reportImportFailure(MessageBoxes& messages, const std::string& path, const Error& error)
{
    messages.show("Error", "Error importing " + path + ": " + error.message, MessageIcon::Information);
}

// Runs the reader of `kind` on the file's decoded text.
Status runReader(LinkStore& store, ImportKind kind, std::istream& in, const ReadContext& context)
{
    switch (kind) {
    case ImportKind::Netscape:
        return ImportNetscapeFile(in, store, context);
    case ImportKind::Mosaic:
        return ImportMosaicHotlist(in, store, store.CurrentFolder(), context);
    case ImportKind::Spyglass:
        return ImportSpyglassHotlist(in, store, context);
    case ImportKind::Spry:
        return ImportSpryHotlist(in, store, context);
    case ImportKind::Html:
        return ExtractHtmlLinks(in, store, context);
    case ImportKind::Database:
    case ImportKind::Shortcuts:
    case ImportKind::Firefox:
    case ImportKind::Chromium:
        break;
    }
    return Error { ErrorKind::Usage, "not a single-file reader" };
}

// Reads the whole profile before anything is added, so that a failure changes nothing.
Status importProfile(LinkStore& store, ProfileBrowser browser, const std::string& path, const ImportServices& services)
{
    const Result<ProfileBookmarks> found = findProfileBookmarks(browser, path);
    if (!found.ok()) {
        reportImportFailure(services.messages, path, found.error());
        return found.error();
    }
    const ProfileBookmarks& profile = found.value();
    services.progress.setValue(0);
    services.progress.setLabel("Importing " + profile.caption);
    services.events.processEvents();
    const Result<BookmarkTree> tree = readProfileBookmarks(browser, profile);
    if (!tree.ok()) {
        reportImportFailure(services.messages, profile.file, tree.error());
        return tree.error();
    }
    if (tree.value().empty()) {
        const Error none { ErrorKind::NotFound, "the profile holds no bookmarks" };
        reportImportFailure(services.messages, profile.file, none);
        return none;
    }
    addBookmarkTree(store, profile.caption, tree.value(), ReadContext { services.progress, services.events });
    return Status::Ok();
}

}  // namespace

std::optional<ProfileBrowser> profileBrowserOf(ImportKind kind)
{
    switch (kind) {
    case ImportKind::Firefox:
        return ProfileBrowser::Firefox;
    case ImportKind::Chromium:
        return ProfileBrowser::Chromium;
    default:
        return std::nullopt;
    }
}

const ImportCommandText& importCommandText(ImportKind kind)
{
    return ImportTexts[static_cast<int>(kind)];
}

const ExportTypeText& exportTypeText(ExportKind kind)
{
    return ExportTexts[static_cast<int>(kind)];
}

bool checkImportPath(ImportKind kind, const std::string& path, MessageBoxes& messages)
{
    const std::string lower = lowerAscii(path);
    auto has = [&](const char* text) { return lower.find(text) != std::string::npos; };
    const char* message = nullptr;
    switch (kind) {
    case ImportKind::Database:
        message = has(".bdx") ? nullptr : "Invalid File Format. Must be *.BDX";
        break;
    case ImportKind::Netscape:
    case ImportKind::Html:
        message = has(".htm") || has(".html") ? nullptr : "Invalid File Format. Must be *.HTM or *.HTML";
        break;
    case ImportKind::Mosaic:
    case ImportKind::Spry:
        message = has(".hot") ? nullptr : "Invalid File Format. Must be *.HOT";
        break;
    case ImportKind::Spyglass:
        message = has(".htm") ? nullptr : "Invalid File Format. Must be *.HTM";
        break;
    case ImportKind::Shortcuts:
    case ImportKind::Firefox:
    case ImportKind::Chromium:
        break;
    }
    if (message != nullptr) {
        messages.show("Error", message, MessageIcon::Information);
        return false;
    }
    return true;
}

Status importFile(LinkStore& store, ImportKind kind, const std::string& path, const ImportServices& services)
{
    if (!checkImportPath(kind, path, services.messages)) {
        return Error { ErrorKind::Refused, "Invalid File Format" };
    }
    Folder& remembered = store.CurrentFolder();
    if (kind == ImportKind::Database) {
        const bool loaded = LoadDatabase(
            store, path, true, DatabaseContext { services.messages, services.events, services.programDir });
        store.SetCurrentFolder(remembered);
        // LoadDatabase has already told the user what went wrong.
        return loaded ? Status::Ok() : Status(Error { ErrorKind::Format, "Error loading " + path });
    }
    if (kind == ImportKind::Shortcuts) {
        const size_t slash = path.find_last_of('/');
        FileSelection one { slash == std::string::npos ? "" : path.substr(0, slash + 1),
            { slash == std::string::npos ? path : path.substr(slash + 1) } };
        return importShortcutFiles(store, one, services);
    }
    if (const std::optional<ProfileBrowser> browser = profileBrowserOf(kind)) {
        return importProfile(store, *browser, path, services);
    }

    if (Status known = recognise(kind, path); !known.ok()) {
        reportImportFailure(services.messages, path, known.error());
        return known;
    }
    // The file streams through the reader block by block: a large file is never held
    // whole, and UTF-8 text reaches the reader without being copied.
    TextFileBuf text;
    if (Status opened = text.open(path, isHtmlBased(kind)); !opened.ok()) {
        reportImportFailure(services.messages, path, opened.error());
        return opened;
    }
    std::istream in(&text);

    const CurrentFolderKeeper keeper(store);
    std::string htmlFolderId;
    if (kind == ImportKind::Html) {
        htmlFolderId = store.CreateEntry(true, "", 6, "", "Folder", "");
        if (Folder* folder = store.FindFolder(htmlFolderId)) {
            store.SetCurrentFolder(*folder);
        }
    }
    size_t placed = 0;
    const ReadContext context { services.progress, services.events, &placed };
    // The Netscape reader places folders at the limit itself as it makes them, when it
    // starts above the limit; then the pass below, which looks at every entry of the
    // model, would find nothing among them.
    const bool placesItself = kind == ImportKind::Netscape && store.FolderDepth(store.CurrentFolder()) < MaxFolderDepth;
    Status read = kind == ImportKind::Netscape ? ImportNetscapeText(text, path, store, context)
                                               : runReader(store, kind, in, context);
    // A read error (or a line too long to take) is what went wrong, whatever the reader
    // made of the text ending early.
    if (text.readFailed()) {
        read = Error { ErrorKind::Io, text.readError() };
    }
    store.SetCurrentFolder(remembered);
    if (!placesItself) {
        placed += store.PlaceDeepFolders(MaxFolderDepth);
    }
    if (placed > 0) {
        services.messages.show(NestingLimitTitle, nestingLimitMessage(path), MessageIcon::Information);
    }
    if (kind == ImportKind::Html) {
        const Folder* folder = store.FindFolder(htmlFolderId);
        FolderItem* entry = store.FindItem(remembered, htmlFolderId);
        if (folder != nullptr && entry != nullptr) {
            entry->Caption = folder->Caption;
        }
    }
    if (!read.ok()) {
        reportImportFailure(services.messages, path, read.error());
    }
    return read;
}

FileSelection splitFileSelection(std::string_view returned)
{
    FileSelection selection;
    if (returned.find('\0') != std::string_view::npos) {
        size_t start = 0;
        bool first = true;
        while (start <= returned.size()) {
            const size_t end = returned.find('\0', start);
            const std::string_view part
                = returned.substr(start, end == std::string_view::npos ? std::string_view::npos : end - start);
            if (first) {
                selection.directory = std::string(part) + "/";
                first = false;
            } else if (!part.empty()) {
                selection.names.emplace_back(part);
            }
            if (end == std::string_view::npos) {
                break;
            }
            start = end + 1;
        }
        return selection;
    }
    const size_t slash = returned.find_last_of('/');
    if (slash == std::string_view::npos) {
        selection.names.emplace_back(returned);
    } else {
        selection.directory = std::string(returned.substr(0, slash + 1));
        selection.names.emplace_back(returned.substr(slash + 1));
    }
    return selection;
}

Status importShortcutFiles(LinkStore& store, const FileSelection& files, const ImportServices& services)
{
    Folder& remembered = store.CurrentFolder();
    const size_t n = files.names.size();
    const size_t steps = n > 1 ? n - 1 : 1;
    for (size_t i = 0; i < n; ++i) {
        const std::string& fileName = files.names[i];
        services.progress.setValue(static_cast<int>(i * 100 / steps));
        if (lowerAscii(fileName).find(".url") == std::string::npos) {
            continue;
        }
        const std::string name = fileName.substr(0, fileName.size() - 4);
        services.progress.setLabel("Importing URL " + name);
        services.events.processEvents();
        const std::string path = files.directory + fileName;
        Status read = recognise(ImportKind::Shortcuts, path);
        TextFileBuf text;
        if (read.ok()) {
            read = text.open(path, false);
        }
        if (read.ok()) {
            std::istream in(&text);
            read = ImportShortcutFile(in, store, name);
            if (text.readFailed()) {
                read = Error { ErrorKind::Io, text.readError() };
            }
        }
        if (!read.ok()) {
            store.SetCurrentFolder(remembered);
            reportImportFailure(services.messages, path, read.error());
            return read;
        }
    }
    store.SetCurrentFolder(remembered);
    return Status::Ok();
}

std::string exportTitle(const std::string& path)
{
    const size_t slash = path.find_last_of('/');
    std::string name = slash == std::string::npos ? path : path.substr(slash + 1);
    name.resize(name.size() > 4 ? name.size() - 4 : 0);
    return name;
}

Status exportFile(LinkStore& store, ExportKind kind, const std::string& path, ExportRange range,
    std::span<const ListRow> rows, MessageBoxes& messages)
{
    const std::string title = exportTitle(path);
    const Status written = writeFileAtomically(path, [&](std::ostream& out) -> Status {
        switch (kind) {
        case ExportKind::Netscape:
            return ExportNetscapeFile(out, title, range, store, rows);
        case ExportKind::Mosaic:
            return ExportMosaicHotlist(out, title, range, store, rows);
        case ExportKind::Spry:
            return ExportSpryHotlist(out, title, range, store, rows);
        case ExportKind::Spyglass:
            return ExportSpyglassHotlist(out, title, range, store, rows);
        case ExportKind::Html:
            return ExportHtmlFile(out, title, range, store, rows);
        }
        return Error { ErrorKind::Usage, "unknown file type" };
    });
    if (!written.ok()) {
        messages.show("Error", "Error exporting " + path + ": " + written.error().message, MessageIcon::Information);
    }
    return written;
}

Status exportShortcuts(std::span<const ListRow> rows, const std::string& programDir, MessageBoxes& messages)
{
    const Status written = ExportShortcutFiles(rows, programDir, messages);
    if (!written.ok()) {
        messages.show("Error", "Error exporting shortcuts: " + written.error().message, MessageIcon::Information);
    }
    return written;
}

void assignTreePaths(LinkStore& store)
{
    std::unordered_set<const Folder*> reached { &store.Root() };
    store.Root().Path = store.Root().Caption;
    store.WalkFolders(store.Root(), [&](Folder& folder, int) {
        for (const auto& item : folder.FolderItems) {
            if (item->IsFolder) {
                if (Folder* sub = store.FindFolder(item->IID); sub != nullptr && reached.insert(sub).second) {
                    sub->Path.reserve(folder.Path.size() + 1 + sub->Caption.size());
                    sub->Path.assign(folder.Path);
                    sub->Path += '\\';
                    sub->Path += sub->Caption;
                }
            }
        }
        return true;
    });
    // Folders the tree cannot reach keep no stale section keys either.
    for (const auto& folder : store.Root().SubFolders) {
        if (reached.count(folder.get()) == 0) {
            folder->Path.clear();
        }
    }
}

}  // namespace brindlex
