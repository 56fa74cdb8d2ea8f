#include "store/DateTime.h"

#include <cstdio>

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

}  // namespace

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
