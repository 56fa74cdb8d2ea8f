#pragma once
#include <string>

namespace brindlex {

class WebBrowser;

// The system clipboard standing in for a browser.
class CLIPBrowser
{
public:
    explicit CLIPBrowser(WebBrowser& owner)
        : m_owner(owner)
    {
    }

    void OpenWebPage(const std::string& url);
    void GetURL();

private:
    WebBrowser& m_owner;
};

}  // namespace brindlex
