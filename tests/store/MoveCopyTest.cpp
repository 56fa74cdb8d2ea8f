#include <gtest/gtest.h>

#include <set>

#include "fakes/FakePlatform.h"
#include "fakes/StoreHelpers.h"
#include "store/Editing.h"
#include "store/LinkStore.h"
#include "store/TextRules.h"

namespace brindlex {
namespace {

class MoveCopyTest : public ::testing::Test
{
protected:
    test::FakeWorld world;
    LinkStore store { world.clock };
    Editing editing { store, world.messages, world.clipboard };

    std::string folder(const std::string& caption) { return store.CreateEntry(true, "", 6, caption, "Folder", ""); }
    std::string link(const std::string& caption, const std::string& url = "http://a/")
    {
        return store.CreateEntry(false, url, 5, caption, ClassifyURL(url), "");
    }
    void enter(const std::string& id) { store.SetCurrentFolder(*store.FindFolderOrRoot(id)); }
    Selection rows(std::vector<std::string> ids) { return { Pane::ListView1, std::move(ids), {} }; }
    Selection node(std::string key) { return { Pane::TreeView1, {}, std::move(key) }; }

    // Root: Docs (Sub (Deep (x)), a), News, top.
    struct Tree
    {
        std::string docs, sub, deep, news, top, a, x;
    };
    Tree build()
    {
        Tree t;
        t.docs = folder("Docs");
        t.news = folder("News");
        t.top = link("top", "http://top/");
        enter(t.docs);
        t.sub = folder("Sub");
        t.a = link("a", "http://a/");
        enter(t.sub);
        t.deep = folder("Deep");
        enter(t.deep);
        t.x = link("x", "ftp://x/");
        enter(RootFolderId);
        return t;
    }
    std::set<std::string> allIds()
    {
        std::set<std::string> ids;
        store.WalkFolders(store.Root(), [&](Folder& f, int) {
            for (const auto& item : f.FolderItems) {
                ids.insert(item->IID);
            }
            return true;
        });
        return ids;
    }
    std::string lastMessage() const { return world.messages.shown.empty() ? "" : world.messages.shown.back().text; }
};

TEST_F(MoveCopyTest, CutFolderFromListAndPasteIntoAnotherMovesWholeSubtreeWithNewIds)
{
    const Tree t = build();
    const std::set<std::string> before = allIds();
    ASSERT_TRUE(editing.Cut(rows({ t.docs })));
    enter(t.news);
    const PasteOutcome pasted = editing.Paste(Pane::ListView1);

    EXPECT_EQ(pasted.refresh, Refresh::Full);
    EXPECT_EQ(test::describe(store),
        "News/\n"
        "|top|http://top/\n"
        "News\\ Docs/\n"
        "News\\ Docs\\Sub/\n"
        "News\\ Docs|a|http://a/\n"
        "News\\ Docs\\Sub\\Deep/\n"
        "News\\ Docs\\Sub\\Deep|x|ftp://x/\n");
    // Every moved entry has a new id; only the untouched ones keep theirs.
    const std::set<std::string> after = allIds();
    EXPECT_EQ(after.size(), before.size());
    for (const std::string& old : { t.docs, t.sub, t.deep, t.a, t.x }) {
        EXPECT_EQ(after.count(old), 0u) << old;
        EXPECT_EQ(store.FindFolder(old), nullptr);
    }
    EXPECT_EQ(store.Root().SubFolders.size(), 4u);
    test::expectInvariants(store);
}

TEST_F(MoveCopyTest, CutFromTreeAndPasteMovesFolderUnderDestination)
{
    const Tree t = build();
    ASSERT_TRUE(editing.Cut(node(t.sub)));
    enter(t.news);
    EXPECT_EQ(editing.Paste(Pane::TreeView1).refresh, Refresh::Full);
    EXPECT_EQ(test::describe(store),
        "Docs/\n"
        "News/\n"
        "|top|http://top/\n"
        "Docs|a|http://a/\n"
        "News\\Sub/\n"
        "News\\Sub\\Deep/\n"
        "News\\Sub\\Deep|x|ftp://x/\n");
    // The moved folder is also indexed below its new ancestors.
    const Folder* news = store.FindFolder(t.news);
    EXPECT_EQ(news->SubFolders.size(), 2u);
    test::expectInvariants(store);
}

TEST_F(MoveCopyTest, CopyThenPasteLeavesTheSourceAndDuplicatesIntoDestination)
{
    const Tree t = build();
    ASSERT_TRUE(editing.Copy(node(t.docs)));
    enter(t.news);
    (void)editing.Paste(Pane::TreeView1);
    const std::string d = test::describe(store);
    EXPECT_NE(d.find("Docs\\Sub\\Deep|x|ftp://x/\n"), std::string::npos);
    EXPECT_NE(d.find("News\\Docs\\Sub\\Deep|x|ftp://x/\n"), std::string::npos);
    EXPECT_NE(store.FindFolder(t.docs), nullptr);
    EXPECT_EQ(store.Root().SubFolders.size(), 7u);
    test::expectInvariants(store);
}

TEST_F(MoveCopyTest, CopyOfAFolderIntoItsOwnSubtreeMakesOneCopyAndEnds)
{
    const Tree t = build();
    ASSERT_TRUE(editing.Copy(rows({ t.docs })));
    enter(t.sub);
    (void)editing.Paste(Pane::ListView1);
    // Docs, Sub, Deep plus one copy of each, and News.
    EXPECT_EQ(store.Root().SubFolders.size(), 7u);
    const std::string d = test::describe(store);
    EXPECT_NE(d.find("Docs\\Sub\\ Docs\\Sub\\Deep|x|ftp://x/\n"), std::string::npos) << d;
    test::expectInvariants(store);
}

TEST_F(MoveCopyTest, CutFolderIsNeverPastedIntoItselfOrBelowFromEitherPane)
{
    const Tree t = build();
    struct Case
    {
        Selection cut;
        std::string destination;
        Pane focus;
        std::string message;
    };
    const std::string same = "Cannot move DOCS: The destination folder is the same as the source folder.";
    const std::string below = "Cannot move DOCS: The destination folder is a subfolder of the source folder.";
    const Case cases[] = {
        { node(t.docs), t.docs, Pane::TreeView1, same },
        { node(t.docs), t.deep, Pane::TreeView1, below },
        { node(t.docs), RootFolderId, Pane::TreeView1, same },  // already holds it
        { rows({ t.docs }), t.docs, Pane::ListView1, same },
        { rows({ t.docs }), t.sub, Pane::ListView1, below },
        { rows({ t.top, t.docs }), t.deep, Pane::ListView1, below },
    };
    const std::string tree = test::describe(store);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.destination);
        enter(RootFolderId);
        world.messages.shown.clear();
        ASSERT_TRUE(editing.Cut(c.cut));
        enter(c.destination);
        const PasteOutcome outcome = editing.Paste(c.focus);
        EXPECT_FALSE(outcome.pasted);
        ASSERT_EQ(world.messages.shown.size(), 1u);
        EXPECT_EQ(world.messages.shown[0].title, "Error Moving File");
        EXPECT_EQ(world.messages.shown[0].text, c.message);
        EXPECT_EQ(world.messages.shown[0].icon, MessageIcon::Critical);
        EXPECT_EQ(test::describe(store), tree);
        EXPECT_FALSE(editing.internalClipboard().empty());  // a refused paste keeps it
        test::expectInvariants(store);
    }
}

TEST_F(MoveCopyTest, CheckMoveResults)
{
    const Tree t = build();
    EXPECT_EQ(editing.CheckMove(t.docs, t.docs), MoveCheck::SameFolder);
    EXPECT_EQ(editing.CheckMove(t.sub, t.docs), MoveCheck::SameFolder);
    EXPECT_EQ(editing.CheckMove(t.docs, t.sub), MoveCheck::Subfolder);
    EXPECT_EQ(editing.CheckMove(t.docs, t.deep), MoveCheck::Subfolder);
    EXPECT_EQ(editing.CheckMove(t.deep, t.news), MoveCheck::Allowed);
    EXPECT_EQ(editing.CheckMove(t.sub, RootFolderId), MoveCheck::Allowed);
}

TEST_F(MoveCopyTest, MovingLinksBetweenFolders)
{
    const Tree t = build();
    enter(t.docs);
    const std::string b = link("b", "http://b/");
    ASSERT_TRUE(editing.Cut(rows({ t.a, b })));
    EXPECT_TRUE(store.CurrentFolder().FolderItems[1]->Cut);  // shown ghosted
    enter(t.news);
    const PasteOutcome outcome = editing.Paste(Pane::ListView1);
    EXPECT_EQ(outcome.refresh, Refresh::List);
    ASSERT_EQ(outcome.addedIds.size(), 2u);
    EXPECT_EQ(test::describe(store),
        "Docs/\n"
        "News/\n"
        "|top|http://top/\n"
        "Docs\\Sub/\n"
        "Docs\\Sub\\Deep/\n"
        "Docs\\Sub\\Deep|x|ftp://x/\n"
        "News|a|http://a/\n"
        "News|b|http://b/\n");
    test::expectInvariants(store);
}

TEST_F(MoveCopyTest, SystemClipboardPublishesOneCopiedLinkAndIsClearedByPaste)
{
    const Tree t = build();
    world.clipboard.contents = "before";
    ASSERT_TRUE(editing.Copy(rows({ t.top, t.news })));
    EXPECT_EQ(world.clipboard.contents, "before");
    ASSERT_TRUE(editing.Copy(rows({ t.news })));
    EXPECT_EQ(world.clipboard.contents, "before");
    ASSERT_TRUE(editing.Copy(rows({ t.top })));
    EXPECT_EQ(world.clipboard.contents, "http://top/");
    enter(t.news);
    EXPECT_TRUE(editing.Paste(Pane::ListView1).pasted);
    EXPECT_EQ(world.clipboard.contents, "");
    // Both clipboards are empty now: the second paste only beeps.
    const int beeps = world.messages.beeps;
    EXPECT_FALSE(editing.Paste(Pane::ListView1).pasted);
    EXPECT_EQ(world.messages.beeps, beeps + 1);
    EXPECT_TRUE(world.messages.shown.empty());
    EXPECT_NE(store.FindFolder(t.news), nullptr);
}

TEST_F(MoveCopyTest, PasteWithEmptyInternalClipboardReadsTheSystemClipboard)
{
    world.clipboard.contents = "yes";
    EXPECT_FALSE(editing.Paste(Pane::ListView1).pasted);
    ASSERT_EQ(world.messages.shown.size(), 1u);
    EXPECT_EQ(world.messages.shown[0].title, "Error");
    EXPECT_EQ(world.messages.shown[0].text, "Invalid URL Address on clipboard...");
    EXPECT_EQ(world.messages.shown[0].icon, MessageIcon::Information);

    world.clipboard.contents = "http://from/";
    EXPECT_TRUE(editing.Paste(Pane::ListView1).pasted);
    EXPECT_EQ(test::describe(store), "|From Clipboard|http://from/\n");

    // An https address used to be refused as "Invalid URL Address".
    world.clipboard.contents = "https://secure/";
    EXPECT_TRUE(editing.Paste(Pane::ListView1).pasted);
    EXPECT_EQ(test::describe(store), "|From Clipboard|http://from/\n|From Clipboard|https://secure/\n");
    EXPECT_EQ(world.messages.shown.size(), 1u);
}

TEST_F(MoveCopyTest, CutThenCopyOfOtherRowsNoLongerMovesTheCutRows)
{
    const Tree t = build();
    ASSERT_TRUE(editing.Cut(rows({ t.top })));
    ASSERT_TRUE(editing.Copy(rows({ t.news })));
    EXPECT_TRUE(editing.IsCutMarked(t.top));
    enter(t.docs);
    (void)editing.Paste(Pane::ListView1);
    EXPECT_NE(test::describe(store).find("|top|http://top/"), std::string::npos);
    EXPECT_NE(store.FindFolder(t.news), nullptr);
    test::expectInvariants(store);
}

TEST_F(MoveCopyTest, RootCannotBeCutAndEmptySelectionsBeep)
{
    build();
    EXPECT_FALSE(editing.Cut(node(RootFolderId)));
    ASSERT_EQ(world.messages.shown.size(), 1u);
    EXPECT_EQ(world.messages.shown[0].title, "Error Moving File");
    EXPECT_EQ(world.messages.shown[0].text, "You cannot move the Root Folder.");
    EXPECT_EQ(world.messages.shown[0].icon, MessageIcon::Critical);
    EXPECT_FALSE(editing.Cut(rows({})));
    EXPECT_FALSE(editing.Copy(rows({})));
    EXPECT_EQ(world.messages.beeps, 2);
    EXPECT_TRUE(editing.internalClipboard().empty());
}

TEST_F(MoveCopyTest, HundredsOfPastesInOneSecondGiveUniqueIds)
{
    const std::string l = link("l");
    std::set<std::string> ids { l };
    for (int i = 0; i < 300; ++i) {
        ASSERT_TRUE(editing.Copy(rows({ l })));
        const PasteOutcome outcome = editing.Paste(Pane::ListView1);
        ASSERT_EQ(outcome.addedIds.size(), 1u);
        EXPECT_TRUE(ids.insert(outcome.addedIds[0]).second) << outcome.addedIds[0];
    }
    EXPECT_EQ(store.CurrentFolder().FolderItems.size(), 301u);
}

TEST_F(MoveCopyTest, DropMovesRowsAndKeepsCurrentFolder)
{
    const Tree t = build();
    const PasteOutcome outcome = editing.Drop(rows({ t.top }), t.news);
    EXPECT_TRUE(outcome.pasted);
    EXPECT_EQ(store.CurrentFolder().id, RootFolderId);
    EXPECT_NE(test::describe(store).find("News|top|http://top/"), std::string::npos);

    // A folder node dropped onto its own subfolder is refused.
    const std::string tree = test::describe(store);
    EXPECT_FALSE(editing.Drop(node(t.docs), t.deep).pasted);
    EXPECT_EQ(lastMessage(), "Cannot move DOCS: The destination folder is a subfolder of the source folder.");
    EXPECT_EQ(test::describe(store), tree);

    // Dropping the folder that is shown moves it, and the list falls back to the root.
    enter(t.sub);
    EXPECT_TRUE(editing.Drop(node(t.sub), t.news).pasted);
    EXPECT_EQ(store.CurrentFolder().id, RootFolderId);
    test::expectInvariants(store);
}

TEST_F(MoveCopyTest, CutMarksEndWithTheirPaneButTheCutStillMoves)
{
    const Tree t = build();
    // A node cut from the tree tags the node only; its row in the list copies as usual.
    ASSERT_TRUE(editing.Cut(node(t.news)));
    EXPECT_EQ(editing.TreeCutMark(), t.news);
    EXPECT_FALSE(store.FindItem(store.Root(), t.news)->Cut);
    ASSERT_TRUE(editing.Copy(rows({ t.news })));
    EXPECT_FALSE(editing.internalClipboard().FolderItems[0]->Cut);

    // Rows cut from the list lose their marks when the list is refilled, and a later
    // Copy of them copies; what the Cut put on the clipboard still moves.
    ASSERT_TRUE(editing.Cut(rows({ t.top })));
    editing.ClearListCutMarks();
    EXPECT_FALSE(store.FindItem(store.Root(), t.top)->Cut);
    EXPECT_TRUE(editing.internalClipboard().FolderItems[0]->Cut);
    enter(t.news);
    EXPECT_TRUE(editing.Paste(Pane::ListView1).pasted);
    EXPECT_EQ(store.FindItem(store.Root(), t.top), nullptr);
    test::expectInvariants(store);
}

}  // namespace
}  // namespace brindlex
