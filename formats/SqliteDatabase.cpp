#include "formats/SqliteDatabase.h"

#include <sqlite3.h>

namespace brindlex {

namespace {

// A file name as a SQLite URI ("file:" and the path with the characters a URI gives a
// meaning to written as %XX), so that query parameters can follow it.
std::string uriOf(const std::string& path)
{
    static const char hex[] = "0123456789ABCDEF";
    std::string uri = "file:";
    for (const unsigned char c : path) {
        if (c == '%' || c == '?' || c == '#' || c <= ' ' || c >= 0x7f) {
            uri += '%';
            uri += hex[c >> 4];
            uri += hex[c & 15];
        } else {
            uri += static_cast<char>(c);
        }
    }
    return uri;
}

}  // namespace

SqliteDatabase::~SqliteDatabase()
{
    close();
}

void SqliteDatabase::close()
{
    if (m_db != nullptr) {
        sqlite3_close_v2(m_db);
        m_db = nullptr;
    }
}

Status SqliteDatabase::open(const std::string& name, int flags)
{
    close();
    const int code = sqlite3_open_v2(name.c_str(), &m_db, flags | SQLITE_OPEN_URI, nullptr);
    if (code != SQLITE_OK) {
        Error error = m_db != nullptr ? errorOf(code) : Error { ErrorKind::Io, sqlite3_errstr(code) };
        close();
        return error;
    }
    sqlite3_extended_result_codes(m_db, 1);
    // A lock held by another program is reported at once rather than waited for.
    sqlite3_busy_timeout(m_db, 0);
    // SQLite reads the header only when first asked; asking now tells a file that is not
    // a database (or is damaged at its start) at the open.
    Result<Rows> first = query("SELECT count(*) FROM sqlite_master");
    if (!first.ok()) {
        close();
        return first.error();
    }
    while (first.value().next()) { }
    if (Status read = first.value().status(); !read.ok()) {
        close();
        return read;
    }
    return Status::Ok();
}

Status SqliteDatabase::openReadOnly(const std::string& path, bool immutable)
{
    return open(uriOf(path) + (immutable ? "?mode=ro&immutable=1" : "?mode=ro"), SQLITE_OPEN_READONLY);
}

Status SqliteDatabase::openReadWrite(const std::string& path)
{
    return open(uriOf(path), SQLITE_OPEN_READWRITE);
}

Error SqliteDatabase::errorOf(int code) const
{
    const std::string reason = m_db != nullptr ? sqlite3_errmsg(m_db) : sqlite3_errstr(code);
    switch (code & 0xff) {
    case SQLITE_CORRUPT:
    case SQLITE_NOTADB:
    case SQLITE_FORMAT:
        return Error { ErrorKind::Format, reason };
    case SQLITE_BUSY:
    case SQLITE_LOCKED:
        return Error { ErrorKind::Refused, reason };
    default:
        return Error { ErrorKind::Io, reason };
    }
}

Result<SqliteDatabase::Rows> SqliteDatabase::query(const std::string& sql)
{
    if (m_db == nullptr) {
        return Error { ErrorKind::Usage, "no database is open" };
    }
    sqlite3_stmt* statement = nullptr;
    const int code = sqlite3_prepare_v2(m_db, sql.c_str(), static_cast<int>(sql.size()), &statement, nullptr);
    if (code != SQLITE_OK) {
        sqlite3_finalize(statement);
        return errorOf(code);
    }
    return Rows(*this, statement);
}

Result<bool> SqliteDatabase::hasTable(const std::string& name)
{
    Result<Rows> rows = query("SELECT 1 FROM sqlite_master WHERE type = 'table' AND name = '" + name + "'");
    if (!rows.ok()) {
        return rows.error();
    }
    const bool found = rows.value().next();
    if (Status read = rows.value().status(); !read.ok()) {
        return read.error();
    }
    return found;
}

Result<bool> SqliteDatabase::hasColumn(const std::string& table, const std::string& column)
{
    Result<Rows> rows = query("PRAGMA table_info(" + table + ")");
    if (!rows.ok()) {
        return rows.error();
    }
    bool found = false;
    while (!found && rows.value().next()) {
        found = rows.value().text(1) == column;
    }
    if (Status read = rows.value().status(); !read.ok()) {
        return read.error();
    }
    return found;
}

SqliteDatabase::Rows::Rows(SqliteDatabase& database, sqlite3_stmt* statement)
    : m_database(&database)
    , m_statement(statement)
{
}

SqliteDatabase::Rows::Rows(Rows&& other) noexcept
    : m_database(other.m_database)
    , m_statement(other.m_statement)
    , m_code(other.m_code)
{
    other.m_statement = nullptr;
}

SqliteDatabase::Rows::~Rows()
{
    sqlite3_finalize(m_statement);
}

bool SqliteDatabase::Rows::next()
{
    if (m_statement == nullptr || (m_code != 0 && m_code != SQLITE_ROW)) {
        return false;
    }
    m_code = sqlite3_step(m_statement);
    return m_code == SQLITE_ROW;
}

Status SqliteDatabase::Rows::status() const
{
    if (m_code == 0 || m_code == SQLITE_ROW || m_code == SQLITE_DONE) {
        return Status::Ok();
    }
    return m_database->errorOf(m_code);
}

bool SqliteDatabase::Rows::isNull(int column) const
{
    return sqlite3_column_type(m_statement, column) == SQLITE_NULL;
}

int64_t SqliteDatabase::Rows::integer(int column) const
{
    return sqlite3_column_int64(m_statement, column);
}

std::string_view SqliteDatabase::Rows::text(int column) const
{
    const auto* bytes = reinterpret_cast<const char*>(sqlite3_column_text(m_statement, column));
    if (bytes == nullptr) {
        return {};
    }
    return std::string_view(bytes, static_cast<size_t>(sqlite3_column_bytes(m_statement, column)));
}

}  // namespace brindlex
