#include <gtest/gtest.h>

#include <set>

#include "fakes/FakePlatform.h"
#include "store/LinkStore.h"

namespace brindlex {
namespace {

// Ids are the clock's date text and a counter; the store keeps the ones it issued per
// second as bits and every other id as text. Whatever the mix, an id is never issued twice.
class IdIssueTest : public ::testing::Test
{
protected:
    test::FakeClock clock;
    LinkStore store { clock };
    std::set<std::string> seen;

    // Makes `n` links and checks that each id is new.
    void links(int n)
    {
        for (int i = 0; i < n; ++i) {
            const std::string id = store.CreateEntry(false, "http://x/", 5, "x", "Http", "");
            EXPECT_TRUE(seen.insert(id).second) << "issued twice: " << id;
        }
    }
};

TEST_F(IdIssueTest, IdsFromFilesAndOtherSecondsAreNeverIssuedAgain)
{
    // Ids a file brought in that look like ours, and one that only resembles them.
    const std::string second = "12/7/96 3:04:05 PM";
    for (const std::string& id : { second + "2", second + "3", second + "1002", second + "05" }) {
        store.AddLoadedItem("loaded", "", false, id, 5, {}, "", "", "None", "");
        seen.insert(id);
    }
    links(2500);  // the counter wraps past 1000 twice in this one second
    EXPECT_TRUE(store.IdInUse(second + "1"));
    EXPECT_TRUE(store.IdInUse(second + "05"));
    EXPECT_FALSE(store.IdInUse(second + "999999"));
    EXPECT_FALSE(store.IdInUse(second + "1x"));

    // The ids of the model are counted again after an edit behind the store's back.
    store.IndexesChanged();
    links(1200);

    // Many seconds later the clock goes back (summer time ends): nothing repeats.
    for (int s = 6; s < 60; ++s) {
        clock.time.second = s;
        links(3);
    }
    clock.time.second = 5;
    store.EntryCounter() = 0;
    links(50);
    EXPECT_TRUE(store.IdInUse(second + "7"));

    // Ids registered by a database import are skipped too.
    clock.time.minute = 5;
    const std::string later = "12/7/96 3:05:05 PM";
    store.RegisterId(later + "1");
    store.EntryCounter() = 0;
    EXPECT_EQ(store.CreateEntry(false, "", 5, "y", "Unknown", ""), later + "2");
}

}  // namespace
}  // namespace brindlex
