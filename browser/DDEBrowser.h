#pragma once
#include <optional>
#include <string>
#include <string_view>

namespace brindlex {

class WebBrowser;

// The URL and window title of a WWW_GetWindowInfo reply, which begins with the URL in
// double quotes, a comma and the title in double quotes. Nothing when the reply does
// not have that shape, is not UTF-8 or is too large to be a window's address and title.
struct WindowInfo
{
    std::string url;
    std::string title;
};
constexpr size_t MaxWindowInfoBytes = 64 * 1024;
std::optional<WindowInfo> ParseWindowInfo(std::string_view reply);
// A browser's title "Netscape - [Docs]" gives "Docs"; any other title stays as it is.
std::string BrowserTitle(std::string title);
// "file:C|/docs/a.htm" gives "file:///C:\docs\a.htm"; URLs without "file:" stay.
std::string FileURL(std::string url);
// Every "/" becomes "\", then the first "|" becomes ":".
std::string NormaliseFilePath(std::string path);

// The DDE browsers: Netscape Navigator, MS Internet Explorer, Spyglass Mosaic and Spry
// Mosaic, reached over the conversation transport under their service names.
class DDEBrowser
{
public:
    explicit DDEBrowser(WebBrowser& owner)
        : m_owner(owner)
    {
    }

    // One request on topic "WWW_" + topic to tInterfaceName; 0 on success or time-out
    // (after the busy message), 1 when no server answered or it refused.
    int DoDDE(const std::string& topic, const std::string& item);
    void OpenWebPage(const std::string& url);
    void ActivateBrowser();
    void GetURL();
    // Checks that the chosen browser runs; may start it. 0 running, 1 not running,
    // 2 started with the URL, 3 not running for a get (reported).
    int EnsureBrowser(const std::string& url, const std::string& mode);
    // Starts the program of Browser with `url` as its one argument: 1 started, 0 failed.
    int OpenBrowser(const std::string& url);

    std::string txtDDE;  // the reply text of the last request; empty after a failure

private:
    WebBrowser& m_owner;
};

}  // namespace brindlex
