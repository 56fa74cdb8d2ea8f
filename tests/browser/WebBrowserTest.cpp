#include <fstream>
#include <gtest/gtest.h>
#include <memory>

#include "TestBrowserProcess.h"
#include "browser/BrowserHost.h"
#include "browser/SocketConversation.h"
#include "browser/WebBrowser.h"
#include "fakes/FakePlatform.h"
#include "settings/ProgramSettings.h"
#include "settings/SettingsStore.h"
#include "store/LinkStore.h"

namespace brindlex::test {
namespace {

using Requests = std::vector<std::vector<std::string>>;

class FakeHost : public BrowserHost
{
public:
    const FolderItem* SelectedItem() override { return selected; }
    void AddEntryToList(const std::string& iid) override { added.push_back(iid); }
    void LoadBrowser(const std::string& browser, const std::function<void()>& openBrowser) override
    {
        loaded.push_back(browser);
        openBrowser();
    }
    const FolderItem* selected = nullptr;
    std::vector<std::string> added;
    std::vector<std::string> loaded;
};

class WebBrowserTest : public ::testing::Test
{
protected:
    WebBrowserTest()
    {
        link.URL = "http://example.com/a b?x=\"1\"";
        link.Client = "None";
    }

    // Starts the test browser with these options; the test fails when it does not come up.
    TestBrowserProcess& run(const std::vector<std::string>& options)
    {
        process = std::make_unique<TestBrowserProcess>(tmp.path(), options);
        EXPECT_TRUE(process->ready());
        return *process;
    }
    Requests requests() const { return process ? process->requests() : Requests {}; }
    std::vector<std::string> titles() const
    {
        std::vector<std::string> out;
        for (const ShownMessage& m : world.messages.shown) {
            out.push_back(m.title + ": " + m.text);
        }
        return out;
    }
    // The request lines a send to `service` makes: the probe (scan or check), the page, activation.
    std::vector<std::string> openURL(const std::string& service) const
    {
        return { service, "REQUEST", "WWW_OpenURL", "\"" + link.URL + "\",,-1,,,,," };
    }
    std::vector<std::string> request(
        const std::string& service, const std::string& topic, const std::string& item) const
    {
        return { service, "REQUEST", topic, item };
    }

    EndpointFolder tmp;
    FakeWorld world;
    Platform platform = world.platform();
    LinkStore store { world.clock };
    MemorySettings settings;
    SocketConversation conversation { 3000, tmp.path() + "/dde" };
    FakeHost host;
    WebBrowser browser { store, platform, conversation, settings, host };
    FolderItem link;
    std::unique_ptr<TestBrowserProcess> process;
};

TEST_F(WebBrowserTest, SendWithNothingSelectedDoesNothing)
{
    run({ "--service", "NETSCAPE" });
    browser.DoAction(WebBrowser::Send);
    EXPECT_TRUE(requests().empty());
    EXPECT_TRUE(world.messages.shown.empty());
    EXPECT_TRUE(world.clipboard.contents.empty());
    EXPECT_EQ(world.messages.beeps, 1);
}

// A folder row sent to the clipboard client used to empty the user's clipboard and say
// "URL has been posted to the clipboard".
TEST_F(WebBrowserTest, AFolderIsNeverSent)
{
    browser.ChooseDefaultClient(4, false, 1);
    world.clipboard.contents = "the user's own text";
    FolderItem folder;
    folder.IsFolder = true;
    folder.Icon = 6;
    folder.Client = "None";
    host.selected = &folder;
    browser.DoAction(WebBrowser::Send);
    EXPECT_EQ(world.clipboard.contents, "the user's own text");
    EXPECT_TRUE(world.messages.shown.empty());
    EXPECT_EQ(world.messages.beeps, 1);
}

TEST_F(WebBrowserTest, EntryClientOverridesTheDefaultForOneSend)
{
    run({ "--service", "NETSCAPE", "--service", "Iexplore" });
    link.Client = "Iexplore";
    host.selected = &link;
    browser.DoAction(WebBrowser::Send);
    EXPECT_EQ(requests(),
        (Requests { request("Iexplore", "WWW_ListWindows", ""), openURL("Iexplore"),
            request("Iexplore", "WWW_Activate", "-1") }));
    EXPECT_EQ(browser.tInterfaceName, "NETSCAPE");
    EXPECT_EQ(browser.InterfaceType, 0);
    EXPECT_TRUE(world.messages.shown.empty());
}

TEST_F(WebBrowserTest, SpyglassAndSpryAreBothServedAsMosaic)
{
    run({ "--service", "Mosaic" });
    EXPECT_EQ(browser.ProbeBrowser("EMosaic"), 0);
    EXPECT_EQ(browser.ProbeBrowser("SMosaic"), 0);
    EXPECT_NE(browser.ProbeBrowser("NETSCAPE"), 0);
    for (const char* client : { "EMosaic", "SMosaic" }) {
        link.Client = client;
        host.selected = &link;
        browser.Method = false;
        browser.DoAction(WebBrowser::Send);
    }
    const Requests got = requests();
    ASSERT_EQ(got.size(), 8U);  // two answered probes, then check, page and activation twice
    for (const auto& r : got) {
        EXPECT_EQ(r[0], "Mosaic");
    }
    EXPECT_EQ(got[3], openURL("Mosaic"));
}

TEST_F(WebBrowserTest, ScanFindsAnyRunningBrowserInTheOrderOfTheDefault)
{
    run({ "--service", "Iexplore", "--service", "Mosaic" });
    browser.ChooseDefaultClient(3, true, 1);  // Spry Mosaic: SMosaic, EMosaic, NETSCAPE, Iexplore
    host.selected = &link;
    browser.DoAction(WebBrowser::Send);
    const Requests got = requests();
    ASSERT_EQ(got.size(), 3U);
    EXPECT_EQ(got[1], openURL("Mosaic"));
    EXPECT_EQ(browser.tInterfaceName, "SMosaic");
}

TEST_F(WebBrowserTest, ScanWithoutBrowserFallsBackToTheClipboard)
{
    const struct
    {
        int row;
        const char* browserAfter;
    } cases[] = {
        { 0, "Netscape Navigator" },
        { 1, "System Clipboard" },
        { 2, "System Clipboard" },
        { 3, "System Clipboard" },
    };
    host.selected = &link;
    for (const auto& c : cases) {
        world.messages.shown.clear();
        world.clipboard.contents.clear();
        browser.ChooseDefaultClient(c.row, true, 1);
        const std::string defaultName = browser.InterfaceName();
        browser.DoAction(WebBrowser::Send);
        EXPECT_EQ(titles(),
            (std::vector<std::string> { "Error---No Browser: There is no browser currently open...\nSetting the "
                                        "browser to the system clipboard.",
                "URL Posted: URL has been posted to the clipboard" }))
            << c.row;
        EXPECT_EQ(world.clipboard.contents, link.URL);
        EXPECT_EQ(browser.Browser, c.browserAfter) << c.row;
        EXPECT_EQ(browser.InterfaceType, 0);
        EXPECT_EQ(browser.tInterfaceName, defaultName);
    }
}

TEST_F(WebBrowserTest, SpecificBrowserNotRunning)
{
    // Running, but refusing the check: counts as not running, and proves no page is sent.
    run({ "--service", "NETSCAPE", "--refuse", "WWW_ListWindows" });
    settings.set("Browsers", "NetscapePath", "/opt/netscape/netscape");
    host.selected = &link;

    browser.ChooseDefaultClient(0, false, 0);
    browser.DoAction(WebBrowser::Send);
    EXPECT_EQ(
        titles(), (std::vector<std::string> { "Error---No Browser: Netscape Navigator is not currently open..." }));
    EXPECT_TRUE(world.programs.started.empty());

    world.messages.shown.clear();
    browser.ChooseDefaultClient(0, false, 1);
    browser.DoAction(WebBrowser::Send);
    EXPECT_TRUE(world.messages.shown.empty());
    EXPECT_EQ(host.loaded, (std::vector<std::string> { "Netscape Navigator" }));
    ASSERT_EQ(world.programs.started.size(), 1U);
    EXPECT_EQ(world.programs.started[0].program, "/opt/netscape/netscape");
    EXPECT_EQ(world.programs.started[0].arguments, (std::vector<std::string> { link.URL }));
    EXPECT_EQ(requests(),
        (Requests { request("NETSCAPE", "WWW_ListWindows", ""), request("NETSCAPE", "WWW_ListWindows", "") }));
}

TEST_F(WebBrowserTest, StartingABrowserWithoutAPathReportsIt)
{
    host.selected = &link;
    browser.ChooseDefaultClient(3, false, 1);
    browser.DoAction(WebBrowser::Send);
    EXPECT_EQ(titles(), (std::vector<std::string> { "Invalid Path: Invalid path to Spry Mosaic program file." }));
    EXPECT_TRUE(world.programs.started.empty());

    // A path that cannot be started is reported the same way.
    world.messages.shown.clear();
    settings.set("Browsers", "SpryMosaicPath", "/opt/spry/airmos");
    world.programs.succeed = false;
    browser.DoAction(WebBrowser::Send);
    EXPECT_EQ(titles(), (std::vector<std::string> { "Invalid Path: Invalid path to Spry Mosaic program file." }));
    EXPECT_EQ(browser.Browser, "Spry Mosaic");
}

TEST_F(WebBrowserTest, TimeOutOnTheProbeStillSends)
{
    conversation.setTimeout(300);
    run({ "--service", "NETSCAPE", "--slow", "WWW_ListWindows" });
    host.selected = &link;
    browser.DoAction(WebBrowser::Send);
    EXPECT_EQ(
        titles(), (std::vector<std::string> { "Error with Browser: The browser is either busy or not repsonding..." }));
    EXPECT_EQ(requests(),
        (Requests { request("NETSCAPE", "WWW_ListWindows", ""), openURL("NETSCAPE"),
            request("NETSCAPE", "WWW_Activate", "-1") }));
}

TEST_F(WebBrowserTest, RefusedPageIsReported)
{
    run({ "--service", "NETSCAPE", "--refuse", "WWW_OpenURL" });
    host.selected = &link;
    browser.DoAction(WebBrowser::Send);
    EXPECT_EQ(titles(),
        (std::vector<std::string> { "Error---No Browser: The error is the result of a return of >0 from Open Web "
                                    "Page:DoDDE\nIt should not be here" }));
}

TEST_F(WebBrowserTest, GetWindowInfoBecomesAnEntry)
{
    run({ "--service", "NETSCAPE", "--reply", "WWW_GetWindowInfo=\"file:C|/docs/a.htm\",\"Netscape - [Docs]\",x" });
    browser.DoAction(WebBrowser::Get);
    ASSERT_EQ(store.CurrentFolder().FolderItems.size(), 1U);
    const FolderItem& entry = *store.CurrentFolder().FolderItems[0];
    EXPECT_EQ(entry.URL, "file:///C:\\docs\\a.htm");
    EXPECT_EQ(entry.Caption, "Docs");
    EXPECT_EQ(entry.URLType, "File");
    EXPECT_EQ(entry.Icon, 5);
    EXPECT_EQ(host.added, (std::vector<std::string> { entry.IID }));
    EXPECT_EQ(requests().back(), request("NETSCAPE", "WWW_GetWindowInfo", "-1"));
    EXPECT_TRUE(world.messages.shown.empty());
}

TEST_F(WebBrowserTest, MalformedWindowInfoCreatesNoEntry)
{
    const std::string huge = tmp.path() + "/huge";
    std::ofstream(huge, std::ios::binary) << "\"http://example.org/" << std::string(200000, 'a') << "\",\"t\"";
    const std::vector<std::vector<std::string>> replies = {
        { "--reply", "WWW_GetWindowInfo=no quotes at all" },
        { "--reply", "WWW_GetWindowInfo=\"http://example.org/ and no end" },
        { "--reply", "WWW_GetWindowInfo=\"http://example.org/\",no title" },
        { "--reply", "WWW_GetWindowInfo=\"http://example.org/\xff\xfe\",\"bad bytes\"" },
        { "--reply-file", "WWW_GetWindowInfo=" + huge },
        { "--slow", "WWW_GetWindowInfo" },
    };
    conversation.setTimeout(300);
    for (const auto& reply : replies) {
        std::vector<std::string> options { "--service", "NETSCAPE" };
        options.insert(options.end(), reply.begin(), reply.end());
        run(options);
        world.messages.shown.clear();
        browser.DoAction(WebBrowser::Get);
        EXPECT_TRUE(store.CurrentFolder().FolderItems.empty()) << reply[1];
        ASSERT_FALSE(world.messages.shown.empty()) << reply[1];
        EXPECT_EQ(titles().back(), "Error---No Browser: There is no browser currently open...") << reply[1];
    }
    EXPECT_TRUE(host.added.empty());
}

TEST_F(WebBrowserTest, GetNeedsTheBrowserRunning)
{
    browser.DoAction(WebBrowser::Get);
    EXPECT_EQ(titles(),
        (std::vector<std::string> { "Browser not Available: Netscape Navigator must be running to grab a URL..." }));
    EXPECT_TRUE(store.CurrentFolder().FolderItems.empty());
}

TEST_F(WebBrowserTest, MosaicAutomationRetriesOnce)
{
    run({ "--service", "Mosaic.MosaicCCI" });
    browser.ChooseDefaultClient(5, false, 1);
    host.selected = &link;
    // No object yet: the first call fails, the object is made and the send carries on.
    browser.DoAction(WebBrowser::Send);
    EXPECT_TRUE(world.messages.shown.empty());
    EXPECT_EQ(requests(),
        (Requests { { "Mosaic.MosaicCCI", "CREATE" }, { "Mosaic.MosaicCCI", "CALL", "ResolveUrl", link.URL },
            { "Mosaic.MosaicCCI", "CALL", "doactivate" } }));
    EXPECT_TRUE(browser.oBrowser.HasObject());

    browser.DoAction(WebBrowser::Get);
    ASSERT_EQ(store.CurrentFolder().FolderItems.size(), 1U);
    EXPECT_EQ(store.CurrentFolder().FolderItems[0]->URL, "http://example.org/");
    EXPECT_EQ(store.CurrentFolder().FolderItems[0]->Caption, "Example");
}

TEST_F(WebBrowserTest, MosaicAutomationFailingCalls)
{
    run({ "--service", "Mosaic.MosaicCCI", "--fail-calls", "1" });
    browser.ChooseDefaultClient(5, false, 1);
    browser.tInterfaceName = "Mosaic.MosaicCCI";
    browser.oBrowser.GetOleObject();
    host.selected = &link;
    // One failing call: the object is made again and the send goes on with the next step.
    browser.DoAction(WebBrowser::Send);
    const Requests sent = requests();
    ASSERT_EQ(sent.size(), 5U);
    EXPECT_EQ(sent[2], (std::vector<std::string> { "Mosaic.MosaicCCI", "CREATE" }));
    EXPECT_EQ(sent[3], (std::vector<std::string> { "Mosaic.MosaicCCI", "CALL", "ResolveUrl", link.URL }));
    EXPECT_TRUE(world.messages.shown.empty());

    // Two failing calls end a get with its message and no entry.
    run({ "--service", "Mosaic.MosaicCCI", "--fail-calls", "2" });
    browser.DoAction(WebBrowser::Get);
    EXPECT_EQ(titles(), (std::vector<std::string> { "URL not Available: There is no active URL in NCSA Mosaic." }));
    EXPECT_TRUE(store.CurrentFolder().FolderItems.empty());
}

TEST_F(WebBrowserTest, MosaicNotInstalled)
{
    browser.ChooseDefaultClient(5, false, 1);
    host.selected = &link;
    browser.DoAction(WebBrowser::Send);
    EXPECT_EQ(
        titles(), (std::vector<std::string> { "No Browser: NCSA Mosaic is not installed properly on this system..." }));

    world.messages.shown.clear();
    run({ "--service", "Mosaic.MosaicCCI", "--refuse", "CREATE" });
    browser.tInterfaceName = "Mosaic.MosaicCCI";
    browser.oBrowser.GetOleObject();
    EXPECT_EQ(titles(), (std::vector<std::string> { "Error: Unknown Error #440" }));
    EXPECT_FALSE(browser.oBrowser.HasObject());
}

TEST_F(WebBrowserTest, ClipboardSendAndGet)
{
    browser.ChooseDefaultClient(4, false, 1);
    host.selected = &link;
    browser.DoAction(WebBrowser::Send);
    EXPECT_EQ(world.clipboard.contents, link.URL);
    EXPECT_EQ(titles(), (std::vector<std::string> { "URL Posted: URL has been posted to the clipboard" }));

    const struct
    {
        const char* clipboard;
        const char* url;  // null: no entry
        const char* message;
    } cases[] = {
        { "file:C:\\x.htm", "file:///C:\\x.htm", nullptr },
        { "http://example.org/\"q\"", "http://example.org/'q'", nullptr },
        { "", nullptr, "Nothing found: The clipboard is empty...." },
        { "just words", nullptr, "Error: Invalid URL Address on clipboard..." },
    };
    for (const auto& c : cases) {
        world.messages.shown.clear();
        store.CurrentFolder().FolderItems.clear();
        world.clipboard.contents = c.clipboard;
        const int beeps = world.messages.beeps;
        browser.DoAction(WebBrowser::Get);
        if (c.url != nullptr) {
            ASSERT_EQ(store.CurrentFolder().FolderItems.size(), 1U) << c.clipboard;
            EXPECT_EQ(store.CurrentFolder().FolderItems[0]->URL, c.url);
            EXPECT_EQ(store.CurrentFolder().FolderItems[0]->Caption, "From Clipboard");
            EXPECT_TRUE(world.messages.shown.empty());
        } else {
            EXPECT_TRUE(store.CurrentFolder().FolderItems.empty()) << c.clipboard;
            EXPECT_EQ(titles(), (std::vector<std::string> { c.message }));
            EXPECT_EQ(world.messages.beeps, beeps + (std::string(c.clipboard).empty() ? 0 : 1));
        }
    }
}

TEST_F(WebBrowserTest, AutomaticAssignmentFollowsTheDefaultClient)
{
    store.SetAutoAssign(1);
    const struct
    {
        int row;
        const char* client;
        int icon;
    } cases[] = {
        { 3, "SMosaic", 14 }, { 5, "Mosaic.MosaicCCI", 12 },
        { 4, "", 5 },  // the clipboard chosen in Options has no service name
    };
    for (const auto& c : cases) {
        browser.ChooseDefaultClient(c.row, false, 1);
        const std::string iid = store.CreateEntry(false, "http://a/", 5, "a", "Http", "");
        const FolderItem* entry = store.FindItem(store.CurrentFolder(), iid);
        ASSERT_NE(entry, nullptr);
        EXPECT_EQ(entry->Client, c.client) << c.row;
        EXPECT_EQ(entry->Icon, c.icon) << c.row;
    }
    // After a restart the clipboard's service name is "System Clipboard".
    settings.set("Browser", "ID", "4");
    ProgramSettings restarted(settings);
    restarted.read();
    browser.UseDefaultClient(restarted.client.BrowserID);
    EXPECT_EQ(browser.InterfaceType, -1);
    const FolderItem* entry
        = store.FindItem(store.CurrentFolder(), store.CreateEntry(false, "http://a/", 5, "a", "Http", ""));
    EXPECT_EQ(entry->Client, "System Clipboard");
    EXPECT_EQ(entry->Icon, 5);

    store.SetAutoAssign(0);
    entry = store.FindItem(store.CurrentFolder(), store.CreateEntry(false, "http://a/", 5, "a", "Http", ""));
    EXPECT_EQ(entry->Client, "None");
    EXPECT_EQ(entry->Icon, 5);
}

TEST_F(WebBrowserTest, ClientStateIsTheSettingsOne)
{
    // The browser link works on the client state of the program's settings: what Options
    // chooses is what the shutdown writes.
    ProgramSettings program(settings);
    program.read();
    WebBrowser shared { store, platform, conversation, settings, host, program.client };
    shared.UseDefaultClient(program.client.BrowserID);
    EXPECT_EQ(shared.Browser, "Netscape Navigator");
    EXPECT_EQ(shared.InterfaceName(), "NETSCAPE");
    EXPECT_TRUE(shared.Method);
    EXPECT_EQ(shared.OpenIfClosed, 1);

    shared.ChooseDefaultClient(5, false, 0);
    EXPECT_EQ(program.client.Browser, "NCSA Mosaic");
    program.write("");
    EXPECT_EQ(settings.get("Browser", "Name", ""), "NCSA Mosaic");
    EXPECT_EQ(settings.get("Browser", "ID", ""), "5");
    EXPECT_EQ(settings.get("Browser", "Method", ""), "False");
    EXPECT_EQ(settings.get("Browser", "OpenIfClosed", ""), "0");

    settings.set("Browser", "ID", "rubbish");
    program.read();
    shared.UseDefaultClient(program.client.BrowserID);
    EXPECT_EQ(shared.BrowserID, 0);
    EXPECT_EQ(shared.InterfaceName(), "NETSCAPE");
    EXPECT_EQ(shared.InterfaceType, 0);
}

}  // namespace
}  // namespace brindlex::test
