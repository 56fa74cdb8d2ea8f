#include "formats/FirefoxPlaces.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <map>
#include <sys/wait.h>
#include <unistd.h>

#include "fakes/ScopedTimeZone.h"
#include "fakes/TempFolder.h"
#include "formats/ProfileTestSupport.h"

namespace brindlex::test {
namespace {

namespace fs = std::filesystem;

class FirefoxPlacesTest : public ::testing::Test
{
protected:
    std::string path() const { return folder / "places.sqlite"; }

    // Every file of the profile folder with its bytes, to show that reading changed nothing.
    std::map<std::string, std::string> profileFiles() const
    {
        std::map<std::string, std::string> files;
        for (const auto& entry : fs::directory_iterator(folder.path())) {
            files[entry.path().filename().string()] = TempFolder::read(entry.path().string());
        }
        return files;
    }

    std::string readError()
    {
        const Result<BookmarkTree> read = readFirefoxPlaces(path());
        return read.ok() ? "read " + describeTree(read.value()) : read.error().message;
    }

    ScopedTimeZone zone { "UTC" };
    TempFolder folder;
};

TEST_F(FirefoxPlacesTest, ReadsTheTreeAsFirefoxShowsItWithoutSeparatorsQueriesOrTags)
{
    {
        PlacesFile places(path());
        places.roots();
        places.folder(10, 2, 0, "Ünïcode & <folder>", prTime(2020, 9, 13, 12, 26, 40));
        places.link(11, 10, 0, "Link A \"quoted\"", "https://example.org/a?x=1&y=2", prTime(2017, 7, 14, 2, 40, 0));
        places.folder(12, 10, 1, "Empty");
        places.link(13, 10, 2, "", "https://example.org/b", prTime(2014, 5, 13, 16, 53, 20), "Page title of B");
        places.link(14, 10, 3, "", "https://example.org/c");
        places.link(15, 2, 1, "Top link", "https://example.net/", prTime(2011, 3, 15, 3, 0, 0));
        places.separator(16, 2, 2);
        places.link(17, 2, 3, "Recent", "place:sort=8&maxResults=10");
        places.link(18, 3, 0, "On toolbar", "https://toolbar.example/");
        places.folder(19, 4, 0, "a-tag");
        places.link(20, 19, 0, "", "https://example.net/");  // the tag's copy of Top link
        places.link(21, 5, 0, "Unfiled one", "https://unfiled.example/");
    }
    const Result<BookmarkTree> read = readFirefoxPlaces(path());
    ASSERT_TRUE(read.ok()) << read.error().message;
    EXPECT_EQ(describeTree(read.value()),
        "Bookmarks Menu/\n"
        "  Ünïcode & <folder>/ 2020-09-13 12:26:40\n"
        "    Link A \"quoted\" = https://example.org/a?x=1&y=2 2017-07-14 02:40:00\n"
        "    Empty/\n"
        "    Page title of B = https://example.org/b 2014-05-13 16:53:20\n"
        "    https://example.org/c = https://example.org/c\n"
        "  Top link = https://example.net/ 2011-03-15 03:00:00\n"
        "Bookmarks Toolbar/\n"
        "  On toolbar = https://toolbar.example/\n"
        "Other Bookmarks/\n"
        "  Unfiled one = https://unfiled.example/\n");
}

TEST_F(FirefoxPlacesTest, DescriptionsOlderVersionsKeptAreRead)
{
    {
        PlacesFile places(path());
        places.roots();
        places.folder(10, 2, 0, "Folder");
        places.link(11, 10, 0, "Link", "https://example.org/");
        places.exec(
            "CREATE TABLE moz_anno_attributes (id INTEGER PRIMARY KEY, name VARCHAR(32) UNIQUE NOT NULL);"
            "CREATE TABLE moz_items_annos (id INTEGER PRIMARY KEY, item_id INTEGER NOT NULL,"
            " anno_attribute_id INTEGER, content LONGVARCHAR);"
            "INSERT INTO moz_anno_attributes VALUES (1, 'bookmarkProperties/description'), (2, 'other/thing');"
            "INSERT INTO moz_items_annos VALUES (1, 11, 1, 'Notes on it: a & b'), (2, 10, 1, 'About the folder'),"
            " (3, 11, 2, 'not a description')");
    }
    const Result<BookmarkTree> read = readFirefoxPlaces(path());
    ASSERT_TRUE(read.ok()) << read.error().message;
    EXPECT_EQ(describeTree(read.value()),
        "Bookmarks Menu/\n"
        "  Folder/ | About the folder\n"
        "    Link = https://example.org/ | Notes on it: a & b\n");
}

TEST_F(FirefoxPlacesTest, RowsThatPointInCirclesOrNowhereEndTheWalk)
{
    {
        PlacesFile places(path());
        places.roots();
        places.folder(10, 2, 0, "Kept");
        places.folder(20, 21, 0, "Loop A");  // A in B and B in A: neither hangs off the root
        places.folder(21, 20, 0, "Loop B");
        places.link(22, 99, 0, "Orphan", "https://orphan.example/");
        places.exec("UPDATE moz_bookmarks SET parent = 1 WHERE id = 1");  // the root inside itself
    }
    const Result<BookmarkTree> read = readFirefoxPlaces(path());
    ASSERT_TRUE(read.ok()) << read.error().message;
    EXPECT_EQ(describeTree(read.value()), "Bookmarks Menu/\n  Kept/\n");
}

TEST_F(FirefoxPlacesTest, AnOldSchemaWithoutGuidsAndTextThatIsNotUtf8)
{
    {
        PlacesFile places(path(), false);
        places.exec("INSERT INTO moz_bookmarks (id, type, parent, position, title) VALUES (1, 2, 0, 0, ''),"
                    " (2, 2, 1, 0, 'Bookmarks Menu'), (3, 2, 1, 1, 'Tags'), (4, 2, 3, 0, 'tag')");
        places.link(5, 2, 0, "Caf\xe9", "https://cafe.example/");
        places.link(6, 4, 0, "Tagged copy", "https://cafe.example/");
    }
    const Result<BookmarkTree> read = readFirefoxPlaces(path());
    ASSERT_TRUE(read.ok()) << read.error().message;
    EXPECT_EQ(describeTree(read.value()), "Bookmarks Menu/\n  Café = https://cafe.example/\n");
}

TEST_F(FirefoxPlacesTest, FilesThatAreNotWholeFirefoxDatabasesGiveOneLine)
{
    EXPECT_EQ(readError(), "no such file");
    folder.write("places.sqlite", "");
    EXPECT_EQ(readError(), "not a Firefox bookmarks database (it has no moz_bookmarks table)");
    folder.write("places.sqlite", std::string(4096, 'x'));
    EXPECT_EQ(readError(), "the database is damaged or only partly written (file is not a database)");
    fs::remove(path());
    {
        sqlite3* db = nullptr;
        sqlite3_open(path().c_str(), &db);
        sqlite3_exec(db, "CREATE TABLE moz_bookmarks (id INTEGER)", nullptr, nullptr, nullptr);
        sqlite3_close(db);
    }
    EXPECT_EQ(readError(), "not a Firefox bookmarks database (it has no moz_places table)");
    fs::remove(path());
    fs::create_directory(path());
    EXPECT_EQ(readError(), "not a regular file");
}

TEST_F(FirefoxPlacesTest, ACutShortCopyIsDamagedNeverHalfRead)
{
    {
        PlacesFile places(path());
        places.exec("PRAGMA page_size = 1024");
        places.roots();
        places.exec("BEGIN");
        for (int i = 0; i < 2000; ++i) {
            places.link(100 + i, 2, i, "Link " + std::to_string(i) + std::string(40, '-'),
                "https://example.org/" + std::to_string(i));
        }
        places.exec("COMMIT");
    }
    ASSERT_TRUE(readFirefoxPlaces(path()).ok());
    const std::string whole = TempFolder::read(path());
    for (const size_t cut : { whole.size() / 2, whole.size() * 9 / 10, size_t { 1500 } }) {
        SCOPED_TRACE(cut);
        folder.write("places.sqlite", whole.substr(0, cut));
        const std::string read = readError();
        EXPECT_EQ(read.rfind("the database is damaged or only partly written (", 0), 0u) << read;
    }
}

// Firefox keeps its database in write-ahead-log mode and holds it locked while it runs;
// what it wrote lately is in places.sqlite-wal until it ends. Reading the main file alone
// (as an immutable open does) missed all of it.
TEST_F(FirefoxPlacesTest, WhatARunningBrowserHoldsInItsLogIsReadAndItsFilesStayAsTheyWere)
{
    {
        PlacesFile places(path());
        places.roots();
        places.link(10, 2, 0, "Old", "https://old.example/");
    }
    int toChild[2];
    int fromChild[2];
    ASSERT_EQ(::pipe(toChild), 0);
    ASSERT_EQ(::pipe(fromChild), 0);
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        // The browser: exclusive locking as Firefox uses, a log never checkpointed.
        sqlite3* db = nullptr;
        sqlite3_open(path().c_str(), &db);
        sqlite3_exec(db,
            "PRAGMA locking_mode = EXCLUSIVE; PRAGMA journal_mode = WAL; PRAGMA wal_autocheckpoint = 0;"
            "INSERT INTO moz_places (id, url) VALUES (11, 'https://new.example/');"
            "INSERT INTO moz_bookmarks (id, type, fk, parent, position, title) VALUES (11, 1, 11, 2, 1, 'New');",
            nullptr, nullptr, nullptr);
        char done = 'x';
        (void)!::write(fromChild[1], &done, 1);
        (void)!::read(toChild[0], &done, 1);  // runs until told to end
        ::_exit(0);  // ended as a killed browser ends: the log stays
    }
    char ready = 0;
    ASSERT_EQ(::read(fromChild[0], &ready, 1), 1);
    ::usleep(150000);  // older than a writer that might be mid-transaction
    const std::map<std::string, std::string> before = profileFiles();
    ASSERT_GT(before.at("places.sqlite-wal").size(), 0u);

    const Result<BookmarkTree> whileRunning = readFirefoxPlaces(path());
    char end = 'e';
    (void)!::write(toChild[1], &end, 1);
    ::waitpid(child, nullptr, 0);
    ASSERT_TRUE(whileRunning.ok()) << whileRunning.error().message;
    EXPECT_EQ(describeTree(whileRunning.value()),
        "Bookmarks Menu/\n  Old = https://old.example/\n  New = https://new.example/\n");

    const Result<BookmarkTree> afterItEnded = readFirefoxPlaces(path());
    ASSERT_TRUE(afterItEnded.ok()) << afterItEnded.error().message;
    EXPECT_EQ(describeTree(afterItEnded.value()), describeTree(whileRunning.value()));
    EXPECT_EQ(profileFiles(), before);
    for (int fd : { toChild[0], toChild[1], fromChild[0], fromChild[1] }) {
        ::close(fd);
    }
}

// A writer that ended in the middle of a transaction leaves a half-written file and the
// journal that undoes it; the import reads the database as it was before that transaction.
TEST_F(FirefoxPlacesTest, AHalfWrittenTransactionIsReadAsItWasBeforeAndNotRolledBackInTheProfile)
{
    {
        PlacesFile places(path());
        places.exec("PRAGMA page_size = 1024");
        places.roots();
        places.link(10, 2, 0, "Before", "https://before.example/");
    }
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        sqlite3* db = nullptr;
        sqlite3_open(path().c_str(), &db);
        sqlite3_exec(db, "PRAGMA journal_mode = DELETE; PRAGMA cache_size = 5; BEGIN;", nullptr, nullptr, nullptr);
        for (int i = 0; i < 3000; ++i) {
            const std::string id = std::to_string(100 + i);
            const std::string sql = "INSERT INTO moz_places (id, url, title) VALUES (" + id + ", 'https://x.example/"
                + id + "', '" + std::string(200, 'p')
                + "'); INSERT INTO moz_bookmarks (id, type, fk, parent, position,"
                  " title) VALUES ("
                + id + ", 1, " + id + ", 2, " + id + ", 'Half')";
            sqlite3_exec(db, sql.c_str(), nullptr, nullptr, nullptr);
        }
        ::_exit(0);  // no commit, no rollback
    }
    ::waitpid(child, nullptr, 0);
    ::usleep(150000);
    const std::map<std::string, std::string> before = profileFiles();
    ASSERT_GT(before.at("places.sqlite-journal").size(), 0u);

    const Result<BookmarkTree> read = readFirefoxPlaces(path());
    ASSERT_TRUE(read.ok()) << read.error().message;
    EXPECT_EQ(describeTree(read.value()), "Bookmarks Menu/\n  Before = https://before.example/\n");
    EXPECT_EQ(profileFiles(), before);
}

// Another program holds the database locked in the middle of a write transaction that
// has already spilled pages to the files (a large import in the browser). The import does
// not wait for the lock or read half of it: it reads the database as it was before the
// transaction, and neither the writer's files nor its transaction are touched.
TEST_F(FirefoxPlacesTest, AWriterHoldingItsLockMidTransactionIsReadAsBeforeIt)
{
    for (const std::string mode : { "DELETE", "WAL" }) {
        SCOPED_TRACE(mode);
        for (const auto& entry : fs::directory_iterator(folder.path())) {
            fs::remove(entry.path());
        }
        {
            PlacesFile places(path());
            places.exec("PRAGMA page_size = 1024; PRAGMA journal_mode = " + mode);
            places.roots();
            places.link(10, 2, 0, "Before", "https://before.example/");
        }
        int toChild[2];
        int fromChild[2];
        ASSERT_EQ(::pipe(toChild), 0);
        ASSERT_EQ(::pipe(fromChild), 0);
        const pid_t child = ::fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            sqlite3* db = nullptr;
            sqlite3_open(path().c_str(), &db);
            sqlite3_exec(db, "PRAGMA cache_size = 5; BEGIN EXCLUSIVE;", nullptr, nullptr, nullptr);
            for (int i = 0; i < 3000; ++i) {
                const std::string id = std::to_string(100 + i);
                const std::string sql = "INSERT INTO moz_places (id, url, title) VALUES (" + id
                    + ", 'https://x.example/" + id + "', '" + std::string(200, 'p')
                    + "'); INSERT INTO moz_bookmarks (id, type, fk, parent, position, title) VALUES (" + id + ", 1, "
                    + id + ", 2, " + id + ", 'Uncommitted')";
                sqlite3_exec(db, sql.c_str(), nullptr, nullptr, nullptr);
            }
            char done = 'x';
            (void)!::write(fromChild[1], &done, 1);
            (void)!::read(toChild[0], &done, 1);  // holds the lock until told to end
            const int rolledBack = sqlite3_exec(db, "ROLLBACK", nullptr, nullptr, nullptr);
            sqlite3_close(db);
            ::_exit(rolledBack == SQLITE_OK ? 0 : 1);
        }
        char ready = 0;
        ASSERT_EQ(::read(fromChild[0], &ready, 1), 1);
        ::usleep(150000);  // older than a writer that might be mid-write
        const std::map<std::string, std::string> before = profileFiles();
        ASSERT_GT(before.at(mode == "WAL" ? "places.sqlite-wal" : "places.sqlite-journal").size(), 0u);

        const Result<BookmarkTree> read = readFirefoxPlaces(path());
        const std::map<std::string, std::string> after = profileFiles();
        char end = 'e';
        (void)!::write(toChild[1], &end, 1);
        int status = -1;
        ::waitpid(child, &status, 0);
        for (int fd : { toChild[0], toChild[1], fromChild[0], fromChild[1] }) {
            ::close(fd);
        }
        ASSERT_TRUE(read.ok()) << read.error().message;
        EXPECT_EQ(describeTree(read.value()), "Bookmarks Menu/\n  Before = https://before.example/\n");
        EXPECT_EQ(after, before);
        // The writer could still end its own transaction.
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    }
}

}  // namespace
}  // namespace brindlex::test
