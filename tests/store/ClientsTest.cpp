#include "store/Clients.h"

#include <gtest/gtest.h>

#include <set>
#include <string>

namespace brindlex {
namespace {

TEST(ClientsTest, EveryClientByServiceAndName)
{
    struct Row
    {
        const char* service;
        const char* name;
        int icon;  // ClientIcon
        const char* ddeName;  // DDEDisplayName
        int loading;  // LoadingPicture of the name
        const char* pathKey;
    };
    const Row rows[] = {
        { "None", "None", 5, "", -1, "" },
        { "NETSCAPE", "Netscape Navigator", 10, "Netscape Navigator", 10, "NetscapePath" },
        { "Iexplore", "MS Internet Explorer", 11, "MS Internet Explorer", 11, "IExplorerPath" },
        { "Mosaic.MosaicCCI", "NCSA Mosaic", 12, "", 12, "" },
        { "EMosaic", "Spyglass Mosaic", 13, "Spyglass Mosaic", 13, "EMosaicPath" },
        { "SMosaic", "Spry Mosaic", 14, "Spry Mosaic", 14, "SpryMosaicPath" },
        { "System Clipboard", "System Clipboard", 5, "", -1, "" },
        { "netscape", "", 5, "", -1, "" },  // service names are compared exactly
        { "", "", 5, "", -1, "" },
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.service);
        EXPECT_EQ(ClientIcon(row.service), row.icon);
        EXPECT_EQ(DDEDisplayName(row.service), row.ddeName);
        EXPECT_EQ(LoadingPicture(row.name), row.loading);
        const ClientRow* found = clientByService(row.service);
        ASSERT_EQ(found != nullptr, *row.name != '\0');
        if (found != nullptr) {
            EXPECT_STREQ(found->Name, row.name);
            EXPECT_STREQ(found->PathKey, row.pathKey);
            EXPECT_EQ(clientByName(row.name), found);
            EXPECT_EQ(DDEService(row.name), std::string(row.ddeName).empty() ? "" : row.service);
        }
    }
}

TEST(ClientsTest, EntryCombosAndDefaultClientsIndexTheOneTable)
{
    const char* entryServices[] = { "None", "NETSCAPE", "Iexplore", "Mosaic.MosaicCCI", "EMosaic", "SMosaic" };
    for (int index = 0; index < EntryClientCount; ++index) {
        EXPECT_STREQ(entryClient(index).Service, entryServices[index]);
        EXPECT_EQ(entryClientIndex(entryServices[index]), index);
    }
    EXPECT_STREQ(entryClient(-1).Service, "None");
    EXPECT_STREQ(entryClient(EntryClientCount).Service, "None");
    EXPECT_EQ(entryClientIndex("System Clipboard"), 0);

    struct Row
    {
        int id;
        const char* name;
        int toolbarImage;
        Interface kind;
    };
    const Row rows[] = {
        { 0, "Netscape Navigator", 13, Interface::Dde },
        { 1, "MS Internet Explorer", 14, Interface::Dde },
        { 2, "Spyglass Mosaic", 16, Interface::Dde },
        { 3, "Spry Mosaic", 17, Interface::Dde },
        { 4, "System Clipboard", 4, Interface::Clipboard },
        { 5, "NCSA Mosaic", 15, Interface::Automation },
        { -1, "NCSA Mosaic", 15, Interface::Automation },
        { 99, "NCSA Mosaic", 15, Interface::Automation },
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.id);
        EXPECT_STREQ(defaultClient(row.id).Name, row.name);
        EXPECT_EQ(defaultClient(row.id).ToolbarImage, row.toolbarImage);
        EXPECT_EQ(defaultClient(row.id).Kind, row.kind);
    }
    std::set<std::string> services;
    for (const ClientRow& row : allClients()) {
        EXPECT_TRUE(services.insert(row.Service).second) << row.Service;
    }
    EXPECT_EQ(services.size(), 7u);
}

}  // namespace
}  // namespace brindlex
