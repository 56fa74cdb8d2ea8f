#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>

#include "fakes/FakePlatform.h"
#include "store/DatabaseCommands.h"
#include "store/DatabaseFile.h"
#include "store/LinkStore.h"
#include "store/ProgramDirectory.h"

namespace brindlex {
namespace {

class DatabaseCommandsTest : public ::testing::Test
{
protected:
    test::FakeWorld world;
    LinkStore store { world.clock };
    std::filesystem::path dir;
    std::optional<std::string> answer;
    int refreshes = 0;
    std::string marker;

    void SetUp() override
    {
        dir = std::filesystem::temp_directory_path()
            / ("bdx-cmd-" + std::string(::testing::UnitTest::GetInstance()->current_test_info()->name()));
        std::filesystem::remove_all(dir);
        std::filesystem::create_directories(dir);
        store.NewDatabase(dir.string());
    }
    void TearDown() override { std::filesystem::remove_all(dir); }
    DatabaseCommandHooks hooks()
    {
        return DatabaseCommandHooks { world.messages, [this] { return answer; }, [this] { ++refreshes; },
            dir.string() };
    }
};

TEST(DatabaseNameTest, ExtensionCorrection)
{
    const std::pair<const char*, const char*> rows[] = {
        { "/d/links", "/d/links.bdx" },
        { "/d.x/links", "/d.x/links.bdx" },
        { "/d/links.txt", "/d/links.bdx" },
        { "/d/links.BDX", "/d/links.BDX" },
        { "/d/my.links.bdx", "/d/my.links.bdx" },
    };
    for (const auto& [chosen, corrected] : rows) {
        SCOPED_TRACE(chosen);
        EXPECT_EQ(correctedDatabaseName(chosen), corrected);
    }
    EXPECT_TRUE(isUnsavedTitle("NewDB.BDX"));
    EXPECT_FALSE(isUnsavedTitle("Brindlex.bdx"));
}

TEST_F(DatabaseCommandsTest, SaveOfANewDatabaseGoesThroughSaveAsAndRenamesTheRoot)
{
    answer = (dir / "my.links").string();
    EXPECT_EQ(SaveFile(store, hooks(), marker), CommandOutcome::Done);
    ASSERT_EQ(world.messages.shown.size(), 1u);
    EXPECT_EQ(world.messages.shown[0].title, "Extention Error");
    EXPECT_EQ(world.messages.shown[0].text,
        "Invalid file extention. Must be .BDX. Making correction\nNew file name is " + (dir / "my.bdx").string());
    EXPECT_EQ(store.DatabasePath(), (dir / "my.bdx").string());
    EXPECT_EQ(store.DatabaseTitle(), "my.bdx");
    EXPECT_EQ(store.Root().Caption, "my");
    EXPECT_TRUE(std::filesystem::exists(dir / "my.bdx"));
    EXPECT_EQ(refreshes, 1);

    // Now it has a name: Save writes without a dialog.
    answer.reset();
    EXPECT_EQ(SaveFile(store, hooks(), marker), CommandOutcome::Done);
    EXPECT_TRUE(marker.empty());
}

TEST_F(DatabaseCommandsTest, CancelledDialogSavesNothingAndLeavesTheMarker)
{
    EXPECT_EQ(SaveFileAs(store, hooks(), marker), CommandOutcome::Cancelled);
    EXPECT_EQ(marker, "Cancel");
    EXPECT_TRUE(std::filesystem::is_empty(dir));
}

TEST_F(DatabaseCommandsTest, NewAsksThenSavesAndKeepsTheDatabaseWhenTheSaveDidNotHappen)
{
    store.CreateEntry(false, "http://a/", 5, "A", "Http", "");
    // Yes, then the dialog is cancelled: the database is kept.
    world.messages.answerNext(Answer::Yes);
    EXPECT_EQ(NewFile(store, hooks(), false, marker), CommandOutcome::Cancelled);
    EXPECT_EQ(world.messages.shown[0].title, "Save Database ?");
    EXPECT_EQ(world.messages.shown[0].text, "Do you wish to save the current database ?");
    EXPECT_EQ(world.messages.shown[0].icon, MessageIcon::Question);
    EXPECT_EQ(world.messages.shown[0].buttons, MessageButtons::YesNoCancel);
    EXPECT_EQ(store.Root().FolderItems.size(), 1u);

    world.messages.answerNext(Answer::Cancel);
    EXPECT_EQ(NewFile(store, hooks(), false, marker), CommandOutcome::Cancelled);
    EXPECT_EQ(store.Root().FolderItems.size(), 1u);

    // A save that fails keeps it too.
    store.SetDatabasePath((dir / "gone" / "a.bdx").string());
    EXPECT_EQ(NewFile(store, hooks(), true, marker), CommandOutcome::Failed);
    EXPECT_EQ(world.messages.shown.back().title, "Error");
    EXPECT_EQ(store.Root().FolderItems.size(), 1u);

    // AutoSave saves without asking, then the database is new.
    const size_t boxes = world.messages.shown.size();
    store.SetDatabasePath((dir / "a.bdx").string());
    EXPECT_EQ(NewFile(store, hooks(), true, marker), CommandOutcome::Done);
    EXPECT_EQ(world.messages.shown.size(), boxes);
    EXPECT_TRUE(std::filesystem::exists(dir / "a.bdx"));
    EXPECT_TRUE(store.Root().FolderItems.empty());
    EXPECT_EQ(store.DatabaseTitle(), "NewDB.BDX");

    // No: nothing written, database replaced.
    store.CreateEntry(false, "http://b/", 5, "B", "Http", "");
    world.messages.answerNext(Answer::No);
    EXPECT_EQ(NewFile(store, hooks(), false, marker), CommandOutcome::Done);
    EXPECT_TRUE(store.Root().FolderItems.empty());
    EXPECT_FALSE(std::filesystem::exists(dir / "NewDB.BDX"));
}

TEST_F(DatabaseCommandsTest, ProgramDirectoryFollowsTheEnvironment)
{
    const std::string home = (dir / "home").string();
    ::setenv("BRINDLEX_HOME", home.c_str(), 1);
    EXPECT_EQ(programDirectory(), home);
    EXPECT_TRUE(std::filesystem::is_directory(home));
    EXPECT_FALSE(defaultDatabaseExists());
    ::unsetenv("BRINDLEX_HOME");
    ::setenv("XDG_DATA_HOME", (dir / "xdg").string().c_str(), 1);
    EXPECT_EQ(programDirectory(), (dir / "xdg" / "Tarnwell").string());
    ::unsetenv("XDG_DATA_HOME");
}

}  // namespace
}  // namespace brindlex
