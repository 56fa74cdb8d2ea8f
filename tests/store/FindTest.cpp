#include <functional>

#include <gtest/gtest.h>

#include "fakes/FakePlatform.h"
#include "store/FolderSearch.h"
#include "store/LinkStore.h"
#include "store/TextRules.h"

namespace brindlex {
namespace {

class FindTest : public ::testing::Test
{
protected:
    test::FakeClock clock;
    LinkStore store { clock };
    test::CountingEvents events;
    std::vector<std::string> statuses;

    std::string folder(const std::string& caption) { return store.CreateEntry(true, "", 6, caption, "Folder", ""); }
    std::string link(const std::string& caption, const std::string& url = "http://a/")
    {
        return store.CreateEntry(false, url, 5, caption, ClassifyURL(url), "");
    }
    void enter(const std::string& id) { store.SetCurrentFolder(*store.FindFolderOrRoot(id)); }
    // The tree pane writes Path; these tests compute it the same way.
    void writePaths()
    {
        for (const auto& f : store.Root().SubFolders) {
            std::string path = f->Caption;
            for (const Folder* p = store.FindFolder(f->parent); p != nullptr; p = store.FindFolder(p->parent)) {
                path = p->Caption + "\\" + path;
            }
            f->Path = store.Root().Caption + "\\" + path;
        }
    }
    std::vector<FindResultRow> find(const std::string& text, bool matchCase, bool containing)
    {
        writePaths();
        SearchHooks hooks;
        hooks.status = [this](const std::string& s) { statuses.push_back(s); };
        return DoSearch(store, FindQuery { text, matchCase, containing }, hooks, events);
    }
    static std::vector<std::string> names(const std::vector<FindResultRow>& rows)
    {
        std::vector<std::string> out;
        for (const auto& r : rows) {
            out.push_back(r.Name);
        }
        return out;
    }
};

TEST(CheckMatchTest, CaseAndContainingOptions)
{
    struct Row
    {
        const char* caption;
        const char* text;
        bool matchCase;
        bool containing;
        bool expected;
    };
    const Row rows[] = {
        { "News", "news", false, false, true }, { "NEWS", "news", false, false, true },
        { "News 2", "news", false, false, false }, { "News", "news", true, false, false },
        { "news", "news", true, false, true }, { "News", "ne", false, true, true },
        { "Tunes", "ne", false, true, true }, { "Tunes", "NE", true, true, false },
        { "Snow", "ne", false, true, false },
        { "\xC3\x89t\xC3\xA9", "\xC3\xA9t\xC3\xA9", false, false, true },  // accented capitals fold too
        // Letters beyond Latin-1 used to be compared as they stood.
        { "\xD0\xA5\xD0\xB0\xD0\xB1\xD1\x80", "\xD1\x85\xD0\xB0\xD0\xB1\xD1\x80", false, false, true },  // Хабр
        { "\xC5\xA0KODA Octavia", "\xC5\xA1koda", false, true, true },  // ŠKODA contains škoda
        { "\xC5\xA0KODA", "\xC5\xA1koda", true, false, false },  // ... but not with Match Case
        { "\xCE\xA3\xCE\xA9\xCE\xA3", "\xCF\x89", false, true, true },  // ΣΩΣ contains ω
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(std::string(r.caption) + " / " + r.text);
        EXPECT_EQ(CheckMatch(r.caption, r.text, r.matchCase, r.containing), r.expected);
    }
}

TEST_F(FindTest, ResultsComeDepthFirstWithTheirColumns)
{
    link("News", "news:comp.lang");
    const std::string a = folder("News");
    link("Tunes");
    enter(a);
    const std::string b = folder("Deeper");
    link("NEWS", "http://b/");
    enter(b);
    const std::string c = folder("Deepest");
    enter(c);
    link("news", "ftp://c/");
    enter("RootFolder");
    link("News 2");
    link("News", "http://last/");

    const auto rows = find("news", false, false);
    EXPECT_EQ(names(rows), (std::vector<std::string> { "News", "News", "news", "NEWS", "News" }));
    ASSERT_EQ(rows.size(), 5U);
    // The folder entry: icon 6, the NUL-prefixed type, no URL.
    EXPECT_EQ(rows[1].ID, a);
    EXPECT_EQ(rows[1].Icon, 6);
    EXPECT_EQ(rows[1].Type, std::string("\0Folder", 7));
    EXPECT_EQ(rows[1].URL, "");
    // The result in the sub-sub-folder comes right after its folder's entry, before the
    // entries that follow it in the parent.
    EXPECT_EQ(rows[2].InFolder, store.Root().Caption + "\\News\\Deeper\\Deepest");
    EXPECT_EQ(rows[2].Type, "Ftp");
    EXPECT_EQ(rows[2].URL, "ftp://c/");
    EXPECT_EQ(rows[3].InFolder, store.Root().Caption + "\\News");
    EXPECT_EQ(rows[0].InFolder, store.Root().Caption);
    EXPECT_EQ(rows[0].Type, "News");
    EXPECT_EQ(rows[4].URL, "http://last/");
    EXPECT_EQ(statuses.back(), "5 item(s) found");

    EXPECT_EQ(names(find("ne", false, true)).size(), 7U);  // "Tunes" and "News 2" as well
    EXPECT_EQ(names(find("News", true, false)), (std::vector<std::string> { "News", "News", "News" }));
}

TEST_F(FindTest, EmptyFoldersGiveNoStatusAndNoMatchesCountZero)
{
    const std::string empty = folder("Empty");
    const std::string full = folder("Full");
    enter(full);
    link("Page");
    const auto rows = find("nothing", false, false);
    EXPECT_TRUE(rows.empty());
    const std::string root = store.Root().Caption;
    EXPECT_EQ(statuses,
        (std::vector<std::string> {
            "Searching " + root + ". . .", "Searching " + root + "\\Full. . .", "0 item(s) found" }));
    EXPECT_GE(events.calls, 3);  // before the search and once per searched folder
}

TEST_F(FindTest, LoopingFolderEntriesAndDeepNestingEndNormally)
{
    // A chain deeper than any call stack would hold, then an entry that points back up.
    std::string id;
    for (int i = 0; i < 5000; ++i) {
        id = folder("f");
        enter(id);
    }
    link("bottom");
    store.CurrentFolder().FolderItems.push_back(std::make_shared<FolderItem>(*store.Root().FolderItems[0]));
    SearchHooks hooks;
    const auto rows = SearchFolder(store, store.Root(), FindQuery { "bottom", false, false }, hooks, events);
    ASSERT_EQ(rows.size(), 1U);
    EXPECT_EQ(rows[0].Name, "bottom");
}

// Runs `action` at the n-th event pass of a search.
class ActingEvents : public EventPump
{
public:
    ActingEvents(int at, std::function<void()> action)
        : m_at(at)
        , m_action(std::move(action))
    {
    }
    void processEvents() override
    {
        if (++calls == m_at) {
            m_action();
        }
    }
    int calls = 0;

private:
    int m_at;
    std::function<void()> m_action;
};

TEST_F(FindTest, DatabaseReplacedWhileSearchingEndsTheSearchSafely)
{
    // The window stays usable during a search, so File > New can run in one of its event
    // passes; the folders being walked must not be freed under it.
    const std::string a = folder("A");
    link("news");
    enter(a);
    const std::string b = folder("B");
    link("news");
    enter(b);
    link("news");
    writePaths();
    ActingEvents replacing(3, [this] { store.NewDatabase("/nowhere"); });
    SearchHooks hooks;
    const auto rows = SearchFolder(store, store.Root(), FindQuery { "news", false, false }, hooks, replacing);
    // The new database came on entering B: the folders already reached (root, A, B) are
    // searched as they were, and nothing was freed under the walk.
    EXPECT_EQ(rows.size(), 3U);
    EXPECT_TRUE(store.Root().FolderItems.empty());
}

TEST_F(FindTest, StoppedSearchKeepsWhatItFoundAndGivesNoCount)
{
    link("news");
    const std::string a = folder("A");
    enter(a);
    link("news");
    writePaths();
    int passes = 0;
    SearchHooks hooks;
    hooks.status = [this](const std::string& s) { statuses.push_back(s); };
    hooks.stopped = [&passes] { return ++passes >= 3; };  // after the pass for folder A
    const auto rows = DoSearch(store, FindQuery { "news", false, false }, hooks, events);
    EXPECT_EQ(rows.size(), 1U);
    ASSERT_FALSE(statuses.empty());
    EXPECT_EQ(statuses.back(), "Searching " + store.Root().Caption + "\\A. . .");
}

TEST_F(FindTest, EachRowIsReportedBeforeTheNextEventPass)
{
    // The window used to get the rows only when the whole search had ended.
    link("news", "http://top/");
    const std::string a = folder("A");
    enter(a);
    link("News", "http://a/");
    writePaths();
    std::vector<std::string> log;
    struct LoggingEvents : EventPump
    {
        std::vector<std::string>& log;
        explicit LoggingEvents(std::vector<std::string>& to)
            : log(to)
        {
        }
        void processEvents() override { log.push_back("pass"); }
    } logging(log);
    SearchHooks hooks;
    hooks.found = [&log](const FindResultRow& row) { log.push_back(row.Name + " " + row.URL); };
    const auto rows = DoSearch(store, FindQuery { "news", false, false }, hooks, logging);
    EXPECT_EQ(log, (std::vector<std::string> { "pass", "pass", "news http://top/", "pass", "News http://a/" }));
    EXPECT_EQ(rows.size(), 2U);
}

TEST_F(FindTest, ClickedResultLeadsToTheFirstFolderThatHoldsOrIsIt)
{
    const std::string top = link("top");
    const std::string a = folder("A");
    enter(a);
    const std::string inA = link("in A");
    const std::string b = folder("B");
    enter(b);
    const std::string inB = link("in B");
    struct Row
    {
        std::string id;
        std::string folder;  // empty: none
        bool select;
    };
    const Row rows[] = {
        { top, "RootFolder", true },
        { a, "RootFolder", true },  // the folder entry in the root comes first
        { inA, a, true },
        { b, a, true },  // the parent precedes its sub-folder in the flat list
        { inB, b, true },
        { "no such id", "", false },
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.id);
        const FindResultTarget target = findResultTarget(store, r.id);
        EXPECT_EQ(target.folder == nullptr ? std::string() : target.folder->id, r.folder);
        EXPECT_EQ(target.selectEntry, r.select);
    }
    // With the sub-folder listed before its parent, the folder itself is shown.
    auto& flat = store.Root().SubFolders;
    std::swap(flat[0], flat[1]);
    store.IndexesChanged();
    const FindResultTarget target = findResultTarget(store, b);
    ASSERT_NE(target.folder, nullptr);
    EXPECT_EQ(target.folder->id, b);
    EXPECT_FALSE(target.selectEntry);
}

}  // namespace
}  // namespace brindlex
