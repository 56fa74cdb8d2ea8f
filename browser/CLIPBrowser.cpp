#include "browser/CLIPBrowser.h"

#include "browser/BrowserHost.h"
#include "browser/WebBrowser.h"
#include "platform/Clipboard.h"
#include "platform/MessageBoxes.h"
#include "platform/Platform.h"
#include "store/ClipboardURL.h"

namespace brindlex {

void CLIPBrowser::OpenWebPage(const std::string& url)
{
    m_owner.platform().clipboard.setText(url);
    m_owner.platform().messages.show("URL Posted", "URL has been posted to the clipboard", MessageIcon::Information);
}

void CLIPBrowser::GetURL()
{
    const Platform& platform = m_owner.platform();
    const std::string iid = AddURLFromClipboard(m_owner.store(), platform.messages, platform.clipboard.text());
    if (!iid.empty()) {
        m_owner.host().AddEntryToList(iid);
    }
}

}  // namespace brindlex
