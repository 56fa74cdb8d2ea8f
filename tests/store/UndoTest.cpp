#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <functional>
#include <map>
#include <random>
#include <sstream>
#include <stdexcept>

#include "fakes/FakePlatform.h"
#include "fakes/StoreHelpers.h"
#include "store/DatabaseFile.h"
#include "store/Editing.h"
#include "store/LinkStore.h"
#include "store/ModelChange.h"
#include "store/TreeRows.h"
#include "store/UndoHistory.h"

namespace brindlex {
namespace {

// What an undo must give back exactly: the saved file (ids, order, every field), the
// CurrentFolder, the folders' Path and their SubFolders indexes.
struct ModelState
{
    std::string bytes;
    std::string current;
    std::string indexes;

    bool operator==(const ModelState&) const = default;
};

void PrintTo(const ModelState& s, std::ostream* out)
{
    *out << "CurrentFolder " << s.current << "\n" << s.indexes << s.bytes;
}

class UndoTest : public ::testing::Test
{
protected:
    void SetUp() override { test::generateTree(store, 1000); }

    test::FakeWorld world;
    LinkStore store { world.clock };
    Editing editing { store, world.messages, world.clipboard };

    UndoHistory& history() { return store.History(); }
    ModelState state()
    {
        ModelState s { test::savedBytes(store), store.CurrentFolder().id, {} };
        for (const auto& folder : store.Root().SubFolders) {
            s.indexes += folder->id + " " + folder->Path + ":";
            for (const auto& below : folder->SubFolders) {
                s.indexes += " " + below->id;
            }
            s.indexes += "\n";
        }
        return s;
    }
    // The n-th folder of the flat list that holds at least `entries` entries.
    Folder& folderWith(size_t entries, size_t n = 0)
    {
        for (const auto& folder : store.Root().SubFolders) {
            if (folder->FolderItems.size() >= entries && n-- == 0) {
                return *folder;
            }
        }
        ADD_FAILURE() << "no such folder";
        return store.Root();
    }
    // A folder with sub-folders below it.
    Folder& folderWithSubfolders(size_t n = 0)
    {
        for (const auto& folder : store.Root().SubFolders) {
            if (!folder->SubFolders.empty() && n-- == 0) {
                return *folder;
            }
        }
        ADD_FAILURE() << "no folder with sub-folders";
        return store.Root();
    }
    std::vector<std::string> idsOf(const Folder& folder, size_t from, size_t count)
    {
        std::vector<std::string> ids;
        for (size_t i = from; i < from + count && i < folder.FolderItems.size(); ++i) {
            ids.push_back(folder.FolderItems[i]->IID);
        }
        return ids;
    }
    std::string firstLinkOf(const Folder& folder)
    {
        for (const auto& item : folder.FolderItems) {
            if (!item->IsFolder) {
                return item->IID;
            }
        }
        ADD_FAILURE() << "no link in " << folder.Caption;
        return {};
    }
    void enter(Folder& folder) { store.SetCurrentFolder(folder); }
    Selection rows(std::vector<std::string> ids) { return { Pane::ListView1, std::move(ids), {} }; }
    Selection node(std::string key) { return { Pane::TreeView1, {}, std::move(key) }; }
    DeleteOutcome remove(const Selection& selection)
    {
        return editing.DeleteSelection(selection, [](const std::string&) { return true; });
    }

    // Runs `change`, which must add exactly one step named `caption` and change the
    // saved file, then undoes and redoes it twice: each undo gives the state before,
    // each redo the state after, byte for byte.
    void expectUndoable(const std::string& caption, const std::function<void()>& change)
    {
        history().Clear();
        const ModelState before = state();
        change();
        ASSERT_EQ(history().Steps(), 1u);
        EXPECT_EQ(history().UndoCaption(), caption);
        const ModelState after = state();
        ASSERT_NE(after.bytes, before.bytes);
        test::expectInvariants(store);
        for (int round = 0; round < 2; ++round) {
            SCOPED_TRACE(round);
            ASSERT_NE(history().Undo(), nullptr);
            EXPECT_EQ(state(), before);
            test::expectInvariants(store);
            EXPECT_FALSE(history().CanUndo());
            EXPECT_EQ(history().RedoCaption(), caption);
            ASSERT_NE(history().Redo(), nullptr);
            EXPECT_EQ(state(), after);
            EXPECT_FALSE(history().CanRedo());
        }
    }
};

TEST_F(UndoTest, NewFolderAndNewEntry)
{
    enter(folderWithSubfolders());
    expectUndoable("New Folder", [&] { editing.NewFolder(); });
    expectUndoable("New Entry", [&] { ASSERT_TRUE(editing.NewEntry("Site", "ftp://files/", "About it", 2)); });
}

TEST_F(UndoTest, RenameInTheListAndInTheTree)
{
    Folder& folder = folderWith(3);
    enter(folder);
    const std::string link = firstLinkOf(folder);
    expectUndoable("Rename 'Renamed'", [&] { editing.RenameListEntry(link, "  Renamed "); });

    Folder& parent = folderWithSubfolders();
    enter(parent);
    std::string sub;
    for (const auto& item : parent.FolderItems) {
        if (item->IsFolder) {
            sub = item->IID;
        }
    }
    expectUndoable("Rename 'Docs'", [&] { EXPECT_EQ(editing.RenameListEntry(sub, " Docs "), Refresh::Full); });
    expectUndoable("Rename 'Tree name'", [&] { editing.RenameTreeNode(sub, "Tree name"); });
    expectUndoable("Rename 'My Links'", [&] { editing.RenameTreeNode(RootFolderId, "My Links"); });
}

TEST_F(UndoTest, DeleteRowsFolderRowsAndTreeNodes)
{
    Folder& folder = folderWith(8);
    enter(folder);
    expectUndoable("Delete 5 items", [&] { EXPECT_TRUE(remove(rows(idsOf(folder, 1, 5))).deleted); });

    // Every row of the root, folders with everything below them included.
    enter(store.Root());
    const size_t count = store.Root().FolderItems.size();
    expectUndoable("Delete " + std::to_string(count) + " items", [&] {
        EXPECT_EQ(remove(rows(idsOf(store.Root(), 0, count))).refresh, Refresh::Full);
        EXPECT_TRUE(store.Root().SubFolders.empty());
    });
    history().Undo();

    // A node whose subtree holds CurrentFolder: the parent becomes current, and undo
    // brings the folder that was shown back.
    Folder& top = folderWithSubfolders();
    Folder& inner = *top.SubFolders.front();
    enter(inner);
    expectUndoable("Delete '" + top.Caption + "'", [&] { EXPECT_TRUE(remove(node(top.id)).deleted); });
    EXPECT_EQ(&store.CurrentFolder(), store.FindFolderOrRoot(top.parent));
    history().Undo();
    EXPECT_EQ(&store.CurrentFolder(), &inner);
}

TEST_F(UndoTest, PropertiesOfRowsAndNodes)
{
    Folder& folder = folderWithSubfolders();
    enter(folder);
    const std::string link = firstLinkOf(folder);
    expectUndoable("Properties of 'Edited'", [&] {
        ItemProperties edited = *editing.PropertiesFor(rows({ link }));
        edited.Caption = "Edited";
        edited.URL = "mailto:someone@example.org";
        edited.clientIndex = 4;
        editing.ApplyProperties(edited);
    });
    const std::string sub = folder.SubFolders.front()->id;
    expectUndoable("Properties of 'Folder row'", [&] {
        ItemProperties edited = *editing.PropertiesFor(rows({ sub }));
        edited.Caption = "Folder row";
        edited.Description = "Changed";
        EXPECT_EQ(editing.ApplyProperties(edited), Refresh::Full);
    });
    expectUndoable("Properties of 'Node'", [&] {
        ItemProperties edited = *editing.PropertiesFor(node(sub));
        edited.Caption = "Node";
        editing.ApplyProperties(edited);
    });
    expectUndoable("Properties of 'Root'", [&] {
        ItemProperties edited = *editing.PropertiesFor(node(RootFolderId));
        edited.Caption = "Root";
        edited.Description = "Everything";
        editing.ApplyProperties(edited);
    });
}

TEST_F(UndoTest, CopyPasteAndMoves)
{
    Folder& from = folderWithSubfolders();
    Folder& to = folderWith(2, 3);
    ASSERT_NE(&from, &to);
    std::vector<std::string> picked;
    for (const auto& item : from.FolderItems) {
        if (picked.size() < 3 && (item->IsFolder || picked.size() < 2)) {
            picked.push_back(item->IID);
        }
    }
    const size_t count = picked.size();
    enter(from);
    ASSERT_TRUE(editing.Copy(rows(picked)));
    enter(to);
    expectUndoable(
        "Paste " + std::to_string(count) + " items", [&] { EXPECT_TRUE(editing.Paste(Pane::ListView1).pasted); });

    enter(from);
    ASSERT_TRUE(editing.Cut(rows(picked)));
    enter(to);
    expectUndoable("Move " + std::to_string(count) + " items",
        [&] { EXPECT_EQ(editing.Paste(Pane::ListView1).refresh, Refresh::Full); });

    // A node cut in the tree and pasted from the tree.
    std::string sub;
    std::string caption;
    for (const auto& below : from.SubFolders) {
        if (sub.empty() && below->parent != to.id && editing.CheckMove(below->id, to.id) == MoveCheck::Allowed) {
            sub = below->id;
            caption = below->Caption;
        }
    }
    ASSERT_FALSE(sub.empty());
    ASSERT_TRUE(editing.Cut(node(sub)));
    expectUndoable("Move '" + caption + "'", [&] { EXPECT_TRUE(editing.Paste(Pane::TreeView1).pasted); });
}

TEST_F(UndoTest, DragAndDropOfRowsAndNodes)
{
    Folder& from = folderWith(6);
    Folder& to = folderWithSubfolders(1);
    enter(from);
    expectUndoable("Move 4 items", [&] { EXPECT_TRUE(editing.Drop(rows(idsOf(from, 0, 4)), to.id).pasted); });
    EXPECT_EQ(&store.CurrentFolder(), &from);

    Folder& dragged = folderWithSubfolders(2);
    expectUndoable(
        "Move '" + dragged.Caption + "'", [&] { EXPECT_TRUE(editing.Drop(node(dragged.id), RootFolderId).pasted); });
}

TEST_F(UndoTest, UrlPastedFromTheSystemClipboard)
{
    enter(folderWith(1));
    world.clipboard.contents = "http://example.org/page";
    expectUndoable("Paste URL", [&] { EXPECT_TRUE(editing.Paste(Pane::ListView1).pasted); });
}

// A browser's Get URL makes its entry through CreateEntry; the window keeps it as a step.
TEST_F(UndoTest, EntryAddedByABrowserIsOneStep)
{
    Folder& folder = folderWith(2);
    enter(folder);
    expectUndoable("Get URL", [&] {
        const std::string iid = store.CreateEntry(false, "http://shown.example/", 5, "Shown page", "Http", "");
        EXPECT_TRUE(RecordAppendedEntry(store, "Get URL", folder, iid));
    });
    history().Clear();
    EXPECT_FALSE(RecordAppendedEntry(store, "Get URL", folder, folder.FolderItems.front()->IID));
    EXPECT_FALSE(RecordAppendedEntry(store, "Get URL", store.Root(), "no such id"));
    EXPECT_EQ(history().Steps(), 0u);
}

// An import that fails with an exception half-way has added entries already; they are
// the step, so it can be undone and the steps before it stay usable.
TEST_F(UndoTest, ACommandThatThrowsKeepsWhatItDidAsTheStep)
{
    Folder& folder = folderWith(2);
    enter(folder);
    const ModelState start = state();
    ASSERT_TRUE(remove(rows(idsOf(folder, 0, 1))).deleted);
    const ModelState deleted = state();
    EXPECT_THROW(RecordAsOneStep(store, "Import broken.htm",
                     [&] {
                         store.CreateEntry(false, "http://read.example/", 5, "Read before the failure", "Http", "");
                         throw std::runtime_error("disk gone");
                     }),
        std::runtime_error);
    ASSERT_EQ(history().Steps(), 2u);
    EXPECT_EQ(history().UndoCaption(), "Import broken.htm");
    ASSERT_NE(history().Undo(), nullptr);
    EXPECT_EQ(state(), deleted);
    ASSERT_NE(history().Undo(), nullptr);
    EXPECT_EQ(state(), start);
}

// A window builds its tree after every change, and that rewrites the folders' Paths. The
// recorded step still applies, and with the tree built again the Paths are those of the
// state it gives back.
TEST_F(UndoTest, PathsRewrittenByTheTreeLeaveTheStepUsable)
{
    Folder& parent = folderWithSubfolders();
    Folder& renamed = *parent.SubFolders.front();
    (void)treeRows(store);
    const ModelState before = state();
    const std::string oldPath = renamed.Path;
    editing.RenameTreeNode(renamed.id, "Renamed");
    (void)treeRows(store);
    ASSERT_NE(renamed.Path, oldPath);
    const ModelState after = state();
    for (int round = 0; round < 2; ++round) {
        ASSERT_NE(history().Undo(), nullptr);
        EXPECT_EQ(renamed.Path, oldPath);
        (void)treeRows(store);
        EXPECT_EQ(state(), before);
        ASSERT_NE(history().Redo(), nullptr);
        (void)treeRows(store);
        EXPECT_EQ(state(), after);
    }
    // Only Path changed: no step.
    ModelChange change(store, "Paths");
    change.WillChangeFolder(renamed);
    renamed.Path = "Elsewhere";
    EXPECT_FALSE(change.Finish());
}

// Any mix of changes, undone one by one, passes back through every state it went
// through, down to the original file; redone, it ends at the same last file.
TEST_F(UndoTest, LongRandomSequenceUndoneToTheStart)
{
    history().SetLimits(1000, size_t { 1 } << 30);
    std::mt19937 random(7);
    const auto pick = [&](size_t n) { return n == 0 ? 0 : static_cast<size_t>(random() % n); };
    const auto anyFolder = [&]() -> Folder& {
        auto& flat = store.Root().SubFolders;
        return flat.empty() || pick(5) == 0 ? store.Root() : *flat[pick(flat.size())];
    };
    const auto someRows = [&](Folder& folder) {
        std::vector<std::string> ids;
        for (const auto& item : folder.FolderItems) {
            if (pick(4) == 0) {
                ids.push_back(item->IID);
            }
        }
        return ids;
    };
    std::vector<ModelState> states { state() };
    int seconds = 0;
    while (states.size() < 250) {
        enter(anyFolder());
        Folder& current = store.CurrentFolder();
        const size_t before = history().Steps();
        const size_t op = pick(10);
        switch (op) {
        case 0:
            editing.NewFolder();
            break;
        case 1:
            (void)editing.NewEntry("Entry", "http://new.example/", "", static_cast<int>(pick(6)));
            break;
        case 2:
            if (!current.FolderItems.empty()) {
                editing.RenameListEntry(current.FolderItems[pick(current.FolderItems.size())]->IID, "Renamed");
            }
            break;
        case 3:
            editing.RenameTreeNode(anyFolder().id, "Node " + std::to_string(states.size()));
            break;
        case 4:
            remove(rows(someRows(current)));
            break;
        case 5:
            remove(node(anyFolder().id));
            break;
        case 6:
        case 7: {
            const bool cut = pick(2) == 0;
            const std::vector<std::string> ids = someRows(current);
            if (cut ? editing.Cut(rows(ids)) : editing.Copy(rows(ids))) {
                enter(anyFolder());
                editing.Paste(pick(2) == 0 ? Pane::ListView1 : Pane::TreeView1);
            }
            break;
        }
        case 8:
            editing.Drop(pick(2) == 0 ? rows(someRows(current)) : node(anyFolder().id), anyFolder().id);
            break;
        case 9:
            if (!current.FolderItems.empty()) {
                ItemProperties edited
                    = *editing.PropertiesFor(rows({ current.FolderItems[pick(current.FolderItems.size())]->IID }));
                edited.Description = "Description " + std::to_string(states.size());
                edited.clientIndex = static_cast<int>(pick(6));
                editing.ApplyProperties(edited);
            }
            break;
        }
        if (history().Steps() > before) {
            ASSERT_EQ(history().Steps(), before + 1);
            states.push_back(state());
        } else {
            // No step means nothing changed (a refusal, or a selection that was empty),
            // apart from CurrentFolder.
            states.back().current = store.CurrentFolder().id;
            ASSERT_EQ(state(), states.back());
        }
        world.clock.time.second = ++seconds % 60;
    }
    test::expectInvariants(store);
    for (size_t i = states.size() - 1; i > 0; --i) {
        ASSERT_NE(history().Undo(), nullptr) << i;
        const ModelState now = state();
        ASSERT_EQ(now.bytes, states[i - 1].bytes) << "after undoing step " << i;
        ASSERT_EQ(now.indexes, states[i - 1].indexes) << "after undoing step " << i;
        test::expectInvariants(store);
    }
    EXPECT_FALSE(history().CanUndo());
    for (size_t i = 1; i < states.size(); ++i) {
        ASSERT_NE(history().Redo(), nullptr) << i;
        const ModelState now = state();
        ASSERT_EQ(now.bytes, states[i].bytes) << "after redoing step " << i;
        ASSERT_EQ(now.indexes, states[i].indexes) << "after redoing step " << i;
    }
    EXPECT_FALSE(history().CanRedo());
}

class UndoHistoryTest : public UndoTest
{
};

TEST_F(UndoHistoryTest, OldestStepsAreDroppedBeyondTheBounds)
{
    history().SetLimits(3, UndoHistory::DefaultMaxBytes);
    enter(folderWith(5));
    const std::string link = firstLinkOf(store.CurrentFolder());
    std::vector<std::string> files;
    for (int i = 0; i < 5; ++i) {
        files.push_back(test::savedBytes(store));
        editing.RenameListEntry(link, "Name " + std::to_string(i));
    }
    EXPECT_EQ(history().Steps(), 3u);
    for (int i = 0; i < 3; ++i) {
        ASSERT_NE(history().Undo(), nullptr);
    }
    EXPECT_FALSE(history().CanUndo());
    EXPECT_EQ(test::savedBytes(store), files[2]);

    // By memory: only the newest step stays, even one larger than the whole bound.
    history().Clear();
    history().SetLimits(100, 1);
    editing.RenameListEntry(link, "Small");
    enter(store.Root());
    const std::string full = test::savedBytes(store);
    remove(rows(idsOf(store.Root(), 0, store.Root().FolderItems.size())));
    EXPECT_EQ(history().Steps(), 1u);
    EXPECT_GT(history().Bytes(), 1u);
    ASSERT_NE(history().Undo(), nullptr);
    EXPECT_EQ(test::savedBytes(store), full);
}

TEST_F(UndoHistoryTest, AStepCostsWhatItChangedNotTheFolderItChangedIn)
{
    enter(store.Root());
    const size_t count = store.Root().FolderItems.size();
    remove(rows(idsOf(store.Root(), 0, count)));
    const size_t wholeRoot = history().Bytes();
    history().Undo();
    history().Clear();
    remove(rows(idsOf(store.Root(), 1, 1)));
    EXPECT_LT(history().Bytes() * 20, wholeRoot);
    history().Clear();
    editing.RenameTreeNode(RootFolderId, "Renamed");
    EXPECT_LT(history().Bytes(), 1024u);
}

TEST_F(UndoHistoryTest, ANewChangeDropsWhatCouldBeRedone)
{
    enter(folderWith(3));
    const std::string link = firstLinkOf(store.CurrentFolder());
    editing.RenameListEntry(link, "One");
    editing.RenameListEntry(link, "Two");
    history().Undo();
    EXPECT_EQ(history().RedoCaption(), "Rename 'Two'");
    editing.RenameListEntry(link, "Three");
    EXPECT_FALSE(history().CanRedo());
    EXPECT_EQ(history().Redo(), nullptr);
    EXPECT_EQ(history().UndoCaption(), "Rename 'Three'");
    history().Undo();
    EXPECT_EQ(store.FindItem(store.CurrentFolder(), link)->Caption, "One");
}

// What a window's Undo and Redo items would show each time they are told to look again.
TEST_F(UndoHistoryTest, TheListenerSeesEveryChangeOfWhatCanBeUndone)
{
    std::vector<std::string> seen;
    history().SetOnChange([&] { seen.push_back(history().UndoCaption() + "|" + history().RedoCaption()); });
    enter(folderWith(3));
    editing.RenameListEntry(firstLinkOf(store.CurrentFolder()), "One");
    editing.NewFolder();
    history().Undo();
    history().Redo();
    history().Undo();
    history().Undo();
    store.NewDatabase("/tmp");
    EXPECT_EQ(seen,
        (std::vector<std::string> { "Rename 'One'|", "New Folder|", "Rename 'One'|New Folder", "New Folder|",
            "Rename 'One'|New Folder", "|Rename 'One'", "|" }));
}

TEST_F(UndoHistoryTest, ClearedByNewAndOpenButKeptBySave)
{
    const std::filesystem::path path = std::filesystem::temp_directory_path() / "brindlex-undo-save.bdx";
    store.SetDatabasePath(path.string());
    const std::string before = test::savedBytes(store);
    editing.RenameTreeNode(RootFolderId, "Saved");
    ASSERT_TRUE(SaveDatabase(store).ok());
    ASSERT_TRUE(history().CanUndo());
    history().Undo();
    EXPECT_EQ(test::savedBytes(store), before);
    history().Redo();

    // Open: a database read in place of this one.
    std::istringstream file(before);
    ASSERT_TRUE(readDatabase(file, store, false).ok());
    EXPECT_FALSE(history().CanUndo());
    EXPECT_FALSE(history().CanRedo());
    // An imported database file is a change like any other; only Open clears.
    editing.NewFolder();
    std::istringstream imported(before);
    ASSERT_TRUE(readDatabase(imported, store, true).ok());
    EXPECT_TRUE(history().CanUndo());

    store.NewDatabase("/tmp");
    EXPECT_FALSE(history().CanUndo());
    std::remove(path.c_str());
}

TEST_F(UndoHistoryTest, RefusalsAndCommandsThatChangeNothingAddNoStep)
{
    Folder& parent = folderWithSubfolders();
    Folder& child = *parent.SubFolders.front();
    enter(parent);
    const std::string link = firstLinkOf(parent);
    const std::string caption = parent.FolderItems.front()->Caption;

    editing.DeleteSelection(rows({ link }), [](const std::string&) { return false; });
    remove(rows({}));
    remove(node(RootFolderId));
    editing.Cut(node(RootFolderId));
    editing.RenameListEntry(parent.FolderItems.front()->IID, caption);  // the same name
    ASSERT_TRUE(editing.Cut(node(parent.id)));
    enter(child);
    EXPECT_FALSE(editing.Paste(Pane::TreeView1).pasted);  // below itself
    EXPECT_FALSE(editing.Drop(node(parent.id), child.id).pasted);
    world.clipboard.contents = "not a url";
    editing.Copy(rows({}));
    EXPECT_EQ(history().Steps(), 0u);
}

// Used to matter: a history applied to a model that was changed behind its back would
// put entries back at the wrong places. It is dropped instead, and the model stays.
TEST_F(UndoHistoryTest, AModelChangedWithoutRecordingDropsTheHistory)
{
    Folder& folder = folderWith(4);
    enter(folder);
    remove(rows(idsOf(folder, 0, 2)));
    folder.FolderItems.erase(folder.FolderItems.begin());  // not through the editing commands
    store.IndexesChanged();
    const std::string changed = test::savedBytes(store);
    EXPECT_EQ(history().Undo(), nullptr);
    EXPECT_FALSE(history().CanUndo());
    EXPECT_EQ(test::savedBytes(store), changed);
}

// The difference of two states of a list, undone and redone on the list itself.
TEST(ModelChangeTest, ListDifferencesGiveBothStatesBack)
{
    test::FakeClock clock;
    struct Case
    {
        const char* before;
        const char* after;
    };
    const Case cases[] = { { "abcde", "abcde" }, { "abc", "abcxy" }, { "abc", "xyabc" }, { "abcde", "abde" },
        { "abcdefgh", "bdfh" }, { "abcdef", "axcyez" }, { "abcde", "aedcb" }, { "abc", "" }, { "", "abc" },
        { "aab", "ab" }, { "ab", "abab" }, { "abcd", "dabc" } };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.before) + " -> " + c.after);
        LinkStore store(clock);
        std::map<char, std::shared_ptr<FolderItem>> made;
        const auto items = [&](std::string_view letters) {
            std::vector<std::shared_ptr<FolderItem>> list;
            for (const char letter : letters) {
                auto& item = made[letter];
                if (!item) {
                    item = std::make_shared<FolderItem>();
                    item->IID = std::string(1, letter);
                }
                list.push_back(item);
            }
            return list;
        };
        const auto before = items(c.before);
        const auto after = items(c.after);
        store.Root().FolderItems = before;
        ModelChange change(store, "Change");
        change.WillChangeEntries(store.Root());
        store.Root().FolderItems = after;
        EXPECT_EQ(change.Finish(), std::string_view(c.before) != c.after);
        for (int round = 0; round < 2; ++round) {
            ASSERT_TRUE(change.Undo());
            EXPECT_EQ(store.Root().FolderItems, before);
            ASSERT_TRUE(change.Redo());
            EXPECT_EQ(store.Root().FolderItems, after);
        }
        // Undone twice, the second time finds the list not as the change left it.
        ASSERT_TRUE(change.Undo());
        if (std::string_view(c.before) != c.after) {
            EXPECT_FALSE(change.Undo());
            EXPECT_EQ(store.Root().FolderItems, before);
        }
    }
}

}  // namespace
}  // namespace brindlex
