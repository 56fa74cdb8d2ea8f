#include "formats/FirefoxPlaces.h"

#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <sys/stat.h>
#include <thread>
#include <time.h>
#include <unordered_map>
#include <unordered_set>

#include "formats/SqliteDatabase.h"
#include "store/Text.h"
#include "store/TextEncoding.h"

namespace brindlex {

namespace {

namespace fs = std::filesystem;

// The files SQLite may keep beside a database: the write-ahead log Firefox uses, and the
// rollback journal of other settings.
constexpr const char* Sidecars[] = { "-wal", "-journal" };

struct FileStamp
{
    bool exists = false;
    long long size = 0;
    long long modified = 0;  // nanoseconds since 1970
    bool operator==(const FileStamp&) const = default;
};

FileStamp stampOf(const std::string& path)
{
    struct stat st
    {
    };
    if (::stat(path.c_str(), &st) != 0) {
        return {};
    }
    return { true, static_cast<long long>(st.st_size),
        static_cast<long long>(st.st_mtim.tv_sec) * 1000000000LL + st.st_mtim.tv_nsec };
}

long long nowNanoseconds()
{
    timespec now {};
    ::clock_gettime(CLOCK_REALTIME, &now);
    return static_cast<long long>(now.tv_sec) * 1000000000LL + now.tv_nsec;
}

// True when a -wal or -journal file beside the database holds anything: then the file
// alone is not the whole database.
bool somethingWaitsBeside(const std::string& path)
{
    for (const char* sidecar : Sidecars) {
        if (stampOf(path + sidecar).size > 0) {
            return true;
        }
    }
    return false;
}

// A folder of our own under the temporary folder, removed with everything in it.
class PrivateFolder
{
public:
    PrivateFolder()
    {
        const char* tmp = std::getenv("TMPDIR");
        std::string pattern = std::string(tmp != nullptr && *tmp != '\0' ? tmp : "/tmp") + "/brindlex-places-XXXXXX";
        if (::mkdtemp(pattern.data()) != nullptr) {
            m_path = pattern;
        } else {
            m_reason = std::strerror(errno);
        }
    }
    ~PrivateFolder()
    {
        if (!m_path.empty()) {
            std::error_code ignored;
            fs::remove_all(m_path, ignored);
        }
    }
    PrivateFolder(const PrivateFolder&) = delete;
    PrivateFolder& operator=(const PrivateFolder&) = delete;

    const std::string& path() const { return m_path; }
    const std::string& reason() const { return m_reason; }

private:
    std::string m_path;
    std::string m_reason;
};

// A writer (Firefox) that wrote within this time may be in the middle of a transaction
// or a checkpoint; it is longer than the clock ticks file times are taken from, so that a
// write during the copy always shows as a newer time.
constexpr long long QuietNanoseconds = 100'000'000;
constexpr int CopyAttempts = 8;

// Copies the database and what waits beside it into `folder`, taking the copy only while
// none of them changes, so that the copy is one consistent state of the database.
Status copyConsistently(const std::string& path, const std::string& folder, std::string& copy)
{
    const std::string names[] = { "", Sidecars[0], Sidecars[1] };
    copy = folder + "/places.sqlite";
    for (int attempt = 0; attempt < CopyAttempts; ++attempt) {
        if (attempt > 0) {
            std::this_thread::sleep_for(std::chrono::milliseconds(50 * attempt));
        }
        FileStamp before[3];
        bool quiet = true;
        const long long now = nowNanoseconds();
        for (int i = 0; i < 3; ++i) {
            before[i] = stampOf(path + names[i]);
            quiet = quiet && (!before[i].exists || now - before[i].modified >= QuietNanoseconds);
        }
        if (!quiet) {
            continue;
        }
        bool copied = true;
        for (int i = 0; i < 3 && copied; ++i) {
            std::error_code error;
            fs::remove(copy + names[i], error);
            if (before[i].exists) {
                copied = fs::copy_file(path + names[i], copy + names[i], error) && !error;
                if (!copied && i == 0) {
                    return Error { ErrorKind::Io, "cannot copy it to read it: " + error.message() };
                }
            }
        }
        bool unchanged = copied;
        for (int i = 0; i < 3 && unchanged; ++i) {
            unchanged = stampOf(path + names[i]) == before[i];
        }
        if (unchanged) {
            return Status::Ok();
        }
    }
    return Error { ErrorKind::Refused,
        "the database kept changing while it was read (Firefox is busy writing to it); import again in a moment" };
}

Error placesError(const Error& error)
{
    if (error.kind == ErrorKind::Format) {
        return Error { ErrorKind::Format, "the database is damaged or only partly written (" + error.message + ")" };
    }
    return error;
}

std::string textOf(std::string_view bytes)
{
    return isValidUtf8(bytes) ? std::string(bytes) : decodeText(bytes);
}

// PRTime, microseconds since 1970 in UTC; as in bookmark files, 0 seconds is no date.
DateTime dateOfMicroseconds(long long value)
{
    if (value < 1000000) {
        return {};
    }
    return fromUnixSeconds(value / 1000000).value_or(DateTime {});
}

// The names Firefox shows for its built-in folders; their stored titles are keys only.
const char* containerName(std::string_view guid)
{
    if (guid == "menu________") {
        return "Bookmarks Menu";
    }
    if (guid == "toolbar_____") {
        return "Bookmarks Toolbar";
    }
    if (guid == "unfiled_____") {
        return "Other Bookmarks";
    }
    if (guid == "mobile______") {
        return "Mobile Bookmarks";
    }
    return nullptr;
}

struct PlaceRow
{
    long long id = 0;
    long long type = 0;  // 1 bookmark, 2 folder, 3 separator
    long long parent = 0;
    long long added = 0;
    std::string title;
    std::string guid;
    std::string url;
    std::string pageTitle;
};

constexpr long long BookmarkType = 1;
constexpr long long FolderType = 2;

Result<std::unordered_map<long long, std::string>> readDescriptions(SqliteDatabase& db)
{
    std::unordered_map<long long, std::string> descriptions;
    for (const char* table : { "moz_items_annos", "moz_anno_attributes" }) {
        Result<bool> has = db.hasTable(table);
        if (!has.ok()) {
            return has.error();
        }
        if (!has.value()) {
            return descriptions;  // Firefox no longer keeps descriptions
        }
    }
    Result<SqliteDatabase::Rows> rows = db.query("SELECT a.item_id, a.content FROM moz_items_annos a"
                                                 " JOIN moz_anno_attributes n ON n.id = a.anno_attribute_id"
                                                 " WHERE n.name = 'bookmarkProperties/description'");
    if (!rows.ok()) {
        return rows.error();
    }
    while (rows.value().next()) {
        descriptions[rows.value().integer(0)] = textOf(rows.value().text(1));
    }
    if (Status read = rows.value().status(); !read.ok()) {
        return read.error();
    }
    return descriptions;
}

Result<BookmarkTree> readTree(SqliteDatabase& db)
{
    for (const char* table : { "moz_bookmarks", "moz_places" }) {
        Result<bool> has = db.hasTable(table);
        if (!has.ok()) {
            return placesError(has.error());
        }
        if (!has.value()) {
            return Error { ErrorKind::Format,
                std::string("not a Firefox bookmarks database (it has no ") + table + " table)" };
        }
    }
    Result<bool> hasGuid = db.hasColumn("moz_bookmarks", "guid");
    if (!hasGuid.ok()) {
        return placesError(hasGuid.error());
    }
    Result<std::unordered_map<long long, std::string>> descriptions = readDescriptions(db);
    if (!descriptions.ok()) {
        return placesError(descriptions.error());
    }
    Result<SqliteDatabase::Rows> query = db.query(std::string("SELECT b.id, b.type, b.parent, b.dateAdded, b.title, ")
        + (hasGuid.value() ? "b.guid" : "NULL")
        + ", p.url, p.title FROM moz_bookmarks b LEFT JOIN moz_places p ON p.id = b.fk"
          " ORDER BY b.parent, b.position, b.id");
    if (!query.ok()) {
        return placesError(query.error());
    }
    // Sorted by parent, the children of each folder stand together, in their order.
    std::vector<PlaceRow> rows;
    std::unordered_map<long long, std::pair<size_t, size_t>> children;
    SqliteDatabase::Rows& read = query.value();
    while (read.next()) {
        PlaceRow row { read.integer(0), read.integer(1), read.integer(2), read.integer(3), textOf(read.text(4)),
            std::string(read.text(5)), textOf(read.text(6)), textOf(read.text(7)) };
        auto [range, made] = children.try_emplace(row.parent, rows.size(), rows.size());
        if (!made && range->second.second != rows.size()) {
            return Error { ErrorKind::Format, "the database is damaged (its bookmarks are out of order)" };
        }
        range->second.second = rows.size() + 1;
        rows.push_back(std::move(row));
    }
    if (Status status = read.status(); !status.ok()) {
        return placesError(status.error());
    }

    const PlaceRow* root = nullptr;
    for (const PlaceRow& row : rows) {
        if (row.guid == "root________" || (root == nullptr && row.parent == 0 && row.type == FolderType)) {
            root = &row;
        }
    }
    BookmarkTree tree;
    if (root == nullptr) {
        return tree;
    }
    const std::unordered_map<long long, std::string>& notes = descriptions.value();
    auto noteOf = [&](long long id) {
        const auto found = notes.find(id);
        return found == notes.end() ? std::string() : found->second;
    };

    // Depth first without recursion; a folder's list is walked once, however the rows
    // point at each other.
    struct Frame
    {
        size_t next;
        size_t end;
        int depth;
    };
    std::vector<Frame> stack;
    std::unordered_set<long long> expanded { root->id };
    auto expand = [&](long long id, int depth) {
        const auto range = children.find(id);
        if (range != children.end() && expanded.insert(id).second) {
            stack.push_back({ range->second.first, range->second.second, depth });
        }
    };
    const auto top = children.find(root->id);
    if (top == children.end()) {
        return tree;
    }
    for (size_t c = top->second.first; c < top->second.second; ++c) {
        const PlaceRow& container = rows[c];
        const char* known = containerName(container.guid);
        if (container.type != FolderType || container.guid == "tags________"
            || (!hasGuid.value() && equalsNoCase(container.title, "tags"))) {
            continue;  // tags repeat bookmarks under each tag; they are not bookmarks
        }
        const size_t first = tree.size();
        tree.push_back({ 0, true, known != nullptr ? known : container.title, "", dateOfMicroseconds(container.added),
            noteOf(container.id) });
        expand(container.id, 1);
        while (!stack.empty()) {
            Frame& frame = stack.back();
            if (frame.next == frame.end) {
                stack.pop_back();
                continue;
            }
            const PlaceRow& row = rows[frame.next++];
            const int depth = frame.depth;
            if (row.type == FolderType) {
                tree.push_back({ depth, true, row.title, "", dateOfMicroseconds(row.added), noteOf(row.id) });
                expand(row.id, depth + 1);
            } else if (row.type == BookmarkType && !row.url.empty()
                && !equalsNoCase(std::string_view(row.url).substr(0, 6), "place:")) {
                std::string caption = !row.title.empty() ? row.title : !row.pageTitle.empty() ? row.pageTitle : row.url;
                tree.push_back(
                    { depth, false, std::move(caption), row.url, dateOfMicroseconds(row.added), noteOf(row.id) });
            }
        }
        if (tree.size() == first + 1) {
            tree.pop_back();  // an empty built-in folder (Mobile Bookmarks on a desktop)
        }
    }
    return tree;
}

}  // namespace

Result<BookmarkTree> readFirefoxPlaces(const std::string& path)
{
    std::error_code error;
    if (!fs::is_regular_file(path, error)) {
        return Error { ErrorKind::NotFound, fs::exists(path, error) ? "not a regular file" : "no such file" };
    }
    if (!somethingWaitsBeside(path)) {
        SqliteDatabase db;
        if (Status opened = db.openReadOnly(path, true); !opened.ok()) {
            return placesError(opened.error());
        }
        return readTree(db);
    }
    const PrivateFolder folder;  // outlives the database read from it
    if (folder.path().empty()) {
        return Error { ErrorKind::Io, "no private folder to read it in: " + folder.reason() };
    }
    std::string copy;
    if (Status copied = copyConsistently(path, folder.path(), copy); !copied.ok()) {
        return copied.error();
    }
    SqliteDatabase db;
    if (Status opened = db.openReadWrite(copy); !opened.ok()) {
        return placesError(opened.error());
    }
    return readTree(db);
}

}  // namespace brindlex
