// Import of browser profiles with 100,000 bookmarks (20 to a folder, folders ten to a
// parent, as in the Netscape benchmark): a Firefox places.sqlite, read as it stands and
// read while a -wal file waits beside it (as while Firefox runs), and a Chromium Bookmarks
// file. Each import is the whole command: the file found, read, and put into a store.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <memory>
#include <sqlite3.h>
#include <string>
#include <unistd.h>
#include <vector>

#include "formats/ImportExport.h"
#include "platform/Clock.h"
#include "platform/EventPump.h"
#include "platform/LargePageHeap.h"
#include "platform/MessageBoxes.h"
#include "platform/Progress.h"
#include "store/LinkStore.h"

namespace {

using namespace brindlex;
namespace fs = std::filesystem;

class FixedClock : public Clock
{
public:
    DateTime now() const override { return { 2026, 12, 8, 12, 0, 0, true }; }
};

// A failed import ends the benchmark run with its message.
class FailingMessages : public MessageBoxes
{
public:
    Answer show(const std::string& title, const std::string& text, MessageIcon, MessageButtons) override
    {
        std::fprintf(stderr, "%s: %s\n", title.c_str(), text.c_str());
        std::exit(1);
    }
    void beep() override { }
};

constexpr int LinksPerFolder = 20;
constexpr long long FirstMicroseconds = 1'500'000'000LL * 1'000'000LL;

// A folder of the benchmark's own under the temporary folder, removed at the end.
const fs::path& workFolder()
{
    static const fs::path path = [] {
        std::string pattern = (fs::temp_directory_path() / "brindlex-profile-bench-XXXXXX").string();
        if (::mkdtemp(pattern.data()) == nullptr) {
            std::perror("mkdtemp");
            std::exit(1);
        }
        return fs::path(pattern);
    }();
    return path;
}

void check(int code, sqlite3* db)
{
    if (code != SQLITE_OK && code != SQLITE_DONE && code != SQLITE_ROW) {
        std::fprintf(stderr, "sqlite: %s\n", sqlite3_errmsg(db));
        std::exit(1);
    }
}

// The tables Firefox keeps bookmarks in, filled with `links` bookmarks below the
// Bookmarks Menu. `keepWal`: the database stays in WAL mode with its latest rows still in
// the -wal file, as a running Firefox leaves it.
void writePlaces(const fs::path& file, int links, bool keepWal)
{
    sqlite3* db = nullptr;
    check(sqlite3_open(file.c_str(), &db), db);
    auto exec = [&](const char* sql) { check(sqlite3_exec(db, sql, nullptr, nullptr, nullptr), db); };
    exec(keepWal ? "PRAGMA journal_mode = WAL; PRAGMA wal_autocheckpoint = 0" : "PRAGMA journal_mode = DELETE");
    exec("CREATE TABLE moz_places (id INTEGER PRIMARY KEY, url LONGVARCHAR, title LONGVARCHAR, guid TEXT);"
         "CREATE TABLE moz_bookmarks (id INTEGER PRIMARY KEY, type INTEGER, fk INTEGER DEFAULT NULL,"
         " parent INTEGER, position INTEGER, title LONGVARCHAR, dateAdded INTEGER, lastModified INTEGER,"
         " guid TEXT);"
         "CREATE INDEX moz_bookmarks_parentindex ON moz_bookmarks (parent, position);"
         "CREATE TABLE moz_anno_attributes (id INTEGER PRIMARY KEY, name VARCHAR(32));"
         "CREATE TABLE moz_items_annos (id INTEGER PRIMARY KEY, item_id INTEGER, anno_attribute_id INTEGER,"
         " content LONGVARCHAR);"
         "INSERT INTO moz_anno_attributes VALUES (1, 'bookmarkProperties/description');"
         "INSERT INTO moz_bookmarks (id, type, parent, position, title, dateAdded, guid) VALUES"
         " (1, 2, 0, 0, '', 1, 'root________'), (2, 2, 1, 0, 'menu', 1, 'menu________'),"
         " (3, 2, 1, 1, 'toolbar', 1, 'toolbar_____'), (4, 2, 1, 2, 'tags', 1, 'tags________'),"
         " (5, 2, 1, 3, 'unfiled', 1, 'unfiled_____'), (6, 2, 1, 4, 'mobile', 1, 'mobile______');"
         "BEGIN");
    sqlite3_stmt* bookmark = nullptr;
    sqlite3_stmt* place = nullptr;
    sqlite3_stmt* note = nullptr;
    check(sqlite3_prepare_v2(db,
              "INSERT INTO moz_bookmarks (id, type, fk, parent, position, title, dateAdded, guid)"
              " VALUES (?1, ?2, ?3, ?4, ?5, ?6, ?7, 'g' || ?1)",
              -1, &bookmark, nullptr),
        db);
    check(
        sqlite3_prepare_v2(db, "INSERT INTO moz_places (id, url, title) VALUES (?1, ?2, ?3)", -1, &place, nullptr), db);
    check(sqlite3_prepare_v2(db, "INSERT INTO moz_items_annos (item_id, anno_attribute_id, content) VALUES (?1, 1, ?2)",
              -1, &note, nullptr),
        db);
    auto addBookmark = [&](long long id, int type, long long parent, int position, const std::string& title) {
        sqlite3_bind_int64(bookmark, 1, id);
        sqlite3_bind_int(bookmark, 2, type);
        if (type == 1) {
            sqlite3_bind_int64(bookmark, 3, id);
        } else {
            sqlite3_bind_null(bookmark, 3);
        }
        sqlite3_bind_int64(bookmark, 4, parent);
        sqlite3_bind_int(bookmark, 5, position);
        sqlite3_bind_text(bookmark, 6, title.c_str(), -1, SQLITE_TRANSIENT);
        sqlite3_bind_int64(bookmark, 7, FirstMicroseconds + id * 1'000'000LL);
        check(sqlite3_step(bookmark), db);
        sqlite3_reset(bookmark);
    };
    const int folders = links / LinksPerFolder;
    long long next = 7;
    std::vector<long long> folderIds;
    for (int k = 0; k < folders; ++k) {
        const long long parent = k < 10 ? 2 : folderIds[static_cast<size_t>(k / 10 - 1)];
        const long long id = next++;
        folderIds.push_back(id);
        addBookmark(id, 2, parent, LinksPerFolder + k % 10, "Folder " + std::to_string(k));
        for (int i = 0; i < LinksPerFolder; ++i) {
            const long long link = next++;
            const std::string url
                = "https://example.com/" + std::to_string(k) + "/page" + std::to_string(i) + "?a=1&b=2";
            sqlite3_bind_int64(place, 1, link);
            sqlite3_bind_text(place, 2, url.c_str(), -1, SQLITE_TRANSIENT);
            sqlite3_bind_text(place, 3, "Page title", -1, SQLITE_STATIC);
            check(sqlite3_step(place), db);
            sqlite3_reset(place);
            addBookmark(link, 1, id, i, "Page " + std::to_string(i) + " of folder " + std::to_string(k));
            if (i % 4 == 0) {
                const std::string text = "Notes on page " + std::to_string(i) + " & what <links> to it";
                sqlite3_bind_int64(note, 1, link);
                sqlite3_bind_text(note, 2, text.c_str(), -1, SQLITE_TRANSIENT);
                check(sqlite3_step(note), db);
                sqlite3_reset(note);
            }
        }
    }
    sqlite3_finalize(bookmark);
    sqlite3_finalize(place);
    sqlite3_finalize(note);
    exec("COMMIT");
    if (keepWal) {
        // Kept open elsewhere until the benchmarks end, so that the -wal file stays.
        static std::vector<sqlite3*> open;
        open.push_back(db);
        return;
    }
    sqlite3_close(db);
}

// A Chromium Bookmarks file with `links` bookmarks in the bookmarks bar.
void writeChromium(const fs::path& file, int links)
{
    const int folders = links / LinksPerFolder;
    // Children of each folder: folders ten to a parent, the first ten in the bar.
    std::vector<std::vector<int>> below(static_cast<size_t>(folders));
    std::vector<int> top;
    for (int k = 0; k < folders; ++k) {
        (k < 10 ? top : below[static_cast<size_t>(k / 10 - 1)]).push_back(k);
    }
    std::string out;
    long long date = 13'300'000'000'000'000LL;
    auto dateText = [&] { return "\"date_added\": \"" + std::to_string(date += 1'000'000) + "\""; };
    std::function<void(int)> writeFolder = [&](int k) {
        out += "{\"type\": \"folder\", \"name\": \"Folder " + std::to_string(k) + "\", " + dateText()
            + ", \"children\": [";
        for (int i = 0; i < LinksPerFolder; ++i) {
            out += (i ? ", " : "") + std::string("{\"type\": \"url\", \"name\": \"Page ") + std::to_string(i)
                + " of folder " + std::to_string(k) + "\", \"url\": \"https://example.com/" + std::to_string(k)
                + "/page" + std::to_string(i) + "?a=1&b=2\", " + dateText() + ", \"guid\": \"0000-" + std::to_string(k)
                + "-" + std::to_string(i) + "\"}";
        }
        for (const int child : below[static_cast<size_t>(k)]) {
            out += ", ";
            writeFolder(child);
        }
        out += "]}";
    };
    out += "{\"checksum\": \"0\", \"roots\": {\"bookmark_bar\": {\"type\": \"folder\", \"name\": \"Bookmarks bar\","
           " \"children\": [";
    for (size_t t = 0; t < top.size(); ++t) {
        out += t ? ", " : "";
        writeFolder(top[t]);
    }
    out += "]}, \"other\": {\"type\": \"folder\", \"name\": \"Other bookmarks\", \"children\": []}}, \"version\": 1}";
    fs::create_directories(file.parent_path());
    std::ofstream(file, std::ios::binary) << out;
}

void importProfile(benchmark::State& state, ImportKind kind, const fs::path& path)
{
    FailingMessages messages;
    NoProgress progress;
    NoEvents events;
    const ImportServices services { progress, events, messages, workFolder().string() };
    // The file made must read as every bookmark it was made with, or the times mean nothing.
    const ProfileBrowser browser = *profileBrowserOf(kind);
    const Result<ProfileBookmarks> found = findProfileBookmarks(browser, path.string());
    const Result<BookmarkTree> tree
        = found.ok() ? readProfileBookmarks(browser, found.value()) : Result<BookmarkTree>(found.error());
    if (!tree.ok() || countLinks(tree.value()) != static_cast<size_t>(state.range(0))) {
        state.SkipWithError(
            tree.ok() ? "the profile read holds a different number of links" : tree.error().message.c_str());
        return;
    }
    for (auto _ : state) {
        state.PauseTiming();
        FixedClock clock;
        auto store = std::make_unique<LinkStore>(clock);
        state.ResumeTiming();
        benchmark::DoNotOptimize(importFile(*store, kind, path.string(), services).ok());
        state.PauseTiming();
        store.reset();  // freeing the model is not part of the import
        state.ResumeTiming();
    }
    state.SetItemsProcessed(state.iterations() * state.range(0));
}

void FirefoxPlaces(benchmark::State& state)
{
    const fs::path file = workFolder() / ("firefox-" + std::to_string(state.range(0))) / "places.sqlite";
    if (!fs::exists(file)) {
        fs::create_directories(file.parent_path());
        writePlaces(file, static_cast<int>(state.range(0)), false);
    }
    importProfile(state, ImportKind::Firefox, file.parent_path());
}
BENCHMARK(FirefoxPlaces)->Arg(100000)->Unit(benchmark::kMillisecond)->MinTime(2.0);

// As while Firefox runs: the latest rows wait in places.sqlite-wal, so a copy is read.
void FirefoxPlacesWithWal(benchmark::State& state)
{
    const fs::path file = workFolder() / ("firefox-wal-" + std::to_string(state.range(0))) / "places.sqlite";
    if (!fs::exists(file)) {
        fs::create_directories(file.parent_path());
        writePlaces(file, static_cast<int>(state.range(0)), true);
    }
    importProfile(state, ImportKind::Firefox, file);
}
BENCHMARK(FirefoxPlacesWithWal)->Arg(100000)->Unit(benchmark::kMillisecond)->MinTime(2.0);

void ChromiumBookmarks(benchmark::State& state)
{
    const fs::path file = workFolder() / ("chromium-" + std::to_string(state.range(0))) / "Default" / "Bookmarks";
    if (!fs::exists(file)) {
        writeChromium(file, static_cast<int>(state.range(0)));
    }
    importProfile(state, ImportKind::Chromium, file.parent_path());
}
BENCHMARK(ChromiumBookmarks)->Arg(100000)->Unit(benchmark::kMillisecond)->MinTime(2.0);

}  // namespace

int main(int argc, char** argv)
{
    // As bdxtool and the program start.
    brindlex::restartWithLargePageHeap(argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    std::error_code ignored;
    fs::remove_all(workFolder(), ignored);
    return 0;
}
