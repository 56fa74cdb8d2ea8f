#include <gtest/gtest.h>

#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <sys/stat.h>

#include "fakes/FakePlatform.h"
#include "store/DatabaseCommands.h"
#include "store/DatabaseFile.h"
#include "store/DatabaseGuard.h"
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
    DatabaseCommandHooks hooks(DatabaseGuard* guard = nullptr)
    {
        return DatabaseCommandHooks { world.messages, [this] { return answer; }, [this] { ++refreshes; }, dir.string(),
            guard };
    }
    // A database of one link saved at dir/NAME; its bytes.
    std::string savedDatabase(const std::string& name)
    {
        store.SetDatabasePath((dir / name).string());
        store.CreateEntry(false, "http://a/", 5, "A", "Http", "");
        EXPECT_TRUE(SaveDatabase(store).ok());
        return bytesOf(store.DatabasePath());
    }
    static std::string bytesOf(const std::string& path)
    {
        const Result<std::string> bytes = readFileBytes(path);
        return bytes.ok() ? bytes.value() : "(unreadable)";
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

TEST_F(DatabaseCommandsTest, DatabaseLockedByAnotherHolderIsSavedOnlyUnderAnotherName)
{
    const std::string path = (dir / "links.bdx").string();
    const std::string before = savedDatabase("links.bdx");
    DatabaseGuard first;
    first.opening(path);
    EXPECT_FALSE(first.readOnly());
    DatabaseGuard second;
    second.opening(path);
    EXPECT_TRUE(second.readOnly());
    store.CreateEntry(false, "http://b/", 5, "B", "Http", "");

    // Save asks for another name; the same one again is refused while the other holds it.
    answer = path;
    EXPECT_EQ(SaveFile(store, hooks(&second), marker), CommandOutcome::Failed);
    ASSERT_EQ(world.messages.shown.size(), 2u);
    EXPECT_EQ(world.messages.shown[0].title, "Read-Only Database");
    EXPECT_EQ(world.messages.shown[0].text,
        path + " is in use by another process and is open read-only.\nSave it under another name.");
    EXPECT_EQ(world.messages.shown[1].text, "Error saving " + path + "...\n" + path + " is in use by another process");
    EXPECT_EQ(bytesOf(path), before);

    // Another name is saved, and that file is now held here.
    const std::string copy = (dir / "copy.bdx").string();
    answer = copy;
    EXPECT_EQ(SaveFile(store, hooks(&second), marker), CommandOutcome::Done);
    EXPECT_EQ(bytesOf(path), before);
    EXPECT_NE(bytesOf(copy), before);
    EXPECT_FALSE(second.readOnly());
    EXPECT_EQ(second.path(), copy);
    DatabaseGuard third;
    third.opening(copy);
    EXPECT_TRUE(third.readOnly());

    // Once the first holder lets go, the file can be had again.
    first.clear();
    third.opening(path);
    EXPECT_FALSE(third.readOnly());
}

TEST_F(DatabaseCommandsTest, FileChangedOnDiskIsOverwrittenOnlyWhenTheUserSaysSo)
{
    const std::string path = (dir / "links.bdx").string();
    const std::string ours = savedDatabase("links.bdx");
    DatabaseGuard guard;
    guard.opening(path);
    EXPECT_FALSE(guard.changedOnDisk(path));

    // Another program rewrites it: same size, same time, other bytes.
    struct stat was
    {
    };
    ASSERT_EQ(::stat(path.c_str(), &was), 0);
    std::string theirs = ours;
    theirs[theirs.find("http://a/") + 7] = 'z';
    std::ofstream(path, std::ios::binary | std::ios::trunc) << theirs;
    const struct timespec times[2] = { was.st_atim, was.st_mtim };
    ASSERT_EQ(::utimensat(AT_FDCWD, path.c_str(), times, 0), 0);
    EXPECT_TRUE(guard.changedOnDisk(path));

    const std::string question = path
        + " was changed on disk since it was opened here.\nYes overwrites it with this database, No saves this "
          "database under another name.";
    world.messages.answerNext(Answer::Cancel);
    EXPECT_EQ(SaveFile(store, hooks(&guard), marker), CommandOutcome::Cancelled);
    ASSERT_EQ(world.messages.shown.size(), 1u);
    EXPECT_EQ(world.messages.shown[0].title, "Database Changed");
    EXPECT_EQ(world.messages.shown[0].text, question);
    EXPECT_EQ(world.messages.shown[0].buttons, MessageButtons::YesNoCancel);
    EXPECT_EQ(bytesOf(path), theirs);

    // No: saved under another name, theirs left alone.
    world.messages.answerNext(Answer::No);
    answer = (dir / "mine.bdx").string();
    EXPECT_EQ(SaveFile(store, hooks(&guard), marker), CommandOutcome::Done);
    EXPECT_EQ(bytesOf(path), theirs);
    EXPECT_NE(bytesOf(*answer).find("http://a/"), std::string::npos);

    // Yes: overwritten; the next save asks nothing.
    store.SetDatabasePath(path);
    guard.opening(path);
    std::ofstream(path, std::ios::binary | std::ios::app) << "\r\n";
    world.messages.shown.clear();
    world.messages.answerNext(Answer::Yes);
    EXPECT_EQ(SaveFile(store, hooks(&guard), marker), CommandOutcome::Done);
    EXPECT_EQ(world.messages.shown.size(), 1u);
    std::ostringstream written;
    ASSERT_TRUE(writeDatabase(written, store).ok());
    EXPECT_EQ(bytesOf(path), written.str());
    EXPECT_EQ(SaveFile(store, hooks(&guard), marker), CommandOutcome::Done);
    EXPECT_EQ(world.messages.shown.size(), 1u);
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
