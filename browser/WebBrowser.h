#pragma once
#include <string>

#include "browser/CLIPBrowser.h"
#include "browser/DDEBrowser.h"
#include "browser/OLEBrowser.h"
#include "platform/Platform.h"
#include "settings/ProgramSettings.h"

namespace brindlex {

class BrowserHost;
class Conversation;
class LinkStore;
class SettingsStore;

// The browser link: the default client and its state, and the three kinds of client
// (DDE browsers, the NCSA Mosaic automation object, the system clipboard). Lives as
// long as the program; every command that sends or captures a URL calls DoAction.
class WebBrowser
{
public:
    enum Direction { Get = 0, Send = 1 };

    // All references must outlive this object. The client state is `client` (the
    // program's settings), or one of the browser's own without it.
    WebBrowser(LinkStore& store, const Platform& platform, Conversation& conversation, SettingsStore& settings,
        BrowserHost& host, ClientState& client);
    WebBrowser(LinkStore& store, const Platform& platform, Conversation& conversation, SettingsStore& settings,
        BrowserHost& host);
    WebBrowser(const WebBrowser&) = delete;
    WebBrowser& operator=(const WebBrowser&) = delete;

    // 0 = get the page a browser shows as a new entry, 1 = send the selected entry's URL.
    void DoAction(int Action);
    // Looks for a running DDE browser, starting with tInterfaceName; falls back to the
    // clipboard.
    void FindBrowser();
    // 0 when the browser of `service` answered "ListWindows", 1 otherwise.
    int ProbeBrowser(const std::string& service);

    // The default client's service name; also what CreateEntry assigns in mode 1.
    const std::string& InterfaceName() const { return m_interfaceName; }
    void SetInterfaceName(std::string name);

    // The default client of the start-up: row `id` of the default-client table gives
    // BrowserID, InterfaceName and InterfaceType.
    void UseDefaultClient(int id);
    // The Options dialog's choice: `row` of the default-client table (0..5) with the
    // method and "Open Browser if not already". The clipboard's InterfaceName is empty.
    void ChooseDefaultClient(int row, bool method, int openIfClosed);

    // The stored client state, shared with the program's settings.
    std::string& Browser;
    int& BrowserID;
    bool& Method;
    int& OpenIfClosed;
    int& InterfaceType;
    std::string tInterfaceName = "NETSCAPE";

    DDEBrowser dBrowser;
    OLEBrowser oBrowser;
    CLIPBrowser cBrowser;

    LinkStore& store() { return m_store; }
    const Platform& platform() { return m_platform; }
    Conversation& conversation() { return m_conversation; }
    SettingsStore& settings() { return m_settings; }
    BrowserHost& host() { return m_host; }

private:
    ClientState m_ownClient;  // without the program's settings (bdxtool, tests)
    LinkStore& m_store;
    Platform m_platform;
    Conversation& m_conversation;
    SettingsStore& m_settings;
    BrowserHost& m_host;
    std::string m_interfaceName = "NETSCAPE";
};

}  // namespace brindlex
