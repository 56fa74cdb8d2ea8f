#pragma once
#include <optional>
#include <string>
#include <string_view>

namespace brindlex {

// A calendar date with an optional time of day, as the database file stores it.
// A default-made value (year 0) stands for "no date".
struct DateTime
{
    int year = 0;
    int month = 0;
    int day = 0;
    int hour = 0;
    int minute = 0;
    int second = 0;
    bool hasTime = false;

    DateTime dateOnly() const { return DateTime { year, month, day, 0, 0, 0, false }; }
    bool isNull() const { return year == 0; }
    bool operator==(const DateTime&) const = default;
    auto operator<=>(const DateTime&) const = default;
};

// "1996-12-07" or "1996-12-07 15:04:05": the text between the # marks of a date field.
std::string formatFileDate(const DateTime& value);
// Reads that form back; also accepts "M/D/YYYY" with an optional "h:mm:ss AM/PM" and an
// empty or "NULL" text (no date). Returns nothing for anything else.
std::optional<DateTime> parseFileDate(std::string_view text);
// The fixed, locale-independent general date form used at the start of generated ids:
// "12/7/96 3:04:05 PM".
std::string idDateText(const DateTime& value);

// The local date and time of `seconds` since 1970-01-01 00:00 UTC (the form of ADD_DATE in
// bookmark files), or nothing when that is not a date from the year 100 to 9999.
std::optional<DateTime> fromUnixSeconds(long long seconds);
// fromUnixSeconds for a reader that converts many stamps in one go, as bookmark files hold
// them: stamps of the same hour share one look-up of the zone's offset. The time zone
// (TZ, tzset) must not change while one of these is in use.
class LocalTimes
{
public:
    std::optional<DateTime> fromUnixSeconds(long long seconds);

private:
    long long m_hour = 0;  // the first second of the hour m_offset holds for
    long long m_offset = 0;  // seconds east of UTC
    bool m_known = false;
};

// The seconds since 1970-01-01 00:00 UTC of the local date-time `value` (local midnight
// when it has no time of day); 0 for no date. Inverse of fromUnixSeconds.
long long toUnixSeconds(const DateTime& value);

}  // namespace brindlex
