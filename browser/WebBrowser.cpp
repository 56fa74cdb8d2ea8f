#include "browser/WebBrowser.h"

#include <array>

#include "browser/BrowserHost.h"
#include "platform/MessageBoxes.h"
#include "platform/Platform.h"
#include "settings/SettingsStore.h"
#include "store/Clients.h"
#include "store/FolderItem.h"
#include "store/LinkStore.h"

namespace brindlex {

WebBrowser::WebBrowser(LinkStore& store, const Platform& platform, Conversation& conversation, SettingsStore& settings,
    BrowserHost& host, ClientState& client)
    : Browser(client.Browser)
    , BrowserID(client.BrowserID)
    , Method(client.Method)
    , OpenIfClosed(client.OpenIfClosed)
    , InterfaceType(client.InterfaceType)
    , dBrowser(*this)
    , oBrowser(*this)
    , cBrowser(*this)
    , m_store(store)
    , m_platform(platform)
    , m_conversation(conversation)
    , m_settings(settings)
    , m_host(host)
{
    m_store.SetDefaultClient(m_interfaceName);
}

WebBrowser::WebBrowser(
    LinkStore& store, const Platform& platform, Conversation& conversation, SettingsStore& settings, BrowserHost& host)
    : WebBrowser(store, platform, conversation, settings, host, m_ownClient)
{
}

void WebBrowser::SetInterfaceName(std::string name)
{
    m_interfaceName = std::move(name);
    m_store.SetDefaultClient(m_interfaceName);
}

void WebBrowser::DoAction(int Action)
{
    tInterfaceName = m_interfaceName;
    if (Action == Get) {
        if (InterfaceType == -1) {
            cBrowser.GetURL();
        } else if (InterfaceType == 0) {
            dBrowser.GetURL();
        } else {
            oBrowser.GetURL();
        }
    } else {
        // Only a link can be sent: a folder's empty URL used to replace the user's
        // clipboard and be reported as posted.
        const FolderItem* item = m_host.SelectedItem();
        if (item == nullptr || item->IsFolder) {
            m_platform.messages.beep();
            return;
        }
        const std::string url = item->URL;
        const std::string client = item->Client;
        const int rememberedType = InterfaceType;
        if (client == "Mosaic.MosaicCCI") {
            InterfaceType = 1;
            tInterfaceName = "Mosaic.MosaicCCI";
        } else if (client != "None" && !client.empty()) {
            InterfaceType = 0;
            tInterfaceName = client;
        }
        if (Method) {
            FindBrowser();
        }
        if (InterfaceType == -1) {
            cBrowser.OpenWebPage(url);
        } else if (InterfaceType == 0) {
            dBrowser.OpenWebPage(url);
        } else {
            oBrowser.OpenWebPage(url);
        }
        InterfaceType = rememberedType;
    }
    tInterfaceName = m_interfaceName;
}

void WebBrowser::FindBrowser()
{
    using Order = std::array<const char*, 4>;
    Order order;
    bool setsBrowser = false;
    if (tInterfaceName == "NETSCAPE" || tInterfaceName == "Clipboard") {
        order = { "NETSCAPE", "Iexplore", "EMosaic", "SMosaic" };
    } else if (tInterfaceName == "Iexplore") {
        order = { "Iexplore", "NETSCAPE", "EMosaic", "SMosaic" };
        setsBrowser = true;
    } else if (tInterfaceName == "EMosaic") {
        order = { "EMosaic", "SMosaic", "NETSCAPE", "Iexplore" };
        setsBrowser = true;
    } else if (tInterfaceName == "SMosaic") {
        order = { "SMosaic", "EMosaic", "NETSCAPE", "Iexplore" };
        setsBrowser = true;
    } else {
        return;  // the automation object, the clipboard: nothing to scan for
    }
    for (const char* service : order) {
        if (ProbeBrowser(service) == 0) {
            return;
        }
    }
    tInterfaceName = "Clipboard";
    InterfaceType = -1;
    if (setsBrowser) {
        Browser = "System Clipboard";
    }
    m_platform.messages.show("Error---No Browser",
        "There is no browser currently open...\nSetting the browser to the system clipboard.",
        MessageIcon::Information);
}

int WebBrowser::ProbeBrowser(const std::string& service)
{
    tInterfaceName = service;
    InterfaceType = 0;
    return dBrowser.DoDDE("ListWindows", "");
}

void WebBrowser::UseDefaultClient(int id)
{
    const ClientRow& row = defaultClient(id);
    BrowserID = id;
    SetInterfaceName(row.Service);
    InterfaceType = static_cast<int>(row.Kind);
    tInterfaceName = m_interfaceName;
}

void WebBrowser::ChooseDefaultClient(int row, bool method, int openIfClosed)
{
    if (row < 0 || row >= DefaultClientCount) {
        row = MosaicClientID;
    }
    const ClientRow& chosen = defaultClient(row);
    Browser = chosen.Name;
    BrowserID = row;
    SetInterfaceName(row == ClipboardClientID ? std::string() : std::string(chosen.Service));
    InterfaceType = static_cast<int>(chosen.Kind);
    Method = method;
    OpenIfClosed = openIfClosed;
    tInterfaceName = m_interfaceName;
}

}  // namespace brindlex
