#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <iterator>
#include <sstream>

#include "fakes/FakePlatform.h"
#include "fakes/ScopedTimeZone.h"
#include "formats/ProfileTestSupport.h"
#include "store/DatabaseFile.h"
#include "store/LinkStore.h"
#include "tools/bdxtool/Commands.h"

namespace brindlex::bdxtool {
namespace {

namespace fs = std::filesystem;
using Command = int (*)(const std::vector<std::string>&);

// The database every export starts from, as `bdxtool list` prints it below the root
// (each folder's entries, then the folders below it).
const std::vector<std::string> SourceTree = {
    "\tStart\thttp://start.example/\tHttp",
    "\tTools\t\tFolder",
    "\tEmpty\t\tFolder",
    "\\Tools\tGrep, fast\thttp://grep.example/?a=1&b=2\tHttp",
    "\\Tools\tDeep\t\tFolder",
    "\\Tools\\Deep\tBottom\tmailto:me@example.org\tEMail",
};

class BdxtoolFormatsTest : public ::testing::Test
{
protected:
    test::ScopedTimeZone utc { "UTC0" };
    fs::path dir;
    std::string out;
    std::string err;

    void SetUp() override
    {
        dir = fs::temp_directory_path()
            / ("bdxtool-formats-" + std::string(::testing::UnitTest::GetInstance()->current_test_info()->name()));
        fs::remove_all(dir);
        fs::create_directories(dir);
        ::setenv("BRINDLEX_HOME", dir.c_str(), 1);
        writeSource();
    }
    void TearDown() override
    {
        ::unsetenv("BRINDLEX_HOME");
        fs::remove_all(dir);
    }

    // Root "links": link Start, folder Tools (link "Grep, fast", folder Deep with link
    // Bottom), empty folder Empty.
    void writeSource()
    {
        test::FakeClock clock;
        LinkStore store(clock);
        store.Root().Caption = "links";
        store.CreateEntry(false, "http://start.example/", 5, "Start", "Http", "");
        const std::string tools = store.CreateEntry(true, "", 6, "Tools", "Folder", "");
        store.CreateEntry(true, "", 6, "Empty", "Folder", "");
        store.SetCurrentFolder(*store.FindFolder(tools));
        store.CreateEntry(false, "http://grep.example/?a=1&b=2", 5, "Grep, fast", "Http", "");
        const std::string deep = store.CreateEntry(true, "", 6, "Deep", "Folder", "");
        store.SetCurrentFolder(*store.FindFolder(deep));
        store.CreateEntry(false, "mailto:me@example.org", 5, "Bottom", "EMail", "");
        store.SetDatabasePath(path("source.bdx"));
        ASSERT_TRUE(SaveDatabase(store).ok());
    }
    int run(Command command, const std::vector<std::string>& args)
    {
        std::ostringstream o, e;
        auto* oldOut = std::cout.rdbuf(o.rdbuf());
        auto* oldErr = std::cerr.rdbuf(e.rdbuf());
        const int status = command(args);
        std::cout.rdbuf(oldOut);
        std::cerr.rdbuf(oldErr);
        out = o.str();
        err = e.str();
        return status;
    }
    std::string path(const std::string& name) const { return (dir / name).string(); }
    std::string source() const { return path("source.bdx"); }
    void write(const std::string& name, const std::string& bytes) const
    {
        std::ofstream(path(name), std::ios::binary) << bytes;
    }
    std::string read(const std::string& file) const
    {
        std::ifstream in(file, std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), {});
    }
    // `bdxtool list` of `db`, one string per line.
    std::vector<std::string> list(const std::string& db)
    {
        EXPECT_EQ(run(runList, { db }), 0) << err;
        std::vector<std::string> lines;
        std::istringstream in(out);
        for (std::string line; std::getline(in, line);) {
            lines.push_back(line);
        }
        return lines;
    }
    static std::vector<std::string> under(const std::string& root, const std::vector<std::string>& tree)
    {
        std::vector<std::string> lines;
        for (const std::string& line : tree) {
            lines.push_back(root + line);
        }
        return lines;
    }
};

std::string crlf(const std::vector<std::string>& lines)
{
    std::string text;
    for (const std::string& line : lines) {
        text += line + "\r\n";
    }
    return text;
}

TEST_F(BdxtoolFormatsTest, EveryFormatExportsTheDatabaseAndReadsItBack)
{
    struct Case
    {
        std::string format;
        std::string file;
        std::vector<std::string> back;  // the list of the re-imported database
        bool sorted = false;  // the format puts menus before links
    };
    const std::vector<Case> cases = {
        { "netscape", "bookmarks.htm", under("back", SourceTree) },
        { "spry", "hotlist.hot", under("back", SourceTree) },
        // The hotlist writer drops commas from the names it writes.
        { "mosaic", "hotlist.hot",
            { "back\tEmpty\t\tFolder", "back\tStart\thttp://start.example/\tHttp", "back\tTools\t\tFolder",
                "back\\Tools\tDeep\t\tFolder", "back\\Tools\tGrep fast\thttp://grep.example/?a=1&b=2\tHttp",
                "back\\Tools\\Deep\tBottom\tmailto:me@example.org\tEMail" },
            true },
        // Spyglass pages have no folders.
        { "spyglass", "hotlist.htm",
            { "back\tStart\thttp://start.example/\tHttp", "back\tGrep, fast\thttp://grep.example/?a=1&b=2\tHttp",
                "back\tBottom\tmailto:me@example.org\tEMail" } },
        // An HTML page becomes one folder named after its title, the output file's name.
        { "html", "page.htm",
            { "back\tpage\t\tFolder", "back\\page\tStart\thttp://start.example/\tHttp",
                "back\\page\tGrep, fast\thttp://grep.example/?a=1&b=2\tHttp",
                "back\\page\tBottom\tmailto:me@example.org\tEMail" } },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.format);
        fs::remove(path("back.bdx"));
        ASSERT_EQ(run(runExport, { c.format, path(c.file), "--from", source() }), 0) << err;
        ASSERT_EQ(run(runImport, { c.format, path(c.file), "--into", path("back.bdx") }), 0) << err;
        std::vector<std::string> back = list(path("back.bdx"));
        if (c.sorted) {
            std::sort(back.begin(), back.end());
        }
        EXPECT_EQ(back, c.back);
    }
    // The export leaves the database as it was.
    EXPECT_EQ(list(source()), under("links", SourceTree));
}

TEST_F(BdxtoolFormatsTest, RangesOneAndTwoWriteTheChosenFolderUnderTheFileTitle)
{
    ASSERT_EQ(
        run(runExport,
            { "netscape", path("tools-page.htm"), "--from", source(), "--range", "1", "--folder", "links\\Tools" }),
        0)
        << err;
    EXPECT_EQ(read(path("tools-page.htm")),
        crlf({ "<!DOCTYPE NETSCAPE-Bookmark-file-1>",
            "<META HTTP-EQUIV=\"Content-Type\" CONTENT=\"text/html; charset=UTF-8\">",
            "<!-- This is an automatically generated file.", "It will be read and overwritten.", "Do Not Edit! -->",
            "<TITLE>tools-page</TITLE>", "<H1>tools-page</H1>", "", "<DL><p>",
            "    <DT><H3 FOLDED ADD_DATE=\"849916800\">Tools</H3>", "    <DL><p>",
            "        <DT><A HREF=\"http://grep.example/?a=1&amp;b=2\" ADD_DATE=\"849916800\" LAST_VISIT=\"0\" "
            "LAST_MODIFIED=\"0\">Grep, fast</A>",
            "    </DL><p>", "</DL><p>" }));

    ASSERT_EQ(
        run(runExport, { "mosaic", path("menu.hot"), "--from", source(), "--range", "1", "--folder", "links\\Tools" }),
        0)
        << err;
    EXPECT_NE(read(path("menu.hot")).find("Menu_Name=menu\r\n"), std::string::npos) << read(path("menu.hot"));

    ASSERT_EQ(
        run(runExport, { "spry", path("tools.hot"), "--from", source(), "--range", "2", "--folder", "links\\Tools" }),
        0)
        << err;
    ASSERT_EQ(run(runImport, { "spry", path("tools.hot"), "--into", path("back.bdx") }), 0) << err;
    // The chosen folder's list is the file's outer list, so its entries land in the target.
    EXPECT_EQ(list(path("back.bdx")),
        (std::vector<std::string> { "back\tGrep, fast\thttp://grep.example/?a=1&b=2\tHttp", "back\tDeep\t\tFolder",
            "back\\Deep\tBottom\tmailto:me@example.org\tEMail" }));
}

TEST_F(BdxtoolFormatsTest, ShortcutFilesAreWrittenPerLinkAndReadBack)
{
    const fs::path links = dir / "links";
    ASSERT_EQ(run(runExport, { "url", links.string(), "--from", source(), "--folder", "links\\Tools" }), 0) << err;
    std::vector<std::string> written;
    for (const auto& entry : fs::directory_iterator(links)) {
        written.push_back(entry.path().filename().string());
    }
    EXPECT_EQ(written, std::vector<std::string> { "Grep, fast.url" });  // folder rows are not links
    EXPECT_EQ(read((links / "Grep, fast.url").string()), "[InternetShortcut]\r\nURL=http://grep.example/?a=1&b=2\r\n");

    // A file as Windows writes it: another section and an IDList= line come first.
    write("Home page.URL",
        "[DEFAULT]\r\nBASEURL=http://base/\r\n[InternetShortcut]\r\nIDList=\r\n"
        "URL=https://home.example/\r\n");
    ASSERT_EQ(run(runImport,
                  { "url", (links / "Grep, fast.url").string(), path("Home page.URL"), "--into", path("back.bdx") }),
        0)
        << err;
    EXPECT_EQ(list(path("back.bdx")),
        (std::vector<std::string> {
            "back\tGrep, fast\thttp://grep.example/?a=1&b=2\tHttp", "back\tHome page\thttps://home.example/\tHttp" }));
}

TEST_F(BdxtoolFormatsTest, ShortcutNamesCannotLeaveTheirDirectory)
{
    test::FakeClock clock;
    LinkStore store(clock);
    store.CreateEntry(false, "http://up/", 5, "../up", "Http", "");
    store.CreateEntry(false, "http://abs/", 5, "/etc/x", "Http", "");
    store.SetDatabasePath(path("names.bdx"));
    ASSERT_TRUE(SaveDatabase(store).ok());
    fs::create_directory(dir / "out");
    ASSERT_EQ(run(runExport, { "url", path("out"), "--from", path("names.bdx") }), 0) << err;
    std::vector<std::string> written;
    for (const auto& entry : fs::recursive_directory_iterator(dir / "out")) {
        written.push_back(fs::relative(entry.path(), dir / "out").string());
    }
    std::sort(written.begin(), written.end());
    // The leading dots are replaced too: ".._up.url" was a hidden file.
    EXPECT_EQ(written, (std::vector<std::string> { "___up.url", "_etc_x.url" }));
    EXPECT_FALSE(fs::exists(dir / "up.url"));
}

TEST_F(BdxtoolFormatsTest, ARealBrowserExportImportsWhole)
{
    const std::string firefox = std::string(BRINDLEX_TEST_DATA) + "/formats/firefox.htm";
    ASSERT_EQ(run(runImport, { "netscape", firefox, "--into", path("ff.bdx") }), 0) << err;
    const std::vector<std::string> lines = list(path("ff.bdx"));
    ASSERT_GE(lines.size(), 5u);
    EXPECT_EQ(lines[0], "ff\tBookmarks Toolbar\t\tFolder");
    EXPECT_EQ(lines[1], "ff\tCaf\u00e9 & Co\t\tFolder");
    EXPECT_EQ(lines[3], "ff\\Bookmarks Toolbar\tGet Firefox & more\thttps://www.mozilla.org/en-US/firefox/\tHttp");
    EXPECT_EQ(lines[4], "ff\\Bookmarks Toolbar\tSearch 'things' <here>\thttps://example.org/search?q=a&b=c\tHttp");
}

TEST_F(BdxtoolFormatsTest, BrowserProfilesImportIntoAFolderNamedAfterBrowserAndProfile)
{
    const std::string firefox = path("home/.mozilla/firefox/k9j8h7g6.default-esr");
    fs::create_directories(firefox);
    {
        test::PlacesFile places(firefox + "/places.sqlite");
        places.roots();
        places.link(10, 3, 0, "On the toolbar", "https://toolbar.example/");
    }
    fs::create_directories(dir / "home/.config/chromium/Default");
    write("home/.config/chromium/Default/Bookmarks",
        R"({"roots": {"bookmark_bar": {"type": "folder", "name": "Bookmarks bar", "children": [
            {"type": "url", "name": "Bar, link", "url": "https://bar.example/"}]}}})");
    ASSERT_EQ(run(runImport, { "firefox", firefox, "--into", path("p.bdx") }), 0) << err;
    ASSERT_EQ(
        run(runImport, { "chromium", path("home/.config/chromium"), "--into", path("p.bdx"), "--folder", "p" }), 0)
        << err;
    EXPECT_EQ(list(path("p.bdx")),
        (std::vector<std::string> { "p\tFirefox (default-esr)\t\tFolder", "p\tChromium (Default)\t\tFolder",
            "p\\Firefox (default-esr)\tBookmarks Toolbar\t\tFolder",
            "p\\Firefox (default-esr)\\Bookmarks Toolbar\tOn the toolbar\thttps://toolbar.example/\tHttp",
            "p\\Chromium (Default)\tBookmarks bar\t\tFolder",
            "p\\Chromium (Default)\\Bookmarks bar\tBar, link\thttps://bar.example/\tHttp" }));
}

TEST_F(BdxtoolFormatsTest, RangesThatCannotApplyAreUsageErrors)
{
    const std::vector<std::vector<std::string>> cases = {
        { "netscape", path("o.htm"), "--from", source(), "--range", "0" },
        { "html", path("o.htm"), "--from", source(), "--range", "4" },
        { "netscape", path("o.htm"), "--from", source(), "--folder", "links\\Tools" },
        { "netscape", path("o.htm"), "--from", source(), "--range", "3", "--folder", "links\\Tools" },
        { "bdx", path("o.bdx"), "--from", source(), "--range", "1" },
        { "bdx", path("o.bdx"), "--from", source(), "--folder", "links\\Tools" },
        { "url", path("o"), "--from", source(), "--range", "2" },
        { "firefox", path("o"), "--from", source() },
        { "chromium", path("o"), "--from", source() },
        { "nosuch", path("o"), "--from", source() },
    };
    for (const auto& args : cases) {
        SCOPED_TRACE(args[0] + " " + args.back());
        EXPECT_EQ(run(runExport, args), 2);
        EXPECT_EQ(std::count(err.begin(), err.end(), '\n'), 1) << err;
    }
    EXPECT_NE(err.find("nosuch"), std::string::npos);
    EXPECT_EQ(run(runExport, cases[0]), 2);
    EXPECT_NE(err.find("Selected Items"), std::string::npos) << err;
    EXPECT_FALSE(fs::exists(path("o.htm")) || fs::exists(path("o.bdx")) || fs::exists(path("o")));
}

TEST_F(BdxtoolFormatsTest, BadFilesAndPathsFailWithOneLineAndChangeNothing)
{
    write("notes.txt", "<DT><A HREF=\"http://x/\">x</A>\n");
    write("list.htm", "<DT><A HREF=\"http://x/\">x</A>\n");
    write("list.hot", "Hotlist\n");
    write("link.txt", "[InternetShortcut]\nURL=http://x/\n");
    write("cut.htm", "<DL><p>\n<DT><H3>Open</H3>\n<DL><p>\n<DT><A HREF=\"http://x/\">x</A>\n");
    write("short.url", "[InternetShortcut]\n");
    fs::create_directories(dir / "profile/Default");
    write("profile/Default/Bookmarks", "{\"roots\": {\"other\": {\"children\": [{\"type\": \"url\",");
    const std::string target = path("target.bdx");
    fs::copy_file(source(), target);
    const std::string before = read(target);

    struct Case
    {
        std::vector<std::string> args;
        std::string message;  // part of the one line on standard error
    };
    const std::vector<Case> imports = {
        { { "netscape", path("notes.txt") }, "Invalid File Format. Must be *.HTM or *.HTML" },
        { { "html", path("notes.txt") }, "Invalid File Format. Must be *.HTM or *.HTML" },
        { { "mosaic", path("list.htm") }, "Invalid File Format. Must be *.HOT" },
        { { "spry", path("notes.txt") }, "Invalid File Format. Must be *.HOT" },
        { { "spyglass", path("list.hot") }, "Invalid File Format. Must be *.HTM" },
        { { "url", path("link.txt") }, "Invalid File Format. Must be *.URL" },
        { { "netscape", path("missing.htm") }, "no such file" },
        { { "netscape", dir.string() }, "not a regular file" },
        // A good file first: a later failure still saves nothing.
        { { "netscape", path("list.htm"), path("cut.htm") }, "cut.htm" },
        { { "url", path("short.url") }, "short.url" },
        { { "firefox", path("nowhere") }, "nowhere: no such file or folder" },
        { { "firefox", path("profile") }, "no Firefox bookmarks in this folder (it holds no places.sqlite)" },
        { { "chromium", path("profile") }, "not a Chromium bookmarks file: the JSON is malformed" },
    };
    for (const Case& c : imports) {
        SCOPED_TRACE(c.args[0] + " " + c.args.back());
        for (const std::string& db : { target, path("new.bdx") }) {
            std::vector<std::string> args = c.args;
            args.insert(args.end(), { "--into", db });
            EXPECT_EQ(run(runImport, args), 1);
            EXPECT_EQ(std::count(err.begin(), err.end(), '\n'), 1) << err;
            EXPECT_NE(err.find(c.message), std::string::npos) << err;
        }
        EXPECT_EQ(read(target), before);
        EXPECT_FALSE(fs::exists(path("new.bdx")));
    }

    write("plain", "x");
    const std::vector<Case> exports = {
        { { "netscape", path("nodir/o.htm"), "--from", source() }, "o.htm" },
        { { "bdx", path("nodir/o.bdx"), "--from", source() }, "o.bdx" },
        { { "url", path("plain"), "--from", source() }, "plain" },
        { { "url", path("nodir/deeper"), "--from", source() }, "deeper" },
        { { "url", path("empty"), "--from", source(), "--folder", "links\\Empty" }, "no links" },
        { { "spry", path("o.hot"), "--from", source(), "--range", "2", "--folder", "links\\Nope" }, "links\\Nope" },
        { { "spry", path("o.hot"), "--from", path("missing.bdx") }, "missing.bdx" },
    };
    for (const Case& c : exports) {
        SCOPED_TRACE(c.args[0] + " " + c.args[1]);
        EXPECT_EQ(run(runExport, c.args), 1);
        EXPECT_EQ(std::count(err.begin(), err.end(), '\n'), 1) << err;
        EXPECT_NE(err.find(c.message), std::string::npos) << err;
    }
    EXPECT_FALSE(fs::exists(path("nodir")) || fs::exists(path("empty")) || fs::exists(path("o.hot")));
    EXPECT_EQ(read(path("plain")), "x");
}

}  // namespace
}  // namespace brindlex::bdxtool
