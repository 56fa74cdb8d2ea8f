#include <gtest/gtest.h>

#include <optional>
#include <sstream>

#include "fakes/FakePlatform.h"
#include "fakes/StoreHelpers.h"
#include "fakes/TempFolder.h"
#include "store/DatabaseFile.h"
#include "store/FileAccess.h"
#include "store/LinkStore.h"
#include "store/TextEncoding.h"

namespace brindlex {
namespace {

// A current-layout database of `entries` links in the root, each caption from `caption`,
// with `lineEnd` after every line and nothing after the last one when `finalEnd` is false.
std::string databaseText(
    int entries, const std::function<std::string(int)>& caption, const std::string& lineEnd, bool finalEnd = true)
{
    std::string text = "\"Version: 1.1\"" + lineEnd + "\"Links\",\"RootFolder\",\"RootFolder\",#2024-03-09#,\"\","
        + std::to_string(entries + 1) + ",1" + lineEnd;
    for (int i = 0; i < entries; ++i) {
        text += "\"" + caption(i) + "\",\"http://example.com/" + std::to_string(i) + "\",#FALSE#,\"id"
            + std::to_string(i) + "\",5,#2024-03-09#,\"Http\",\"\",\"None\",\"\"" + lineEnd;
    }
    text += "\"Sub\",\"\",#TRUE#,\"sub\",0,#2024-03-09#,\"\",\"\",\"\",\"\"" + lineEnd + lineEnd;
    text += "\"Sub\",\"sub\",\"RootFolder\",#2024-03-09#,\"\",1" + lineEnd;
    text += "\"Inside\",\"http://inside/\",#FALSE#,\"in\",5,#2024-03-09#,\"Http\",\"\",\"None\",\"\"";
    if (finalEnd) {
        text += lineEnd;
    }
    return text;
}

// The tree a stream read gives, or the error.
std::string readStream(const std::string& bytes)
{
    test::FakeClock clock;
    LinkStore store(clock);
    std::istringstream in(bytes);
    const Result<DatabaseLayout> read = readDatabase(in, store, false);
    return read.ok() ? test::describe(store) : "error: " + read.error().message;
}

// The tree the same file gives when it is decoded whole first.
std::string readWhole(const std::string& bytes)
{
    test::FakeClock clock;
    LinkStore store(clock);
    const Result<DatabaseLayout> read = readDatabaseText(decodeText(bytes), store, false);
    return read.ok() ? test::describe(store) : "error: " + read.error().message;
}

// A database is read as it streams by; whatever the encoding, line ends or line lengths,
// the result must be the one of reading the whole file at once.
TEST(DatabaseStreamingTest, StreamedReadGivesWhatTheWholeFileGives)
{
    const auto plain = [](int i) { return "Page " + std::to_string(i); };
    const std::string longCaption(200000, 'x');  // longer than the read buffer
    struct Case
    {
        const char* what;
        std::string bytes;
    };
    const std::vector<Case> cases = {
        { "ascii, CR LF", databaseText(3000, plain, "\r\n") },
        { "ascii, LF, no final line end", databaseText(3000, plain, "\n", false) },
        { "UTF-8",
            databaseText(
                3000, [](int i) { return "Caf\xC3\xA9 " + std::to_string(i); }, "\r\n") },
        // Only the last caption is not UTF-8: the whole file is then read as Windows-1252.
        { "Windows-1252 far into the file",
            databaseText(
                3000, [](int i) { return i == 2999 ? std::string("Caf\xE9") : "Caf\xC3\xA9"; }, "\r\n") },
        { "byte-order mark", "\xEF\xBB\xBF" + databaseText(10, plain, "\r\n") },
        { "byte-order mark, then Windows-1252",
            "\xEF\xBB\xBF"
                + databaseText(
                    10, [](int i) { return i == 5 ? std::string("\xE9t\xE9") : "x"; }, "\r\n") },
        { "lines longer than the buffer",
            databaseText(
                5, [&](int i) { return i % 2 == 0 ? longCaption : "short"; }, "\r\n") },
        { "cut short", databaseText(3000, plain, "\r\n").substr(0, 70000) },
        { "cut short after Windows-1252",
            databaseText(
                3000, [](int i) { return i == 2 ? std::string("\xE9") : "x"; }, "\r\n")
                .substr(0, 70000) },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(readStream(c.bytes), readWhole(c.bytes));
    }
    // And what they give is right.
    EXPECT_EQ(readStream(databaseText(
                  1, [](int) { return std::string("Caf\xE9"); }, "\r\n")),
        "|Caf\xC3\xA9|http://example.com/0\n"
        "Sub/\n"
        "Sub|Inside|http://inside/\n");
    EXPECT_EQ(readStream(databaseText(3000, plain, "\r\n").substr(0, 70000)).substr(0, 6), "error:");
}

// Every field of the model, as a save writes it.
std::string saved(LinkStore& store)
{
    std::ostringstream out;
    EXPECT_TRUE(writeDatabase(out, store).ok());
    return out.str();
}

// The model a read of the file in two parts gives, split at `at`, into a store that holds
// a link already (an import must add to it, an open replace it); "one part" when the read
// did not work out, and then the store must be as it was.
std::string readParts(const std::string& path, uint64_t at, bool import)
{
    test::FakeClock clock;
    LinkStore store(clock);
    (void)store.CreateEntry(false, "http://before/", 5, "Before", "", "");
    const std::string before = saved(store);
    InputFile in;
    EXPECT_TRUE(in.open(path).ok());
    const std::optional<Result<DatabaseLayout>> read = readDatabaseInParts(in, store, import, nullptr, at);
    if (!read) {
        EXPECT_EQ(saved(store), before);
        return "one part";
    }
    return read->ok() ? saved(store) : "error: " + read->error().message;
}

std::string readOnePart(const std::string& bytes, bool import)
{
    test::FakeClock clock;
    LinkStore store(clock);
    (void)store.CreateEntry(false, "http://before/", 5, "Before", "", "");
    std::istringstream in(bytes);
    const Result<DatabaseLayout> read = readDatabase(in, store, import);
    return read.ok() ? saved(store) : "error: " + read.error().message;
}

// A database with a line of every kind: root entries, a folder entry, the empty line,
// folder records, a URL with a stored double quote, a description, clients and a cache,
// captions in UTF-8 and dates with and without a time.
std::string everyKindOfLine(const std::string& end, bool finalEnd)
{
    std::string text = "\"Version: 1.1\"" + end + "\"Links\",\"RootFolder\",\"RootFolder\",#2024-03-09#,\"\",3,2" + end
        + "\"Caf\xC3\xA9\",\"http://a/?q=%!%x%!%\",#FALSE#,\"a1\",10,#2024-03-09 "
          "13:04:05#,\"Http\",\"said\",\"Firefox\",\"c\""
        + end + "\"Two\",\"http://b/\",#FALSE#,\"b1\",5,#NULL#,\"Http\",\"\",\"None\"" + end
        + "\"Sub\",\"\",#TRUE#,\"sub\",0,#2024-03-09#,\"\",\"\",\"\",\"\"" + end + end
        + "\"Sub\",\"sub\",\"RootFolder\",#2024-03-09#,\"about Sub\",3" + end;
    for (int i = 0; i < 2; ++i) {
        text += "\"In " + std::to_string(i) + "\",\"http://in/" + std::to_string(i) + "\",#FALSE#,\"in"
            + std::to_string(i) + "\",5,#2024-03-10#,\"Http\",\"\",\"None\",\"\"" + end;
    }
    text += "\"Deep\",\"\",#TRUE#,\"deep\",0,#2024-03-09#,\"\",\"\",\"\",\"\"" + end;
    text += "\"Deep\",\"deep\",\"sub\",#2024-03-09#,\"\",1" + end;
    text += "\"Last\",\"http://last/\",#FALSE#,\"last\",5,#2024-03-11#,\"Http\",\"\",\"None\",\"\"";
    if (finalEnd) {
        text += end;
    }
    return text;
}

// Wherever the file is split, its two parts read at once give every field that the read in
// one part gives, both as the open database and as an import.
TEST(DatabaseStreamingTest, ReadInTwoPartsGivesWhatOnePartGives)
{
    test::TempFolder folder;
    for (const std::string end : { "\r\n", "\n" }) {
        for (const bool finalEnd : { true, false }) {
            for (const bool import : { false, true }) {
                const std::string bytes = everyKindOfLine(end, finalEnd);
                const std::string path = folder.write("links.bdx", bytes);
                const std::string expected = readOnePart(bytes, import);
                ASSERT_EQ(expected.substr(0, 6), "\"Versi");
                // Past the last line end there is no line start to split at.
                const uint64_t lastStart = bytes.rfind('\n') + 1;
                for (uint64_t at = lastStart + 1; at <= bytes.size(); ++at) {
                    ASSERT_EQ(readParts(path, at, import), "one part");
                }
                for (uint64_t at = 0; at <= lastStart; ++at) {
                    ASSERT_EQ(readParts(path, at, import), expected)
                        << "split at " << at << (end == "\n" ? ", LF" : ", CR LF") << (finalEnd ? "" : ", no final end")
                        << (import ? ", import" : "");
                }
            }
        }
    }
}

// A file that has something wrong in it, or needs reading whole, never gives a result read
// in two parts: wherever it is split, the read in one part takes over and tells what is
// wrong, with the right line, as before.
TEST(DatabaseStreamingTest, AFileThatDoesNotReadInTwoPartsIsReadInOne)
{
    const auto plain = [](int i) { return "Page " + std::to_string(i); };
    const auto replaced = [](std::string text, const std::string& what, const std::string& with) {
        const size_t at = text.rfind(what);
        EXPECT_NE(at, std::string::npos) << what;
        return text.replace(at, what.size(), with);
    };
    // Large enough to be read in two parts by readDatabase itself.
    const int entries = 60000;
    const std::string good = databaseText(entries, plain, "\r\n");
    ASSERT_GT(good.size(), size_t { 4 } << 20);
    const std::string count = std::to_string(entries + 1) + ",1";
    struct Case
    {
        const char* what;
        std::string bytes;
    };
    const std::vector<Case> cases = {
        { "root count too small: an entry where the empty line belongs",
            replaced(good, count, std::to_string(entries) + ",1") },
        { "root count too large", replaced(good, count, std::to_string(entries + 2) + ",1") },
        { "a record that does not parse near the end",
            replaced(good, "\"Page " + std::to_string(entries - 2) + "\",", "\"Page\",#") },
        { "more records than the counts say", good + "\"x\",\"y\"\r\n" },
        { "Windows-1252 near the end", replaced(good, "\"Page " + std::to_string(entries - 2) + "\"", "\"Caf\xE9\"") },
        { "a line longer than any line is read", good + std::string((size_t { 64 } << 20) + 1, 'x') },
        { "cut short", good.substr(0, good.size() - 40) },
    };
    test::TempFolder folder;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const std::string path = folder.write("links.bdx", c.bytes);
        for (const uint64_t at : { uint64_t { 1 }, c.bytes.size() / 3, c.bytes.size() / 2, c.bytes.size() - 100 }) {
            EXPECT_EQ(readParts(path, at, false), "one part") << "split at " << at;
        }
        test::FakeClock clock;
        LinkStore store(clock);
        InputFile in;
        ASSERT_TRUE(in.open(path).ok());
        const Result<DatabaseLayout> read = readDatabase(in, store, false);
        EXPECT_EQ(read.ok() ? saved(store) : "error: " + read.error().message, readOnePart(c.bytes, false));
    }
    // The good file itself is read in two parts, to the same model.
    const std::string path = folder.write("links.bdx", good);
    EXPECT_EQ(readParts(path, good.size() / 2, false), readOnePart(good, false));
}

}  // namespace
}  // namespace brindlex
