#pragma once
#include <optional>
#include <span>
#include <string>
#include <string_view>

namespace brindlex {

class SettingsStore;

// One stored setting: its section, key and the text read when the store has none.
struct SettingKey
{
    const char* section;
    const char* key;
    const char* fallback;
};

// Every stored setting of the program, by name. "LastDB" has no fixed default: its
// default depends on the program directory (see lastDatabaseDefault).
namespace setting {
inline constexpr SettingKey ProgramFont { "Browser", "ProgramFont", "MS Sans Serif" };
inline constexpr SettingKey ProgramFontSize { "Browser", "ProgramFontSize", "8" };
inline constexpr SettingKey ListLeft { "Browser", "ListLeft", "2730" };
inline constexpr SettingKey ListWidth { "Browser", "ListWidth", "7005" };
inline constexpr SettingKey TreeLeft { "Browser", "TreeLeft", "0" };  // written only
inline constexpr SettingKey TreeWidth { "Browser", "TreeWidth", "2685" };
inline constexpr SettingKey TrayFlag { "Browser", "TrayFlag", "0" };
inline constexpr SettingKey Column1 { "Browser", "Column1", "1440" };
inline constexpr SettingKey Column2 { "Browser", "Column2", "824.882" };
inline constexpr SettingKey Column3 { "Browser", "Column3", "425.197" };
inline constexpr SettingKey Column4 { "Browser", "Column4", "425.764" };
inline constexpr SettingKey Column5 { "Browser", "Column5", "14400" };
inline constexpr SettingKey Column6 { "Browser", "Column6", "14400" };
inline constexpr SettingKey Column7 { "Browser", "Column7", "0.566929" };
inline constexpr SettingKey AutoAssign { "Browser", "AutoAssign", "0" };
inline constexpr SettingKey AutoSave { "Browser", "AutoSave", "0" };
inline constexpr SettingKey ListSort { "Browser", "ListSort", "3" };
inline constexpr SettingKey Top { "Browser", "Top", "1635" };
inline constexpr SettingKey Left { "Browser", "Left", "945" };
inline constexpr SettingKey Height { "Browser", "Height", "5865" };
inline constexpr SettingKey Width { "Browser", "Width", "9855" };
inline constexpr SettingKey WindowState { "Browser", "WindowState", "0" };
inline constexpr SettingKey IncludeDesc { "Browser", "IncludeDesc", "0" };
inline constexpr SettingKey DisplayPath { "Browser", "DisplayPath", "0" };
inline constexpr SettingKey ShowToolbar { "Browser", "ShowToolbar", "True" };
inline constexpr SettingKey ShowStatusbar { "Browser", "ShowStatusbar", "True" };
inline constexpr SettingKey ListViewMode { "Browser", "ListViewMode", "3" };
inline constexpr SettingKey Name { "Browser", "Name", "Netscape Navigator" };
inline constexpr SettingKey ID { "Browser", "ID", "0" };
inline constexpr SettingKey Method { "Browser", "Method", "True" };
inline constexpr SettingKey OpenIfClosed { "Browser", "OpenIfClosed", "1" };
inline constexpr SettingKey LastDB { "Browser", "LastDB", "" };
inline constexpr SettingKey StartMin { "Browser", "StartMin", "0" };
inline constexpr SettingKey FirstLoad { "Browser", "FirstLoad", "0" };
inline constexpr SettingKey PaneMode { "Browser", "PaneMode", "False" };
inline constexpr SettingKey NetscapePath { "Browsers", "NetscapePath", "" };
inline constexpr SettingKey IExplorerPath { "Browsers", "IExplorerPath", "" };
inline constexpr SettingKey EMosaicPath { "Browsers", "EMosaicPath", "" };
inline constexpr SettingKey SpryMosaicPath { "Browsers", "SpryMosaicPath", "" };
inline constexpr SettingKey PathHistory[10] = {
    { "GoToFolder", "PathHistory0", "" },
    { "GoToFolder", "PathHistory1", "" },
    { "GoToFolder", "PathHistory2", "" },
    { "GoToFolder", "PathHistory3", "" },
    { "GoToFolder", "PathHistory4", "" },
    { "GoToFolder", "PathHistory5", "" },
    { "GoToFolder", "PathHistory6", "" },
    { "GoToFolder", "PathHistory7", "" },
    { "GoToFolder", "PathHistory8", "" },
    { "GoToFolder", "PathHistory9", "" },
};
inline constexpr const SettingKey* Columns[7]
    = { &Column1, &Column2, &Column3, &Column4, &Column5, &Column6, &Column7 };
}  // namespace setting

// The whole table, in the order above.
std::span<const SettingKey> allSettings();
// The table entry with this section and key (compared without regard to case), or null.
const SettingKey* findSetting(std::string_view section, std::string_view key);

// programDir + "/Brindlex.bdx": the database used when none was named or stored.
std::string lastDatabaseDefault(const std::string& programDir);

// The stored value as a number; nothing when none is stored or it is no number (the
// key's default does not count).
std::optional<double> storedNumber(const SettingsStore& store, const SettingKey& key);
// The stored text, or the key's default when the store has none.
std::string readText(const SettingsStore& store, const SettingKey& key);
// The stored text as a number; an absent or unreadable value gives the default's number.
double readNumber(const SettingsStore& store, const SettingKey& key);
// As readNumber, rounded to the nearest integer.
int readInteger(const SettingsStore& store, const SettingKey& key);
// "True"/"False" in any letter case, or a number (non-zero is true); anything else gives
// the default.
bool readBool(const SettingsStore& store, const SettingKey& key);

void writeText(SettingsStore& store, const SettingKey& key, const std::string& value);
void writeNumber(SettingsStore& store, const SettingKey& key, double value);  // shortest decimal text
void writeInteger(SettingsStore& store, const SettingKey& key, long long value);
void writeBool(SettingsStore& store, const SettingKey& key, bool value);  // "True" / "False"

// Text conversions with the rules of the stored values.
// A whole decimal integer (optional sign and blanks around it), or nothing.
std::optional<long long> parseInteger(std::string_view text);
// A decimal number (optional sign, fraction and exponent, blanks around it), or nothing.
std::optional<double> parseNumber(std::string_view text);
// The numeric value of the longest number at the start of the text, 0 when there is none
// ("12abc" is 12, "abc" is 0).
double leadingNumber(std::string_view text);
std::string numberText(double value);

}  // namespace brindlex
