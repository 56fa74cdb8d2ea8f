#include "browser/ClientTables.h"

namespace brindlex {

namespace {

constexpr EntryClient EntryClients[EntryClientCount] = {
    { "None", "None", 5, 2 },
    { "Netscape Navigator", "NETSCAPE", 10, 3 },
    { "MS Internet Explorer", "Iexplore", 11, 4 },
    { "NCSA Mosaic", "Mosaic.MosaicCCI", 12, 5 },
    { "Spyglass Mosaic", "EMosaic", 13, 6 },
    { "Spry Mosaic", "SMosaic", 14, 7 },
};

constexpr DefaultClient DefaultClients[DefaultClientCount] = {
    { "Netscape Navigator", "NETSCAPE", 0, 13, 10, "NetscapePath" },
    { "MS Internet Explorer", "Iexplore", 0, 14, 11, "IExplorerPath" },
    { "Spyglass Mosaic", "EMosaic", 0, 16, 13, "EMosaicPath" },
    { "Spry Mosaic", "SMosaic", 0, 17, 14, "SpryMosaicPath" },
    { "System Clipboard", "System Clipboard", -1, 4, -1, "" },
    { "NCSA Mosaic", "Mosaic.MosaicCCI", 1, 15, 12, "" },
};

}  // namespace

const EntryClient& entryClient(int index)
{
    if (index < 0) {
        index = 0;
    }
    if (index >= EntryClientCount) {
        index = EntryClientCount - 1;
    }
    return EntryClients[index];
}

const DefaultClient& defaultClient(int BrowserID)
{
    if (BrowserID < 0 || BrowserID > ClipboardClientID) {
        return DefaultClients[MosaicClientID];
    }
    return DefaultClients[BrowserID];
}

std::string_view DDEDisplayName(std::string_view service)
{
    if (service == "NETSCAPE") {
        return "Netscape Navigator";
    }
    if (service == "Iexplore") {
        return "MS Internet Explorer";
    }
    if (service == "EMosaic") {
        return "Spyglass Mosaic";
    }
    if (service == "SMosaic") {
        return "Spry Mosaic";
    }
    return {};
}

int LoadingPicture(std::string_view browser)
{
    if (browser == "Netscape Navigator") {
        return 10;
    }
    if (browser == "MS Internet Explorer") {
        return 11;
    }
    if (browser == "NCSA Mosaic") {
        return 12;
    }
    if (browser == "Spyglass Mosaic") {
        return 13;
    }
    if (browser == "Spry Mosaic") {
        return 14;
    }
    return -1;
}

}  // namespace brindlex
