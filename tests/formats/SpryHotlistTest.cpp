#include "formats/SpryHotlist.h"

#include <gtest/gtest.h>

#include <sstream>

#include "fakes/FailingStreamBuf.h"
#include "fakes/StoreHelpers.h"
#include "formats/FormatsTestSupport.h"

namespace brindlex::test {
namespace {

class SpryHotlistTest : public ::testing::Test
{
protected:
    // Root: link Top, folder A (link In A, folder A1 with link Deep), link Last.
    void buildSample()
    {
        Folder& root = w.store.Root();
        w.addLink(root, "Top", "http://top/");
        Folder& a = w.addFolder(root, "A");
        w.addLink(a, "In A", "http://a/");
        Folder& a1 = w.addFolder(a, "A1");
        w.addLink(a1, "Deep", "http://deep/");
        w.addLink(root, "Last", "http://last/");
    }
    Status readSpry(FormatsWorld& world, const std::string& text)
    {
        std::istringstream in(text);
        return ImportSpryHotlist(in, world.store, world.context);
    }
    Status readSpyglass(FormatsWorld& world, const std::string& text)
    {
        std::istringstream in(text);
        return ImportSpyglassHotlist(in, world.store, world.context);
    }
    template <typename Writer>
    std::string write(Writer writer, ExportRange range, const std::vector<ListRow>& rows = {})
    {
        std::ostringstream out;
        EXPECT_TRUE(writer(out, "list", range, w.store, rows).ok());
        return out.str();
    }

    FormatsWorld w;
};

TEST_F(SpryHotlistTest, SpryListsAreIndentedByDepth)
{
    buildSample();
    EXPECT_EQ(write(ExportSpryHotlist, ExportRange::EntireDatabase),
        crlf({ "Hotlist", "NewDB", "{", "  Item", "    Top", "    http://top/", "  Item", "    Last",
            "    http://last/", "  Sublist", "  A", "  {", "    Item", "      In A", "      http://a/", "    Sublist",
            "    A1", "    {", "      Item", "        Deep", "        http://deep/", "    }", "  }", "}" }));
    const std::vector<ListRow> rows
        = { linkRow("One", "http://1/", false), folderRow("F", true), linkRow("Two", "http://2/", true) };
    EXPECT_EQ(write(ExportSpryHotlist, ExportRange::SelectedItems, rows),
        crlf({ "Hotlist", "list", "{", "  Item", "    Two", "    http://2/", "}" }));
    EXPECT_EQ(write(ExportSpryHotlist, ExportRange::ImmediateFolderItems, rows),
        crlf({ "Hotlist", "list", "{", "  Item", "    One", "    http://1/", "  Item", "    Two", "    http://2/",
            "}" }));
}

TEST_F(SpryHotlistTest, SpryFileReadsBackIntoTheSameTree)
{
    buildSample();
    const std::string file = write(ExportSpryHotlist, ExportRange::EntireDatabase);
    FormatsWorld other;
    Folder& target = other.addFolder(other.store.Root(), "T");
    other.store.SetCurrentFolder(target);
    ASSERT_TRUE(readSpry(other, file).ok());
    EXPECT_EQ(&other.store.CurrentFolder(), &target);
    EXPECT_EQ(describe(other.store),
        "T/\nT|Top|http://top/\nT|Last|http://last/\nT\\A/\nT\\A|In "
        "A|http://a/\nT\\A\\A1/\nT\\A\\A1|Deep|http://deep/\n");
    EXPECT_EQ(other.progress.labels.front(), "Importing Spry Hotlist NewDB");
    expectInvariants(other.store);
}

TEST_F(SpryHotlistTest, SpryLineRules)
{
    struct Case
    {
        const char* what;
        std::vector<std::string> lines;
        std::string expected;
        bool ok;
    };
    const std::vector<Case> cases = {
        { "a missing final brace reads to the end", { "Hotlist", "H", "{", "  Item", "    A", "    http://a/" },
            "|A|http://a/\n", true },
        { "a sublist named with the word Item reads the lines after its list as an item",
            { "Hotlist", "H", "{", "  Sublist", "  Item box", "  {", "    Item", "      In", "      http://in/", "  }",
                "}" },
            "Item box/\nItem box|In|http://in/\n", false },
        { "a brace in a URL closes its list early",
            { "Hotlist", "H", "{", "  Item", "    A", "    http://a/}", "  Item", "    B", "    http://b/", "}" },
            "|A|http://a/}\n|B|http://b/\n", true },
        { "the end of the file inside an item fails", { "Hotlist", "H", "{", "  Item", "    A" }, "", false },
        { "the end of the file after a sublist heading fails", { "Hotlist", "H", "{", "  Sublist" }, "", false },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        FormatsWorld world;
        EXPECT_EQ(readSpry(world, crlf(c.lines)).ok(), c.ok);
        EXPECT_EQ(describe(world.store), c.expected);
        EXPECT_EQ(&world.store.CurrentFolder(), &world.store.Root());
    }
}

TEST_F(SpryHotlistTest, DeepSpryListsDoNotOverflow)
{
    std::string text = "Hotlist\nH\n{\n";
    for (int i = 0; i < 50000; ++i) {
        text += "Sublist\nS\n{\n";
    }
    text += "Item\nBottom\nhttp://b/\n";
    ASSERT_TRUE(readSpry(w, text).ok());
    EXPECT_EQ(w.store.Root().SubFolders.size(), 50000u);
    EXPECT_EQ(w.store.Root().SubFolders.back()->FolderItems.at(0)->Caption, "Bottom");
}

TEST_F(SpryHotlistTest, SpyglassFlattensTheTree)
{
    buildSample();
    w.addLink(w.store.Root(), "Tips & <b>", "http://x/?a=1&b=2");
    const std::string head = "<title>Hotlist</title>\r\n\r\n<h1>Hotlist Page</h1>\r\n";
    EXPECT_EQ(write(ExportSpyglassHotlist, ExportRange::EntireDatabase),
        head
            + crlf({ "<a href=\"http://top/\">Top</a><p>", "<a href=\"http://last/\">Last</a><p>",
                "<a href=\"http://x/?a=1&amp;b=2\">Tips &amp; &lt;b&gt;</a><p>", "<a href=\"http://a/\">In A</a><p>",
                "<a href=\"http://deep/\">Deep</a><p>" }));
    EXPECT_EQ(write(ExportSpyglassHotlist, ExportRange::SelectedItems, { linkRow("N", "http://n/", false) }), head);

    FormatsWorld other;
    ASSERT_TRUE(readSpyglass(other, write(ExportSpyglassHotlist, ExportRange::EntireDatabase)).ok());
    EXPECT_EQ(describe(other.store),
        "|Top|http://top/\n|Last|http://last/\n|Tips & <b>|http://x/?a=1&b=2\n|In A|http://a/\n|Deep|http://deep/\n");

    // A folder made inside a subfolder after the tree was linked is still below the top.
    Folder& b = w.addFolder(w.store.Root(), "B");
    w.addLink(w.addFolder(w.addFolder(b, "B1"), "B2"), "In B2", "http://b2/");
    w.store.SetCurrentFolder(b);
    EXPECT_EQ(write(ExportSpyglassHotlist, ExportRange::FolderItemsAndSubFolders),
        head + crlf({ "<a href=\"http://b2/\">In B2</a><p>" }));
}

TEST_F(SpryHotlistTest, SpyglassAnchorRules)
{
    ASSERT_TRUE(readSpyglass(w,
        crlf({ "<TITLE>Spyglass Hotlist</TITLE>", "<A HREF=\"http://one/\">One</A> and <a href=\"http://two/\">Two</a>",
            "<a href='http://single/'>Single</a> <a href=\"http://after/\">After</a>" }))
                    .ok());
    // An address in single quotes is not read: the next double-quoted address is taken
    // instead, so the single-quoted link is lost.
    EXPECT_EQ(describe(w.store), "|One|http://one/\n|Two|http://two/\n|After|http://after/\n");
    EXPECT_EQ(w.progress.labels.front(), "Creating Folder Spyglass Hotlist");

    for (const std::string broken : { "<a href=\"http://open/>x</a>", "<a href=\"http://x/\">No end" }) {
        FormatsWorld world;
        EXPECT_FALSE(readSpyglass(world, "<a href=\"http://kept/\">Kept</a>\r\n" + broken + "\r\n").ok());
        EXPECT_EQ(describe(world.store), "|Kept|http://kept/\n");
    }
}

TEST_F(SpryHotlistTest, WriteFailuresAreReported)
{
    buildSample();
    FailingStreamBuf a(20);
    std::ostream outA(&a);
    EXPECT_FALSE(ExportSpryHotlist(outA, "t", ExportRange::EntireDatabase, w.store, {}).ok());
    FailingStreamBuf b(20);
    std::ostream outB(&b);
    EXPECT_FALSE(ExportSpyglassHotlist(outB, "t", ExportRange::EntireDatabase, w.store, {}).ok());
}

}  // namespace
}  // namespace brindlex::test
