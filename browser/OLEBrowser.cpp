#include "browser/OLEBrowser.h"

#include "browser/BrowserHost.h"
#include "browser/WebBrowser.h"
#include "platform/Conversation.h"
#include "platform/MessageBoxes.h"
#include "platform/Platform.h"
#include "store/Images.h"
#include "store/LinkStore.h"
#include "store/TextRules.h"

namespace brindlex {

namespace {

// Failure numbers shown by "Unknown Error #": the automation server answered but
// refused to make an object, or did not answer in time.
constexpr int AutomationRefused = 440;
constexpr int AutomationTimeout = 462;

// The steps of an operation that may fail once: the first failure re-creates the
// object and lets the operation carry on with its next step; a second ends it.
class RetryAllowance
{
public:
    explicit RetryAllowance(OLEBrowser& browser)
        : m_browser(browser)
    {
    }
    // Call after a failed step: true when the operation may go on.
    bool recover()
    {
        if (m_used) {
            return false;
        }
        m_used = true;
        m_browser.GetOleObject();
        return true;
    }

private:
    OLEBrowser& m_browser;
    bool m_used = false;
};

}  // namespace

void OLEBrowser::GetOleObject()
{
    m_object.reset();
    const std::string progId = m_owner.tInterfaceName;
    const ConversationReply reply = m_owner.conversation().CreateObject(progId);
    switch (reply.result) {
    case ConversationResult::Ok:
        m_object = progId;
        return;
    case ConversationResult::NoServer:
        m_owner.platform().messages.show(
            "No Browser", "NCSA Mosaic is not installed properly on this system...", MessageIcon::Information);
        return;
    case ConversationResult::Refused:
        m_owner.platform().messages.show(
            "Error", "Unknown Error #" + std::to_string(AutomationRefused), MessageIcon::Information);
        return;
    case ConversationResult::Timeout:
        m_owner.platform().messages.show(
            "Error", "Unknown Error #" + std::to_string(AutomationTimeout), MessageIcon::Information);
        return;
    }
}

std::optional<std::string> OLEBrowser::call(const std::string& member, const std::vector<std::string>& arguments)
{
    if (!m_object) {
        return std::nullopt;
    }
    const ConversationReply reply = m_owner.conversation().Call(*m_object, member, arguments);
    if (reply.result != ConversationResult::Ok) {
        return std::nullopt;
    }
    return reply.text;
}

void OLEBrowser::OpenWebPage(const std::string& url)
{
    RetryAllowance allowance(*this);
    bool ok = false;
    // A liveness check; the value is not used.
    if (!call("GetCurrentDocURL") && !allowance.recover()) {
        return;
    }
    if (const auto resolved = call("ResolveUrl", { url })) {
        ok = *resolved == "True";
    } else if (!allowance.recover()) {
        return;
    }
    if (!call("doactivate") && !allowance.recover()) {
        return;
    }
    if (!ok) {
        GetOleObject();
        if (const auto resolved = call("ResolveUrl", { url })) {
            ok = *resolved == "True";
        } else if (!allowance.recover()) {
            return;
        }
    }
}

void OLEBrowser::GetURL()
{
    RetryAllowance allowance(*this);
    const auto gaveUp = [this] {
        m_owner.platform().messages.show(
            "URL not Available", "There is no active URL in NCSA Mosaic.", MessageIcon::Information);
    };
    std::string url;
    std::string title;
    // The address is read twice; the second read is the one kept.
    if (const auto first = call("GetCurrentDocURL")) {
        url = *first;
    } else if (!allowance.recover()) {
        return gaveUp();
    }
    if (const auto second = call("GetCurrentDocURL")) {
        url = *second;
    } else if (!allowance.recover()) {
        return gaveUp();
    }
    if (const auto docTitle = call("GetCurrentDocTitle")) {
        title = *docTitle;
    } else if (!allowance.recover()) {
        return gaveUp();
    }
    const std::string iid
        = m_owner.store().CreateEntry(false, url, imageNumber(Image::Link), title, ClassifyURL(url), "");
    m_owner.host().AddEntryToList(iid);
}

}  // namespace brindlex
