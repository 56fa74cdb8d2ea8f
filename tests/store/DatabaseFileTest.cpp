#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>
#include <sys/stat.h>
#include <unistd.h>

#include "fakes/FakePlatform.h"
#include "fakes/StoreHelpers.h"
#include "store/DatabaseFile.h"
#include "store/FileAccess.h"
#include "store/Limits.h"
#include "store/LinkStore.h"
#include "store/TextRules.h"

namespace brindlex {
namespace {

std::string dataFile(const std::string& name)
{
    Result<std::string> bytes = readFileBytes(std::string(BRINDLEX_TEST_DATA) + "/db/" + name);
    EXPECT_TRUE(bytes.ok()) << name;
    return bytes.ok() ? bytes.value() : std::string();
}

class DatabaseFileTest : public ::testing::Test
{
protected:
    test::FakeWorld world;
    LinkStore store { world.clock };
    std::filesystem::path dir;

    void SetUp() override
    {
        dir = std::filesystem::temp_directory_path()
            / ("bdx-test-" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()) + "-"
                + ::testing::UnitTest::GetInstance()->current_test_info()->name());
        std::filesystem::remove_all(dir);
        std::filesystem::create_directories(dir);
    }
    void TearDown() override { std::filesystem::remove_all(dir); }

    Result<DatabaseLayout> read(const std::string& bytes, bool import = false)
    {
        std::istringstream in(bytes);
        return readDatabase(in, store, import);
    }
    std::string written()
    {
        std::ostringstream out;
        EXPECT_TRUE(writeDatabase(out, store).ok());
        return out.str();
    }
    std::string file(const std::string& name, const std::string& bytes)
    {
        const std::string path = (dir / name).string();
        std::ofstream(path, std::ios::binary) << bytes;
        return path;
    }
    DatabaseContext context() { return DatabaseContext { world.messages, world.events, dir.string() }; }
};

TEST_F(DatabaseFileTest, SmallExampleLoadsToItsModelAndWritesBackByteForByte)
{
    const std::string bytes = dataFile("small.bdx");
    const Result<DatabaseLayout> layout = read(bytes);
    ASSERT_TRUE(layout.ok()) << layout.error().message;
    EXPECT_EQ(layout.value(), DatabaseLayout::Current);
    EXPECT_EQ(test::describe(store), "|Start|file:C:\\PAGE.HTM\nTools/\n");

    const Folder& root = store.Root();
    EXPECT_EQ(root.Caption, "NewDB");
    EXPECT_EQ(root.MDate, (DateTime { 1905, 4, 10 }));
    ASSERT_EQ(root.FolderItems.size(), 2u);
    const FolderItem& start = *root.FolderItems[0];
    EXPECT_FALSE(start.IsFolder);
    EXPECT_EQ(start.IID, "12/7/96 3:04:05 PM1");
    EXPECT_EQ(start.Icon, 5);
    EXPECT_EQ(start.MDate, (DateTime { 1996, 12, 7 }));
    EXPECT_EQ(start.URLType, "File");
    EXPECT_EQ(start.Client, "None");
    EXPECT_TRUE(root.FolderItems[1]->IsFolder);
    ASSERT_EQ(root.SubFolders.size(), 1u);
    EXPECT_EQ(root.SubFolders[0]->id, "12/7/96 3:04:06 PM2");
    EXPECT_EQ(root.SubFolders[0]->parent, "RootFolder");
    EXPECT_EQ(&store.CurrentFolder(), &store.Root());
    test::expectInvariants(store);

    EXPECT_EQ(written(), bytes);
}

TEST_F(DatabaseFileTest, FreshDatabaseIsThreeLinesAndReadsBack)
{
    store.Root().Description = "mine";
    EXPECT_EQ(
        written(), "\"Version: 1.1\"\r\n\"NewDB\",\"RootFolder\",\"RootFolder\",#1905-04-10#,\"mine\",0,0\r\n\r\n");
    LinkStore other { world.clock };
    std::istringstream in(written());
    ASSERT_TRUE(readDatabase(in, other, false).ok());
    EXPECT_EQ(other.Root().Caption, "NewDB");
    EXPECT_EQ(other.Root().Description, "mine");
    EXPECT_TRUE(other.Root().FolderItems.empty());
}

TEST(ParseItemLineTest, FixedSeparators)
{
    struct Row
    {
        const char* line;
        const char* caption;
        const char* url;
        const char* description;
        const char* client;
        const char* cache;
    };
    const Row rows[] = {
        { R"("A","http://a/",#FALSE#,"id1",5,#1996-12-07#,"Http","d","NETSCAPE","c:\cache")", "A", "http://a/", "d",
            "NETSCAPE", "c:\\cache" },
        // nine fields: no Cache
        { R"("A","http://a/",#FALSE#,"id1",5,#1996-12-07#,"Http","d","None")", "A", "http://a/", "d", "None", "" },
        // separators always include a quote or a hash, so commas and hashes in text are kept
        { R"("a,b #1","http://a/?x=1,2#top",#FALSE#,"id1",5,#1996-12-07#,"Http","one, two,#3","None","")", "a,b #1",
            "http://a/?x=1,2#top", "one, two,#3", "None", "" },
        { R"("","",#FALSE#,"id1",5,#1996-12-07#,"","","","")", "", "", "", "", "" },
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.line);
        FolderItem item;
        ASSERT_TRUE(ParseItemLine(row.line, item).ok());
        EXPECT_EQ(item.Caption, row.caption);
        EXPECT_EQ(item.URL, row.url);
        EXPECT_EQ(item.IID, "id1");
        EXPECT_EQ(item.Icon, 5);
        EXPECT_EQ(item.Description, row.description);
        EXPECT_EQ(item.Client, row.client);
        EXPECT_EQ(item.Cache, row.cache);
    }
    const char* bad[] = {
        "",
        "\"",
        R"("A","http://a/",#MAYBE#,"id1",5,#1996-12-07#,"Http","d","None","")",
        R"("A","http://a/",#FALSE#,"id1",5,#1996-13-45#,"Http","d","None","")",
        R"("A","http://a/",#FALSE#,"id1",5,#1996-12-07#,"Http","d")",
        R"("A","http://a/",#FALSE#,"id1",5,#1996-12-07#,"Http","d","None)",
        R"("A","http://a/",#FALSE#,"id1")",
    };
    for (const char* line : bad) {
        SCOPED_TRACE(line);
        FolderItem item;
        EXPECT_FALSE(ParseItemLine(line, item).ok());
    }
}

TEST(ParseFolderLineTest, CountsAreReadLikeValAndAreNotLimitedTo16Bits)
{
    Folder root;
    ASSERT_TRUE(ParseFolderLine(R"("R","RootFolder","RootFolder",#1905-04-10#,"a, b",70000,123456)", root).ok());
    EXPECT_EQ(root.Description, "a, b");
    EXPECT_EQ(root.NumItems, 70000);
    EXPECT_EQ(root.NumFldrs, 123456);

    Folder folder;
    ASSERT_TRUE(ParseFolderLine(R"("F","f1","RootFolder",#1996-12-07 15:04:05#,"",  12x)", folder).ok());
    EXPECT_EQ(folder.MDate, (DateTime { 1996, 12, 7, 15, 4, 5, true }));
    EXPECT_EQ(folder.NumItems, 12);
    ASSERT_TRUE(ParseFolderLine(R"("F","f1","RootFolder",#1996-12-07#,"",abc)", folder).ok());
    EXPECT_EQ(folder.NumItems, 0);
    EXPECT_FALSE(ParseFolderLine(R"("F","f1","RootFolder",1996-12-07,"",0)", folder).ok());
    EXPECT_FALSE(ParseFolderLine(R"("F","f1")", folder).ok());
}

TEST_F(DatabaseFileTest, EveryKindOfTextSurvivesTheRoundTrip)
{
    const std::string url = "http://q/?a=\"b\"&c='d',e#f";  // a quote only reaches a URL from a %!% in a file
    store.AddLoadedItem("commas, and 'apostrophes'", url, false, "i1", 5, DateTime { 2001, 2, 3, 4, 5, 6, true },
        "Http", "Zürich, 東京 — \"quoted\"", "NETSCAPE", "cache,\"x\"");
    store.AddLoadedItem(
        "two\r\nlines\n\nhere", "http://x/\r\n", false, "i2", 5, DateTime {}, "Http", "desc\r\nmore", "None", "");
    const std::string id = store.CreateEntry(true, "", 6, "Ordner ä", "Folder", "");
    store.SetCurrentFolder(*store.FindFolder(id));
    store.AddLoadedItem("%!% literal", "news:%!%", false, "i3", 5, DateTime { 1999, 1, 1 }, "News", "", "None", "");

    const std::string bytes = written();
    EXPECT_EQ(bytes.find("\n\n"), std::string::npos);
    EXPECT_NE(bytes.find("\"http://q/?a=%!%b%!%&c='d',e#f\""), std::string::npos);
    // Saving cleans the model too: quotes in text become apostrophes, line breaks one blank.
    const FolderItem& first = *store.Root().FolderItems[0];
    EXPECT_EQ(first.URL, url);
    EXPECT_EQ(first.Description, "Zürich, 東京 — 'quoted'");
    EXPECT_EQ(store.Root().FolderItems[1]->Caption, "two lines here");
    EXPECT_EQ(store.Root().FolderItems[1]->URL, "http://x/ ");

    LinkStore other { world.clock };
    std::istringstream in(bytes);
    ASSERT_TRUE(readDatabase(in, other, false).ok());
    EXPECT_EQ(test::describe(other),
        "|commas, and 'apostrophes'|" + url
            + "\n|two lines here|http://x/ \n"
              "Ordner ä/\nOrdner ä|%!% literal|news:\"\n");
    const FolderItem& back = *other.Root().FolderItems[0];
    EXPECT_EQ(back.URL, url);
    EXPECT_EQ(back.Caption, first.Caption);
    EXPECT_EQ(back.Description, first.Description);
    EXPECT_EQ(back.MDate, first.MDate);
    EXPECT_EQ(back.Client, "NETSCAPE");
    EXPECT_EQ(back.Cache, "cache,'x'");
    EXPECT_TRUE(other.Root().FolderItems[1]->MDate.isNull());
    // A "%!%" that was literal text in a URL comes back as a quote, as the format has it.
    EXPECT_EQ(other.Root().SubFolders[0]->FolderItems[0]->URL, "news:\"");
    EXPECT_EQ(written(), bytes);
}

// Records are made two ways, in one piece when no field needs cleaning and field by field
// otherwise; both must give the same text for every icon number and date.
TEST_F(DatabaseFileTest, EntryRecordsAreTheSameHoweverTheyAreMade)
{
    const DateTime day { 2024, 3, 9 };
    const DateTime withTime { 2024, 3, 9, 7, 8, 9, true };
    const DateTime impossible { 2024, 13, 9 };
    struct Case
    {
        int icon;
        DateTime date;
        const char* caption;
        const char* record;
    };
    const Case cases[] = {
        { 0, day, "a", R"("a","u",#FALSE#,"id",0,#2024-03-09#,"Http","d","None","c")" },
        { 9, withTime, "a", R"("a","u",#FALSE#,"id",9,#2024-03-09 07:08:09#,"Http","d","None","c")" },
        { 10, day, "a", R"("a","u",#FALSE#,"id",10,#2024-03-09#,"Http","d","None","c")" },
        { 99, DateTime {}, "a", R"("a","u",#FALSE#,"id",99,#NULL#,"Http","d","None","c")" },
        { 100, day, "a", R"("a","u",#FALSE#,"id",100,#2024-03-09#,"Http","d","None","c")" },
        { -1, impossible, "a", R"("a","u",#FALSE#,"id",-1,#NULL#,"Http","d","None","c")" },
        { 123456, day, "a", R"("a","u",#FALSE#,"id",123456,#2024-03-09#,"Http","d","None","c")" },
        { 14, day, "say \"hi\"", R"("say 'hi'","u",#FALSE#,"id",14,#2024-03-09#,"Http","d","None","c")" },
    };
    for (const Case& c : cases) {
        store.NewDatabase(dir.string());
        store.AddLoadedItem(c.caption, "u", false, "id", c.icon, c.date, "Http", "d", "None", "c");
        const std::string bytes = written();
        const size_t start = bytes.find("\r\n", bytes.find("\r\n") + 2) + 2;
        EXPECT_EQ(bytes.substr(start, bytes.find("\r\n", start) - start), c.record) << c.icon;
    }
    store.NewDatabase(dir.string());
    store.AddLoadedItem("", "", true, "f", 0, day, "", "", "", "");
    EXPECT_NE(written().find("\r\n\"\",\"\",#TRUE#,\"f\",0,#2024-03-09#,\"\",\"\",\"\",\"\"\r\n"), std::string::npos);
}

TEST_F(DatabaseFileTest, OlderLayoutFileIsReadFieldByFieldAndLinked)
{
    const Result<DatabaseLayout> layout = read(dataFile("older.bdx"));
    ASSERT_TRUE(layout.ok()) << layout.error().message;
    EXPECT_EQ(layout.value(), DatabaseLayout::Older);
    EXPECT_EQ(test::describe(store),
        "News/\nNews|Times|http://www.nytimes.com/\nNews\\Local/\nNews\\Local|Café|http://cafe.example/\n");
    EXPECT_EQ(store.Root().Caption, "Old Links");
    EXPECT_EQ(store.Root().FolderItems[0]->Description, "Papers, daily");
    const Folder& news = *store.Root().SubFolders[0];
    EXPECT_EQ(news.FolderItems[0]->Description, "the “paper”");
    EXPECT_EQ(news.FolderItems[0]->Client, "None");
    ASSERT_EQ(news.SubFolders.size(), 1u);  // filled by LinkFolders
    EXPECT_EQ(news.SubFolders[0]->Caption, "Local");
    test::expectInvariants(store);
    EXPECT_EQ(written().substr(0, 16), "\"Version: 1.1\"\r\n");
}

TEST_F(DatabaseFileTest, LayoutIsTakenFromTheFirstField)
{
    EXPECT_EQ(detectLayout("\"Version: 1.1\"\r\n"), DatabaseLayout::Current);
    EXPECT_EQ(detectLayout("\"Version:2\"\n"), DatabaseLayout::Current);
    EXPECT_EQ(detectLayout("\"Version:\",\"RootFolder\""), DatabaseLayout::Older);
    EXPECT_EQ(detectLayout("\"NewDB\",\"RootFolder\""), DatabaseLayout::Older);
    // An older file whose root caption starts with "Version:" is taken for a current one.
    EXPECT_EQ(detectLayout("\"Version: mine\",\"RootFolder\",\"RootFolder\",#1996-01-01#,\"\",0,0\r\n"),
        DatabaseLayout::Current);
}

TEST_F(DatabaseFileTest, LineFeedOnlyFileLoadsLikeCrLf)
{
    std::string bytes = dataFile("small.bdx");
    std::erase(bytes, '\r');
    ASSERT_TRUE(read(bytes).ok());
    EXPECT_EQ(written(), dataFile("small.bdx"));
}

TEST_F(DatabaseFileTest, MalformedFilesFailAndLeaveTheStoreAlone)
{
    const std::string good = dataFile("small.bdx");
    std::vector<std::pair<std::string, std::string>> cases = {
        { "empty", "" },
        { "version only", "\"Version: 1.1\"\r\n" },
        { "binary", std::string("\x00\x01\xff\xfe\x80garbage\x00\"\",#", 15) },
        { "root with another id", "\"Version: 1.1\"\r\n\"R\",\"Other\",\"RootFolder\",#1905-04-10#,\"\",0,0\r\n\r\n" },
        { "too few root entries",
            "\"Version: 1.1\"\r\n\"R\",\"RootFolder\",\"RootFolder\",#1905-04-10#,\"\",1,0\r\n\r\n" },
        { "more folders than counted", good + "\"More\",\"m1\",\"RootFolder\",#1996-12-07#,\"\",0\r\n" },
        { "more root entries than counted",
            "\"Version: 1.1\"\r\n\"R\",\"RootFolder\",\"RootFolder\",#1905-04-10#,\"\",0,0\r\n"
            "\"Start\",\"file:x\",#FALSE#,\"i1\",5,#1996-12-07#,\"File\",\"\",\"None\",\"\"\r\n\r\n" },
        { "count far too large",
            "\"Version: 1.1\"\r\n\"R\",\"RootFolder\",\"RootFolder\",#1905-04-10#,\"\",0,"
            "99999999999999999999\r\n\r\n" },
        { "older entry with too few fields",
            "\"R\",\"RootFolder\",\"RootFolder\",#1905-04-10#,\"\",1,0\r\n\"A\",\"u\",#FALSE#,\"i\"\r\n\r\n" },
    };
    // Cut the good file at every line and in the middle of every line.
    for (size_t at = good.find('\n'); at != std::string::npos && at + 1 < good.size(); at = good.find('\n', at + 1)) {
        const size_t next = good.find('\n', at + 1);
        if (next != std::string::npos && next > at + 3) {
            cases.push_back({ "cut in line at " + std::to_string(at), good.substr(0, (at + next) / 2) });
        }
        if (at + 1 < good.size() - 2) {
            cases.push_back({ "cut after line at " + std::to_string(at), good.substr(0, at + 1) });
        }
    }
    for (const auto& [name, bytes] : cases) {
        SCOPED_TRACE(name);
        LinkStore fresh { world.clock };
        fresh.CreateEntry(false, "http://keep/", 5, "Keep", "Http", "");
        std::istringstream in(bytes);
        EXPECT_FALSE(readDatabase(in, fresh, false).ok());
        EXPECT_EQ(test::describe(fresh), "|Keep|http://keep/\n");
    }
}

TEST_F(DatabaseFileTest, HugeLineFailsWithoutQuadraticWork)
{
    std::string bytes = "\"Version: 1.1\"\r\n\"";
    bytes.append(8u << 20, 'x');
    bytes += "\",\"RootFolder\"";
    EXPECT_FALSE(read(bytes).ok());
    std::string commas = "\"Version: 1.1\"\r\n\"";
    for (int i = 0; i < (1 << 20); ++i) {
        commas += "\",#";
    }
    EXPECT_FALSE(read(commas).ok());

    // A line past the line limit is refused by its number, never held whole.
    std::string tooLong = "\"Version: 1.1\"\r\n\"Root\",\"RootFolder\",\"\",#1996-12-07#,\"\",1,0\r\n\"";
    tooLong.append(MaxLineBytes, 'x');
    tooLong += "\",\"http://x/\",#FALSE#,\"i1\",1,#1996-12-07#,\"Bookmark\",\"\",\"\"\r\n\r\n";
    const std::string path = file("long.bdx", tooLong);
    tooLong = std::string();
    InputFile in;
    ASSERT_TRUE(in.open(path).ok());
    const Result<DatabaseLayout> refused = readDatabase(in, store, false);
    ASSERT_FALSE(refused.ok());
    EXPECT_EQ(refused.error().message, "line 3 is longer than 64 MiB");
}

TEST_F(DatabaseFileTest, FoldersThatCannotBePlacedEndUpUnderTheRoot)
{
    // A and B name each other as parent; C names an unknown folder; D repeats A's id; E is
    // placed right but its parent has no entry for it; F's entry in E points back up to A.
    const std::string bytes = "\"Version: 1.1\"\r\n\"R\",\"RootFolder\",\"RootFolder\",#1905-04-10#,\"\",0,6\r\n\r\n"
                              "\"A\",\"a\",\"b\",#1996-12-07#,\"\",1\r\n"
                              "\"B\",\"\",#TRUE#,\"b\",0,#1996-12-07#,\"\",\"\",\"\",\"\"\r\n"
                              "\"B\",\"b\",\"a\",#1996-12-07#,\"\",1\r\n"
                              "\"A\",\"\",#TRUE#,\"a\",0,#1996-12-07#,\"\",\"\",\"\",\"\"\r\n"
                              "\"C\",\"c\",\"nowhere\",#1996-12-07#,\"\",0\r\n"
                              "\"D\",\"a\",\"RootFolder\",#1996-12-07#,\"\",0\r\n"
                              "\"E\",\"e\",\"b\",#1996-12-07#,\"\",1\r\n"
                              "\"up\",\"\",#TRUE#,\"a\",0,#1996-12-07#,\"\",\"\",\"\",\"\"\r\n"
                              "\"RootFolder\",\"RootFolder\",\"RootFolder\",#1996-12-07#,\"\",0\r\n";
    const Result<DatabaseLayout> layout = read(bytes);
    ASSERT_TRUE(layout.ok()) << layout.error().message;
    test::expectInvariants(store);
    // The loop is broken at B, so A stays inside B; A's entry for B and E's entry for A
    // point back up and are only listed.
    EXPECT_EQ(test::describe(store), "B/\nC/\nD/\nRootFolder/\nB\\A/\nB\\E/\nB\\A\\B/\nB\\E\\up/\n");
    EXPECT_EQ(store.Root().SubFolders[1]->parent, "RootFolder");
    // What was repaired is saved and loads again unchanged.
    const std::string saved = written();
    LinkStore other { world.clock };
    std::istringstream in(saved);
    ASSERT_TRUE(readDatabase(in, other, false).ok());
    EXPECT_EQ(test::describe(other), test::describe(store));
}

TEST_F(DatabaseFileTest, DeepNestingLoadsAndWalksWithoutRecursion)
{
    const int depth = 20000;
    std::string bytes = "\"Version: 1.1\"\r\n\"R\",\"RootFolder\",\"RootFolder\",#1905-04-10#,\"\",0,"
        + std::to_string(depth) + "\r\n\r\n";
    for (int i = 0; i < depth; ++i) {
        const std::string parent = i == 0 ? "RootFolder" : "f" + std::to_string(i - 1);
        bytes += "\"F\",\"f" + std::to_string(i) + "\",\"" + parent + "\",#1996-12-07#,\"\",0\r\n";
    }
    std::istringstream in(bytes);
    size_t placed = 0;
    ASSERT_TRUE(readDatabase(in, store, false, &placed).ok());
    // Every folder lacked its entry; each got one in its own parent, so the chain is whole
    // down to the nesting limit, below which every folder is placed at the limit.
    EXPECT_EQ(placed, static_cast<size_t>(depth - MaxFolderDepth));
    std::map<int, int> perLevel;
    store.WalkFolders(store.Root(), [&](Folder& folder, int d) {
        perLevel[d] += 1;
        if (d == MaxFolderDepth - 1) {
            EXPECT_EQ(folder.id, "f" + std::to_string(MaxFolderDepth - 2));
            EXPECT_EQ(folder.FolderItems.size(), static_cast<size_t>(depth - MaxFolderDepth + 1));
        }
        return true;
    });
    EXPECT_EQ(perLevel.rbegin()->first, MaxFolderDepth);
    EXPECT_EQ(perLevel[MaxFolderDepth], depth - MaxFolderDepth + 1);
    EXPECT_EQ(perLevel[1], 1);
    EXPECT_EQ(store.Root().SubFolders.size(), static_cast<size_t>(depth));
    test::expectInvariants(store);
    EXPECT_EQ(store.FindFolder("f" + std::to_string(depth - 1))->parent, "f" + std::to_string(MaxFolderDepth - 2));

    // What is written reads back with nothing more to place.
    LinkStore again { world.clock };
    std::istringstream back(written());
    placed = 0;
    ASSERT_TRUE(readDatabase(back, again, false, &placed).ok());
    EXPECT_EQ(placed, 0u);
    EXPECT_EQ(test::describe(again), test::describe(store));
}

TEST_F(DatabaseFileTest, ImportAddsTheFileAsAFolderUnderTheCurrentFolderTwiceOver)
{
    const std::string id = store.CreateEntry(true, "", 6, "Inbox", "Folder", "");
    store.SetCurrentFolder(*store.FindFolder(id));
    ASSERT_TRUE(read(dataFile("small.bdx"), true).ok());
    store.SetCurrentFolder(*store.FindFolder(id));
    ASSERT_TRUE(read(dataFile("small.bdx"), true).ok());
    EXPECT_EQ(test::describe(store),
        "Inbox/\nInbox\\NewDB/\nInbox\\NewDB/\n"
        "Inbox\\NewDB|Start|file:C:\\PAGE.HTM\nInbox\\NewDB\\Tools/\n"
        "Inbox\\NewDB|Start|file:C:\\PAGE.HTM\nInbox\\NewDB\\Tools/\n");
    test::expectInvariants(store);
    // The import folders' ids: date-time text and 1001; the second copy's ids are all new.
    const auto& flat = store.Root().SubFolders;
    ASSERT_EQ(flat.size(), 5u);
    EXPECT_EQ(flat[1]->id, "12/7/96 3:04:05 PM1001");
    EXPECT_EQ(flat[2]->id, "12/7/96 3:04:06 PM2");
    EXPECT_NE(flat[3]->id, flat[1]->id);
    EXPECT_NE(flat[4]->id, flat[2]->id);
    EXPECT_EQ(flat[4]->parent, flat[3]->id);
    EXPECT_EQ(&store.CurrentFolder(), &store.Root());
}

TEST_F(DatabaseFileTest, LoadDatabaseTellsAboutOldFilesAndFailures)
{
    const std::string older = file("old.bdx", dataFile("older.bdx"));
    EXPECT_TRUE(LoadDatabase(store, older, false, context()));
    ASSERT_EQ(world.messages.shown.size(), 1u);
    EXPECT_EQ(world.messages.shown[0].title, "Outdated Database");
    EXPECT_EQ(world.messages.shown[0].text,
        "This database was created in an older version of Brindlex.\nWhen you exit "
        "Brindlex, it will be updated to the new format.");
    EXPECT_EQ(store.DatabasePath(), older);
    EXPECT_EQ(store.DatabaseTitle(), "old.bdx");
    EXPECT_GT(world.events.calls, 0);

    // An import that fails keeps the open database and its path.
    const std::string broken = file("broken.bdx", "\"Version: 1.1\"\r\n\"R\",\"RootFolder\"");
    EXPECT_FALSE(LoadDatabase(store, broken, true, context()));
    EXPECT_EQ(world.messages.shown.back().text, "Error loading " + broken + "...");
    EXPECT_EQ(store.Root().Caption, "Old Links");
    EXPECT_EQ(store.DatabasePath(), older);

    // A database that fails to open gives a new one.
    const std::string missing = (dir / "missing.bdx").string();
    EXPECT_FALSE(LoadDatabase(store, missing, false, context()));
    EXPECT_EQ(world.messages.shown.back().title, "Error");
    EXPECT_EQ(world.messages.shown.back().text, "Error loading " + missing + "...\nLoading New Database...");
    EXPECT_EQ(store.Root().Caption, "NewDB");
    EXPECT_TRUE(store.Root().SubFolders.empty());
    EXPECT_EQ(store.DatabasePath(), (dir / "NewDB.BDX").string());
    EXPECT_EQ(store.DatabaseTitle(), "NewDB.BDX");
}

TEST_F(DatabaseFileTest, FailedSaveLeavesTheOldFileByteForByte)
{
    const std::string path = file("keep.bdx", dataFile("small.bdx"));
    ASSERT_TRUE(LoadDatabase(store, path, false, context()));
    store.CreateEntry(false, "http://new/", 5, "New", "Http", "");
    // A read-only database is refused, even to root.
    std::filesystem::permissions(path, std::filesystem::perms::owner_read);
    EXPECT_EQ(SaveDatabase(store).error().message, "Cannot write " + path + ": the file is read-only");
    EXPECT_EQ(readFileBytes(path).value(), dataFile("small.bdx"));

    // A folder where the temporary file used to go no longer stops the save.
    std::filesystem::permissions(path, std::filesystem::perms::owner_read | std::filesystem::perms::owner_write);
    std::filesystem::create_directory(path + ".tmp~" + std::to_string(::getpid()));
    ASSERT_TRUE(SaveDatabase(store).ok());
    LinkStore other { world.clock };
    ASSERT_TRUE(LoadDatabase(other, path, false, context()));
    EXPECT_EQ(test::describe(other), test::describe(store));

    store.SetDatabasePath((dir / "gone" / "x.bdx").string());
    EXPECT_FALSE(SaveDatabase(store).ok());
}

TEST_F(DatabaseFileTest, FileThatIsNeitherLayoutIsAnErrorNotAnOutdatedDatabase)
{
    // Random bytes used to be greeted with "Outdated Database ... will be updated".
    const std::string noise = file("noise.bdx", std::string("\x8f\x01zq\xff,\"\r\n#%\x00\x7f", 12));
    EXPECT_FALSE(LoadDatabase(store, noise, false, context()));
    ASSERT_EQ(world.messages.shown.size(), 1u);
    EXPECT_EQ(world.messages.shown[0].text, "Error loading " + noise + "...\nLoading New Database...");
}

TEST_F(DatabaseFileTest, OnlyRegularFilesAreLoaded)
{
    // A FIFO used to hang the load and /dev/zero to read until memory ran out.
    const std::string fifo = (dir / "fifo.bdx").string();
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    for (const std::string& path : { fifo, std::string("/dev/zero"), dir.string() }) {
        world.messages.shown.clear();
        EXPECT_FALSE(LoadDatabase(store, path, false, context()));
        ASSERT_EQ(world.messages.shown.size(), 1u);
        EXPECT_EQ(world.messages.shown[0].text, "Error loading " + path + "...\nLoading New Database...");
        EXPECT_EQ(readFileBytes(path).error().message, "cannot open " + path + ": not a regular file");
    }
}

}  // namespace
}  // namespace brindlex
