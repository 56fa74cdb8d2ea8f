#pragma once
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "browser/BrowserHost.h"
#include "browser/SocketConversation.h"

namespace brindlex {

class CommandTable;
class DialogHost;
class Editing;
class FolderPanes;
class OptionsHost;
class ProgramSettings;
class SettingsStore;
class WebBrowser;
struct Platform;

// The browser link and the Options dialog on the main window: File > Send URL and
// Get URL, their popup and toolbar twins, the double-click on a link row, View >
// Options, and the clipboard client behind Paste of a URL from the system clipboard.
// The browser link works on the client state of the program's settings, so what a
// transfer (the clipboard fallback of a scan) or Options changes is what the shutdown
// writes.
class BrowserCommands : public BrowserHost
{
public:
    // Everything must outlive the commands; `window` is what Options changes on the window.
    BrowserCommands(FolderPanes& panes, CommandTable& commands, const DialogHost& dialogs, Editing& editing,
        const Platform& platform, SettingsStore& store, ProgramSettings& settings, OptionsHost& window);
    ~BrowserCommands() override;
    BrowserCommands(const BrowserCommands&) = delete;
    BrowserCommands& operator=(const BrowserCommands&) = delete;

    // DoAction with the default client. A command given while a transfer or the Options
    // dialog is running does nothing.
    void Send();
    void Get();
    // The Options dialog, modal over the window.
    void OpenOptions();
    // The clipboard client for Paste: a URL from the system clipboard as a new entry of
    // CurrentFolder, with the clipboard client's messages; "" when refused. The caller
    // adds the entry to the list.
    std::string ClipboardGetURL();
    // The default client of the start-up, by its stored id.
    void UseDefaultClient(int BrowserID);

    WebBrowser& browser() { return *m_browser; }

    // BrowserHost
    const FolderItem* SelectedItem() override;
    void AddEntryToList(const std::string& iid) override;
    void LoadBrowser(const std::string& browser, const std::function<void()>& openBrowser) override;

private:
    void transfer(int direction);

    FolderPanes& m_panes;
    const DialogHost& m_dialogs;
    Editing& m_editing;
    const Platform& m_platform;
    SettingsStore& m_store;
    ProgramSettings& m_settings;
    OptionsHost& m_window;
    SocketConversation m_conversation;
    std::unique_ptr<WebBrowser> m_browser;
    // While the clipboard client works for Paste, new entries are collected here instead
    // of being added to the list (Paste refreshes the list itself).
    std::vector<std::string>* m_captured = nullptr;
    bool m_running = false;  // a transfer or the Options dialog is under way
};

}  // namespace brindlex
