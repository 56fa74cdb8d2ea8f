#include "settings/Settings.h"

#include <set>
#include <string>

#include <gtest/gtest.h>

#include "settings/SettingsStore.h"

namespace brindlex {
namespace {

std::string lower(std::string text)
{
    for (char& c : text) {
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    }
    return text;
}

TEST(SettingsTest, TableHoldsEveryKeyOnceWithItsDefault)
{
    std::set<std::string> seen;
    for (const SettingKey& key : allSettings()) {
        EXPECT_TRUE(seen.insert(lower(std::string(key.section) + "/" + key.key)).second) << key.key;
    }
    // 35 "Browser" keys, 4 browser paths, 10 history entries.
    EXPECT_EQ(seen.size(), 49u);
    const SettingKey* found = findSetting("browsers", "IexplorerPath");
    ASSERT_NE(found, nullptr);
    EXPECT_STREQ(found->key, "IExplorerPath");
    EXPECT_STREQ(found->section, "Browsers");
    EXPECT_EQ(findSetting("Browser", "nosuchkey"), nullptr);

    MemorySettings empty;
    EXPECT_EQ(readText(empty, setting::ProgramFont), "MS Sans Serif");
    EXPECT_EQ(readInteger(empty, setting::ProgramFontSize), 8);
    EXPECT_DOUBLE_EQ(readNumber(empty, setting::Column2), 824.882);
    EXPECT_DOUBLE_EQ(readNumber(empty, setting::Column7), 0.566929);
    EXPECT_EQ(readInteger(empty, setting::ListViewMode), 3);
    EXPECT_EQ(readInteger(empty, setting::ListSort), 3);
    EXPECT_TRUE(readBool(empty, setting::ShowToolbar));
    EXPECT_TRUE(readBool(empty, setting::Method));
    EXPECT_FALSE(readBool(empty, setting::PaneMode));
    EXPECT_EQ(readText(empty, setting::Name), "Netscape Navigator");
    EXPECT_EQ(lastDatabaseDefault("/home/u/.local/share/Tarnwell"), "/home/u/.local/share/Tarnwell/Brindlex.bdx");
}

TEST(SettingsTest, UnreadableStoredValuesGiveTheDefault)
{
    struct Row
    {
        const char* stored;
        double number;
        bool flag;  // read as ShowToolbar (default True)
    };
    const Row rows[] = {
        { "2000", 2000, true },
        { " 12.5 ", 12.5, true },
        { "-3", -3, true },
        { "1e3", 1000, true },
        { "abc", 1440, true },
        { "", 1440, true },
        { "12abc", 1440, true },
        { "False", 1440, false },
        { "false", 1440, false },
        { "0", 0, false },
        { "TRUE", 1440, true },
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.stored);
        MemorySettings store;
        store.set("Browser", "column1", row.stored);
        store.set("BROWSER", "ShowToolbar", row.stored);
        EXPECT_DOUBLE_EQ(readNumber(store, setting::Column1), row.number);
        EXPECT_EQ(readBool(store, setting::ShowToolbar), row.flag);
    }
}

TEST(SettingsTest, NumberTextConversions)
{
    EXPECT_DOUBLE_EQ(leadingNumber("12abc"), 12);
    EXPECT_DOUBLE_EQ(leadingNumber("1.5x"), 1.5);
    EXPECT_DOUBLE_EQ(leadingNumber("abc"), 0);
    EXPECT_DOUBLE_EQ(leadingNumber("-"), 0);
    EXPECT_EQ(parseInteger(" 42 "), 42);
    EXPECT_EQ(parseInteger("4.2"), std::nullopt);
    EXPECT_EQ(parseInteger("99999999999999999999"), std::nullopt);
    EXPECT_EQ(numberText(2685), "2685");
    EXPECT_EQ(numberText(824.882), "824.882");
    EXPECT_EQ(numberText(0.566929), "0.566929");

    MemorySettings store;
    writeNumber(store, setting::Column2, 824.882);
    writeBool(store, setting::PaneMode, true);
    writeInteger(store, setting::ListSort, 4);
    EXPECT_EQ(store.get("browser", "COLUMN2", ""), "824.882");
    EXPECT_EQ(store.get("Browser", "PaneMode", ""), "True");
    EXPECT_EQ(readInteger(store, setting::ListSort), 4);
}

}  // namespace
}  // namespace brindlex
