#include "formats/ImportExport.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "fakes/StoreHelpers.h"
#include "formats/FormatsTestSupport.h"
#include "store/DatabaseFile.h"

namespace brindlex::test {
namespace {

namespace fs = std::filesystem;

class ImportExportTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        dir = fs::temp_directory_path()
            / ("brindlex-impexp-" + std::string(::testing::UnitTest::GetInstance()->current_test_info()->name()));
        fs::remove_all(dir);
        fs::create_directories(dir);
    }
    void TearDown() override { fs::remove_all(dir); }
    std::string file(const std::string& name, const std::string& content)
    {
        const fs::path path = dir / name;
        std::ofstream(path, std::ios::binary) << content;
        return path.string();
    }
    static std::string slurp(const std::string& path)
    {
        std::ifstream in(path, std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    }
    ImportServices services() { return ImportServices { w.progress, w.events, messages, dir.string() }; }

    fs::path dir;
    FormatsWorld w;
    FakeMessageBoxes messages;
};

TEST_F(ImportExportTest, ExtensionChecksAndTheirMessages)
{
    struct Case
    {
        ImportKind kind;
        const char* path;
        const char* message;  // null when the path passes
    };
    const std::vector<Case> cases = {
        { ImportKind::Netscape, "/home/u/notes.txt", "Invalid File Format. Must be *.HTM or *.HTML" },
        { ImportKind::Netscape, "/home/u/list.HTML", nullptr },
        { ImportKind::Html, "/home/u/page.htm", nullptr },
        { ImportKind::Netscape, "/home/u/site.htm.d/notes.txt", nullptr },  // the whole path is tested
        { ImportKind::Database, "/x/db.txt", "Invalid File Format. Must be *.BDX" },
        { ImportKind::Database, "/x/DB.BDX", nullptr },
        { ImportKind::Mosaic, "/x/hot.htm", "Invalid File Format. Must be *.HOT" },
        { ImportKind::Spry, "/x/SPRY.HOT", nullptr },
        { ImportKind::Spyglass, "/x/list.txt", "Invalid File Format. Must be *.HTM" },
        { ImportKind::Shortcuts, "/x/anything", nullptr },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.path);
        FakeMessageBoxes boxes;
        EXPECT_EQ(checkImportPath(c.kind, c.path, boxes), c.message == nullptr);
        if (c.message != nullptr) {
            ASSERT_EQ(boxes.shown.size(), 1u);
            EXPECT_EQ(boxes.shown[0].title, "Error");
            EXPECT_EQ(boxes.shown[0].text, c.message);
            EXPECT_EQ(boxes.shown[0].icon, MessageIcon::Information);
        } else {
            EXPECT_TRUE(boxes.shown.empty());
        }
    }
}

TEST_F(ImportExportTest, TitlesAndFileSelections)
{
    EXPECT_EQ(exportTitle("/home/u/bookmark.htm"), "bookmark");
    EXPECT_EQ(exportTitle("/home/u/page.html"), "page.");
    EXPECT_EQ(exportTitle("abc"), "");

    const FileSelection many = splitFileSelection(std::string_view("/home/u\0a.url\0b.URL\0c.txt", 25));
    EXPECT_EQ(many.directory, "/home/u/");
    EXPECT_EQ(many.names, (std::vector<std::string> { "a.url", "b.URL", "c.txt" }));
    const FileSelection one = splitFileSelection("/home/u/only.url");
    EXPECT_EQ(one.directory, "/home/u/");
    EXPECT_EQ(one.names, (std::vector<std::string> { "only.url" }));
}

TEST_F(ImportExportTest, ShortcutSelectionAddsOneLinkPerUrlFile)
{
    for (const char* name : { "One.url", "Two.URL", "Three.url" }) {
        file(name, std::string("[InternetShortcut]\r\nURL=http://") + name + "/\r\n");
    }
    file("notes.txt", "not a shortcut");
    Folder& target = w.addFolder(w.store.Root(), "T");
    w.store.SetCurrentFolder(target);
    const FileSelection files { dir.string() + "/", { "One.url", "notes.txt", "Two.URL", "Three.url" } };
    ASSERT_TRUE(importShortcutFiles(w.store, files, services()).ok());
    EXPECT_EQ(describe(w.store), "T/\nT|One|http://One.url/\nT|Two|http://Two.URL/\nT|Three|http://Three.url/\n");
    EXPECT_EQ(w.progress.values, (std::vector<int> { 0, 33, 66, 100 }));
    EXPECT_EQ(w.progress.labels,
        (std::vector<std::string> { "Importing URL One", "Importing URL Two", "Importing URL Three" }));
    EXPECT_EQ(&w.store.CurrentFolder(), &target);
}

TEST_F(ImportExportTest, HtmlImportMakesAFolderNamedAfterThePage)
{
    Folder& target = w.addFolder(w.store.Root(), "T");
    w.store.SetCurrentFolder(target);
    ASSERT_TRUE(importFile(w.store, ImportKind::Html,
        file("page.html",
            "<title>Links</title><a href=\"http://1/\">1</a><a href=\"http://2/\">2</a>"
            "<a href=\"http://3/\">3</a>"),
        services())
                    .ok());
    ASSERT_TRUE(
        importFile(w.store, ImportKind::Html, file("untitled.htm", "<a href=\"http://4/\">4</a>"), services()).ok());
    EXPECT_EQ(&w.store.CurrentFolder(), &target);
    EXPECT_EQ(describe(w.store),
        "T/\nT\\Links/\nT\\New Folder 0/\nT\\Links|1|http://1/\nT\\Links|2|http://2/\nT\\Links|3|http://3/\n"
        "T\\New Folder 0|4|http://4/\n");
    expectInvariants(w.store);
}

TEST_F(ImportExportTest, DeclaredCharsetsAreHonoured)
{
    ASSERT_TRUE(
        importFile(w.store, ImportKind::Netscape, std::string(BRINDLEX_TEST_DATA) + "/formats/icab.htm", services())
            .ok());
    EXPECT_NE(describe(w.store).find("Gr\xC3\xB6n"), std::string::npos);
    // Without a declaration, bytes that are not UTF-8 are read as Windows-1252.
    ASSERT_TRUE(
        importFile(w.store, ImportKind::Spyglass, file("s.htm", "<a href=\"http://c/\">Caf\xE9</a>\r\n"), services())
            .ok());
    EXPECT_NE(describe(w.store).find("|Caf\xC3\xA9|http://c/"), std::string::npos);
}

TEST_F(ImportExportTest, FailedImportsSayWhichFileAndKeepWhatWasAdded)
{
    Folder& target = w.addFolder(w.store.Root(), "T");
    w.store.SetCurrentFolder(target);
    const std::string bad
        = file("bad.htm", "<DL><p>\r\n<DT><A HREF=\"http://kept/\">Kept</A>\r\n<DT><H3>Cut</H3>\r\n<DL><p>\r\n");
    EXPECT_FALSE(importFile(w.store, ImportKind::Netscape, bad, services()).ok());
    ASSERT_EQ(messages.shown.size(), 1u);
    EXPECT_EQ(messages.shown[0].title, "Error");
    EXPECT_NE(messages.shown[0].text.find(bad), std::string::npos);
    EXPECT_EQ(&w.store.CurrentFolder(), &target);
    EXPECT_EQ(describe(w.store), "T/\nT|Kept|http://kept/\nT\\Cut/\n");

    const std::string missing = (dir / "missing.hot").string();
    EXPECT_FALSE(importFile(w.store, ImportKind::Mosaic, missing, services()).ok());
    ASSERT_EQ(messages.shown.size(), 2u);
    EXPECT_NE(messages.shown[1].text.find(missing), std::string::npos);
    // A wrong extension reads nothing.
    EXPECT_FALSE(importFile(w.store, ImportKind::Mosaic, file("x.txt", "Item0=a,b,c"), services()).ok());
    EXPECT_EQ(messages.shown.back().text, "Invalid File Format. Must be *.HOT");
}

TEST_F(ImportExportTest, EveryFormatRoundTripsThroughFiles)
{
    Folder& root = w.store.Root();
    Folder& a = w.addFolder(root, "A");
    w.addLink(a, "In A", "http://a/");
    w.addFolder(a, "A1");
    w.addLink(root, "Top", "http://top/");
    const std::string expectedTree = "T/\nT|Top|http://top/\nT\\A/\nT\\A|In A|http://a/\nT\\A\\A1/\n";
    struct Case
    {
        ExportKind kind;
        ImportKind reader;
        const char* name;
        std::string expected;
    };
    const std::vector<Case> cases = {
        { ExportKind::Netscape, ImportKind::Netscape, "n.htm", expectedTree },
        // Hotlist menus list their submenus before their links.
        { ExportKind::Mosaic, ImportKind::Mosaic, "m.hot",
            "T/\nT\\A/\nT|Top|http://top/\nT\\A\\A1/\nT\\A|In A|http://a/\n" },
        { ExportKind::Spry, ImportKind::Spry, "s.hot", expectedTree },
        { ExportKind::Spyglass, ImportKind::Spyglass, "g.htm", "T/\nT|Top|http://top/\nT|In A|http://a/\n" },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const std::string path = (dir / c.name).string();
        file(c.name, "old content");
        ASSERT_TRUE(exportFile(w.store, c.kind, path, ExportRange::EntireDatabase, {}, messages).ok());
        FormatsWorld other;
        Folder& target = other.addFolder(other.store.Root(), "T");
        other.store.SetCurrentFolder(target);
        FakeMessageBoxes boxes;
        ASSERT_TRUE(
            importFile(other.store, c.reader, path, ImportServices { other.progress, other.events, boxes, "" }).ok());
        EXPECT_EQ(describe(other.store), c.expected);
        EXPECT_EQ(&other.store.CurrentFolder(), &target);
        expectInvariants(other.store);
    }
    const std::string page = (dir / "page.htm").string();
    ASSERT_TRUE(exportFile(w.store, ExportKind::Html, page, ExportRange::EntireDatabase, {}, messages).ok());
    EXPECT_NE(slurp(page).find("<TITLE>page</TITLE>"), std::string::npos);
    EXPECT_TRUE(messages.shown.empty());
}

TEST_F(ImportExportTest, FailedExportIsShownAndLeavesNoFile)
{
    const std::string path = (dir / "no-such-folder" / "out.htm").string();
    EXPECT_FALSE(exportFile(w.store, ExportKind::Netscape, path, ExportRange::EntireDatabase, {}, messages).ok());
    ASSERT_EQ(messages.shown.size(), 1u);
    EXPECT_NE(messages.shown[0].text.find(path), std::string::npos);
    EXPECT_FALSE(fs::exists(path));
}

TEST_F(ImportExportTest, DatabaseImportBecomesAFolderUnderTheCurrentFolder)
{
    FormatsWorld source;
    source.store.Root().Caption = "Other";
    Folder& s = source.addFolder(source.store.Root(), "Saved");
    source.addLink(s, "Kept", "http://kept/");
    const std::string path = (dir / "other.bdx").string();
    {
        std::ofstream out(path, std::ios::binary);
        ASSERT_TRUE(writeDatabase(out, source.store).ok());
    }
    Folder& target = w.addFolder(w.store.Root(), "T");
    w.store.SetCurrentFolder(target);
    ASSERT_TRUE(importFile(w.store, ImportKind::Database, path, services()).ok());
    EXPECT_EQ(&w.store.CurrentFolder(), &target);
    EXPECT_NE(describe(w.store).find("|Kept|http://kept/"), std::string::npos);
    expectInvariants(w.store);
}

}  // namespace
}  // namespace brindlex::test
