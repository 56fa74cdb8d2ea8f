#pragma once
#include <cstdint>
#include <string>
#include <string_view>

#include "store/Result.h"

struct sqlite3;
struct sqlite3_stmt;

namespace brindlex {

// A SQLite database file opened for reading: the core's only way to Debian's SQLite
// library. Errors carry SQLite's own reason; a damaged or cut-short file is a Format
// error, a file another program holds locked a Refused one.
class SqliteDatabase
{
public:
    SqliteDatabase() = default;
    ~SqliteDatabase();
    SqliteDatabase(const SqliteDatabase&) = delete;
    SqliteDatabase& operator=(const SqliteDatabase&) = delete;

    // Read-only. `immutable`: SQLite takes no lock and makes no file beside it (no
    // journal, no -shm), so that a program that has the database open is not disturbed;
    // only right when nothing is waiting in a -wal or -journal file beside it.
    [[nodiscard]] Status openReadOnly(const std::string& path, bool immutable);
    // Read and write, for a private copy: SQLite then brings in what a -wal or hot
    // -journal file beside it holds, as it does after a crash.
    [[nodiscard]] Status openReadWrite(const std::string& path);

    [[nodiscard]] Result<bool> hasTable(const std::string& name);
    [[nodiscard]] Result<bool> hasColumn(const std::string& table, const std::string& column);

    // The rows of one statement, stepped through one at a time. The texts stay valid
    // until the next step.
    class Rows
    {
    public:
        Rows(Rows&& other) noexcept;
        Rows& operator=(Rows&&) = delete;
        ~Rows();
        // True when a row is there; false at the end or on an error (see status()).
        bool next();
        Status status() const;
        bool isNull(int column) const;
        int64_t integer(int column) const;
        std::string_view text(int column) const;

    private:
        friend class SqliteDatabase;
        Rows(SqliteDatabase& database, sqlite3_stmt* statement);
        SqliteDatabase* m_database;
        sqlite3_stmt* m_statement;
        int m_code = 0;  // of the last step
    };
    [[nodiscard]] Result<Rows> query(const std::string& sql);

private:
    Status open(const std::string& name, int flags);
    Error errorOf(int code) const;
    void close();

    sqlite3* m_db = nullptr;
};

}  // namespace brindlex
