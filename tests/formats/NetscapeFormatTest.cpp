#include "formats/NetscapeFormat.h"

#include <gtest/gtest.h>

#include <set>
#include <sstream>

#include "fakes/FailingStreamBuf.h"
#include "fakes/StoreHelpers.h"
#include "formats/FormatsTestSupport.h"
#include "store/TextEncoding.h"

namespace brindlex::test {
namespace {

class NetscapeFormatTest : public ::testing::Test
{
protected:
    Status read(const std::string& text)
    {
        std::istringstream in(text);
        return ImportNetscapeFile(in, w.store, w.context);
    }
    std::string write(ExportRange range, const std::vector<ListRow>& rows = {}, const std::string& title = "bookmark")
    {
        std::ostringstream out;
        const Status written = ExportNetscapeFile(out, title, range, w.store, rows);
        EXPECT_TRUE(written.ok());
        return out.str();
    }
    // Root -> link "Top", folder A (link "In A", folder A1 with link "Deep"), then link "Last".
    void buildSample()
    {
        Folder& root = w.store.Root();
        w.addLink(root, "Top", "http://top.example/");
        Folder& a = w.addFolder(root, "A");
        w.addLink(a, "In A", "http://a.example/");
        Folder& a1 = w.addFolder(a, "A1");
        w.addLink(a1, "Deep", "ftp://deep.example/");
        w.addLink(root, "Last", "http://last.example/");
    }

    FormatsWorld w;
};

const std::string Header = crlf({ "<!DOCTYPE NETSCAPE-Bookmark-file-1>",
    "<!-- This is an automatically generated file.", "It will be read and overwritten.", "Do Not Edit! -->",
    "<TITLE>bookmark</TITLE>", "<H1>bookmark</H1>", "", "<DL><p>" });

std::string link(int blanks, const std::string& url, const std::string& name)
{
    return std::string(static_cast<size_t>(blanks), ' ') + "<DT><A HREF=\"" + url
        + "\" ADD_DATE=\"0\" LAST_VISIT=\"0\" LAST_MODIFIED=\"0\">" + name + "</A>";
}

std::string heading(int blanks, const std::string& name)
{
    return std::string(static_cast<size_t>(blanks), ' ') + "<DT><H3 FOLDED ADD_DATE=\"0\">" + name + "</H3>";
}

TEST_F(NetscapeFormatTest, EntireDatabaseIsWrittenByteForByte)
{
    buildSample();
    // Links come before subfolders within each folder, whatever the entry order.
    EXPECT_EQ(write(ExportRange::EntireDatabase),
        Header
            + crlf({ link(12, "http://top.example/", "Top"), link(12, "http://last.example/", "Last"), heading(12, "A"),
                "            <DL><p>", link(16, "http://a.example/", "In A"), heading(16, "A1"),
                "                <DL><p>", link(20, "ftp://deep.example/", "Deep"), "                </DL><p>",
                "            </DL><p>", "        </DL><p>" }));
}

TEST_F(NetscapeFormatTest, EveryRangeHasItsIndentationAndClosingLines)
{
    const std::vector<ListRow> rows = { linkRow("One", "http://1/", true), folderRow("Sub", true),
        linkRow("Two", "http://2/", false), linkRow("Three", "http://3/", true) };
    // Empty database, entire range: only the root's closing line.
    EXPECT_EQ(write(ExportRange::EntireDatabase), Header + crlf({ "        </DL><p>" }));
    // Selected link rows only; folder rows never.
    EXPECT_EQ(write(ExportRange::SelectedItems, rows),
        Header + crlf({ link(8, "http://1/", "One"), link(8, "http://3/", "Three"), "</DL><p>" }));
    EXPECT_EQ(write(ExportRange::SelectedItems, {}), Header + crlf({ "</DL><p>" }));
    // All link rows under a heading of the current folder.
    EXPECT_EQ(write(ExportRange::ImmediateFolderItems, rows),
        Header
            + crlf({ heading(4, "NewDB"), "    <DL><p>", link(8, "http://1/", "One"), link(8, "http://2/", "Two"),
                link(8, "http://3/", "Three"), "    </DL><p>", "</DL><p>" }));
    // Folder range on the root ends with the root's own closing line only...
    EXPECT_EQ(write(ExportRange::FolderItemsAndSubFolders), Header + crlf({ "    </DL><p>" }));
    // ...and on another folder with the folder's closing line and an unindented one.
    Folder& news = w.addFolder(w.store.Root(), "News");
    w.addLink(news, "Paper", "http://paper/");
    w.store.SetCurrentFolder(news);
    EXPECT_EQ(write(ExportRange::FolderItemsAndSubFolders),
        Header
            + crlf(
                { heading(4, "News"), "    <DL><p>", link(8, "http://paper/", "Paper"), "    </DL><p>", "</DL><p>" }));
}

TEST_F(NetscapeFormatTest, WrittenFileReadsBackBelowTheCurrentFolder)
{
    buildSample();
    const std::string file = write(ExportRange::EntireDatabase);
    const std::string before = describe(w.store);

    FormatsWorld other;
    Folder& target = other.addFolder(other.store.Root(), "Target");
    other.store.SetCurrentFolder(target);
    std::istringstream in(file);
    ASSERT_TRUE(ImportNetscapeFile(in, other.store, other.context).ok());
    EXPECT_EQ(&other.store.CurrentFolder(), &target);
    EXPECT_EQ(describe(other.store),
        "Target/\n"
        "Target|Top|http://top.example/\n"
        "Target|Last|http://last.example/\n"
        "Target\\A/\n"
        "Target\\A|In A|http://a.example/\n"
        "Target\\A\\A1/\n"
        "Target\\A\\A1|Deep|ftp://deep.example/\n");
    expectInvariants(other.store);
    EXPECT_EQ(describe(w.store), before);  // exporting changed nothing
}

TEST_F(NetscapeFormatTest, MarkupInNamesAndUrlsSurvivesTheRoundTrip)
{
    w.addLink(w.store.Root(), "<b>Tips & 'tricks'</b>", "http://x.example/?a=1&b=\"2\"");
    const std::string file = write(ExportRange::EntireDatabase);
    EXPECT_NE(file.find(">&lt;b&gt;Tips &amp; 'tricks'&lt;/b&gt;</A>"), std::string::npos);
    EXPECT_NE(file.find("HREF=\"http://x.example/?a=1&amp;b='2'\""), std::string::npos);

    FormatsWorld other;
    std::istringstream in(file);
    ASSERT_TRUE(ImportNetscapeFile(in, other.store, other.context).ok());
    EXPECT_EQ(describe(other.store), describe(w.store));
}

TEST_F(NetscapeFormatTest, LineRulesOfTheReader)
{
    struct Case
    {
        const char* what;
        std::vector<std::string> lines;
        std::string expected;
    };
    const std::vector<Case> cases = {
        { "lower-case tags are ignored", { "<dl><p>", "<dt><a href=\"http://low/\">Low</a>", "</dl><p>" }, "" },
        { "without HREF the first quoted value is the URL",
            { "<DL><p>", "<DT><A NAME=\"first\" TARGET=\"x\">Named</A>", "</DL><p>" }, "|Named|first\n" },
        { "HREF wins wherever it stands",
            { "<DL><p>", "<DT><A ID=\"7\" FEEDURL=\"http://feed/\" href=\"http://page/\">Feed</A>", "</DL>" },
            "|Feed|http://page/\n" },
        { "a name is cut at the first closing tag",
            { "<DL><p>", "<DT><A HREF=\"http://n/\">Bold <b>part</b></A>", "</DL>" }, "|Bold <b>part|http://n/\n" },
        { "the outermost closing list ends the read",
            { "<DL><p>", "<DT><A HREF=\"http://1/\">One</A>", "</DL><p>", "<DT><A HREF=\"http://2/\">Two</A>" },
            "|One|http://1/\n" },
        { "the list-opening line after a heading is consumed",
            { "<DL><p>", "<DT><H3 FOLDED ADD_DATE=\"0\">News</H3>", "<DL><p><DT><A HREF=\"http://lost/\">Lost</A>",
                "<DT><A HREF=\"http://kept/\">Kept</A>", "</DL><p>", "</DL><p>" },
            "News/\nNews|Kept|http://kept/\n" },
        { "a heading followed by an entry is an empty folder and the entry is kept",
            { "<DL><p>", "<DT><H3>Empty</H3>", "<DT><A HREF=\"http://after/\">After</A>", "</DL><p>" },
            "Empty/\n|After|http://after/\n" },
        { "a heading followed by the closing list is an empty folder",
            { "<DL><p>", "<DT><H3>Outer</H3>", "<DL><p>", "<DT><H3>Inner</H3>", "</DL><p>",
                "<DT><A HREF=\"http://top/\">Top</A>", "</DL><p>" },
            "Outer/\n|Top|http://top/\nOuter\\Inner/\n" },
        { "description lines before the list are skipped",
            { "<DL><p>", "<DT><H3>Described</H3>", "<DD>Some words", "<DL><p>", "<DT><A HREF=\"http://in/\">In</A>",
                "</DL><p>", "</DL><p>" },
            "Described/\nDescribed|In|http://in/\n" },
        { "LF line ends read like CR LF", { "<DL><p>\n<DT><A HREF=\"http://lf/\">LF</A>\n</DL>" }, "|LF|http://lf/\n" },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        FormatsWorld world;
        std::string text;
        for (const auto& line : c.lines) {
            text += line + "\r\n";
        }
        std::istringstream in(text);
        ASSERT_TRUE(ImportNetscapeFile(in, world.store, world.context).ok());
        EXPECT_EQ(describe(world.store), c.expected);
        expectInvariants(world.store);
    }
}

TEST_F(NetscapeFormatTest, MalformedFilesFailAndKeepWhatWasAdded)
{
    const std::string before = "<DL><p>\r\n<DT><A HREF=\"http://ok/\">Ok</A>\r\n";
    const std::vector<std::string> tails = {
        "<TITLE>No end\r\n",
        "<DT><A HREF=http://unquoted>Bad</A>\r\n",
        "<DT><A HREF=\"http://x/\">No close\r\n",
        "<DT><H3>No close\r\n",
        "<DT><H3>Cut</H3>\r\n<DL><p>\r\n<DT><A HREF=\"http://in/\">In</A>\r\n",
    };
    for (const std::string& tail : tails) {
        SCOPED_TRACE(tail);
        FormatsWorld world;
        Folder& target = world.addFolder(world.store.Root(), "T");
        world.store.SetCurrentFolder(target);
        std::istringstream in(before + tail);
        const Status read = ImportNetscapeFile(in, world.store, world.context);
        EXPECT_FALSE(read.ok());
        EXPECT_EQ(&world.store.CurrentFolder(), &target);
        EXPECT_NE(describe(world.store).find("T|Ok|http://ok/\n"), std::string::npos);
        expectInvariants(world.store);
    }
}

TEST_F(NetscapeFormatTest, ProgressFollowsEachLine)
{
    ASSERT_TRUE(read(crlf({ "<TITLE>Mine</TITLE>", "<DL><p>", "<DT><H3>F</H3>", "<DL><p>",
                         "<DT><A HREF=\"http://u/\">U</A>", "</DL><p>", "</DL><p>" }))
                    .ok());
    EXPECT_EQ(w.progress.values, (std::vector<int> { 33, 66, 99, 25, 50, 75, 100, 25, 50, 75, 100 }));
    EXPECT_EQ(
        w.progress.labels, (std::vector<std::string> { "Importing Mine", "Creating subfolder F", "Importing URL U" }));
    EXPECT_EQ(w.events.calls, 3);
}

TEST_F(NetscapeFormatTest, TodaysBrowserExportsImportWhole)
{
    struct Case
    {
        const char* file;
        std::string expected;
    };
    const std::vector<Case> cases = {
        { "netscape4.htm",
            "|Netscape|http://home.netscape.com/\nSearch/\n|Funet archive|ftp://ftp.funet.fi/pub/\n"
            "Search|AltaVista|http://www.altavista.digital.com/\nSearch|Yahoo!|http://www.yahoo.com/\n" },
        { "firefox.htm",
            "Bookmarks Toolbar/\nCaf\xC3\xA9 & Co/\n|K\xC3\xA4se \xE2\x80\x93 "
            "Wikipedia|https://de.wikipedia.org/wiki/K%C3%A4se\n"
            "Bookmarks Toolbar|Get Firefox & more|https://www.mozilla.org/en-US/firefox/\n"
            "Bookmarks Toolbar|Search 'things' <here>|https://example.org/search?q=a&b=c\n"
            "Caf\xC3\xA9 & Co|News feed|https://news.example.com/\n" },
        { "chrome.htm",
            "Bookmarks bar/\nOther bookmarks/\nBookmarks bar|Chromium|https://www.chromium.org/\nBookmarks "
            "bar\\Tools/\n"
            "Bookmarks bar\\Tools|DevTools|https://developer.chrome.com/docs/devtools/\n" },
        { "edge.htm",
            "Favorites bar/\nOther favorites/\nFavorites bar|Chromium|https://www.chromium.org/\nFavorites "
            "bar\\Tools/\n"
            "Favorites bar\\Tools|DevTools|https://developer.chrome.com/docs/devtools/\n" },
        { "safari.htm",
            "Favourites/\nReading List/\nFavourites|Apple|https://www.apple.com/\n"
            "Favourites|iCloud|https://www.icloud.com/\nReading List|WebKit blog|https://webkit.org/blog/\n" },
        { "icab.htm",
            "Empty/\n|iCab|http://www.icab.de/\nLater/\nProjects/\nProjects|Gr\xC3\xB6n|http://www.example.de/\n"
            "Projects\\Nothing/\n" },
        { "iexplore.htm",
            "Links/\n|MSN.com|http://www.msn.com/\n"
            "Links|Free Hotmail|http://www.microsoft.com/isapi/redir.dll?prd=ie&pver=6&ar=CLinks\n" },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.file);
        FormatsWorld world;
        const std::string bytes = readDataFile(c.file);
        ASSERT_FALSE(bytes.empty());
        std::istringstream in(decodeText(bytes, declaredCharset(bytes)));
        const Status read = ImportNetscapeFile(in, world.store, world.context);
        ASSERT_TRUE(read.ok()) << read.error().message;
        EXPECT_EQ(describe(world.store), c.expected);
        expectInvariants(world.store);
    }
}

TEST_F(NetscapeFormatTest, HundredThousandNestedFoldersNeitherOverflowNorLoop)
{
    constexpr int Depth = 100000;
    std::string text = "<DL><p>\n";
    for (int i = 0; i < Depth; ++i) {
        text += "<DT><H3>F</H3>\n<DL><p>\n";
    }
    text += "<DT><A HREF=\"http://bottom/\">Bottom</A>\n";
    for (int i = 0; i <= Depth; ++i) {
        text += "</DL><p>\n";
    }
    ASSERT_TRUE(read(text).ok());
    EXPECT_EQ(w.store.Root().SubFolders.size(), static_cast<size_t>(Depth));
    EXPECT_EQ(w.store.Root().SubFolders.back()->FolderItems.at(0)->Caption, "Bottom");
}

TEST_F(NetscapeFormatTest, DeepTreesAndEntriesPointingUpAreWrittenOnce)
{
    Folder* f = &w.store.Root();
    for (int i = 0; i < 1000; ++i) {
        f = &w.addFolder(*f, "F");
    }
    w.addLink(*f, "Bottom", "http://bottom/");
    // An entry that points back at the top folder must not make the writer loop.
    w.store.SetCurrentFolder(*f);
    w.store.AddLoadedItem("Loop", "", true, w.store.Root().SubFolders.front()->id, 6, {}, "Folder", "", "", "");
    const std::string file = write(ExportRange::EntireDatabase);
    EXPECT_NE(file.find("<DT><A HREF=\"http://bottom/\""), std::string::npos);
    size_t headings = 0;
    for (size_t at = file.find("<DT><H3"); at != std::string::npos; at = file.find("<DT><H3", at + 1)) {
        ++headings;
    }
    EXPECT_EQ(headings, 1000u);
}

TEST_F(NetscapeFormatTest, TenThousandLinksInOneSecondGetDistinctIds)
{
    std::string text = "<DL><p>\n";
    for (int i = 0; i < 10000; ++i) {
        text += "<DT><A HREF=\"http://e/" + std::to_string(i) + "\">L</A>\n";
    }
    ASSERT_TRUE(read(text + "</DL>\n").ok());  // the fake clock never moves
    std::set<std::string> ids;
    for (const auto& item : w.store.Root().FolderItems) {
        ids.insert(item->IID);
    }
    EXPECT_EQ(ids.size(), 10000u);
}

TEST_F(NetscapeFormatTest, WriteFailureIsReported)
{
    buildSample();
    FailingStreamBuf buffer(100);
    std::ostream out(&buffer);
    EXPECT_FALSE(ExportNetscapeFile(out, "t", ExportRange::EntireDatabase, w.store, {}).ok());
}

}  // namespace
}  // namespace brindlex::test
