#include "store/DateTime.h"

#include <gtest/gtest.h>

#include "fakes/ScopedTimeZone.h"

namespace brindlex {
namespace {

DateTime date(int y, int m, int d)
{
    return DateTime { y, m, d, 0, 0, 0, false };
}

DateTime dateTime(int y, int m, int d, int h, int mi, int s)
{
    return DateTime { y, m, d, h, mi, s, true };
}

// The forms the database writer makes read back as written, the older forms as before,
// and a form that is nearly right is no date rather than a wrong one.
TEST(DateTimeTest, ReadsTheWrittenAndTheOlderForms)
{
    EXPECT_EQ(parseFileDate("1996-12-07"), date(1996, 12, 7));
    EXPECT_EQ(parseFileDate("1996-12-07 15:04:05"), dateTime(1996, 12, 7, 15, 4, 5));
    EXPECT_EQ(parseFileDate("2026-01-31 00:00:00"), dateTime(2026, 1, 31, 0, 0, 0));
    EXPECT_EQ(parseFileDate(" 1996-12-07 "), date(1996, 12, 7));
    EXPECT_EQ(parseFileDate("1996-1-7"), date(1996, 1, 7));
    EXPECT_EQ(parseFileDate("1996-12-07 15:04"), dateTime(1996, 12, 7, 15, 4, 0));
    EXPECT_EQ(parseFileDate("12/7/1996"), date(1996, 12, 7));
    EXPECT_EQ(parseFileDate("12/7/96 3:04:05 PM"), dateTime(1996, 12, 7, 15, 4, 5));
    EXPECT_EQ(parseFileDate("1/2/05 12:00:00 AM"), dateTime(2005, 1, 2, 0, 0, 0));
    EXPECT_EQ(parseFileDate(""), DateTime {});
    EXPECT_EQ(parseFileDate("NULL"), DateTime {});

    for (const char* bad : { "1996-13-07", "1996-12-32", "1996-00-07", "0099-12-07", "1996-12-07 24:00:00",
             "1996-12-07 23:60:00", "1996-12-07 23:59:60", "1996-12-0x", "1996-12-07T15:04:05", "1996-12-07 15:04:05Z",
             "19961207", "1996/12/07", "x996-12-07", "1996-12-07 15:04:05 PM", "13/7/1996" }) {
        EXPECT_FALSE(parseFileDate(bad).has_value()) << bad;
    }
}

TEST(DateTimeTest, WrittenFormsReadBack)
{
    for (const DateTime& value :
        { date(100, 1, 1), date(9999, 12, 31), dateTime(2024, 3, 9, 23, 59, 59), dateTime(1970, 1, 1, 0, 0, 1) }) {
        EXPECT_EQ(parseFileDate(formatFileDate(value)), value) << formatFileDate(value);
    }
}

// The offset a reader's LocalTimes keeps for an hour gives what a look-up per stamp gives,
// in zones whose offset changes on the hour (Berlin), within an hour (Lord Howe's half-hour
// change at 15:30 UTC) and by 15 minutes (Kathmandu in 1986), stamps close together and
// far apart, each zone set while the program runs.
TEST(DateTimeTest, LocalTimesOfAReaderMatchEachLookUp)
{
    struct Case
    {
        const char* zone;
        long long change;  // a change of the zone's offset, in Unix seconds
    };
    for (const Case& c : { Case { "Europe/Berlin", 1711846800 }, Case { "Europe/Berlin", 1729990800 },
             Case { "Australia/Lord_Howe", 1728142200 }, Case { "Asia/Kathmandu", 504901800 } }) {
        const test::ScopedTimeZone zone(c.zone);
        LocalTimes times;
        for (long long s = c.change - 2 * 3600 - 13; s < c.change + 2 * 3600; s += 97) {
            ASSERT_EQ(times.fromUnixSeconds(s), fromUnixSeconds(s)) << c.zone << " " << s;
        }
        for (const long long s : { c.change - 1, c.change, c.change + 1, c.change - 86400 * 200, c.change - 1, 0LL }) {
            ASSERT_EQ(times.fromUnixSeconds(s), fromUnixSeconds(s)) << c.zone << " " << s;
        }
    }
    // The change moves the clock as the zone says (Berlin: 01:59:59 + 1 s = 03:00:00).
    const test::ScopedTimeZone berlin("Europe/Berlin");
    LocalTimes times;
    EXPECT_EQ(times.fromUnixSeconds(1711846799), dateTime(2024, 3, 31, 1, 59, 59));
    EXPECT_EQ(times.fromUnixSeconds(1711846800), dateTime(2024, 3, 31, 3, 0, 0));
    EXPECT_FALSE(times.fromUnixSeconds(400000000001LL).has_value());
}

}  // namespace
}  // namespace brindlex
