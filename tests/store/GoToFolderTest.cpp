#include <gtest/gtest.h>

#include "fakes/FakePlatform.h"
#include "store/GoToHistory.h"
#include "store/LinkStore.h"

namespace brindlex {
namespace {

class GoToFolderTest : public ::testing::Test
{
protected:
    test::FakeClock clock;
    LinkStore store { clock };

    Folder& folder(const std::string& caption, const std::string& path)
    {
        Folder& f = *store.FindFolder(store.CreateEntry(true, "", 6, caption, "Folder", ""));
        f.Path = path;
        return f;
    }
};

TEST_F(GoToFolderTest, RootWordAndPathsMatchWithoutRegardToCase)
{
    Folder& news = folder("News", "Brindlexes\\News");
    store.SetCurrentFolder(news);
    Folder& deep = folder("Deep", "Brindlexes\\News\\Deep");
    folder("Deep", "Brindlexes\\News\\Deep");  // a second folder of the same path: the first wins

    EXPECT_EQ(goToFolderTarget(store, "BRINDLEXES"), &store.Root());
    EXPECT_EQ(goToFolderTarget(store, "brindlexes"), &store.Root());
    EXPECT_EQ(goToFolderTarget(store, "brindlexes\\NEWS"), &news);
    EXPECT_EQ(goToFolderTarget(store, "BrindleXes\\news\\deep"), &deep);
    EXPECT_EQ(goToFolderTarget(store, "Brindlexes\\Sport"), nullptr);
    EXPECT_EQ(goToFolderTarget(store, ""), nullptr);
    // Paths in other scripts used to match only in the letter case they were stored in.
    Folder& cyrillic = folder("\xD0\xA5\xD0\xB0\xD0\xB1\xD1\x80", "Brindlexes\\\xD0\xA5\xD0\xB0\xD0\xB1\xD1\x80");
    EXPECT_EQ(goToFolderTarget(store, "brindlexes\\\xD1\x85\xD0\xB0\xD0\xB1\xD1\x80"), &cyrillic);
    Folder& skoda = folder("\xC5\xA1koda", "Brindlexes\\\xC5\xA1koda");
    EXPECT_EQ(goToFolderTarget(store, "BRINDLEXES\\\xC5\xA0KODA"), &skoda);
    EXPECT_EQ(cannotFindText("Brindlexes\\Sport"),
        "Cannot find 'Brindlexes\\Sport'. Make sure path and filename are correct.");
}

TEST_F(GoToFolderTest, HistoryKeepsTenWithoutDuplicates)
{
    std::vector<std::string> rows { "a", "b" };
    GoToHistory::remember(rows, "c");
    EXPECT_EQ(rows, (std::vector<std::string> { "c", "a", "b" }));
    GoToHistory::remember(rows, "b");  // already held: stays where it is
    EXPECT_EQ(rows, (std::vector<std::string> { "c", "a", "b" }));
    GoToHistory::remember(rows, "B");  // the comparison is exact
    EXPECT_EQ(rows.front(), "B");

    for (int i = 0; i < 6; ++i) {
        GoToHistory::remember(rows, "p" + std::to_string(i));
    }
    ASSERT_EQ(rows.size(), 10U);
    EXPECT_EQ(rows.back(), "b");
    GoToHistory::remember(rows, "eleventh");
    ASSERT_EQ(rows.size(), 10U);
    EXPECT_EQ(rows.front(), "eleventh");
    EXPECT_EQ(rows.back(), "a");  // the oldest, "b", is gone
}

}  // namespace
}  // namespace brindlex
