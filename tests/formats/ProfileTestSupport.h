#pragma once
#include <gtest/gtest.h>

#include <sqlite3.h>
#include <string>

#include "formats/BookmarkTree.h"
#include "store/DateTime.h"

namespace brindlex::test {

// A read tree as one line per node: two blanks of indentation a level, then
// "Caption/ date | description" for folders, "Caption = URL date | description" for
// links (the date as the database file writes it, the rest only when present).
inline std::string describeTree(const BookmarkTree& tree)
{
    std::string out;
    for (const BookmarkNode& node : tree) {
        out += std::string(static_cast<size_t>(node.depth) * 2, ' ') + node.Caption;
        out += node.IsFolder ? "/" : " = " + node.URL;
        if (!node.MDate.isNull()) {
            out += " " + formatFileDate(node.MDate);
        }
        if (!node.Description.empty()) {
            out += " | " + node.Description;
        }
        out += "\n";
    }
    return out;
}

// Microseconds since 1970 (UTC) of a date, as Firefox stores it.
inline long long prTime(int year, int month, int day, int hour, int minute, int second)
{
    const DateTime date { year, month, day, hour, minute, second, true };
    return toUnixSeconds(date) * 1000000LL + 123456;
}

// A places database with the tables and columns Firefox reads bookmarks from, written
// through SQLite as Firefox writes it.
class PlacesFile
{
public:
    explicit PlacesFile(const std::string& path, bool withGuid = true)
        : m_withGuid(withGuid)
    {
        EXPECT_EQ(sqlite3_open(path.c_str(), &m_db), SQLITE_OK);
        exec(std::string("CREATE TABLE moz_places (id INTEGER PRIMARY KEY, url LONGVARCHAR, title LONGVARCHAR,"
                         " rev_host LONGVARCHAR, visit_count INTEGER DEFAULT 0, guid TEXT);"
                         "CREATE TABLE moz_bookmarks (id INTEGER PRIMARY KEY, type INTEGER, fk INTEGER DEFAULT NULL,"
                         " parent INTEGER, position INTEGER, title LONGVARCHAR, keyword_id INTEGER, folder_type TEXT,"
                         " dateAdded INTEGER, lastModified INTEGER")
            + (withGuid ? ", guid TEXT" : "")
            + ");"
              "CREATE INDEX moz_bookmarks_parentindex ON moz_bookmarks (parent, position);");
    }
    ~PlacesFile() { sqlite3_close(m_db); }
    PlacesFile(const PlacesFile&) = delete;
    PlacesFile& operator=(const PlacesFile&) = delete;

    void exec(const std::string& sql)
    {
        char* error = nullptr;
        EXPECT_EQ(sqlite3_exec(m_db, sql.c_str(), nullptr, nullptr, &error), SQLITE_OK) << (error ? error : "");
        sqlite3_free(error);
    }
    // Firefox's root and its five built-in folders, ids 1 to 6.
    void roots()
    {
        exec("INSERT INTO moz_bookmarks (id, type, parent, position, title, dateAdded, guid) VALUES"
             " (1, 2, 0, 0, '', 1, 'root________'), (2, 2, 1, 0, 'menu', 1, 'menu________'),"
             " (3, 2, 1, 1, 'toolbar', 1, 'toolbar_____'), (4, 2, 1, 2, 'tags', 1, 'tags________'),"
             " (5, 2, 1, 3, 'unfiled', 1, 'unfiled_____'), (6, 2, 1, 4, 'mobile', 1, 'mobile______')");
    }
    void folder(long long id, long long parent, int position, const std::string& title, long long added = 0)
    {
        exec("INSERT INTO moz_bookmarks (id, type, parent, position, title, dateAdded, guid) VALUES ("
            + std::to_string(id) + ", 2, " + std::to_string(parent) + ", " + std::to_string(position) + ", "
            + quoted(title) + ", " + std::to_string(added) + ", 'folder" + std::to_string(id) + "')");
    }
    // A bookmark and its place (the place has the same id).
    void link(long long id, long long parent, int position, const std::string& title, const std::string& url,
        long long added = 0, const std::string& pageTitle = "")
    {
        exec("INSERT INTO moz_places (id, url, title) VALUES (" + std::to_string(id) + ", " + quoted(url) + ", "
            + quoted(pageTitle) + ")");
        exec(std::string("INSERT INTO moz_bookmarks (id, type, fk, parent, position, title, dateAdded")
            + (m_withGuid ? ", guid" : "") + ") VALUES (" + std::to_string(id) + ", 1, " + std::to_string(id) + ", "
            + std::to_string(parent) + ", " + std::to_string(position) + ", " + (title.empty() ? "NULL" : quoted(title))
            + ", " + std::to_string(added) + (m_withGuid ? ", 'link" + std::to_string(id) + "'" : "") + ")");
    }
    void separator(long long id, long long parent, int position)
    {
        exec("INSERT INTO moz_bookmarks (id, type, parent, position, guid) VALUES (" + std::to_string(id) + ", 3, "
            + std::to_string(parent) + ", " + std::to_string(position) + ", 'sep" + std::to_string(id) + "')");
    }
    sqlite3* db() { return m_db; }

    static std::string quoted(const std::string& text)
    {
        std::string out = "'";
        for (const char c : text) {
            out += c;
            if (c == '\'') {
                out += '\'';
            }
        }
        return out + "'";
    }

private:
    bool m_withGuid;
    sqlite3* m_db = nullptr;
};

}  // namespace brindlex::test
