#include <filesystem>
#include <functional>
#include <sstream>

#include "platform/Clock.h"
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

const Importer* importerFor(const std::string& format)
{
    static const std::vector<std::pair<std::string, Importer>> importers = {
        { "bdx", importBdx },
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
