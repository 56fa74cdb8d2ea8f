#include "store/Clients.h"

#include <iterator>

namespace brindlex {

namespace {

// clang-format off
constexpr ClientRow Clients[] = {
    // Name                    Service             EntryIcon                Toolbar Loading PathKey           Kind
    { "None",                 "None",             Image::Link,             0,      -1,     "",               Interface::Dde },
    { "Netscape Navigator",   "NETSCAPE",         Image::Netscape,         13,     10,     "NetscapePath",   Interface::Dde },
    { "MS Internet Explorer", "Iexplore",         Image::Iexplore,         14,     11,     "IExplorerPath",  Interface::Dde },
    { "NCSA Mosaic",          "Mosaic.MosaicCCI", Image::NcsaMosaic,       15,     12,     "",               Interface::Automation },
    { "Spyglass Mosaic",      "EMosaic",          Image::SpyglassMosaic,   16,     13,     "EMosaicPath",    Interface::Dde },
    { "Spry Mosaic",          "SMosaic",          Image::SpryMosaic,       17,     14,     "SpryMosaicPath", Interface::Dde },
    { "System Clipboard",     "System Clipboard", Image::Link,             4,      -1,     "",               Interface::Clipboard },
};
// clang-format on

// The rows of Clients in BrowserID order.
constexpr int DefaultClientRows[DefaultClientCount] = { 1, 2, 4, 5, 6, 3 };

// The browsers: the rows a link can be assigned to other than "None".
bool isBrowser(const ClientRow& row)
{
    return &row != &Clients[0] && row.Kind != Interface::Clipboard;
}

}  // namespace

std::span<const ClientRow> allClients()
{
    return { std::begin(Clients), std::end(Clients) };
}

const ClientRow& entryClient(int index)
{
    return index >= 0 && index < EntryClientCount ? Clients[index] : Clients[0];
}

int entryClientIndex(std::string_view service)
{
    for (int index = 1; index < EntryClientCount; ++index) {
        if (service == Clients[index].Service) {
            return index;
        }
    }
    return 0;
}

const ClientRow& defaultClient(int BrowserID)
{
    if (BrowserID < 0 || BrowserID > ClipboardClientID) {
        BrowserID = MosaicClientID;
    }
    return Clients[DefaultClientRows[BrowserID]];
}

const ClientRow* clientByService(std::string_view service)
{
    for (const ClientRow& row : Clients) {
        if (service == row.Service) {
            return &row;
        }
    }
    return nullptr;
}

const ClientRow* clientByName(std::string_view name)
{
    for (const ClientRow& row : Clients) {
        if (name == row.Name) {
            return &row;
        }
    }
    return nullptr;
}

int ClientIcon(std::string_view service)
{
    const ClientRow* row = clientByService(service);
    return imageNumber(row != nullptr ? row->EntryIcon : Image::Link);
}

std::string_view DDEDisplayName(std::string_view service)
{
    const ClientRow* row = clientByService(service);
    return row != nullptr && isBrowser(*row) && row->Kind == Interface::Dde ? row->Name : std::string_view();
}

std::string_view DDEService(std::string_view name)
{
    const ClientRow* row = clientByName(name);
    return row != nullptr && isBrowser(*row) && row->Kind == Interface::Dde ? row->Service : std::string_view();
}

int LoadingPicture(std::string_view name)
{
    const ClientRow* row = clientByName(name);
    return row != nullptr ? row->LoadingPicture : -1;
}

}  // namespace brindlex
