#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <iostream>
#include <sstream>

#include "browser/TestBrowserProcess.h"
#include "platform/Clock.h"
#include "store/LinkStore.h"
#include "tools/bdxtool/Commands.h"
#include "tools/bdxtool/ToolDatabase.h"

namespace brindlex::bdxtool {
namespace {

using test::EndpointFolder;
using test::TestBrowserProcess;
using Requests = std::vector<std::vector<std::string>>;

class BdxtoolBrowserTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ::setenv("BRINDLEX_HOME", tmp.path().c_str(), 1);
        ::setenv("BRINDLEX_DDE_DIR", (tmp.path() + "/dde").c_str(), 1);
    }
    void TearDown() override
    {
        ::unsetenv("BRINDLEX_HOME");
        ::unsetenv("BRINDLEX_DDE_DIR");
    }
    int run(int (*command)(const std::vector<std::string>&), const std::vector<std::string>& args)
    {
        std::ostringstream o, e;
        auto* oldOut = std::cout.rdbuf(o.rdbuf());
        auto* oldErr = std::cerr.rdbuf(e.rdbuf());
        const int status = command(args);
        std::cout.rdbuf(oldOut);
        std::cerr.rdbuf(oldErr);
        err = e.str();
        return status;
    }
    // "folder|caption|url|client" for every link of the database.
    std::vector<std::string> links(const std::string& db)
    {
        LinkStore store(clock);
        EXPECT_TRUE(loadDatabase(store, db).ok());
        std::vector<std::string> out;
        std::vector<const Folder*> folders { &store.Root() };
        for (const auto& folder : store.Root().SubFolders) {
            folders.push_back(folder.get());
        }
        for (const Folder* folder : folders) {
            for (const auto& item : folder->FolderItems) {
                if (!item->IsFolder) {
                    out.push_back(folder->Caption + "|" + item->Caption + "|" + item->URL + "|" + item->Client);
                }
            }
        }
        return out;
    }
    std::string db() const { return tmp.path() + "/links.bdx"; }

    EndpointFolder tmp;
    SystemClock clock;
    std::string err;
};

TEST_F(BdxtoolBrowserTest, GetStoresThePageOfTheNamedClient)
{
    TestBrowserProcess browser(tmp.path(),
        { "--service", "Iexplore", "--reply", "WWW_GetWindowInfo=\"http://127.0.0.1/a\",\"Page A\",\"frame\"" });
    ASSERT_TRUE(browser.ready());
    EXPECT_EQ(run(runGet, { "MS Internet Explorer", "--into", db() }), 0) << err;
    EXPECT_EQ(links(db()), (std::vector<std::string> { "links|Page A|http://127.0.0.1/a|None" }));
    // By its service name, into a folder that exists.
    EXPECT_EQ(run(runGet, { "Iexplore", "--into", db(), "--folder", "links" }), 0) << err;
    EXPECT_EQ(links(db()).size(), 2U);
    EXPECT_EQ(browser.requests(),
        (Requests { { "Iexplore", "REQUEST", "WWW_ListWindows", "" },
            { "Iexplore", "REQUEST", "WWW_GetWindowInfo", "-1" }, { "Iexplore", "REQUEST", "WWW_ListWindows", "" },
            { "Iexplore", "REQUEST", "WWW_GetWindowInfo", "-1" } }));
}

TEST_F(BdxtoolBrowserTest, GetFromABrowserThatIsNotRunningSaysSoAndSavesNothing)
{
    EXPECT_EQ(run(runGet, { "NETSCAPE", "--into", db() }), 1);
    EXPECT_EQ(err, "bdxtool: Netscape Navigator must be running to grab a URL...\n");
    EXPECT_FALSE(std::filesystem::exists(db()));

    TestBrowserProcess browser(tmp.path(), { "--service", "NETSCAPE", "--reply", "WWW_GetWindowInfo=no quotes" });
    ASSERT_TRUE(browser.ready());
    EXPECT_EQ(run(runGet, { "Netscape Navigator", "--into", db() }), 1);
    EXPECT_EQ(err, "bdxtool: There is no browser currently open...\n");
    EXPECT_EQ(run(runGet, { "NETSCAPE", "--into", db(), "--folder", "links\\Nowhere" }), 1);
    EXPECT_EQ(err, "bdxtool: no folder links\\Nowhere\n");
    EXPECT_FALSE(std::filesystem::exists(db()));
}

TEST_F(BdxtoolBrowserTest, SendOpensTheURLAndActivatesTheBrowser)
{
    TestBrowserProcess browser(tmp.path(), { "--service", "NETSCAPE", "--service", "Mosaic" });
    ASSERT_TRUE(browser.ready());
    EXPECT_EQ(run(runSend, { "Netscape Navigator", "http://127.0.0.1/a b\"c" }), 0) << err;
    EXPECT_EQ(run(runSend, { "SMosaic", "http://127.0.0.1/b" }), 0) << err;
    EXPECT_EQ(browser.requests(),
        (Requests { { "NETSCAPE", "REQUEST", "WWW_ListWindows", "" },
            { "NETSCAPE", "REQUEST", "WWW_OpenURL", "\"http://127.0.0.1/a b\"c\",,-1,,,,," },
            { "NETSCAPE", "REQUEST", "WWW_Activate", "-1" }, { "Mosaic", "REQUEST", "WWW_ListWindows", "" },
            { "Mosaic", "REQUEST", "WWW_OpenURL", "\"http://127.0.0.1/b\",,-1,,,,," },
            { "Mosaic", "REQUEST", "WWW_Activate", "-1" } }));
}

TEST_F(BdxtoolBrowserTest, SendFailuresGiveTheWindowsMessages)
{
    EXPECT_EQ(run(runSend, { "Iexplore", "http://127.0.0.1/a" }), 1);
    EXPECT_EQ(err, "bdxtool: MS Internet Explorer is not currently open...\n");

    TestBrowserProcess browser(tmp.path(), { "--service", "Iexplore", "--refuse", "WWW_OpenURL" });
    ASSERT_TRUE(browser.ready());
    EXPECT_EQ(run(runSend, { "Iexplore", "http://127.0.0.1/a" }), 1);
    EXPECT_EQ(
        err, "bdxtool: The error is the result of a return of >0 from Open Web Page:DoDDE It should not be here\n");
}

TEST_F(BdxtoolBrowserTest, ClientsAndArgumentsAreChecked)
{
    EXPECT_EQ(run(runSend, { "Lynx", "http://a/" }), 2);
    EXPECT_NE(err.find("unknown client Lynx"), std::string::npos);
    EXPECT_EQ(run(runSend, { "System Clipboard", "http://a/" }), 2);
    EXPECT_EQ(run(runSend, { "NETSCAPE" }), 2);
    EXPECT_EQ(err, "bdxtool: usage: bdxtool send CLIENT URL\n");
    EXPECT_EQ(run(runGet, { "NETSCAPE" }), 2);
    EXPECT_EQ(err, "bdxtool: usage: bdxtool get CLIENT --into DB [--folder PATH]\n");
}

}  // namespace
}  // namespace brindlex::bdxtool
