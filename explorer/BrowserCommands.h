#pragma once
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "browser/BrowserHost.h"
#include "browser/SocketConversation.h"
#include "settings/OptionsHost.h"

namespace brindlex {

class WebBrowser;
class frmTarnwell;

// The browser link and the Options dialog on the main window: File > Send URL and
// Get URL, their popup and toolbar twins, the double-click on a link row, View >
// Options, and the clipboard client behind Paste of a URL from the system clipboard.
//
// The window loads the client state at start-up and writes it at shutdown (its
// client()); the WebBrowser works on a copy that is taken from the window before every
// command and handed back after it, so a change made by a transfer (the clipboard
// fallback of a scan) or by Options reaches the settings at shutdown.
class BrowserCommands : public BrowserHost, public OptionsHost
{
public:
    explicit BrowserCommands(frmTarnwell& window);
    ~BrowserCommands() override;
    BrowserCommands(const BrowserCommands&) = delete;
    BrowserCommands& operator=(const BrowserCommands&) = delete;

    // DoAction with the client state of the window. A command given while a transfer or
    // the Options dialog is running does nothing.
    void Send();
    void Get();
    // The Options dialog, modal over the window.
    void OpenOptions();
    // The clipboard client for Paste: a URL from the system clipboard as a new entry of
    // CurrentFolder, with the clipboard client's messages; "" when refused. The caller
    // adds the entry to the list.
    std::string ClipboardGetURL();

    WebBrowser& browser() { return *m_browser; }

    // BrowserHost
    const FolderItem* SelectedItem() override;
    void AddEntryToList(const std::string& iid) override;
    void LoadBrowser(const std::string& browser, const std::function<void()>& openBrowser) override;

    // OptionsHost
    ProgramOptions& Options() override { return m_options; }
    void ApplyProgramFont() override;
    void SetTitle(const std::string& title) override;
    bool ToolbarShown() const override;
    PaneGeometry Panes() const override;
    void SetPanes(const PaneGeometry& panes) override;
    void SetTrayIcon(bool shown) override;
    void ShowDefaultClient(int toolbarImage, const std::string& tooltip) override;

private:
    void transfer(int direction);
    void pullClientState();
    void pushClientState();
    void pullOptions();

    frmTarnwell& m_window;
    SocketConversation m_conversation;
    std::unique_ptr<WebBrowser> m_browser;
    ProgramOptions m_options;
    // While the clipboard client works for Paste, new entries are collected here instead
    // of being added to the list (Paste refreshes the list itself).
    std::vector<std::string>* m_captured = nullptr;
    bool m_running = false;  // a transfer or the Options dialog is under way
};

}  // namespace brindlex
