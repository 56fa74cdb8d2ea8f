#include <gtest/gtest.h>

#include <sstream>

#include "fakes/FakePlatform.h"
#include "fakes/StoreHelpers.h"
#include "store/DatabaseFile.h"
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

}  // namespace
}  // namespace brindlex
