#include "settings/ProgramSettings.h"

#include <gtest/gtest.h>

#include <string>

#include "settings/Settings.h"
#include "settings/SettingsStore.h"

namespace brindlex {
namespace {

// A store that counts what reaches it and how batches nest.
class CountingStore : public MemorySettings
{
public:
    void set(const std::string& section, const std::string& key, const std::string& value) override
    {
        ++writes;
        if (batches == 0) {
            ++unbatchedWrites;
        }
        MemorySettings::set(section, key, value);
    }
    void beginBatch() override { ++batches; }
    void endBatch() override { --batches; }
    int writes = 0;
    int unbatchedWrites = 0;  // each one a sync of a file-backed store
    int batches = 0;
};

class ProgramSettingsTest : public ::testing::Test
{
protected:
    CountingStore store;
    ProgramSettings settings { store };
};

TEST_F(ProgramSettingsTest, NothingStoredGivesTheDefaults)
{
    settings.read();
    EXPECT_EQ(store.writes, 0);
    EXPECT_EQ(settings.options.ProgramFont, "MS Sans Serif");
    EXPECT_EQ(settings.options.ProgramFontSize, 8);
    EXPECT_EQ(settings.options.TrayFlag, 0);
    EXPECT_EQ(settings.client.Browser, "Netscape Navigator");
    EXPECT_TRUE(settings.client.Method);
    EXPECT_EQ(settings.client.OpenIfClosed, 1);
    EXPECT_EQ(settings.geometry.Width, 9855);
    EXPECT_DOUBLE_EQ(settings.geometry.TreeWidth, 2685);
    EXPECT_DOUBLE_EQ(settings.Columns[1], 824.882);
    EXPECT_EQ(settings.ListSort, 3);
    EXPECT_EQ(settings.ListViewMode, 3);
    EXPECT_TRUE(settings.ShowToolbar && settings.ShowStatusbar);
    EXPECT_FALSE(settings.PaneMode);
    EXPECT_EQ(settings.LastDB(), "");
    EXPECT_TRUE(settings.isFirstLoad());
    EXPECT_FALSE(settings.StartMin());
}

TEST_F(ProgramSettingsTest, StartUpRulesRepairWhatCannotBeUsed)
{
    struct Row
    {
        const char* autoAssign;
        int read;
        const char* writtenBack;  // null: left as stored
    };
    const Row rows[] = {
        { "1", 1, nullptr },
        { "5", 5, nullptr },  // a number stays, whatever it is
        { "2.6", 3, nullptr },
        { "1abc", 1, "1" },
        { "7x", 0, "0" },
        { "abc", 0, "0" },
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.autoAssign);
        store.set("Browser", "AutoAssign", row.autoAssign);
        store.writes = 0;
        settings.read();
        EXPECT_EQ(settings.options.AutoAssign, row.read);
        EXPECT_EQ(store.get("Browser", "AutoAssign", ""), row.writtenBack ? row.writtenBack : row.autoAssign);
        EXPECT_EQ(store.writes, row.writtenBack ? 1 : 0);
    }
    store.set("Browser", "TrayFlag", "2");
    store.set("Browser", "AutoSave", "-1");
    store.set("Browser", "Column3", "0.25");
    store.set("Browser", "Column4", "wide");
    store.set("Browser", "StartMin", "1");
    store.set("Browser", "FirstLoad", "999");
    store.set("Browser", "ID", "rubbish");
    store.set("Browser", "Method", "false");
    store.set("Browser", "LastDB", "/home/u/links.bdx");
    settings.read();
    EXPECT_EQ(settings.options.TrayFlag, 0);
    EXPECT_EQ(settings.options.AutoSave, 0);
    EXPECT_DOUBLE_EQ(settings.Columns[2], 1);
    EXPECT_DOUBLE_EQ(settings.Columns[3], 425.764);
    EXPECT_TRUE(settings.StartMin());
    EXPECT_FALSE(settings.isFirstLoad());
    EXPECT_EQ(settings.client.BrowserID, 0);
    EXPECT_FALSE(settings.client.Method);
    EXPECT_EQ(settings.LastDB(), "/home/u/links.bdx");
}

TEST_F(ProgramSettingsTest, ShutdownWritesEveryValueAndTheNextStartReadsThemBack)
{
    settings.options = ProgramOptions { 1, 1, 1, 1, 1, "DejaVu Sans", 11 };
    settings.client = ClientState { "Spry Mosaic", 3, false, 0, 0 };
    settings.geometry = WindowGeometry { 10, 20, 3000, 4000, 2, 2500.4, 6000.6, 2400.5 };
    settings.Columns[0] = 2000.5;
    settings.ListSort = 5;
    settings.ListViewMode = 1;
    settings.ShowToolbar = false;
    settings.ShowStatusbar = false;
    settings.PaneMode = true;
    settings.write("/home/u/b.bdx");
    EXPECT_EQ(store.writes, 33);
    EXPECT_EQ(store.get("Browser", "TreeLeft", ""), "0");
    EXPECT_EQ(store.get("Browser", "ListLeft", ""), "2500");  // pane widths are whole twips
    EXPECT_EQ(store.get("Browser", "TreeWidth", ""), "2401");
    EXPECT_EQ(store.get("Browser", "Column1", ""), "2000.5");
    EXPECT_EQ(store.get("Browser", "ShowToolbar", ""), "False");
    EXPECT_FALSE(store.contains("Browser", "StartMin"));  // Options writes it, at once
    EXPECT_FALSE(store.contains("GoToFolder", "PathHistory0"));

    ProgramSettings next(store);
    next.read();
    EXPECT_EQ(next.options.ProgramFont, "DejaVu Sans");
    EXPECT_EQ(next.options.ProgramFontSize, 11);
    EXPECT_EQ(next.options.DisplayPath, 1);
    EXPECT_EQ(next.client.Browser, "Spry Mosaic");
    EXPECT_EQ(next.client.BrowserID, 3);
    EXPECT_FALSE(next.client.Method);
    EXPECT_EQ(next.client.OpenIfClosed, 0);
    EXPECT_EQ(next.geometry.WindowState, 2);
    EXPECT_EQ(next.geometry.Width, 4000);
    EXPECT_DOUBLE_EQ(next.geometry.ListWidth, 6001);
    EXPECT_EQ(next.ListSort, 5);
    EXPECT_EQ(next.ListViewMode, 1);
    EXPECT_TRUE(next.PaneMode);
    EXPECT_FALSE(next.ShowStatusbar);
    EXPECT_EQ(next.LastDB(), "/home/u/b.bdx");

    // Inside a batch the store takes the lot in one piece.
    {
        const SettingsBatch batch(store);
        EXPECT_EQ(store.batches, 1);
        next.write("/home/u/b.bdx");
    }
    EXPECT_EQ(store.batches, 0);
}

// The first run sizes the window and the columns itself; a size or width stored by a run
// (even one of the defaults) is what later runs use.
TEST_F(ProgramSettingsTest, KnowsWhatAnEarlierRunStored)
{
    settings.read();
    EXPECT_FALSE(settings.sizeStored());
    for (int n = 0; n < 7; ++n) {
        EXPECT_FALSE(settings.columnStored(n)) << n;
    }
    store.set("Browser", "Width", "9855");
    store.set("Browser", "Column2", "824.882");
    store.set("Browser", "Column3", "wide");  // no width: sized as if none were stored
    settings.read();
    EXPECT_FALSE(settings.sizeStored());  // a width without a height is no size
    EXPECT_TRUE(settings.columnStored(1));
    EXPECT_FALSE(settings.columnStored(2));
    EXPECT_FALSE(settings.columnStored(7));
    store.set("Browser", "height", " 5865 ");
    settings.read();
    EXPECT_TRUE(settings.sizeStored());
    EXPECT_EQ(settings.geometry.Height, 5865);

    ProgramSettings fresh(store);
    fresh.read();
    fresh.write("");
    EXPECT_TRUE(fresh.sizeStored());
    EXPECT_TRUE(fresh.columnStored(2) && fresh.columnStored(6));
}

TEST_F(ProgramSettingsTest, ValuesWrittenAtOnce)
{
    settings.read();
    settings.markLoaded();
    EXPECT_FALSE(settings.isFirstLoad());
    EXPECT_EQ(store.get("Browser", "FirstLoad", ""), "999");

    settings.savePathHistory({ "Root\\A", "Root\\B" });
    EXPECT_EQ(store.get("GoToFolder", "PathHistory1", ""), "Root\\B");
    EXPECT_EQ(store.get("GoToFolder", "PathHistory9", "?"), "");
    // The history is read as stored now, not as it was at start-up.
    store.set("GoToFolder", "PathHistory0", "Root\\C");
    EXPECT_EQ(settings.pathHistory(), (std::vector<std::string> { "Root\\C", "Root\\B" }));
}

TEST_F(ProgramSettingsTest, GoToHistoryLeavesGapsOutAndIsSavedWholeInOneBatch)
{
    store.set("GoToFolder", "PathHistory0", "a");
    store.set("GoToFolder", "PathHistory3", "b");
    store.set("GoToFolder", "PathHistory10", "beyond ten");
    EXPECT_EQ(settings.pathHistory(), (std::vector<std::string> { "a", "b" }));

    store.unbatchedWrites = 0;
    settings.savePathHistory({ "x", "y" });
    EXPECT_EQ(store.unbatchedWrites, 0);
    EXPECT_EQ(store.batches, 0);
    EXPECT_EQ(store.get("GoToFolder", "PathHistory1", "?"), "y");
    EXPECT_EQ(store.get("GoToFolder", "PathHistory3", "?"), "");  // a missing row is stored empty
    EXPECT_EQ(store.get("GoToFolder", "PathHistory9", "?"), "");
    EXPECT_EQ(settings.pathHistory(), (std::vector<std::string> { "x", "y" }));
}

}  // namespace
}  // namespace brindlex
