#include "formats/ImportSteps.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "fakes/FakePlatform.h"
#include "fakes/StoreHelpers.h"
#include "store/LinkStore.h"
#include "store/TreeRows.h"
#include "store/UndoHistory.h"

namespace brindlex::test {
namespace {

namespace fs = std::filesystem;

// Imports into a generated database of 1,000 entries, each one undo step however many
// entries it adds. The files to import are written by our own exporters from a second
// generated database, so every reader gets a file of realistic size.
class ImportStepsTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        dir = fs::temp_directory_path()
            / ("brindlex-importsteps-" + std::string(::testing::UnitTest::GetInstance()->current_test_info()->name()));
        fs::remove_all(dir);
        fs::create_directories(dir);
        generateTree(store, 1000);
        generateTree(other, 300, 2);
        // Imports go into a folder below the root.
        store.SetCurrentFolder(*store.Root().SubFolders[3]);
    }
    void TearDown() override { fs::remove_all(dir); }
    ImportServices services() { return ImportServices { progress, events, messages, dir.string() }; }
    std::string exported(ExportKind kind, const std::string& name)
    {
        const std::string path = (dir / name).string();
        EXPECT_TRUE(exportFile(other, kind, path, ExportRange::EntireDatabase, {}, messages).ok());
        return path;
    }
    std::string file(const std::string& name, const std::string& content)
    {
        const fs::path path = dir / name;
        std::ofstream(path, std::ios::binary) << content;
        return path.string();
    }
    // Runs the import, which must add one step named `caption`, then undoes and redoes it.
    void expectOneStep(const std::string& caption, const std::function<Status()>& import)
    {
        SCOPED_TRACE(caption);
        store.History().Clear();
        const std::string before = savedBytes(store);
        const std::string current = store.CurrentFolder().id;
        ASSERT_TRUE(import().ok()) << (messages.shown.empty() ? "" : messages.shown.back().text);
        // The window builds its tree after the import and after each undo and redo.
        (void)treeRows(store);
        const std::string after = savedBytes(store);
        ASSERT_GT(after.size(), before.size());
        ASSERT_EQ(store.History().Steps(), 1u);
        EXPECT_EQ(store.History().UndoCaption(), caption);
        for (int round = 0; round < 2; ++round) {
            ASSERT_NE(store.History().Undo(), nullptr);
            EXPECT_EQ(savedBytes(store), before);
            EXPECT_EQ(store.CurrentFolder().id, current);
            expectInvariants(store);
            (void)treeRows(store);
            ASSERT_NE(store.History().Redo(), nullptr);
            (void)treeRows(store);
            EXPECT_EQ(savedBytes(store), after);
            EXPECT_EQ(store.CurrentFolder().id, current);
        }
        expectInvariants(store);
    }

    fs::path dir;
    FakeClock clock;
    LinkStore store { clock };
    LinkStore other { clock };
    RecordingProgress progress;
    CountingEvents events;
    FakeMessageBoxes messages;
};

TEST_F(ImportStepsTest, EveryReaderIsOneStep)
{
    struct Case
    {
        ImportKind import;
        ExportKind written;
        const char* name;
    };
    const Case cases[] = {
        { ImportKind::Netscape, ExportKind::Netscape, "bookmark.htm" },
        { ImportKind::Mosaic, ExportKind::Mosaic, "mosaic.hot" },
        { ImportKind::Spry, ExportKind::Spry, "spry.hot" },
        { ImportKind::Spyglass, ExportKind::Spyglass, "spyglass.htm" },
        { ImportKind::Html, ExportKind::Html, "links.html" },
    };
    for (const Case& c : cases) {
        const std::string path = exported(c.written, c.name);
        expectOneStep(
            std::string("Import ") + c.name, [&] { return importFileAsStep(store, c.import, path, services()); });
    }
    const std::string database = file("other.bdx", savedBytes(other));
    expectOneStep(
        "Import other.bdx", [&] { return importFileAsStep(store, ImportKind::Database, database, services()); });
}

TEST_F(ImportStepsTest, ShortcutFilesTogetherAreOneStep)
{
    FileSelection files { dir.string() + "/", {} };
    for (int i = 0; i < 40; ++i) {
        const std::string name = "site " + std::to_string(i) + ".url";
        file(name, "[InternetShortcut]\r\nURL=http://site" + std::to_string(i) + ".example/\r\n");
        files.names.push_back(name);
    }
    expectOneStep("Import 40 files", [&] { return importShortcutFilesAsStep(store, files, services()); });
    files.names.resize(1);
    expectOneStep("Import site 0.url", [&] { return importShortcutFilesAsStep(store, files, services()); });
}

TEST_F(ImportStepsTest, ARefusedFileAddsNoStepAndAFailedOneKeepsWhatItAdded)
{
    EXPECT_FALSE(importFileAsStep(store, ImportKind::Netscape, file("notes.txt", "<DL>"), services()).ok());
    EXPECT_EQ(store.History().Steps(), 0u);

    // The end of the file inside a folder: what was read stays, as one step.
    const std::string before = savedBytes(store);
    const std::string cut = file("cut.htm",
        "<!DOCTYPE NETSCAPE-Bookmark-file-1>\n<DL><p>\n<DT><A HREF=\"http://a.example/\">A</A>\n"
        "<DT><H3>Open</H3>\n<DL><p>\n<DT><A HREF=\"http://b.example/\">B</A>\n");
    EXPECT_FALSE(importFileAsStep(store, ImportKind::Netscape, cut, services()).ok());
    ASSERT_EQ(store.History().UndoCaption(), "Import cut.htm");
    EXPECT_NE(savedBytes(store), before);
    store.History().Undo();
    EXPECT_EQ(savedBytes(store), before);
}

}  // namespace
}  // namespace brindlex::test
