#include <gtest/gtest.h>

#include "fakes/FakePlatform.h"
#include "fakes/StoreHelpers.h"
#include "store/Editing.h"
#include "store/LinkStore.h"
#include "store/TextRules.h"

namespace brindlex {
namespace {

class EditingTest : public ::testing::Test
{
protected:
    test::FakeWorld world;
    LinkStore store { world.clock };
    Editing editing { store, world.messages, world.clipboard };
    std::vector<std::string> asked;

    std::string folder(const std::string& caption) { return store.CreateEntry(true, "", 6, caption, "Folder", ""); }
    std::string link(const std::string& caption, const std::string& url = "http://a/")
    {
        return store.CreateEntry(false, url, 5, caption, ClassifyURL(url), "");
    }
    void enter(const std::string& id) { store.SetCurrentFolder(*store.FindFolderOrRoot(id)); }
    Selection rows(std::vector<std::string> ids) { return { Pane::ListView1, std::move(ids), {} }; }
    Selection node(std::string key) { return { Pane::TreeView1, {}, std::move(key) }; }
    DeleteOutcome remove(const Selection& selection, bool answer = true)
    {
        return editing.DeleteSelection(selection, [&](const std::string& question) {
            asked.push_back(question);
            return answer;
        });
    }
};

TEST_F(EditingTest, DeleteQuestionsAndRefusals)
{
    const std::string a = link("A");
    const std::string b = link("B");
    const std::string docs = folder("Docs");

    EXPECT_FALSE(remove(rows({})).deleted);
    EXPECT_FALSE(remove(node("")).deleted);
    EXPECT_EQ(world.messages.beeps, 2);
    EXPECT_TRUE(asked.empty());
    EXPECT_TRUE(world.messages.shown.empty());

    EXPECT_FALSE(remove(node(RootFolderId)).deleted);
    ASSERT_EQ(world.messages.shown.size(), 1u);
    EXPECT_EQ(world.messages.shown[0].title, "Error Deleting File");
    EXPECT_EQ(world.messages.shown[0].text, "You cannot delete the Root Folder.");
    EXPECT_EQ(world.messages.shown[0].icon, MessageIcon::Critical);
    EXPECT_TRUE(asked.empty());

    // "No" leaves everything, and the system clipboard is never touched.
    world.clipboard.contents = "mine";
    const std::string before = test::describe(store);
    EXPECT_FALSE(remove(rows({ a, b, docs }), false).deleted);
    EXPECT_FALSE(remove(rows({ a }), false).deleted);
    EXPECT_FALSE(remove(rows({ docs }), false).deleted);
    EXPECT_FALSE(remove(node(docs), false).deleted);
    EXPECT_EQ(asked,
        (std::vector<std::string> { "Are you sure you want to delete these 3 items ?",
            "Are you sure you want to delete 'A' ?", "Are you sure you want to delete ' Docs' ?",
            "Are you sure you want to delete 'Docs' ?" }));
    EXPECT_EQ(test::describe(store), before);
    EXPECT_EQ(world.clipboard.contents, "mine");

    EXPECT_EQ(remove(rows({ a, b })).refresh, Refresh::List);
    EXPECT_EQ(test::describe(store), "Docs/\n");
    EXPECT_EQ(world.clipboard.contents, "mine");
}

TEST_F(EditingTest, DeletingAFolderPurgesEverythingBelowIt)
{
    const std::string docs = folder("Docs");
    const std::string keep = folder("Keep");
    enter(docs);
    const std::string sub = folder("Sub");
    enter(sub);
    folder("Deep");
    link("x");
    enter(RootFolderId);
    ASSERT_EQ(store.Root().SubFolders.size(), 4u);

    EXPECT_EQ(remove(rows({ docs })).refresh, Refresh::Full);
    ASSERT_EQ(store.Root().SubFolders.size(), 1u);
    EXPECT_EQ(store.Root().SubFolders[0]->id, keep);
    EXPECT_EQ(test::describe(store), "Keep/\n");
    test::expectInvariants(store);

    // From the tree: the parent becomes the current folder.
    enter(keep);
    const std::string inner = folder("Inner");
    enter(inner);
    folder("Innermost");
    EXPECT_EQ(remove(node(inner)).refresh, Refresh::Full);
    EXPECT_EQ(store.CurrentFolder().id, keep);
    EXPECT_EQ(store.Root().SubFolders.size(), 1u);
    EXPECT_TRUE(store.FindFolder(keep)->SubFolders.empty());
    test::expectInvariants(store);
}

TEST_F(EditingTest, NewEntryChecksTheUrlBeforeTheName)
{
    EXPECT_FALSE(editing.NewEntry("", "", "", 0));
    EXPECT_FALSE(editing.NewEntry("", "http://x/", "", 0));
    EXPECT_FALSE(editing.NewEntry("Name", "", "", 0));
    ASSERT_EQ(world.messages.shown.size(), 3u);
    EXPECT_EQ(world.messages.shown[0].title, "No URL");
    EXPECT_EQ(world.messages.shown[0].text, "You must enter a URL");
    EXPECT_EQ(world.messages.shown[1].title, "No Name");
    EXPECT_EQ(world.messages.shown[1].text, "You must enter a Name");
    EXPECT_EQ(world.messages.shown[2].title, "No URL");
    EXPECT_TRUE(store.CurrentFolder().FolderItems.empty());

    store.SetAutoAssign(1);
    const std::optional<std::string> id = editing.NewEntry("Site", "ftp://f/", "about \"it\"", 2);
    ASSERT_TRUE(id);
    const FolderItem& item = *store.CurrentFolder().FolderItems.back();
    EXPECT_EQ(item.IID, *id);
    EXPECT_EQ(item.URLType, "Ftp");
    EXPECT_EQ(item.Client, "Iexplore");
    EXPECT_EQ(item.Icon, 11);
    EXPECT_EQ(item.Description, "about 'it'");
    EXPECT_EQ(store.AutoAssign(), 1);  // restored
}

TEST_F(EditingTest, RenamingFolderEntriesInListAndTree)
{
    const std::string docs = folder("Old");
    const std::string l = link("l");
    EXPECT_EQ(editing.RenameListEntry(docs, "  Docs  "), Refresh::Full);
    EXPECT_EQ(store.CurrentFolder().FolderItems[0]->Caption, " Docs");
    EXPECT_EQ(store.FindFolder(docs)->Caption, "Docs");
    EXPECT_EQ(editing.RenameListEntry(l, " say \"hi\" "), Refresh::None);
    EXPECT_EQ(store.CurrentFolder().FolderItems[1]->Caption, "say 'hi'");

    editing.RenameTreeNode(docs, "Tree \"name\"");
    EXPECT_EQ(store.FindFolder(docs)->Caption, "Tree 'name'");
    EXPECT_EQ(store.CurrentFolder().FolderItems[0]->Caption, "Tree 'name'");
    editing.RenameTreeNode(RootFolderId, "My Links");
    EXPECT_EQ(store.Root().Caption, "My Links");
    test::expectInvariants(store);
}

TEST_F(EditingTest, PropertiesOfFoldersAndLinks)
{
    const std::string docs = folder("Docs");
    const std::string l = link("l", "http://l/");

    EXPECT_FALSE(editing.PropertiesFor(rows({})));
    EXPECT_FALSE(editing.PropertiesFor(node("")));
    EXPECT_EQ(world.messages.beeps, 2);

    std::optional<ItemProperties> p = editing.PropertiesFor(rows({ docs }));
    ASSERT_TRUE(p);
    EXPECT_FALSE(p->clientEnabled);
    p->Caption = "Papers";
    p->Description = "line\r\none";
    EXPECT_EQ(editing.ApplyProperties(*p), Refresh::Full);
    const FolderItem& entry = *store.CurrentFolder().FolderItems[0];
    EXPECT_EQ(entry.URLType.find('\0'), std::string::npos);
    EXPECT_EQ(store.FindFolder(docs)->Caption, "Papers");
    EXPECT_EQ(store.FindFolder(docs)->Description, "lineone");

    p = editing.PropertiesFor(rows({ l }));
    ASSERT_TRUE(p);
    EXPECT_TRUE(p->clientEnabled);
    EXPECT_EQ(p->clientIndex, 0);
    p->URL = "news:comp";
    EXPECT_EQ(editing.ApplyProperties(*p), Refresh::None);  // same icon: the row is already right
    p->clientIndex = 1;
    EXPECT_EQ(editing.ApplyProperties(*p), Refresh::List);
    const FolderItem& linkEntry = *store.CurrentFolder().FolderItems[1];
    EXPECT_EQ(linkEntry.URLType, "News");
    EXPECT_EQ(linkEntry.Client, "NETSCAPE");
    EXPECT_EQ(linkEntry.Icon, 10);

    p = editing.PropertiesFor(node(docs));
    ASSERT_TRUE(p);
    EXPECT_EQ(p->picture, 2);
    EXPECT_FALSE(p->clientEnabled);
    p->Caption = "Tree";
    EXPECT_EQ(editing.ApplyProperties(*p), Refresh::Full);
    EXPECT_EQ(store.FindFolder(docs)->Caption, "Tree");
    EXPECT_EQ(store.CurrentFolder().FolderItems[0]->Caption, "Tree");
    test::expectInvariants(store);
}

}  // namespace
}  // namespace brindlex
