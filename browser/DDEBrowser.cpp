#include "browser/DDEBrowser.h"

#include <algorithm>
#include <cctype>

#include "browser/BrowserHost.h"
#include "browser/WebBrowser.h"
#include "platform/Conversation.h"
#include "platform/EventPump.h"
#include "platform/MessageBoxes.h"
#include "platform/Platform.h"
#include "platform/ProgramStarter.h"
#include "settings/SettingsStore.h"
#include "store/Clients.h"
#include "store/FolderItem.h"
#include "store/LinkStore.h"
#include "store/Text.h"
#include "store/TextEncoding.h"
#include "store/TextRules.h"

namespace brindlex {

std::optional<WindowInfo> ParseWindowInfo(std::string_view reply)
{
    if (reply.size() > MaxWindowInfoBytes || !isValidUtf8(reply)) {
        return std::nullopt;
    }
    // "url","title" ... : the URL between the first two quotes, the title between the
    // next two, looked for from two characters past the URL's closing quote.
    const size_t open1 = reply.find('"');
    if (open1 == std::string_view::npos) {
        return std::nullopt;
    }
    const size_t close1 = reply.find('"', open1 + 1);
    if (close1 == std::string_view::npos) {
        return std::nullopt;
    }
    const size_t open2 = reply.find('"', close1 + 2);
    if (close1 + 2 > reply.size() || open2 == std::string_view::npos) {
        return std::nullopt;
    }
    const size_t close2 = reply.find('"', open2 + 1);
    if (close2 == std::string_view::npos) {
        return std::nullopt;
    }
    return WindowInfo { std::string(reply.substr(open1 + 1, close1 - open1 - 1)),
        std::string(reply.substr(open2 + 1, close2 - open2 - 1)) };
}

std::string BrowserTitle(std::string title)
{
    const size_t at = upperAscii(title).find("NETSCAPE - [");
    if (at == std::string::npos) {
        return title;
    }
    const size_t open = title.find('[', at);
    const size_t close = title.find(']', open + 1);
    // A title cut short before its "]" keeps everything after the "[".
    return title.substr(open + 1, close == std::string::npos ? std::string::npos : close - open - 1);
}

std::string NormaliseFilePath(std::string path)
{
    std::replace(path.begin(), path.end(), '/', '\\');
    if (const size_t bar = path.find('|'); bar != std::string::npos) {
        path[bar] = ':';
    }
    return path;
}

std::string FileURL(std::string url)
{
    if (url.find("file:") == std::string::npos) {
        return url;
    }
    if (url.find("file:///") == std::string::npos) {
        return url.substr(0, 5) + "///" + NormaliseFilePath(url.substr(std::min<size_t>(5, url.size())));
    }
    return url.substr(0, 8) + NormaliseFilePath(url.substr(std::min<size_t>(8, url.size())));
}

int DDEBrowser::DoDDE(const std::string& topic, const std::string& item)
{
    std::string service = m_owner.tInterfaceName;
    if (service == "EMosaic" || service == "SMosaic") {
        service.erase(0, 1);
    }
    // The previous reply is gone with its conversation; a failed request leaves no text
    // that could be taken for its answer.
    txtDDE.clear();
    const ConversationReply reply = m_owner.conversation().Request(service, "WWW_" + topic, item);
    switch (reply.result) {
    case ConversationResult::Ok:
        txtDDE = reply.text;
        return 0;
    case ConversationResult::Timeout:
        m_owner.platform().messages.show(
            "Error with Browser", "The browser is either busy or not repsonding...", MessageIcon::Information);
        return 0;
    case ConversationResult::NoServer:
    case ConversationResult::Refused:
        break;
    }
    return 1;
}

void DDEBrowser::OpenWebPage(const std::string& url)
{
    if (!m_owner.Method) {
        const int r = EnsureBrowser(url, "ListWindows");
        if (r == 1) {
            m_owner.platform().messages.show(
                "Error---No Browser", m_owner.Browser + " is not currently open...", MessageIcon::Information);
        }
        if (r > 0) {
            return;
        }
    }
    if (DoDDE("OpenURL", "\"" + url + "\",,-1,,,,,") == 0) {
        ActivateBrowser();
    } else {
        m_owner.platform().messages.show("Error---No Browser",
            "The error is the result of a return of >0 from Open Web Page:DoDDE\nIt should not be here",
            MessageIcon::Information);
    }
}

void DDEBrowser::ActivateBrowser()
{
    m_owner.platform().events.processEvents();
    DoDDE("Activate", "-1");
}

int DDEBrowser::EnsureBrowser(const std::string& url, const std::string& mode)
{
    (void)url;  // the loading window starts the browser with the selected item's URL
    int result = 0;
    const std::string remembered = m_owner.Browser;
    const FolderItem* item = m_owner.host().SelectedItem();
    if (item != nullptr && item->Client != "None" && mode != "Get") {
        m_owner.tInterfaceName = item->Client;
        if (const std::string_view name = DDEDisplayName(item->Client); !name.empty()) {
            m_owner.Browser = std::string(name);
        }
    }

    int r = 0;
    if (const std::string_view service = DDEService(m_owner.Browser); !service.empty()) {
        r = m_owner.ProbeBrowser(std::string(service));
    }
    result = r;
    m_owner.platform().events.processEvents();

    if (r != 0) {
        if (mode == "Get") {
            m_owner.platform().messages.show("Browser not Available",
                m_owner.Browser + " must be running to grab a URL...", MessageIcon::Information);
            return 3;
        }
        if (m_owner.OpenIfClosed == 1) {
            m_owner.host().LoadBrowser(m_owner.Browser, [this] {
                const FolderItem* selected = m_owner.host().SelectedItem();
                OpenBrowser(selected != nullptr ? selected->URL : std::string());
            });
            result = 2;
        }
    }
    m_owner.Browser = remembered;
    return result;
}

int DDEBrowser::OpenBrowser(const std::string& url)
{
    const std::string& browser = m_owner.Browser;
    const ClientRow* client = DDEService(browser).empty() ? nullptr : clientByName(browser);
    const std::string path
        = client == nullptr ? std::string() : m_owner.settings().get("Browsers", client->PathKey, "");
    // The URL is the program's one argument, passed without a shell: blanks, quotes or
    // shell syntax in it (or in the path) cannot run anything else.
    if (path.empty() || !m_owner.platform().programs.start(path, { url })) {
        m_owner.platform().messages.show(
            "Invalid Path", "Invalid path to " + browser + " program file.", MessageIcon::Information);
        return 0;
    }
    return 1;
}

void DDEBrowser::GetURL()
{
    if (EnsureBrowser("", "Get") != 0) {
        return;
    }
    const int r = DoDDE("GetWindowInfo", "-1");
    const std::optional<WindowInfo> info = r == 0 ? ParseWindowInfo(txtDDE) : std::nullopt;
    if (!info) {
        // No answer, or one that is not a window's address and title: no entry.
        m_owner.platform().messages.show(
            "Error---No Browser", "There is no browser currently open...", MessageIcon::Information);
        return;
    }
    const std::string title = BrowserTitle(info->title);
    const std::string url = FileURL(info->url);
    LinkStore& store = m_owner.store();
    const std::string iid = store.CreateEntry(false, url, imageNumber(Image::Link), title, ClassifyURL(url), "");
    m_owner.host().AddEntryToList(iid);
}

}  // namespace brindlex
