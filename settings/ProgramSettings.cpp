#include "settings/ProgramSettings.h"

#include <algorithm>
#include <cmath>
#include <iterator>

#include "settings/Settings.h"
#include "settings/SettingsStore.h"
#include "store/GoToHistory.h"

namespace brindlex {

namespace {

constexpr const char* HistorySection = "GoToFolder";

std::string historyKey(size_t n)
{
    return "PathHistory" + std::to_string(n);
}

// A value that must be 0 or 1; anything else is 0.
int zeroOrOne(int value)
{
    return value == 0 || value == 1 ? value : 0;
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
    ListSort = readInteger(stored, setting::ListSort);
    geometry.Top = readInteger(stored, setting::Top);
    geometry.Left = readInteger(stored, setting::Left);
    geometry.Height = readInteger(stored, setting::Height);
    geometry.Width = readInteger(stored, setting::Width);
    geometry.WindowState = readInteger(stored, setting::WindowState);
    m_sizeStored = storedNumber(stored, setting::Width) && storedNumber(stored, setting::Height);
    options.IncludeDesc = readInteger(stored, setting::IncludeDesc);
    options.DisplayPath = readInteger(stored, setting::DisplayPath);
    ShowToolbar = readBool(stored, setting::ShowToolbar);
    ShowStatusbar = readBool(stored, setting::ShowStatusbar);
    ListViewMode = readInteger(stored, setting::ListViewMode);
    client.Browser = readText(stored, setting::Name);
    client.Method = readBool(stored, setting::Method);
    client.OpenIfClosed = readInteger(stored, setting::OpenIfClosed);
    client.BrowserID = readInteger(stored, setting::ID);
    options.ProgramFont = readText(stored, setting::ProgramFont);
    options.ProgramFontSize = readInteger(stored, setting::ProgramFontSize);
    m_lastDB = readText(stored, setting::LastDB);
    m_startMin = readInteger(stored, setting::StartMin) == 1;
    m_firstLoad = readNumber(stored, setting::FirstLoad) == 0;
    PaneMode = readBool(stored, setting::PaneMode);
}

void ProgramSettings::write(const std::string& lastDB)
{
    writeInteger(m_store, setting::ListViewMode, ListViewMode);
    for (int n = 0; n < 7; ++n) {
        writeNumber(m_store, *setting::Columns[n], Columns[n]);
    }
    writeNumber(m_store, setting::ListLeft, std::round(geometry.ListLeft));
    writeNumber(m_store, setting::ListWidth, std::round(geometry.ListWidth));
    writeInteger(m_store, setting::TreeLeft, 0);
    writeNumber(m_store, setting::TreeWidth, std::round(geometry.TreeWidth));
    writeInteger(m_store, setting::TrayFlag, options.TrayFlag);
    writeBool(m_store, setting::ShowToolbar, ShowToolbar);
    writeBool(m_store, setting::ShowStatusbar, ShowStatusbar);
    writeText(m_store, setting::LastDB, lastDB);
    m_lastDB = lastDB;
    writeInteger(m_store, setting::AutoAssign, options.AutoAssign);
    writeInteger(m_store, setting::AutoSave, options.AutoSave);
    writeInteger(m_store, setting::IncludeDesc, options.IncludeDesc);
    writeInteger(m_store, setting::DisplayPath, options.DisplayPath);
    writeText(m_store, setting::Name, client.Browser);
    writeInteger(m_store, setting::ID, client.BrowserID);
    writeBool(m_store, setting::Method, client.Method);
    writeInteger(m_store, setting::OpenIfClosed, client.OpenIfClosed);
    writeText(m_store, setting::ProgramFont, options.ProgramFont);
    writeInteger(m_store, setting::ProgramFontSize, options.ProgramFontSize);
    writeInteger(m_store, setting::ListSort, ListSort);
    writeInteger(m_store, setting::Top, geometry.Top);
    writeInteger(m_store, setting::Left, geometry.Left);
    writeInteger(m_store, setting::Height, geometry.Height);
    writeInteger(m_store, setting::Width, geometry.Width);
    writeInteger(m_store, setting::WindowState, geometry.WindowState);
    writeBool(m_store, setting::PaneMode, PaneMode);
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
        std::string path = m_store.get(HistorySection, historyKey(n), "");
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
        m_store.set(HistorySection, historyKey(n), n < rows.size() ? rows[n] : std::string());
    }
}

}  // namespace brindlex
