#include "store/TreeRows.h"

#include <gtest/gtest.h>

#include "fakes/FakePlatform.h"
#include "fakes/StoreHelpers.h"
#include "store/LinkStore.h"

namespace brindlex {
namespace {

class TreeRowsTest : public ::testing::Test
{
protected:
    // The rows one a line: indentation by depth, caption, and "#" for a row that is not
    // the one found by its key.
    std::string shown()
    {
        const std::vector<TreeRow> rows = treeRows(store);
        std::vector<size_t> depth(rows.size(), 0);
        std::string out;
        for (size_t i = 0; i < rows.size(); ++i) {
            if (rows[i].parent != NoParent) {
                EXPECT_LT(rows[i].parent, i) << "a row before its parent: " << rows[i].caption;
                depth[i] = depth[rows[i].parent] + 1;
            }
            out += std::string(depth[i] * 2, ' ') + rows[i].caption + (rows[i].keyed ? "" : "#") + "\n";
        }
        return out;
    }
    const std::string& path(const std::string& id) { return store.FindFolder(id)->Path; }

    test::FakeClock clock;
    LinkStore store { clock };
};

TEST_F(TreeRowsTest, ChildrenAreSortedWithoutCaseInEveryScriptWithTrimmedCaptions)
{
    store.Root().Caption = "Links";
    auto ids = test::buildTree(store,
        "Alpha/\n"
        "  Child/\n"
        "  bravo/\n"
        "    deep/\n"
        "Ёлка/\n"
        "ель/\n"
        "link\n");
    ids["Beta"] = store.CreateEntry(true, "", 6, "  Beta  ", "Folder", "");
    // Equal captions keep the order of the flat list.
    store.CreateEntry(true, "", 6, "ALPHA", "Folder", "");
    EXPECT_EQ(shown(),
        "Links\n"
        "  Alpha\n"
        "    bravo\n"
        "      deep\n"
        "    Child\n"
        "  ALPHA\n"
        "  Beta\n"
        "  ель\n"
        "  Ёлка\n");
    EXPECT_EQ(path(ids["deep"]), "Links\\Alpha\\bravo\\deep");
    EXPECT_EQ(path(ids["Beta"]), "Links\\Beta");
    EXPECT_EQ(store.Root().Path, "Links");

    const std::vector<TreeRow> rows = treeRows(store);
    EXPECT_EQ(rows.front().key, RootFolderId);
    EXPECT_EQ(rows.front().image, Image::Root);
    EXPECT_EQ(rows.front().parent, NoParent);
    EXPECT_EQ(rows[1].key, ids["Alpha"]);
    EXPECT_EQ(rows[1].image, Image::Folder);
    EXPECT_EQ(rows[1].path, "Links\\Alpha");
}

TEST_F(TreeRowsTest, LateParentsOrphansAndLoopsArePlacedAsDescribed)
{
    store.AddLoadedFolder("Late child", "late-child", "late-parent", {}, "");
    store.AddLoadedFolder("Late parent", "late-parent", "RootFolder", {}, "");
    store.AddLoadedFolder("Loop A", "loop-a", "loop-b", {}, "");
    store.AddLoadedFolder("Loop B", "loop-b", "loop-a", {}, "");
    store.AddLoadedFolder("Below loop", "below", "loop-b", {}, "");
    store.AddLoadedFolder("Lost", "lost", "no-such-folder", {}, "");
    store.AddLoadedFolder("Also lost", "also-lost", "no-such-folder", {}, "");
    EXPECT_EQ(shown(),
        "NewDB\n"
        "  Also lost\n"
        "  Late parent\n"
        "    Late child\n"
        "  Loop A\n"
        "    Loop B\n"
        "      Below loop\n"
        "  Lost\n");
    // Loop A, the first of the loop in the flat list, holds the rest of it.
    EXPECT_EQ(path("below"), "NewDB\\Loop A\\Loop B\\Below loop");
}

TEST_F(TreeRowsTest, RepeatedIdsGetNodesButOnlyTheFirstIsFoundByKey)
{
    store.AddLoadedFolder("First", "same", "RootFolder", {}, "");
    store.AddLoadedFolder("Second", "same", "RootFolder", {}, "");
    store.AddLoadedFolder("Child", "child", "same", {}, "");
    store.AddLoadedFolder("Posing as root", RootFolderId, "RootFolder", {}, "");
    EXPECT_EQ(shown(),
        "NewDB\n"
        "  First\n"
        "    Child\n"
        "  Posing as root#\n"
        "  Second#\n");
}

TEST_F(TreeRowsTest, DeepChainsAreWalkedWithoutRecursion)
{
    std::string parent = RootFolderId;
    for (int i = 0; i < 5000; ++i) {
        const std::string id = "f" + std::to_string(i);
        store.AddLoadedFolder("x", id, parent, {}, "");
        parent = id;
    }
    const std::vector<TreeRow> rows = treeRows(store);
    ASSERT_EQ(rows.size(), 5001u);
    EXPECT_EQ(rows.back().parent, 4999u);
    EXPECT_EQ(store.FindFolder("f4999")->Path.size(), 5u + 5000 * 2);
}

TEST_F(TreeRowsTest, AddedRowTakesItsPathFromTheParentNode)
{
    const auto ids = test::buildTree(store, "Alpha/\n");
    store.SetCurrentFolder(*store.FindFolder(ids.at("Alpha")));
    const std::string added = store.CreateEntry(true, "", 6, " New one ", "Folder", "");
    const TreeRow row = addedTreeRow(store, *store.CurrentFolder().FolderItems.back(), "Links\\Alpha");
    EXPECT_EQ(row.key, added);
    EXPECT_EQ(row.caption, "New one");
    EXPECT_EQ(row.path, "Links\\Alpha\\New one");
    EXPECT_EQ(path(added), "Links\\Alpha\\New one");
    EXPECT_LT(compareTreeCaptions("alpha", "Beta"), 0);
    EXPECT_EQ(compareTreeCaptions("ŠKODA", "škoda"), 0);
}

TEST_F(TreeRowsTest, FolderChainAndParentFollowParentIds)
{
    const auto ids = test::buildTree(store,
        "A/\n"
        "  B/\n"
        "    C/\n");
    Folder& c = *store.FindFolder(ids.at("C"));
    store.SetCurrentFolder(c);
    std::vector<std::string> captions;
    for (const Folder* folder : folderChain(store)) {
        captions.push_back(folder->Caption);
    }
    EXPECT_EQ(captions, (std::vector<std::string> { "NewDB", "A", "B", "C" }));
    EXPECT_EQ(parentFolder(store, c), store.FindFolder(ids.at("B")));
    EXPECT_EQ(parentFolder(store, *store.FindFolder(ids.at("A"))), &store.Root());
    EXPECT_EQ(parentFolder(store, store.Root()), nullptr);

    // A parent id no folder has goes straight to the root; a loop stops before repeating.
    c.parent = "gone";
    EXPECT_EQ(folderChain(store).size(), 2u);
    EXPECT_EQ(parentFolder(store, c), nullptr);
    c.parent = ids.at("B");
    store.FindFolder(ids.at("A"))->parent = ids.at("C");
    EXPECT_EQ(folderChain(store).size(), 4u);
    store.SetCurrentFolder(store.Root());
    EXPECT_EQ(folderChain(store), (std::vector<const Folder*> { &store.Root() }));
}

TEST_F(TreeRowsTest, ClearLeavesAnEmptyRootAsCurrentFolder)
{
    const auto ids = test::buildTree(store,
        "A/\n"
        "  B/\n"
        "link\n");
    store.SetCurrentFolder(*store.FindFolder(ids.at("B")));
    store.SetDatabasePath("/tmp/x.bdx");
    // Parents that loop hold each other; Clear frees them all the same (the leak checker
    // of the sanitizer build sees it).
    store.FindFolder(ids.at("A"))->parent = ids.at("B");
    store.LinkFolders();
    store.Clear();
    EXPECT_TRUE(store.Root().FolderItems.empty());
    EXPECT_TRUE(store.Root().SubFolders.empty());
    EXPECT_EQ(&store.CurrentFolder(), &store.Root());
    EXPECT_EQ(store.FindFolder(ids.at("A")), nullptr);
    EXPECT_EQ(store.DatabasePath(), "/tmp/x.bdx");
    EXPECT_EQ(shown(), "NewDB\n");
}

}  // namespace
}  // namespace brindlex
