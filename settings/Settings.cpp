#include "settings/Settings.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <iterator>

#include "settings/SettingsStore.h"
#include "store/Text.h"

namespace brindlex {

namespace {

using namespace setting;

constexpr SettingKey Table[] = {
    ProgramFont,
    ProgramFontSize,
    ListLeft,
    ListWidth,
    TreeLeft,
    TreeWidth,
    TrayFlag,
    Column1,
    Column2,
    Column3,
    Column4,
    Column5,
    Column6,
    Column7,
    AutoAssign,
    AutoSave,
    ListSort,
    Top,
    Left,
    Height,
    Width,
    WindowState,
    IncludeDesc,
    DisplayPath,
    ShowToolbar,
    ShowStatusbar,
    ListViewMode,
    Name,
    ID,
    Method,
    OpenIfClosed,
    LastDB,
    StartMin,
    FirstLoad,
    PaneMode,
    NetscapePath,
    IExplorerPath,
    EMosaicPath,
    SpryMosaicPath,
    PathHistory[0],
    PathHistory[1],
    PathHistory[2],
    PathHistory[3],
    PathHistory[4],
    PathHistory[5],
    PathHistory[6],
    PathHistory[7],
    PathHistory[8],
    PathHistory[9],
};

std::string_view trim(std::string_view text)
{
    while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) {
        text.remove_prefix(1);
    }
    while (!text.empty() && (text.back() == ' ' || text.back() == '\t')) {
        text.remove_suffix(1);
    }
    return text;
}

bool isDigit(char c)
{
    return c >= '0' && c <= '9';
}

// Length of the decimal number at the start of `text` (sign, digits, fraction, exponent), 0 if none.
size_t numberLength(std::string_view text)
{
    size_t i = 0;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) {
        ++i;
    }
    size_t digits = 0;
    while (i < text.size() && isDigit(text[i])) {
        ++i;
        ++digits;
    }
    if (i < text.size() && text[i] == '.') {
        ++i;
        while (i < text.size() && isDigit(text[i])) {
            ++i;
            ++digits;
        }
    }
    if (digits == 0) {
        return 0;
    }
    if (i < text.size() && (text[i] == 'e' || text[i] == 'E')) {
        size_t j = i + 1;
        if (j < text.size() && (text[j] == '+' || text[j] == '-')) {
            ++j;
        }
        if (j < text.size() && isDigit(text[j])) {
            while (j < text.size() && isDigit(text[j])) {
                ++j;
            }
            i = j;
        }
    }
    return i;
}

double toDouble(std::string_view number)
{
    const std::string copy(number);
    return std::strtod(copy.c_str(), nullptr);
}

}  // namespace

std::span<const SettingKey> allSettings()
{
    return { std::begin(Table), std::end(Table) };
}

const SettingKey* findSetting(std::string_view section, std::string_view key)
{
    for (const SettingKey& entry : Table) {
        if (equalsNoCase(entry.section, section) && equalsNoCase(entry.key, key)) {
            return &entry;
        }
    }
    return nullptr;
}

std::string lastDatabaseDefault(const std::string& programDir)
{
    return programDir + "/Brindlex.bdx";
}

std::optional<long long> parseInteger(std::string_view text)
{
    text = trim(text);
    size_t i = 0;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) {
        ++i;
    }
    if (i == text.size() || text.size() - i > 18) {
        return std::nullopt;
    }
    for (size_t j = i; j < text.size(); ++j) {
        if (!isDigit(text[j])) {
            return std::nullopt;
        }
    }
    return std::strtoll(std::string(text).c_str(), nullptr, 10);
}

std::optional<double> parseNumber(std::string_view text)
{
    text = trim(text);
    const size_t length = numberLength(text);
    if (length == 0 || length != text.size()) {
        return std::nullopt;
    }
    const double value = toDouble(text);
    if (!std::isfinite(value)) {
        return std::nullopt;
    }
    return value;
}

double leadingNumber(std::string_view text)
{
    text = trim(text);
    const size_t length = numberLength(text);
    if (length == 0) {
        return 0;
    }
    const double value = toDouble(text.substr(0, length));
    return std::isfinite(value) ? value : 0;
}

std::string numberText(double value)
{
    if (value == std::floor(value) && std::fabs(value) < 1e15) {
        return std::to_string(static_cast<long long>(value));
    }
    char buffer[32];
    std::snprintf(buffer, sizeof buffer, "%.15g", value);
    return buffer;
}

std::optional<double> storedNumber(const SettingsStore& store, const SettingKey& key)
{
    return parseNumber(store.get(key.section, key.key, ""));
}

std::string readText(const SettingsStore& store, const SettingKey& key)
{
    return store.get(key.section, key.key, key.fallback);
}

double readNumber(const SettingsStore& store, const SettingKey& key)
{
    if (const auto value = parseNumber(readText(store, key))) {
        return *value;
    }
    return parseNumber(key.fallback).value_or(0);
}

int readInteger(const SettingsStore& store, const SettingKey& key)
{
    const double value = readNumber(store, key);
    if (value > 2147483647.0 || value < -2147483648.0) {
        return static_cast<int>(parseNumber(key.fallback).value_or(0));
    }
    return static_cast<int>(std::lround(value));
}

bool readBool(const SettingsStore& store, const SettingKey& key)
{
    const auto word = [](std::string_view text) -> std::optional<bool> {
        text = trim(text);
        if (equalsNoCase(text, "True")) {
            return true;
        }
        if (equalsNoCase(text, "False")) {
            return false;
        }
        if (const auto number = parseNumber(text)) {
            return *number != 0;
        }
        return std::nullopt;
    };
    if (const auto value = word(readText(store, key))) {
        return *value;
    }
    return word(key.fallback).value_or(false);
}

void writeText(SettingsStore& store, const SettingKey& key, const std::string& value)
{
    store.set(key.section, key.key, value);
}

void writeNumber(SettingsStore& store, const SettingKey& key, double value)
{
    writeText(store, key, numberText(value));
}

void writeInteger(SettingsStore& store, const SettingKey& key, long long value)
{
    writeText(store, key, std::to_string(value));
}

void writeBool(SettingsStore& store, const SettingKey& key, bool value)
{
    writeText(store, key, value ? "True" : "False");
}

}  // namespace brindlex
