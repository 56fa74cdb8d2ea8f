#include "formats/MosaicHotlist.h"

#include <gtest/gtest.h>

#include <sstream>

#include "fakes/FailingStreamBuf.h"
#include "fakes/StoreHelpers.h"
#include "formats/FormatsTestSupport.h"

namespace brindlex::test {
namespace {

class MosaicHotlistTest : public ::testing::Test
{
protected:
    Status read(const std::string& text) { return read(text, w.store.Root()); }
    Status read(const std::string& text, Folder& target)
    {
        std::istringstream in(text);
        return ImportMosaicHotlist(in, w.store, target, w.context);
    }
    std::string write(ExportRange range, const std::vector<ListRow>& rows = {})
    {
        std::ostringstream out;
        EXPECT_TRUE(ExportMosaicHotlist(out, "hot", range, w.store, rows).ok());
        return out.str();
    }

    FormatsWorld w;
};

TEST_F(MosaicHotlistTest, TopLevelItemsGoIntoTheTargetAndMenusBecomeFolders)
{
    Folder& target = w.addFolder(w.store.Root(), "Target");
    ASSERT_TRUE(read(
        crlf({ "[User Menu0]", "Menu_Name=Mine", "Menu_Type=TOPLEVEL", "Item0=MENU,UserMenu1",
            "Item1=Home,http://home/,10-Oct-95 10:10:10", "Item2=Cut, here,http://cut/,x", "", "[User Menu1]",
            "Menu_Name=News", "Item0=Paper,http://paper/,10-Oct-95 10:10:10", "", "[User Menu2]", "Menu_Name=Empty", "",
            "[User Menu3]", "Menu_Name=Unnamed", "Item0=Orphan,http://orphan/,1-Jan-96 1:00:00" }),
        target)
                    .ok());
    // A name is cut at its first comma (the rest is taken for the URL); a menu no submenu
    // item names, and a menu without items, still become folders (under the root).
    EXPECT_EQ(describe(w.store),
        "Target/\nEmpty/\nUnnamed/\n"
        "Target\\News/\nTarget|Home|http://home/\nTarget|Cut|here\n"
        "Target\\News|Paper|http://paper/\n"
        "Unnamed|Orphan|http://orphan/\n");
    const Folder* news = w.store.FindFolder(target.FolderItems.at(0)->IID);
    ASSERT_NE(news, nullptr);
    EXPECT_EQ(news->parent, target.id);
    EXPECT_EQ(news->Path, "UserMenu1");
    EXPECT_EQ(target.Path, "TOPLEVEL");
    EXPECT_TRUE(target.FolderItems.at(0)->IsFolder);
    EXPECT_EQ(target.FolderItems.at(0)->Caption, "News");
    EXPECT_EQ(w.store.Root().SubFolders.size(), 4u);  // Target, News, Empty, Unnamed: one each
    expectInvariants(w.store);
}

TEST_F(MosaicHotlistTest, SubmenusThatNameEachOtherCannotLoop)
{
    ASSERT_TRUE(read(crlf({ "[User Menu0]", "Menu_Name=Top", "Menu_Type=TOPLEVEL", "", "[User Menu1]", "Menu_Name=A",
                         "Item0=MENU,UserMenu2", "Item1=MENU,UserMenu1", "", "[User Menu2]", "Menu_Name=B",
                         "Item0=MENU,UserMenu1" }))
                    .ok());
    // A is named by nobody it is not inside of, so it goes under the root; B goes into A;
    // the items that would put a menu inside itself stay unplaced.
    EXPECT_EQ(describe(w.store), "A/\nA\\B/\nA\\UserMenu1/\nA\\B\\UserMenu1/\n");
    expectInvariants(w.store);
    std::ostringstream out;
    ASSERT_TRUE(ExportMosaicHotlist(out, "t", ExportRange::EntireDatabase, w.store, {}).ok());
}

TEST_F(MosaicHotlistTest, CutShortFilesFailAndKeepWhatWasRead)
{
    for (const std::string tail : { "Item1=MENU", "Item1=Name" }) {
        SCOPED_TRACE(tail);
        FormatsWorld world;
        std::istringstream in(
            crlf({ "[User Menu0]", "Menu_Name=T", "Menu_Type=TOPLEVEL", "Item0=Kept,http://k/,d" }) + tail);
        EXPECT_FALSE(ImportMosaicHotlist(in, world.store, world.store.Root(), world.context).ok());
        EXPECT_EQ(describe(world.store), "|Kept|http://k/\n");
    }
}

TEST_F(MosaicHotlistTest, SectionsAreNumberedDepthFirst)
{
    Folder& root = w.store.Root();
    Folder& a = w.addFolder(root, "A");
    w.addLink(root, "R,1", "http://r/");
    Folder& a1 = w.addFolder(a, "A1");
    w.addFolder(a1, "A11");
    w.addFolder(root, "B");
    w.addLink(a, "In A", "http://a/");
    EXPECT_EQ(write(ExportRange::EntireDatabase),
        crlf({ "[User Menu0]", "Menu_Name=NewDB", "Menu_Type=TOPLEVEL", "Item0=MENU,UserMenu1", "Item1=MENU,UserMenu4",
            "Item2=R1,http://r/,10-Oct-95 10:10:10", "", "[User Menu1]", "Menu_Name=A", "Item0=MENU,UserMenu2",
            "Item1=In A,http://a/,10-Oct-95 10:10:10", "", "[User Menu2]", "Menu_Name=A1", "Item0=MENU,UserMenu3", "",
            "[User Menu3]", "Menu_Name=A11", "", "[User Menu4]", "Menu_Name=B" }));
    // Commas are dropped from the written name only.
    EXPECT_EQ(root.FolderItems.at(1)->Caption, "R,1");

    w.store.SetCurrentFolder(a);
    EXPECT_EQ(write(ExportRange::FolderItemsAndSubFolders),
        crlf({ "[User Menu0]", "Menu_Name=A", "Menu_Type=TOPLEVEL", "Item0=MENU,UserMenu1",
            "Item1=In A,http://a/,10-Oct-95 10:10:10", "", "[User Menu1]", "Menu_Name=A1", "Item0=MENU,UserMenu2", "",
            "[User Menu2]", "Menu_Name=A11" }));
}

TEST_F(MosaicHotlistTest, RowRangesKeepRowPositionsAsItemNumbers)
{
    const std::vector<ListRow> rows = { linkRow("One", "http://1/", true), linkRow("Two", "http://2/", false),
        linkRow("Three", "http://3/", true), folderRow("F", true) };
    // The fake clock reads 12/7/96 3:04:05 PM; the written date drops its last three characters.
    EXPECT_EQ(write(ExportRange::SelectedItems, rows),
        crlf({ "[User Menu0]", "Menu_Name=hot", "Menu_Type=TOPLEVEL", "Item0=One,http://1/,12/7/96 3:04:05",
            "Item2=Three,http://3/,12/7/96 3:04:05" }));
    EXPECT_EQ(write(ExportRange::ImmediateFolderItems, rows),
        crlf({ "[User Menu0]", "Menu_Name=hot", "Menu_Type=TOPLEVEL", "Item0=One,http://1/,12/7/96 3:04:05",
            "Item1=Two,http://2/,12/7/96 3:04:05", "Item2=Three,http://3/,12/7/96 3:04:05" }));
}

TEST_F(MosaicHotlistTest, WrittenTreeReadsBack)
{
    Folder& root = w.store.Root();
    Folder& a = w.addFolder(root, "A");
    w.addLink(a, "Deep, with comma", "http://a/?x=1");
    w.addFolder(a, "Empty last");
    w.addFolder(root, "X,Y, and Z");
    w.addLink(root, "Top", "gopher://top/");
    const std::string file = write(ExportRange::EntireDatabase);
    // Only item lines lose their commas; a menu's name is written whole (it used to lose
    // them too) and is read whole.
    EXPECT_NE(file.find("\r\nMenu_Name=X,Y, and Z\r\n"), std::string::npos);

    FormatsWorld other;
    Folder& target = other.addFolder(other.store.Root(), "T");
    std::istringstream in(file);
    ASSERT_TRUE(ImportMosaicHotlist(in, other.store, target, other.context).ok());
    EXPECT_EQ(describe(other.store),
        "T/\nT\\A/\nT\\X,Y, and Z/\nT|Top|gopher://top/\nT\\A\\Empty last/\nT\\A|Deep with comma|http://a/?x=1\n");
    expectInvariants(other.store);
}

TEST_F(MosaicHotlistTest, WriteFailureIsReported)
{
    w.addLink(w.store.Root(), "L", "http://l/");
    FailingStreamBuf buffer(10);
    std::ostream out(&buffer);
    EXPECT_FALSE(ExportMosaicHotlist(out, "t", ExportRange::EntireDatabase, w.store, {}).ok());
}

}  // namespace
}  // namespace brindlex::test
