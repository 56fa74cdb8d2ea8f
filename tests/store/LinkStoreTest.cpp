#include <gtest/gtest.h>

#include <algorithm>
#include <set>
#include <string_view>
#include <vector>

#include "fakes/FakePlatform.h"
#include "fakes/StoreHelpers.h"
#include "store/LinkStore.h"
#include "store/TextRules.h"

namespace brindlex {
namespace {

class LinkStoreTest : public ::testing::Test
{
protected:
    test::FakeClock clock;
    LinkStore store { clock };

    std::string folder(const std::string& caption) { return store.CreateEntry(true, "", 6, caption, "Folder", ""); }
    std::string link(const std::string& caption, const std::string& url = "http://a/")
    {
        return store.CreateEntry(false, url, 5, caption, ClassifyURL(url), "");
    }
    void enter(const std::string& id) { store.SetCurrentFolder(*store.FindFolderOrRoot(id)); }
};

TEST(ClassifyURLTest, FirstContainedSchemeWins)
{
    const std::pair<const char*, const char*> rows[] = {
        { "news:comp.lang", "News" },
        { "ftp://host/http://other/", "Http" },
        { "afs://cell/x", "Archie" },
        { "", "Unknown" },
        { "HtTp://x", "Http" },
        { "mailto:a@b", "EMail" },
        { "file:C|/a.htm", "File" },
        { "gopher://g", "Gopher" },
        { "telnet://t", "Telnet" },
        { "ftp://f/", "Ftp" },
        { "javascript:void(0)", "Unknown" },
        // https was not yet a link kind: such links came out "Unknown" and were not
        // taken for URLs by the clipboard paste.
        { "https://example.org/", "Http" },
        { "HTTPS://EXAMPLE.ORG/", "Http" },
        { "ftp://host/?next=https://other/", "Http" },
        { "news:https://x", "Http" },
        { "https:/one-slash", "Unknown" },
        { "mailto:a@b?body=file:x", "File" },
        { "xtelnet://t", "Telnet" },
        { "view-source:HTTP://a", "Http" },
        { "http:", "Unknown" },
        { ":", "Unknown" },
        { "afs:", "Unknown" },
    };
    for (const auto& [url, kind] : rows) {
        SCOPED_TRACE(url);
        EXPECT_EQ(ClassifyURL(url), kind);
    }
    // The list of kind words (what the contents list's Type column can show) is exactly
    // what the rows above give.
    std::vector<std::string_view> seen;
    for (const auto& row : rows) {
        if (std::find(seen.begin(), seen.end(), row.second) == seen.end()) {
            seen.emplace_back(row.second);
        }
    }
    std::vector<std::string_view> kinds = URLKinds();
    EXPECT_EQ(kinds.back(), "Unknown");
    std::sort(kinds.begin(), kinds.end());
    std::sort(seen.begin(), seen.end());
    EXPECT_EQ(kinds, seen);
}

TEST(TextRulesTest, QuotesLineBreaksAndQuoteMarks)
{
    EXPECT_EQ(QuotesToApostrophes("a \"b\" c"), "a 'b' c");
    EXPECT_EQ(DecodeQuoteMarks("x%!%y%!%"), "x\"y\"");
    EXPECT_EQ(DecodeQuoteMarks("%!"), "%!");
    EXPECT_EQ(StripLineBreaks("a\r\nb\tc\n"), "abc");
    EXPECT_EQ(LineBreaksToBlank("a\r\n\r\nb\nc"), "a b c");
}

TEST_F(LinkStoreTest, DefaultCaptionsCountMatchingEntries)
{
    link("");
    link("");
    link("");
    ASSERT_EQ(store.CurrentFolder().FolderItems.size(), 3u);
    EXPECT_EQ(store.CurrentFolder().FolderItems[0]->Caption, "New Item 0");
    EXPECT_EQ(store.CurrentFolder().FolderItems[2]->Caption, "New Item 2");

    const std::string a = folder("New Folder Old");
    enter(a);
    folder("");  // counts folders of the whole database
    EXPECT_EQ(store.CurrentFolder().FolderItems[0]->Caption, "New Folder 1");
}

TEST_F(LinkStoreTest, CreateEntryCleansTextAndMakesFolderRecords)
{
    const std::string iid = store.CreateEntry(false, "http://\"q\"", 5, "a \"word\"", "Http", "line\r\none\tend");
    const FolderItem& item = *store.CurrentFolder().FolderItems.back();
    EXPECT_EQ(item.IID, iid);
    EXPECT_EQ(item.Caption, "a 'word'");
    EXPECT_EQ(item.URL, "http://'q'");
    EXPECT_EQ(item.Description, "lineoneend");
    EXPECT_EQ(item.Client, "None");
    EXPECT_EQ(item.Icon, 5);
    EXPECT_EQ(item.MDate, (DateTime { 1996, 12, 7 }));
    EXPECT_EQ(iid, "12/7/96 3:04:05 PM1");

    const std::string f = folder("Tools");
    const FolderItem& entry = *store.Root().FolderItems.back();
    EXPECT_TRUE(entry.IsFolder);
    EXPECT_EQ(entry.Icon, 0);
    EXPECT_EQ(entry.URLType, "");
    EXPECT_EQ(entry.Client, "");
    ASSERT_NE(store.FindFolder(f), nullptr);
    EXPECT_EQ(store.FindFolder(f)->parent, RootFolderId);
    enter(f);
    const std::string g = folder("Sub");
    EXPECT_EQ(store.FindFolder(f)->SubFolders.size(), 1u);
    EXPECT_EQ(store.FindFolder(g)->parent, f);
    test::expectInvariants(store);
}

TEST_F(LinkStoreTest, ClientAssignmentModes)
{
    store.SetDefaultClient("Iexplore");
    store.SetAutoAssign(1);
    link("a");
    EXPECT_EQ(store.CurrentFolder().FolderItems.back()->Client, "Iexplore");
    EXPECT_EQ(store.CurrentFolder().FolderItems.back()->Icon, 11);
    store.SetAutoAssign(7);
    link("b");
    EXPECT_EQ(store.CurrentFolder().FolderItems.back()->Client, "SMosaic");
    EXPECT_EQ(store.CurrentFolder().FolderItems.back()->Icon, 14);
    store.SetAutoAssign(0);
    store.CreateEntry(false, "x", 12, "c", "Unknown", "");
    EXPECT_EQ(store.CurrentFolder().FolderItems.back()->Client, "None");
    EXPECT_EQ(store.CurrentFolder().FolderItems.back()->Icon, 12);
}

TEST_F(LinkStoreTest, CounterWrapsAfterThousandAndIdsStayUnique)
{
    std::set<std::string> ids;
    for (int i = 0; i < 5000; ++i) {
        ids.insert(link("x"));
    }
    EXPECT_EQ(ids.size(), 5000u);
    // In a new second the counter has wrapped as described.
    clock.time.second = 6;
    store.EntryCounter() = 1001;
    EXPECT_EQ(link("y"), "12/7/96 3:04:06 PM1");
}

TEST_F(LinkStoreTest, LinkFoldersFillsDescendantsAndSurvivesCycles)
{
    const std::string a = folder("A");
    enter(a);
    const std::string b = folder("B");
    enter(b);
    const std::string c = folder("C");
    enter(c);
    const std::string d = folder("D");
    store.LinkFolders();
    EXPECT_EQ(store.FindFolder(a)->SubFolders.size(), 3u);
    EXPECT_EQ(store.FindFolder(b)->SubFolders.size(), 2u);
    EXPECT_EQ(store.FindFolder(c)->SubFolders.size(), 1u);
    EXPECT_EQ(store.Root().SubFolders.size(), 4u);

    // A parent cycle must not hang.
    store.FindFolder(a)->parent = d;
    store.LinkFolders();
    EXPECT_LE(store.FindFolder(a)->SubFolders.size(), 4u);
}

TEST_F(LinkStoreTest, PurgeAndWalkStopOnEntriesPointingUp)
{
    const std::string a = folder("A");
    enter(a);
    const std::string b = folder("B");
    enter(b);
    folder("C");
    // An entry in B that points back at A.
    store.AddLoadedItem("loop", "", true, a, 0, {}, "", "", "", "");
    int visits = 0;
    store.WalkFolders(store.Root(), [&](Folder&, int) {
        ++visits;
        return true;
    });
    EXPECT_EQ(visits, 4);
    store.PurgeSubfolders(*store.FindFolder(a));
    ASSERT_EQ(store.Root().SubFolders.size(), 1u);
    EXPECT_EQ(store.Root().SubFolders[0]->id, a);
}

TEST_F(LinkStoreTest, FindFolderAnswersFirstOfEqualIdsLikeAScan)
{
    store.AddLoadedFolder("one", "X", RootFolderId, {}, "");
    store.AddLoadedFolder("two", "X", RootFolderId, {}, "");
    ASSERT_NE(store.FindFolder("X"), nullptr);
    EXPECT_EQ(store.FindFolder("X")->Caption, "one");
    store.RemoveFromFlatList({ store.FindFolder("X") });
    EXPECT_EQ(store.FindFolder("X")->Caption, "two");
    EXPECT_EQ(store.FindFolder("missing"), nullptr);
    EXPECT_EQ(store.FindFolderOrRoot(RootFolderId), &store.Root());
}

// Folders appended after a lookup join the index at the next one; the first of equal ids
// still wins, and a list edited behind the index is indexed anew rather than trusted.
TEST_F(LinkStoreTest, FoldersAppendedAfterALookupAreFoundLater)
{
    const std::string a = folder("a");
    ASSERT_NE(store.FindFolder(a), nullptr);
    const std::string b = folder("b");
    store.AddLoadedFolder("first X", "X", RootFolderId, {}, "");
    store.AddLoadedFolder("second X", "X", RootFolderId, {}, "");
    const std::string c = folder("c");
    EXPECT_EQ(store.FindFolder(b)->Caption, "b");
    EXPECT_EQ(store.FindFolder(c)->Caption, "c");
    EXPECT_EQ(store.FindFolder("X")->Caption, "first X");
    store.AddLoadedFolder("third X", "X", RootFolderId, {}, "");
    EXPECT_EQ(store.FindFolder("X")->Caption, "first X");

    // The first folder taken out of the list directly, then one appended: the index must
    // not answer with the positions it had before.
    auto& flat = store.Root().SubFolders;
    flat.erase(flat.begin());
    store.AddLoadedFolder("d", "D", RootFolderId, {}, "");
    EXPECT_EQ(store.FindFolder(a), nullptr);
    EXPECT_EQ(store.FindFolder(b)->Caption, "b");
    EXPECT_EQ(store.FindFolder("D")->Caption, "d");
    EXPECT_EQ(store.FindFolder("X")->Caption, "first X");
}

TEST_F(LinkStoreTest, DeepChainWalksWithoutRecursion)
{
    for (int i = 0; i < 100000; ++i) {
        enter(folder("d"));
    }
    int deepest = 0;
    store.WalkFolders(store.Root(), [&](Folder&, int depth) {
        deepest = std::max(deepest, depth);
        return true;
    });
    EXPECT_EQ(deepest, 100000);
}

}  // namespace
}  // namespace brindlex

namespace brindlex {
namespace {

// An entry removed and another added left the folder's size unchanged, and the lookup
// of the new entry used to answer "not found" from the stale index.
TEST(LinkStoreItemIndexTest, FindsAnEntryAddedAfterOneWasRemoved)
{
    test::FakeClock clock;
    LinkStore store { clock };
    for (int i = 0; i < 40; ++i) {
        store.AddLoadedItem("x", "", false, "id" + std::to_string(i), 5, {}, "", "", "None", "");
    }
    ASSERT_NE(store.FindItem(store.Root(), "id3"), nullptr);
    auto& items = store.Root().FolderItems;
    items.erase(items.begin() + 3);
    store.AddLoadedItem("new", "", false, "fresh", 5, {}, "", "", "None", "");
    ASSERT_NE(store.FindItem(store.Root(), "fresh"), nullptr);
    EXPECT_EQ(store.FindItem(store.Root(), "fresh")->Caption, "new");
    EXPECT_EQ(store.FindItem(store.Root(), "id3"), nullptr);
}

}  // namespace
}  // namespace brindlex
