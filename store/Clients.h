#pragma once
#include <span>
#include <string_view>

#include "store/Images.h"

namespace brindlex {

// How the browser link reaches a client.
enum class Interface : int { Clipboard = -1, Dde = 0, Automation = 1 };

// One client a link can be meant for, or the default browser client can be.
struct ClientRow
{
    const char* Name;  // shown in the dialogs and the tool tip: "Netscape Navigator"
    const char* Service;  // FolderItem::Client and the conversation's service: "NETSCAPE"
    Image EntryIcon;  // the image of a link assigned to it
    int ToolbarImage;  // the client button's picture (a toolbar image number)
    int LoadingPicture;  // the image the loading window shows; -1: none
    const char* PathKey;  // the key of section "Browsers"; empty: no program to start
    Interface Kind;
};

// Every client, in the order the entry dialogs offer them: "None" first, then the five
// browsers. The system clipboard, a default client only, comes last.
std::span<const ClientRow> allClients();

// The entry dialogs' client combo: index 0..5, "None" first; an index outside gives "None".
constexpr int EntryClientCount = 6;
const ClientRow& entryClient(int index);
// The combo index of a FolderItem::Client value; 0 ("None") for any other text.
int entryClientIndex(std::string_view service);

// The default clients, indexed by BrowserID: 0 Netscape Navigator, 1 MS Internet Explorer,
// 2 Spyglass Mosaic, 3 Spry Mosaic, 4 System Clipboard, 5 NCSA Mosaic. Any value outside
// 0..4 gives the NCSA Mosaic row.
constexpr int DefaultClientCount = 6;
constexpr int ClipboardClientID = 4;
constexpr int MosaicClientID = 5;
const ClientRow& defaultClient(int BrowserID);

// The client with this service name or display name, or null.
const ClientRow* clientByService(std::string_view service);
const ClientRow* clientByName(std::string_view name);

// The image number of a link assigned to `service`: 10..14 for the five browsers, 5 for
// anything else.
int ClientIcon(std::string_view service);
// The display name of a conversation service of a DDE browser ("NETSCAPE" -> "Netscape
// Navigator"); empty for any other name.
std::string_view DDEDisplayName(std::string_view service);
// The other way round: the service of a DDE browser's display name, empty for any other.
std::string_view DDEService(std::string_view name);
// The loading picture of a display name, -1 for a name without one.
int LoadingPicture(std::string_view name);

}  // namespace brindlex
