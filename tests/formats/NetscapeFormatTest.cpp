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

    ScopedTimeZone utc { "UTC0" };
    FormatsWorld w;
};

const std::string Header = crlf(
    { "<!DOCTYPE NETSCAPE-Bookmark-file-1>", "<META HTTP-EQUIV=\"Content-Type\" CONTENT=\"text/html; charset=UTF-8\">",
        "<!-- This is an automatically generated file.", "It will be read and overwritten.", "Do Not Edit! -->",
        "<TITLE>bookmark</TITLE>", "<H1>bookmark</H1>", "", "<DL><p>" });

// Entries made through the store carry the fake clock's day: 1996-12-07 00:00 UTC.
constexpr const char* Today = "849916800";

std::string link(int blanks, const std::string& url, const std::string& name, const std::string& date = Today)
{
    return std::string(static_cast<size_t>(blanks), ' ') + "<DT><A HREF=\"" + url + "\" ADD_DATE=\"" + date
        + "\" LAST_VISIT=\"0\" LAST_MODIFIED=\"0\">" + name + "</A>";
}

std::string heading(int blanks, const std::string& name, const std::string& date = Today)
{
    return std::string(static_cast<size_t>(blanks), ' ') + "<DT><H3 FOLDED ADD_DATE=\"" + date + "\">" + name + "</H3>";
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
        Header + crlf({ link(8, "http://1/", "One", "0"), link(8, "http://3/", "Three", "0"), "</DL><p>" }));
    EXPECT_EQ(write(ExportRange::SelectedItems, {}), Header + crlf({ "</DL><p>" }));
    // All link rows under a heading of the current folder (the root's made-up 1905 date is
    // before the first date the file can hold; rows without a date write 0).
    EXPECT_EQ(write(ExportRange::ImmediateFolderItems, rows),
        Header
            + crlf({ heading(4, "NewDB", "0"), "    <DL><p>", link(8, "http://1/", "One", "0"),
                link(8, "http://2/", "Two", "0"), link(8, "http://3/", "Three", "0"), "    </DL><p>", "</DL><p>" }));
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

TEST_F(NetscapeFormatTest, DatesAndDescriptionsTravelThroughTheFileBothWays)
{
    // Each zone in its own run: a zone with summer time must not shift a date either.
    for (const char* zone : { "UTC0", "CET-1CEST,M3.5.0,M10.5.0/3", "EST5EDT,M3.2.0,M11.1.0" }) {
        SCOPED_TRACE(zone);
        ScopedTimeZone tz(zone);
        FormatsWorld source;
        Folder& root = source.store.Root();
        source.addLink(root, "Top", "http://top.example/");
        Folder& a = source.addFolder(root, "Caf\xC3\xA9 & <Co>");
        source.addLink(
            a, "K\xC3\xA4se \xE2\x80\x93 \xE6\x97\xA5\xE6\x9C\xAC", "https://de.example/wiki/K%C3%A4se?a=1&b=2");
        Folder& deep = source.addFolder(a, "Deep");
        source.addLink(deep, "Bottom", "ftp://deep.example/");
        source.store.SetCurrentFolder(deep);
        source.store.CreateEntry(false, "http://undescribed/", 5, "Plain", "Http", "");
        source.store.SetCurrentFolder(root);
        // Dates with a time of day, one on a summer-time day; descriptions with markup,
        // quotes (kept as apostrophes by the store) and non-ASCII text.
        root.FolderItems[0]->MDate = { 2011, 3, 13, 7, 6, 40, true };
        root.FolderItems[0]->Description = "Tips & <tricks> for \"everyone\"";
        a.MDate = { 2017, 7, 14, 2, 40, 0, true };
        a.Description = "Folder \xC3\xBC\xC3\xA9 & more";
        a.FolderItems[0]->MDate = { 1999, 12, 31, 23, 59, 59, true };
        a.FolderItems[0]->Description = "\xE6\x97\xA5\xE6\x9C\xAC & 'single' \"double\"";
        deep.FolderItems[0]->Description = "a<b && c>d";
        const std::string before = describeDated(source.store);

        std::ostringstream out;
        ASSERT_TRUE(ExportNetscapeFile(out, "dated", ExportRange::EntireDatabase, source.store, {}).ok());
        const std::string file = out.str();
        EXPECT_NE(file.find("\r\n            <DD>Tips &amp; &lt;tricks&gt; for \"everyone\"\r\n"), std::string::npos)
            << file;
        EXPECT_NE(file.find("\r\n                    <DD>a&lt;b &amp;&amp; c&gt;d\r\n"), std::string::npos) << file;

        FormatsWorld back;
        std::istringstream in(file);
        ASSERT_TRUE(ImportNetscapeFile(in, back.store, back.context).ok());
        // Descriptions come back with the store's apostrophes, everything else unchanged.
        std::string expected = before;
        for (size_t q = expected.find('"'); q != std::string::npos; q = expected.find('"', q)) {
            expected[q] = '\'';
        }
        EXPECT_EQ(describeDated(back.store), expected);
        expectInvariants(back.store);
    }
}

TEST_F(NetscapeFormatTest, DescriptionsAreWrittenAsDDLinesAfterTheirEntry)
{
    Folder& a = w.addFolder(w.store.Root(), "A");
    a.Description = "About A";
    w.addLink(a, "In A", "http://a.example/");
    a.FolderItems.back()->Description = "About the link";
    a.FolderItems.back()->MDate = { 2023, 11, 14, 22, 13, 20, true };
    EXPECT_EQ(write(ExportRange::EntireDatabase),
        Header
            + crlf({ heading(12, "A"), "            <DD>About A", "            <DL><p>",
                link(16, "http://a.example/", "In A", "1700000000"), "                <DD>About the link",
                "            </DL><p>", "        </DL><p>" }));
    // The contents list's rows carry the date and description of their entry.
    ListRow row = linkRow("Row", "http://row/", true);
    row.MDate = { 2023, 11, 14, 22, 13, 20, true };
    row.Description = "From the row";
    EXPECT_EQ(write(ExportRange::SelectedItems, { row }),
        Header + crlf({ link(8, "http://row/", "Row", "1700000000"), "        <DD>From the row", "</DL><p>" }));
}

TEST_F(NetscapeFormatTest, DatesAndDescriptionsAsBrowsersWriteThem)
{
    struct Case
    {
        const char* what;
        std::vector<std::string> lines;
        std::string expected;
    };
    // Without a usable date an entry gets the clock's day, as when it is made by hand.
    const std::vector<Case> cases = {
        { "seconds, microseconds and milliseconds are told apart by size",
            { "<DL><p>", "<DT><A HREF=\"http://s/\" ADD_DATE=\"1700000000\">S</A>",
                "<DT><A HREF=\"http://u/\" ADD_DATE=\"1700000000123456\">U</A>",
                "<DT><A HREF=\"http://m/\" ADD_DATE=\"1700000000123\">M</A>", "</DL>" },
            "|S|http://s/|2023-11-14 22:13:20|\n|U|http://u/|2023-11-14 22:13:20|\n"
            "|M|http://m/|2023-11-14 22:13:20|\n" },
        { "zero, negative, overlong, garbage and missing dates are no date",
            { "<DL><p>", "<DT><A HREF=\"http://0/\" ADD_DATE=\"0\">Zero</A>",
                "<DT><A HREF=\"http://n/\" ADD_DATE=\"-5\">Neg</A>",
                "<DT><A HREF=\"http://l/\" ADD_DATE=\"99999999999999999999999\">Long</A>",
                "<DT><A HREF=\"http://g/\" ADD_DATE=\"soon\">Garbage</A>", "<DT><A HREF=\"http://x/\">None</A>",
                "</DL>" },
            "|Zero|http://0/|1996-12-07|\n|Neg|http://n/|1996-12-07|\n|Long|http://l/|1996-12-07|\n"
            "|Garbage|http://g/|1996-12-07|\n|None|http://x/|1996-12-07|\n" },
        { "other letter cases and unquoted values",
            { "<DL><p>", "<DT><A href=\"http://l/\" add_date=1700000000>Lower</A>",
                "<DT><A HREF=\"http://q/\" ADD_DATE='1700000000'>Single</A>",
                "<DT><A HREF=\"http://p/\" XADD_DATE=\"1700000000\">Prefixed</A>", "</DL>" },
            "|Lower|http://l/|2023-11-14 22:13:20|\n|Single|http://q/|2023-11-14 22:13:20|\n"
            "|Prefixed|http://p/|1996-12-07|\n" },
        { "a folder takes ADD_DATE, else LAST_MODIFIED",
            { "<DL><p>", "<DT><H3 ADD_DATE=\"1600000000\" LAST_MODIFIED=\"1700000000\">Both</H3>", "<DL><p>",
                "</DL><p>", "<DT><H3 LAST_MODIFIED=\"1700000000\">Modified</H3>", "<DL><p>", "</DL><p>",
                "<DT><H3 FOLDED ADD_DATE=\"0\">Undated</H3>", "<DL><p>", "</DL><p>", "</DL>" },
            "Both/|2020-09-13 12:26:40|\nModified/|2023-11-14 22:13:20|\nUndated/|1996-12-07|\n" },
        { "a description on the next line, decoded",
            { "<DL><p>", "<DT><A HREF=\"http://d/\">D</A>", "<DD>Tips &amp; &lt;tricks&gt; &quot;q&quot; &#233;",
                "</DL>" },
            "|D|http://d/|1996-12-07|Tips & <tricks> 'q' \xC3\xA9\n" },
        { "a description over several lines ends at the next entry, which is kept",
            { "<DL><p>", "<DT><A HREF=\"http://d/\">D</A>", "<DD>First line", "  second\tline  ", "",
                "<DT><A HREF=\"http://next/\">Next</A>", "</DL>" },
            "|D|http://d/|1996-12-07|First line second line\n|Next|http://next/|1996-12-07|\n" },
        { "a description on the anchor's own line, and one that ends a list",
            { "<DL><p>", "<DT><H3>F</H3>", "<DL><p>", "<DT><A HREF=\"http://i/\">I</A><DD>Inline",
                "<DD>Closing</DL><p>", "<DT><A HREF=\"http://after/\">After</A>", "</DL>" },
            "F/|1996-12-07|\n|After|http://after/|1996-12-07|\nF|I|http://i/|1996-12-07|Inline\n" },
        { "a folder's description stands between its heading and its list",
            { "<DL><p>", "<DT><H3>F</H3>", "<DD>About &amp; around", "F's list", "<DL><p>",
                "<DT><A HREF=\"http://in/\">In</A>", "</DL><p>", "</DL>" },
            "F/|1996-12-07|About & around F's list\nF|In|http://in/|1996-12-07|\n" },
        { "a folder's description that runs into its list line",
            { "<DL><p>", "<DT><H3>F</H3><DD>Start", "end<DL><p>", "</DL><p>", "</DL>" }, "F/|1996-12-07|Start end\n" },
        { "a description line not after an entry belongs to nothing",
            { "<DL><p>", "<DT><H3>F</H3>", "<DL><p>", "</DL><p>", "<DD>Stray", "<DT><A HREF=\"http://x/\">X</A>",
                "<HR>", "<DD>Late", "</DL>" },
            "F/|1996-12-07|\n|X|http://x/|1996-12-07|\n" },
        { "a description that runs to the end of the file", { "<DT><A HREF=\"http://e/\">E</A>", "<DD>To the", "end" },
            "|E|http://e/|1996-12-07|To the end\n" },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        FormatsWorld world;
        std::istringstream in(crlf(c.lines));
        const Status read = ImportNetscapeFile(in, world.store, world.context);
        ASSERT_TRUE(read.ok()) << read.error().message;
        EXPECT_EQ(describeDated(world.store), c.expected);
        expectInvariants(world.store);
    }
}

TEST_F(NetscapeFormatTest, RealExportsKeepTheirDatesAndDescriptions)
{
    struct Case
    {
        const char* file;
        std::string expected;
    };
    const std::vector<Case> cases = {
        { "netscape4.htm",
            "|Netscape|http://home.netscape.com/|1996-10-27 02:30:16|\nSearch/|1996-10-27 02:31:40|\n"
            "|Funet archive|ftp://ftp.funet.fi/pub/|1996-10-27 02:33:20|\n"
            "Search|AltaVista|http://www.altavista.digital.com/|1996-10-27 02:31:56|\n"
            "Search|Yahoo!|http://www.yahoo.com/|1996-10-27 02:31:57|\n" },
        { "firefox.htm",
            "Bookmarks Toolbar/|2023-11-14 22:13:20|Add bookmarks to this folder to see them displayed on the "
            "Bookmarks Toolbar\n"
            "Caf\xC3\xA9 & Co/|2023-11-14 22:16:40|\n"
            "|K\xC3\xA4se \xE2\x80\x93 Wikipedia|https://de.wikipedia.org/wiki/K%C3%A4se|2023-11-14 22:13:24|\n"
            "Bookmarks Toolbar|Get Firefox & more|https://www.mozilla.org/en-US/firefox/|2023-11-14 22:13:21|\n"
            "Bookmarks Toolbar|Search 'things' <here>|https://example.org/search?q=a&b=c|2023-11-14 22:13:22|A "
            "description of the search link\n"
            "Caf\xC3\xA9 & Co|News feed|https://news.example.com/|2023-11-14 22:13:23|\n" },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.file);
        FormatsWorld world;
        const std::string bytes = readDataFile(c.file);
        std::istringstream in(decodeText(bytes, declaredCharset(bytes)));
        ASSERT_TRUE(ImportNetscapeFile(in, world.store, world.context).ok());
        EXPECT_EQ(describeDated(world.store), c.expected);
    }
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
