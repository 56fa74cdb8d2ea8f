#include "store/DateTime.h"

#include <cstdio>
#include <ctime>

namespace brindlex {

namespace {

bool validDate(int y, int m, int d)
{
    return y >= 100 && y <= 9999 && m >= 1 && m <= 12 && d >= 1 && d <= 31;
}

bool validTime(int h, int mi, int s)
{
    return h >= 0 && h <= 23 && mi >= 0 && mi <= 59 && s >= 0 && s <= 59;
}

// Reads an unsigned decimal number of at most `maxDigits` digits at `pos`.
bool readNumber(std::string_view text, size_t& pos, int maxDigits, int& out)
{
    int digits = 0;
    int value = 0;
    while (pos < text.size() && text[pos] >= '0' && text[pos] <= '9' && digits < maxDigits) {
        value = value * 10 + (text[pos] - '0');
        ++pos;
        ++digits;
    }
    if (digits == 0) {
        return false;
    }
    out = value;
    return true;
}

bool expect(std::string_view text, size_t& pos, char c)
{
    if (pos < text.size() && text[pos] == c) {
        ++pos;
        return true;
    }
    return false;
}

// The `count` digits at `pos` as a number; false unless all are digits.
bool fixedDigits(std::string_view text, size_t pos, size_t count, int& out)
{
    int value = 0;
    for (size_t i = pos; i < pos + count; ++i) {
        if (text[i] < '0' || text[i] > '9') {
            return false;
        }
        value = value * 10 + (text[i] - '0');
    }
    out = value;
    return true;
}

// The two forms this program writes, "yyyy-mm-dd" and "yyyy-mm-dd hh:mm:ss", read at
// once: a database holds one on every line. False for anything else, which the general
// reading then takes (and gives the same value for these forms).
bool readWrittenForm(std::string_view text, DateTime& out)
{
    if ((text.size() != 10 && text.size() != 19) || text[4] != '-' || text[7] != '-') {
        return false;
    }
    DateTime value;
    if (!fixedDigits(text, 0, 4, value.year) || !fixedDigits(text, 5, 2, value.month)
        || !fixedDigits(text, 8, 2, value.day) || !validDate(value.year, value.month, value.day)) {
        return false;
    }
    if (text.size() == 19) {
        if (text[10] != ' ' || text[13] != ':' || text[16] != ':' || !fixedDigits(text, 11, 2, value.hour)
            || !fixedDigits(text, 14, 2, value.minute) || !fixedDigits(text, 17, 2, value.second)
            || !validTime(value.hour, value.minute, value.second)) {
            return false;
        }
        value.hasTime = true;
    }
    out = value;
    return true;
}

std::string_view trimmed(std::string_view text)
{
    while (!text.empty() && text.front() == ' ') {
        text.remove_prefix(1);
    }
    while (!text.empty() && text.back() == ' ') {
        text.remove_suffix(1);
    }
    return text;
}

// Days since 1970-01-01 of a date of the proleptic Gregorian calendar, and back.
long long daysFromCivil(long long y, int m, int d)
{
    y -= m <= 2 ? 1 : 0;
    const long long era = (y >= 0 ? y : y - 399) / 400;
    const long long yoe = y - era * 400;
    const long long doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
    const long long doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + doe - 719468;
}

void civilFromDays(long long z, int& y, int& m, int& d)
{
    z += 719468;
    const long long era = (z >= 0 ? z : z - 146096) / 146097;
    const long long doe = z - era * 146097;
    const long long yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const long long doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const long long mp = (5 * doy + 2) / 153;
    d = static_cast<int>(doy - (153 * mp + 2) / 5 + 1);
    m = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
    y = static_cast<int>(yoe + era * 400 + (m <= 2 ? 1 : 0));
}

long long floorDiv(long long a, long long b)
{
    return a / b - ((a % b != 0 && (a < 0) != (b < 0)) ? 1 : 0);
}

// Seconds east of UTC of the local time zone at the instant `seconds`.
long long localOffset(long long seconds)
{
    const std::time_t t = static_cast<std::time_t>(seconds);
    std::tm tm {};
    if (localtime_r(&t, &tm) == nullptr) {
        return 0;
    }
    return tm.tm_gmtoff;
}

// Years 100 to 9999 fit easily; the bound keeps the arithmetic far from overflow.
constexpr long long SecondsLimit = 400000000000LL;

// The date-time of `seconds` in a zone `offset` seconds east of UTC, or nothing outside
// the years 100 to 9999.
std::optional<DateTime> shiftedDateTime(long long seconds, long long offset)
{
    const long long local = seconds + offset;
    const long long days = floorDiv(local, 86400);
    const long long rest = local - days * 86400;
    // The stamps of a bookmark file come a day at a time: the calendar date of the day
    // before is kept.
    thread_local long long lastDays = 0;
    thread_local DateTime lastDate { 1970, 1, 1, 0, 0, 0, false };  // day 0
    if (days != lastDays) {
        civilFromDays(days, lastDate.year, lastDate.month, lastDate.day);
        lastDays = days;
    }
    DateTime value;
    value.year = lastDate.year;
    value.month = lastDate.month;
    value.day = lastDate.day;
    if (!validDate(value.year, value.month, value.day)) {
        return std::nullopt;
    }
    value.hour = static_cast<int>(rest / 3600);
    value.minute = static_cast<int>(rest / 60 % 60);
    value.second = static_cast<int>(rest % 60);
    value.hasTime = true;
    return value;
}

}  // namespace

std::optional<DateTime> fromUnixSeconds(long long seconds)
{
    if (seconds < -SecondsLimit || seconds > SecondsLimit) {
        return std::nullopt;
    }
    return shiftedDateTime(seconds, localOffset(seconds));
}

std::optional<DateTime> LocalTimes::fromUnixSeconds(long long seconds)
{
    if (seconds < -SecondsLimit || seconds > SecondsLimit) {
        return std::nullopt;
    }
    const long long hour = floorDiv(seconds, 3600) * 3600;
    if (!m_known || hour != m_hour) {
        // The zone's offset holds for the whole hour when it is the same at both ends:
        // no zone changes its offset twice within an hour.
        const long long first = localOffset(hour);
        if (localOffset(hour + 3599) != first) {
            return shiftedDateTime(seconds, localOffset(seconds));  // a change within this hour
        }
        m_hour = hour;
        m_offset = first;
        m_known = true;
    }
    return shiftedDateTime(seconds, m_offset);
}

long long toUnixSeconds(const DateTime& value)
{
    if (value.isNull()) {
        return 0;
    }
    const long long local = daysFromCivil(value.year, value.month, value.day) * 86400 + value.hour * 3600LL
        + value.minute * 60LL + value.second;
    // The offset at the local time read as UTC is right except near a change of offset;
    // a second look at the instant found settles that.
    long long utc = local - localOffset(local);
    utc = local - localOffset(utc);
    return utc;
}

std::string formatFileDate(const DateTime& value)
{
    char buffer[48];
    if (value.hasTime) {
        std::snprintf(buffer, sizeof buffer, "%04d-%02d-%02d %02d:%02d:%02d", value.year, value.month, value.day,
            value.hour, value.minute, value.second);
    } else {
        std::snprintf(buffer, sizeof buffer, "%04d-%02d-%02d", value.year, value.month, value.day);
    }
    return buffer;
}

std::optional<DateTime> parseFileDate(std::string_view input)
{
    if (DateTime written; readWrittenForm(input, written)) {
        return written;
    }
    const std::string_view text = trimmed(input);
    if (text.empty() || text == "NULL") {
        return DateTime {};
    }
    DateTime result;
    size_t pos = 0;
    int a = 0, b = 0, c = 0;
    if (!readNumber(text, pos, 4, a)) {
        return std::nullopt;
    }
    if (expect(text, pos, '-')) {
        // yyyy-mm-dd
        if (!readNumber(text, pos, 2, b) || !expect(text, pos, '-') || !readNumber(text, pos, 2, c)) {
            return std::nullopt;
        }
        result.year = a;
        result.month = b;
        result.day = c;
    } else if (expect(text, pos, '/')) {
        // m/d/yyyy (older files and hand edits)
        if (!readNumber(text, pos, 2, b) || !expect(text, pos, '/') || !readNumber(text, pos, 4, c)) {
            return std::nullopt;
        }
        result.month = a;
        result.day = b;
        result.year = c < 100 ? (c < 30 ? 2000 + c : 1900 + c) : c;
    } else {
        return std::nullopt;
    }
    if (!validDate(result.year, result.month, result.day)) {
        return std::nullopt;
    }
    if (pos == text.size()) {
        return result;
    }
    if (!expect(text, pos, ' ')) {
        return std::nullopt;
    }
    int h = 0, mi = 0, s = 0;
    if (!readNumber(text, pos, 2, h) || !expect(text, pos, ':') || !readNumber(text, pos, 2, mi)) {
        return std::nullopt;
    }
    if (expect(text, pos, ':') && !readNumber(text, pos, 2, s)) {
        return std::nullopt;
    }
    const std::string_view rest = trimmed(text.substr(pos));
    if (rest == "PM" || rest == "pm") {
        if (h < 1 || h > 12) {
            return std::nullopt;
        }
        h = h == 12 ? 12 : h + 12;
    } else if (rest == "AM" || rest == "am") {
        if (h < 1 || h > 12) {
            return std::nullopt;
        }
        h = h == 12 ? 0 : h;
    } else if (!rest.empty()) {
        return std::nullopt;
    }
    if (!validTime(h, mi, s)) {
        return std::nullopt;
    }
    result.hour = h;
    result.minute = mi;
    result.second = s;
    result.hasTime = true;
    return result;
}

std::string idDateText(const DateTime& value)
{
    const int hour12 = value.hour % 12 == 0 ? 12 : value.hour % 12;
    char buffer[64];
    std::snprintf(buffer, sizeof buffer, "%d/%d/%02d %d:%02d:%02d %s", value.month, value.day, value.year % 100, hour12,
        value.minute, value.second, value.hour < 12 ? "AM" : "PM");
    return buffer;
}

}  // namespace brindlex
