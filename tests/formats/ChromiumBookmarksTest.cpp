#include "formats/ChromiumBookmarks.h"

#include <gtest/gtest.h>

#include <sstream>

#include "fakes/ScopedTimeZone.h"
#include "formats/ProfileTestSupport.h"

namespace brindlex::test {
namespace {

// As Chromium writes it (cut down from a file Chromium 156 wrote here): dates are
// microseconds since 1601 in strings; ids, guids and meta_info are not read.
constexpr const char* Written = R"({
   "checksum": "b4b3064f0ae836cc2b33dfa88eb946a5",
   "roots": {
      "bookmark_bar": {
         "children": [ {
            "children": [ {
               "date_added": "13441283333457956",
               "guid": "1f190df2-9ca9-4036-a136-2fad41076ee7", "id": "6",
               "meta_info": { "power_bookmark_meta": "" },
               "name": "Link A \"quoted\" \u00e9 & <b>",
               "type": "url",
               "url": "https://example.org/a?x=1&y=2"
            }, {
               "children": [ ],
               "date_added": "13441283333470988", "id": "7",
               "name": "Empty",
               "type": "folder"
            } ],
            "date_added": "13441283333444135", "id": "5",
            "name": "Ünïcode folder",
            "type": "folder"
         }, {
            "date_added": "0", "id": "10", "name": "", "type": "url", "url": "https://bar.example/"
         } ],
         "date_added": "13441283333167911", "id": "1",
         "name": "Bookmarks bar",
         "type": "folder"
      },
      "other": {
         "children": [ { "date_added": "13441283333491844", "name": "Other one", "type": "url",
                         "url": "https://other.example/" } ],
         "date_added": "13441283333167911", "id": "2", "name": "Other bookmarks", "type": "folder"
      },
      "synced": { "children": [  ], "id": "3", "name": "Mobile bookmarks", "type": "folder" }
   },
   "version": 1
})";

std::string readText(const std::string& json)
{
    std::istringstream in(json);
    const Result<BookmarkTree> read = readChromiumBookmarks(in);
    return read.ok() ? describeTree(read.value()) : "error: " + read.error().message;
}

TEST(ChromiumBookmarksTest, ReadsTheRootsInTheirOrderWithDatesFrom1601)
{
    const ScopedTimeZone zone("UTC");
    EXPECT_EQ(readText(Written),
        "Bookmarks bar/ 2026-12-09 09:48:53\n"
        "  Ünïcode folder/ 2026-12-09 09:48:53\n"
        "    Link A \"quoted\" é & <b> = https://example.org/a?x=1&y=2 2026-12-09 09:48:53\n"
        "    Empty/ 2026-12-09 09:48:53\n"
        "  https://bar.example/ = https://bar.example/\n"
        "Other bookmarks/ 2026-12-09 09:48:53\n"
        "  Other one = https://other.example/ 2026-12-09 09:48:53\n");
}

TEST(ChromiumBookmarksTest, RootsInAnyOrderAndOfLaterVersionsAndEntriesOfUnknownKinds)
{
    EXPECT_EQ(readText(R"({"roots": {
        "synced": {"type": "folder", "name": "", "children": [{"type": "url", "url": "https://m.example/", "name": "M"}]},
        "workspace": {"type": "folder", "name": "Workspace", "children": [{"type": "url", "url": "https://w/", "name": "W"}]},
        "other": {"type": "folder", "children": [{"type": "separator"}, {"type": "url", "name": "No address"},
                  {"type": "url", "url": 7, "name": "Number"}, 5, null, {"type": "folder", "name": 3, "children": {}}]},
        "bookmark_bar": {"type": "folder", "name": "Bar", "children": [{"type": "url", "url": "https://b/",
                         "name": "B", "date_added": 13441283333457956}]},
        "sync_transaction_version": "1"}})"),
        "Bar/\n"
        "  B = https://b/ 2026-12-09 09:48:53\n"
        "Other bookmarks/\n"
        "  /\n"
        "Mobile bookmarks/\n"
        "  M = https://m.example/\n"
        "Workspace/\n"
        "  W = https://w/\n");
}

TEST(ChromiumBookmarksTest, DatesThatAreNotDatesAreNone)
{
    for (const char* date : { "\"\"", "\"12x\"", "\"-5\"", "\"99999999999999999999\"", "\"11644473600000000\"", "1.5",
             "true", "[]", "\"253402300800000000000\"" }) {
        SCOPED_TRACE(date);
        EXPECT_EQ(readText(std::string(R"({"roots": {"other": {"children": [{"type": "url", "url": "https://x/",
                                           "name": "X", "date_added": )")
                      + date + "}]}}}"),
            "Other bookmarks/\n  X = https://x/\n");
    }
}

TEST(ChromiumBookmarksTest, TextThatIsNotABookmarksFileSaysWhere)
{
    EXPECT_EQ(readText("{\n  \"roots\": {\n    \"other\": { \"children\": [ \n"),
        "error: not a Chromium bookmarks file: the JSON is malformed at line 4, column 1");
    EXPECT_EQ(readText("{\"roots\": {\"other\": {\"name\": \"Caf\xe9\"}}}"),
        "error: not a Chromium bookmarks file: the JSON is malformed at line 1, column 35");
    EXPECT_EQ(readText(""), "error: not a Chromium bookmarks file: the JSON is malformed at line 1, column 1");
    EXPECT_EQ(readText("[1, 2]"), "error: not a Chromium bookmarks file: it has no \"roots\"");
    EXPECT_EQ(readText("{\"roots\": []}"), "error: not a Chromium bookmarks file: it has no \"roots\"");
    EXPECT_EQ(readText("{\"roots\": {}}"), "");
    // Cut anywhere, the file is an error, never a partial tree.
    const std::string whole = Written;
    for (size_t cut = 0; cut < whole.size(); cut += 7) {
        const std::string read = readText(whole.substr(0, cut));
        ASSERT_EQ(read.rfind("error: not a Chromium bookmarks file", 0), 0u) << cut << ": " << read;
    }
}

TEST(ChromiumBookmarksTest, DeepNestingIsWalkedWithoutRecursion)
{
    const int depth = 50000;
    std::string json = R"({"roots": {"other": {"children": [)";
    for (int i = 0; i < depth; ++i) {
        json += R"({"type": "folder", "name": "f", "children": [)";
    }
    json += R"({"type": "url", "url": "https://deep/", "name": "deep"})";
    for (int i = 0; i < depth; ++i) {
        json += "]}";
    }
    json += "]}}}";
    std::istringstream in(json);
    const Result<BookmarkTree> read = readChromiumBookmarks(in);
    ASSERT_TRUE(read.ok()) << read.error().message;
    ASSERT_EQ(read.value().size(), static_cast<size_t>(depth) + 2);
    EXPECT_EQ(read.value().back().depth, depth + 1);
    EXPECT_EQ(read.value().back().URL, "https://deep/");
}

}  // namespace
}  // namespace brindlex::test
