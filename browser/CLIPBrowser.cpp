#include "browser/CLIPBrowser.h"

#include "browser/BrowserHost.h"
#include "browser/WebBrowser.h"
#include "platform/Clipboard.h"
#include "platform/MessageBoxes.h"
#include "platform/Platform.h"
#include "store/LinkStore.h"
#include "store/TextRules.h"

namespace brindlex {

void CLIPBrowser::OpenWebPage(const std::string& url)
{
    m_owner.platform().clipboard.setText(url);
    m_owner.platform().messages.show("URL Posted", "URL has been posted to the clipboard", MessageIcon::Information);
}

void CLIPBrowser::GetURL()
{
    std::string text = m_owner.platform().clipboard.text();
    if (text.empty()) {
        m_owner.platform().messages.show("Nothing found", "The clipboard is empty....", MessageIcon::Information);
        return;
    }
    if (text.find("file:") != std::string::npos && text.find("file:///") == std::string::npos) {
        text = text.substr(0, 5) + "///" + text.substr(std::min<size_t>(5, text.size()));
    }
    const std::string kind = ClassifyURL(text);
    if (kind == "Unknown") {
        m_owner.platform().messages.beep();
        m_owner.platform().messages.show("Error", "Invalid URL Address on clipboard...", MessageIcon::Information);
        return;
    }
    const std::string iid = m_owner.store().CreateEntry(false, text, 5, "From Clipboard", kind, "");
    m_owner.host().AddEntryToList(iid);
}

}  // namespace brindlex
