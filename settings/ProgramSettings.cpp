#include "settings/ProgramSettings.h"

#include <algorithm>
#include <cmath>
#include <iterator>

#include "settings/Settings.h"
#include "settings/SettingsStore.h"
#include "store/GoToHistory.h"

namespace brindlex {

namespace {

static_assert(std::size(setting::PathHistory) == GoToHistory::MaxRows);

// A value that is read and written back as it stands, by its type.
void readInto(const SettingsStore& store, const SettingKey& key, int& value)
{
    value = readInteger(store, key);
}

void readInto(const SettingsStore& store, const SettingKey& key, bool& value)
{
    value = readBool(store, key);
}

void readInto(const SettingsStore& store, const SettingKey& key, std::string& value)
{
    value = readText(store, key);
}

void writeValue(SettingsStore& store, const SettingKey& key, int value)
{
    writeInteger(store, key, value);
}

void writeValue(SettingsStore& store, const SettingKey& key, bool value)
{
    writeBool(store, key, value);
}

void writeValue(SettingsStore& store, const SettingKey& key, const std::string& value)
{
    writeText(store, key, value);
}

// A value that must be 0 or 1; anything else is 0.
int zeroOrOne(int value)
{
    return value == 0 || value == 1 ? value : 0;
}

// The values that have no rule of their own: read() and write() both walk this one list,
// so every value read at start-up is written back at shutdown.
template <typename Settings, typename Visit> void eachPlainValue(Settings& settings, Visit visit)
{
    visit(setting::ListSort, settings.ListSort);
    visit(setting::Top, settings.geometry.Top);
    visit(setting::Left, settings.geometry.Left);
    visit(setting::Height, settings.geometry.Height);
    visit(setting::Width, settings.geometry.Width);
    visit(setting::WindowState, settings.geometry.WindowState);
    visit(setting::IncludeDesc, settings.options.IncludeDesc);
    visit(setting::DisplayPath, settings.options.DisplayPath);
    visit(setting::ShowToolbar, settings.ShowToolbar);
    visit(setting::ShowStatusbar, settings.ShowStatusbar);
    visit(setting::ListViewMode, settings.ListViewMode);
    visit(setting::Name, settings.client.Browser);
    visit(setting::Method, settings.client.Method);
    visit(setting::OpenIfClosed, settings.client.OpenIfClosed);
    visit(setting::ID, settings.client.BrowserID);
    visit(setting::ProgramFont, settings.options.ProgramFont);
    visit(setting::ProgramFontSize, settings.options.ProgramFontSize);
    visit(setting::PaneMode, settings.PaneMode);
}

}  // namespace

ProgramSettings::ProgramSettings(SettingsStore& store)
    : m_store(store)
{
}

void ProgramSettings::read()
{
    const SettingsStore& stored = m_store;
    geometry.ListLeft = readNumber(stored, setting::ListLeft);
    geometry.ListWidth = readNumber(stored, setting::ListWidth);
    geometry.TreeWidth = readNumber(stored, setting::TreeWidth);
    options.TrayFlag = zeroOrOne(readInteger(stored, setting::TrayFlag));
    for (int n = 0; n < 7; ++n) {
        const double width = readNumber(stored, *setting::Columns[n]);
        Columns[n] = width < 1 ? 1 : width;
        m_columnStored[n] = storedNumber(stored, *setting::Columns[n]).has_value();
    }
    // An "AutoAssign" that is not a number is repaired by its leading numeric value and
    // written back.
    const std::string autoAssign = readText(stored, setting::AutoAssign);
    if (const auto number = parseNumber(autoAssign)) {
        options.AutoAssign = static_cast<int>(std::lround(*number));
    } else {
        const double value = leadingNumber(autoAssign);
        options.AutoAssign = (value == 0 || value == 1) ? static_cast<int>(value) : 0;
        writeInteger(m_store, setting::AutoAssign, options.AutoAssign);
    }
    options.AutoSave = zeroOrOne(readInteger(stored, setting::AutoSave));
    eachPlainValue(*this, [&](const SettingKey& key, auto& value) { readInto(stored, key, value); });
    m_sizeStored = storedNumber(stored, setting::Width) && storedNumber(stored, setting::Height);
    m_lastDB = readText(stored, setting::LastDB);
    m_startMin = readInteger(stored, setting::StartMin) == 1;
    m_firstLoad = readNumber(stored, setting::FirstLoad) == 0;
}

void ProgramSettings::write(const std::string& lastDB)
{
    for (int n = 0; n < 7; ++n) {
        writeNumber(m_store, *setting::Columns[n], Columns[n]);
    }
    writeNumber(m_store, setting::ListLeft, std::round(geometry.ListLeft));
    writeNumber(m_store, setting::ListWidth, std::round(geometry.ListWidth));
    writeInteger(m_store, setting::TreeLeft, 0);
    writeNumber(m_store, setting::TreeWidth, std::round(geometry.TreeWidth));
    writeInteger(m_store, setting::TrayFlag, options.TrayFlag);
    writeText(m_store, setting::LastDB, lastDB);
    m_lastDB = lastDB;
    writeInteger(m_store, setting::AutoAssign, options.AutoAssign);
    writeInteger(m_store, setting::AutoSave, options.AutoSave);
    eachPlainValue(*this, [&](const SettingKey& key, const auto& value) { writeValue(m_store, key, value); });
    m_sizeStored = true;
    std::fill(std::begin(m_columnStored), std::end(m_columnStored), true);
}

void ProgramSettings::markLoaded()
{
    writeText(m_store, setting::FirstLoad, "999");
    m_firstLoad = false;
}

std::vector<std::string> ProgramSettings::pathHistory() const
{
    std::vector<std::string> rows;
    for (size_t n = 0; n < GoToHistory::MaxRows; ++n) {
        std::string path = readText(m_store, setting::PathHistory[n]);
        if (!path.empty()) {
            rows.push_back(std::move(path));
        }
    }
    return rows;
}

void ProgramSettings::savePathHistory(const std::vector<std::string>& rows)
{
    const SettingsBatch batch(m_store);
    for (size_t n = 0; n < GoToHistory::MaxRows; ++n) {
        writeText(m_store, setting::PathHistory[n], n < rows.size() ? rows[n] : std::string());
    }
}

}  // namespace brindlex
