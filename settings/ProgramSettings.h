#pragma once
#include <string>
#include <vector>

namespace brindlex {

class SettingsStore;

// The general options the Options dialog changes.
struct ProgramOptions
{
    int AutoAssign = 0;
    int AutoSave = 0;
    int IncludeDesc = 0;
    int DisplayPath = 0;
    int TrayFlag = 0;
    std::string ProgramFont = "MS Sans Serif";
    int ProgramFontSize = 8;
};

// The default browser client: what is stored ("Name", "ID", "Method", "OpenIfClosed") and
// how the browser link reaches it now (worked out from the ID, never stored).
struct ClientState
{
    std::string Browser = "Netscape Navigator";
    int BrowserID = 0;
    bool Method = true;  // true "Scan", false "Specific"
    int OpenIfClosed = 1;
    int InterfaceType = 0;  // 0 DDE, 1 automation, -1 the system clipboard
};

// The main window's normal position and size and its state (0 normal, 1 minimised,
// 2 maximised), and the widths of the panes, all in twips.
struct WindowGeometry
{
    int Top = 1635;
    int Left = 945;
    int Height = 5865;
    int Width = 9855;
    int WindowState = 0;
    double ListLeft = 2730;
    double ListWidth = 7005;
    double TreeWidth = 2685;
};

// Every setting of the program in one typed object, over the settings store. The main
// window, the Options dialog and the browser link share one of these: each reads and
// changes the values here, and the window writes them back at shutdown. A few values are
// written the moment they change, as they always have been: "StartMin" (by Options),
// "FirstLoad" (the first start), the go-to history and a repaired "AutoAssign".
class ProgramSettings
{
public:
    // `store` must outlive this object.
    explicit ProgramSettings(SettingsStore& store);

    // Reads every value with its default and the rules of start-up: a "TrayFlag" or
    // "AutoSave" other than 0 or 1 is 0; a column narrower than one twip is one twip wide;
    // an "AutoAssign" that is no number is repaired to its leading numeric value (0 or 1,
    // else 0) and written back at once.
    void read();
    // Writes every value the program keeps at shutdown, LastDB as given. Inside a
    // SettingsBatch the store takes the lot in one sync.
    void write(const std::string& lastDB);

    // The stored "LastDB" ("" when none is stored).
    const std::string& LastDB() const { return m_lastDB; }
    // "FirstLoad" is 0 before the first start ends; then it is "999".
    bool isFirstLoad() const { return m_firstLoad; }
    void markLoaded();
    // "StartMin" 1: the window starts hidden in the tray (with the tray icon on).
    bool StartMin() const { return m_startMin; }
    // Whether an earlier run stored the window's size ("Width" and "Height"); until one
    // has, the window is sized by the screen it opens on.
    bool sizeStored() const { return m_sizeStored; }
    // Whether an earlier run stored the width of column `n` (0..6); until one has, the
    // column is as wide as its header and typical contents need.
    bool columnStored(int n) const { return n >= 0 && n < 7 && m_columnStored[n]; }
    // The go-to history as stored now ("PathHistory0" ... "PathHistory9" of section
    // "GoToFolder"), most recent first, empty rows left out; and its saving, a missing
    // row stored empty, in one batch.
    std::vector<std::string> pathHistory() const;
    void savePathHistory(const std::vector<std::string>& rows);

    SettingsStore& store() const { return m_store; }

    ProgramOptions options;
    ClientState client;
    WindowGeometry geometry;
    double Columns[7] = { 1440, 824.882, 425.197, 425.764, 14400, 14400, 0.566929 };  // twips
    int ListSort = 3;  // the list's sort column; only 0..5 sort
    int ListViewMode = 3;  // 0 large icons, 1 small icons, 2 list, 3 details
    bool ShowToolbar = true;
    bool ShowStatusbar = true;
    bool PaneMode = false;  // single pane

private:
    SettingsStore& m_store;
    std::string m_lastDB;
    bool m_firstLoad = true;
    bool m_startMin = false;
    bool m_sizeStored = false;
    bool m_columnStored[7] = {};
};

}  // namespace brindlex
