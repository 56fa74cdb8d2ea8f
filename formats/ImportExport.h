#pragma once
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "formats/BrowserProfile.h"
#include "formats/FormatText.h"
#include "store/Result.h"

namespace brindlex {

class EventPump;
class LinkStore;
class MessageBoxes;
class Progress;
struct ListRow;

// The import commands of the File menu, in menu order. Firefox and Chromium read a
// browser profile's own bookmarks.
enum class ImportKind { Database, Netscape, Shortcuts, Mosaic, Spyglass, Spry, Html, Firefox, Chromium };
// The browser family of a profile import, or nothing for the file formats.
std::optional<ProfileBrowser> profileBrowserOf(ImportKind kind);
// The file types of the export dialog; the value is the combo box index.
enum class ExportKind { Netscape = 0, Mosaic = 1, Spry = 2, Spyglass = 3, Html = 4 };

// What the open dialog of one import command shows.
struct ImportCommandText
{
    const char* dialogTitle;
    const char* initialName;
    const char* defaultExtension;
    const char* filter;
};
const ImportCommandText& importCommandText(ImportKind kind);

// What the export dialog shows for one file type.
struct ExportTypeText
{
    const char* comboText;
    const char* defaultExtension;
    const char* filter;
};
const ExportTypeText& exportTypeText(ExportKind kind);

// The services an import needs: the import window's progress bar and label, the event
// pump, message boxes, and the program's directory (for a database import).
struct ImportServices
{
    Progress& progress;
    EventPump& events;
    MessageBoxes& messages;
    std::string programDir;
};

// True when the lower-cased path contains the text the command requires; otherwise shows
// "Invalid File Format. ..." titled "Error" and returns false. Shortcut imports check per
// file; a profile import takes a folder or a file of any name.
bool checkImportPath(ImportKind kind, const std::string& path, MessageBoxes& messages);

// Runs a single-file import of `path` into CurrentFolder: checks the extension, decodes
// the file (declared charsets of HTML-based files honoured), runs the reader, and leaves
// CurrentFolder as it was. An HTML import first makes a folder, fills it and names its
// entry after the page title. On a failure what was added stays and a message box names
// the file. A profile import (`path` the profile folder or its bookmarks file) reads the
// whole tree first and then makes one folder named after the browser and the profile;
// a profile it cannot read whole, or one without bookmarks, changes nothing and is told in
// one message box. The caller refreshes the panes afterwards in every case.
Status importFile(LinkStore& store, ImportKind kind, const std::string& path, const ImportServices& services);

// The multi-file answer of the open dialog split into a folder (ending in "/") and file
// names: NUL-separated "folder\0name\0name", or one full path.
struct FileSelection
{
    std::string directory;
    std::vector<std::string> names;
};
FileSelection splitFileSelection(std::string_view returned);

// Imports every ".url" file of the selection (others skipped) as a link named after the
// file, in order, with progress i * 100 / (n - 1). Stops at the first file that cannot be
// read and names it in a message box; CurrentFolder is unchanged.
Status importShortcutFiles(LinkStore& store, const FileSelection& files, const ImportServices& services);

// The title a writer gets: the file name without its folder and its last four characters.
std::string exportTitle(const std::string& path);

// Writes `path` atomically with the writer of `kind` for `range` (rows for ranges 0 and
// 1); a failure leaves an existing file as it was and is shown naming the file.
Status exportFile(LinkStore& store, ExportKind kind, const std::string& path, ExportRange range,
    std::span<const ListRow> rows, MessageBoxes& messages);

// Writes a shortcut file into `programDir` for every selected row; beeps when none is
// selected; a failure is shown naming the file.
Status exportShortcuts(std::span<const ListRow> rows, const std::string& programDir, MessageBoxes& messages);

// Sets every folder's Path to its tree path ("\"-joined captions from the root's caption
// down), as the folder tree does when it is built. A hotlist import keys its folders by
// Path, so code that imports without rebuilding a tree calls this after each import.
void assignTreePaths(LinkStore& store);

}  // namespace brindlex
