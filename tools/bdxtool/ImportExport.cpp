#include <filesystem>
#include <functional>
#include <sstream>

#include "formats/HtmlLinks.h"
#include "formats/ImportExport.h"
#include "formats/MosaicHotlist.h"
#include "formats/NetscapeFormat.h"
#include "formats/SpryHotlist.h"
#include "platform/Clock.h"
#include "platform/EventPump.h"
#include "platform/Progress.h"
#include "store/ListRow.h"
#include "store/AtomicFile.h"
#include "store/LinkStore.h"
#include "store/ProgramDirectory.h"
#include "store/TextEncoding.h"
#include "tools/bdxtool/Commands.h"
#include "tools/bdxtool/ToolDatabase.h"

namespace brindlex::bdxtool {

namespace {

// Readers: add the content of one file below CurrentFolder.
using Importer = std::function<Status(LinkStore& store, const std::string& bytes)>;
// Writers: write the database, or the chosen part of it, to a stream.
using Exporter = std::function<Status(std::ostream& out, LinkStore& store, Folder& from, int range)>;

Status importBdx(LinkStore& store, const std::string& bytes)
{
    return readDatabaseText(decodeText(bytes), store, true).status();
}

Status exportBdx(std::ostream& out, LinkStore& store, Folder&, int)
{
    return writeDatabase(out, store);
}

// The exchange formats, through the same readers and writers the window uses.
template <typename Reader>
Importer formatImporter(bool htmlBased, Reader reader)
{
    return [htmlBased, reader](LinkStore& store, const std::string& bytes) -> Status {
        NoProgress progress;
        NoEvents events;
        std::istringstream in(htmlBased ? decodeText(bytes, declaredCharset(bytes)) : decodeText(bytes));
        Folder& remembered = store.CurrentFolder();
        const Status read = reader(in, store, ReadContext { progress, events });
        store.SetCurrentFolder(remembered);
        assignTreePaths(store);  // hotlist menus are keyed by Path until the tree is rebuilt
        return read;
    };
}

Status extractHtml(std::istream& in, LinkStore& store, const ReadContext& context)
{
    Folder& remembered = store.CurrentFolder();
    const std::string id = store.CreateEntry(true, "", 6, "", "Folder", "");
    if (Folder* folder = store.FindFolder(id)) {
        store.SetCurrentFolder(*folder);
    }
    const Status read = ExtractHtmlLinks(in, store, context);
    store.SetCurrentFolder(remembered);
    const Folder* folder = store.FindFolder(id);
    if (FolderItem* entry = store.FindItem(remembered, id); folder != nullptr && entry != nullptr) {
        entry->Caption = folder->Caption;
    }
    return read;
}

template <typename Writer>
Exporter formatExporter(Writer writer)
{
    return [writer](std::ostream& out, LinkStore& store, Folder& from, int range) -> Status {
        const std::vector<ListRow> rows = listRows(from);
        return writer(out, from.Caption, static_cast<ExportRange>(range), store, rows);
    };
}

const Importer* importerFor(const std::string& format)
{
    static const std::vector<std::pair<std::string, Importer>> importers = {
        { "bdx", importBdx },
        { "netscape", formatImporter(true, ImportNetscapeFile) },
        { "mosaic", formatImporter(false,
                        [](std::istream& in, LinkStore& store, const ReadContext& context) {
                            return ImportMosaicHotlist(in, store, store.CurrentFolder(), context);
                        }) },
        { "spry", formatImporter(false, ImportSpryHotlist) },
        { "spyglass", formatImporter(true, ImportSpyglassHotlist) },
        { "html", formatImporter(true, extractHtml) },
    };
    for (const auto& [name, importer] : importers) {
        if (name == format) {
            return &importer;
        }
    }
    return nullptr;
}

const Exporter* exporterFor(const std::string& format)
{
    static const std::vector<std::pair<std::string, Exporter>> exporters = {
        { "bdx", exportBdx },
        { "netscape", formatExporter(ExportNetscapeFile) },
        { "mosaic", formatExporter(ExportMosaicHotlist) },
        { "spry", formatExporter(ExportSpryHotlist) },
        { "spyglass", formatExporter(ExportSpyglassHotlist) },
        { "html", formatExporter(ExportHtmlFile) },
    };
    for (const auto& [name, exporter] : exporters) {
        if (name == format) {
            return &exporter;
        }
    }
    return nullptr;
}

}  // namespace

int runImport(const std::vector<std::string>& arguments)
{
    std::vector<std::string> args = arguments;
    std::vector<std::optional<std::string>> options;
    if (!takeOptions(args, { "into", "folder" }, options) || args.size() < 2 || !options[0]) {
        return usage("usage: bdxtool import FORMAT FILE... --into DB [--folder PATH]");
    }
    const Importer* importer = importerFor(args[0]);
    if (importer == nullptr) {
        return usage("unknown format " + args[0]);
    }
    SystemClock clock;
    LinkStore store(clock);
    const std::string& db = *options[0];
    if (std::filesystem::exists(db)) {
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
    Folder* into = options[1] ? folderAtPath(store, *options[1]) : &store.Root();
    if (into == nullptr) {
        return badInput("no folder " + *options[1]);
    }
    for (size_t i = 1; i < args.size(); ++i) {
        const Result<std::string> bytes = readFileBytes(args[i]);
        if (!bytes.ok()) {
            return badInput(bytes.error().message);
        }
        store.SetCurrentFolder(*into);
        const Status imported = (*importer)(store, bytes.value());
        if (!imported.ok()) {
            return badInput(args[i] + ": " + imported.error().message);
        }
        // A reader may have replaced nothing but moved CurrentFolder; the target stays.
        into = options[1] ? folderAtPath(store, *options[1]) : &store.Root();
        if (into == nullptr) {
            into = &store.Root();
        }
    }
    const Status saved = SaveDatabase(store);
    if (!saved.ok()) {
        return badInput(saved.error().message);
    }
    return 0;
}

int runExport(const std::vector<std::string>& arguments)
{
    std::vector<std::string> args = arguments;
    std::vector<std::optional<std::string>> options;
    if (!takeOptions(args, { "from", "range", "folder" }, options) || args.size() != 2 || !options[0]) {
        return usage("usage: bdxtool export FORMAT OUT --from DB [--range 1|2|3] [--folder PATH]");
    }
    const Exporter* exporter = exporterFor(args[0]);
    if (exporter == nullptr) {
        return usage("unknown format " + args[0]);
    }
    int range = 3;
    if (options[1]) {
        if (*options[1] != "1" && *options[1] != "2" && *options[1] != "3") {
            return usage("--range is 1, 2 or 3");
        }
        range = std::stoi(*options[1]);
    }
    SystemClock clock;
    LinkStore store(clock);
    const Result<DatabaseLayout> layout = loadDatabase(store, *options[0]);
    if (!layout.ok()) {
        return badInput(layout.error().message);
    }
    Folder* from = options[2] ? folderAtPath(store, *options[2]) : &store.Root();
    if (from == nullptr) {
        return badInput("no folder " + *options[2]);
    }
    store.SetCurrentFolder(*from);
    const Status written = writeFileAtomically(
        args[1], [&](std::ostream& out) { return (*exporter)(out, store, *from, range); });
    if (!written.ok()) {
        return badInput(written.error().message);
    }
    return 0;
}

}  // namespace brindlex::bdxtool
