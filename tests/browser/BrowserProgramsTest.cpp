#include <fcntl.h>
#include <filesystem>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include "TestBrowserProcess.h"
#include "browser/BrowserHost.h"
#include "browser/BrowserPrograms.h"
#include "browser/SocketConversation.h"
#include "browser/WebBrowser.h"
#include "fakes/FakePlatform.h"
#include "platform/PosixProgramStarter.h"
#include "settings/SettingsStore.h"
#include "store/Clients.h"
#include "store/FolderItem.h"
#include "store/LinkStore.h"

namespace brindlex::test {
namespace {

namespace fs = std::filesystem;

TEST(BrowserPrograms, TheFileNameChoosesThePathBox)
{
    const struct
    {
        const char* path;
        int box;
    } cases[] = {
        { "C:\\Apps\\NETSCAPE.EXE", 0 },
        { "/opt/ie/iexplore.exe", 1 },
        { "EMosaic.exe", 2 },
        { "/opt/spry/AirMos.exe", 3 },
        { "/usr/bin/firefox", 0 },
        { "/usr/lib/firefox-esr/firefox-esr", 0 },
        { "/usr/bin/librewolf", 0 },
        { "/usr/bin/chromium", 1 },
        { "/snap/bin/chromium-browser", 1 },
        { "/opt/google/chrome/google-chrome", 1 },
        { "/usr/bin/google-chrome-stable", 1 },
        { "/usr/bin/microsoft-edge", 1 },
        { "/usr/bin/brave-browser", 1 },
        { "/home/u/bin/Firefox", 0 },
        { "navigator.exe", -1 },
        { "/usr/bin/firefox.sh", -1 },
        { "/usr/bin/chromedriver", -1 },
        { "/opt/firefox/run", -1 },  // a folder named like a browser does not count
        { "firefox/", -1 },
        { "", -1 },
    };
    for (const auto& c : cases) {
        EXPECT_EQ(BrowserPathBox(ProgramFileName(c.path)), c.box) << c.path;
    }
}

class OneLink : public BrowserHost
{
public:
    const FolderItem* SelectedItem() override { return &link; }
    void AddEntryToList(const std::string&) override { }
    void LoadBrowser(const std::string&, const std::function<void()>& openBrowser) override { openBrowser(); }
    FolderItem link;
};

TEST(BrowserPrograms, AClosedChromiumIsStartedWithTheURLFromThePathChosenForIt)
{
    EndpointFolder tmp;
    const std::string fifo = tmp.path() + "/argv";
    ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
    const int fd = open(fifo.c_str(), O_RDWR | O_CLOEXEC);
    ASSERT_GE(fd, 0);
    ASSERT_EQ(setenv("BRINDLEX_ARGV_FIFO", fifo.c_str(), 1), 0);
    // A program that records its arguments, under a Chromium-family name.
    const std::string program = tmp.path() + "/bin/google-chrome-stable";
    fs::create_directories(tmp.path() + "/bin");
    fs::copy_file(BRINDLEX_ARGVRECORDER, program);
    fs::permissions(program, fs::perms::owner_all);

    // Set Paths puts it into the box of its family, and OK stores that box's key.
    MemorySettings settings;
    const int box = BrowserPathBox(ProgramFileName(program));
    ASSERT_EQ(box, 1);
    settings.set("Browsers", defaultClient(box).PathKey, program);

    FakeWorld world;
    PosixProgramStarter starter;
    const Platform platform { world.clipboard, world.messages, world.clock, starter, world.events };
    LinkStore store(world.clock);
    SocketConversation conversation(2000, tmp.path() + "/dde");  // nobody answers there
    OneLink host;
    host.link.URL = "http://127.0.0.1:8000/page?a=1&b=\"2\"";
    host.link.Client = "None";
    WebBrowser browser(store, platform, conversation, settings, host);
    browser.ChooseDefaultClient(box, false, 1);  // "Specific", "Open Browser if not already"
    browser.DoAction(WebBrowser::Send);

    EXPECT_EQ(readMessage(fd, 10000), (std::vector<std::string> { program, host.link.URL }));
    EXPECT_TRUE(world.messages.shown.empty());
    close(fd);
    unsetenv("BRINDLEX_ARGV_FIFO");
}

}  // namespace
}  // namespace brindlex::test
