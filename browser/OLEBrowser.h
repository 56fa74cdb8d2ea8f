#pragma once
#include <optional>
#include <string>
#include <vector>

namespace brindlex {

class WebBrowser;

// NCSA Mosaic through its automation object "Mosaic.MosaicCCI". The object is created
// on first use (through the retry path) and re-created after a failure.
class OLEBrowser
{
public:
    explicit OLEBrowser(WebBrowser& owner)
        : m_owner(owner)
    {
    }

    // Releases the object held and creates a new one from tInterfaceName.
    void GetOleObject();
    void OpenWebPage(const std::string& url);
    void GetURL();

    bool HasObject() const { return m_object.has_value(); }

private:
    // One member call on the object held; nothing when there is none or the call failed.
    std::optional<std::string> call(const std::string& member, const std::vector<std::string>& arguments = {});

    WebBrowser& m_owner;
    std::optional<std::string> m_object;  // the programmatic identifier of the object held
};

}  // namespace brindlex
