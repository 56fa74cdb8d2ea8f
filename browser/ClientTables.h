#pragma once
#include <string>
#include <string_view>

namespace brindlex {

// A row of the clients an entry can be assigned to, in the order the entry dialogs
// offer them.
struct EntryClient
{
    const char* DisplayName;
    const char* Client;  // the value of FolderItem::Client
    int Icon;
    int AssignmentMode;  // the AutoAssign value that gives this client to one new entry
};
constexpr int EntryClientCount = 6;
const EntryClient& entryClient(int index);  // index 0..5, clamped

// A row of the default clients; BrowserID indexes it.
struct DefaultClient
{
    const char* Browser;
    const char* InterfaceName;  // at start-up; the clipboard's is empty when chosen in Options
    int InterfaceType;  // 0 DDE, 1 automation, -1 clipboard
    int ToolbarImage;
    int LoadingPicture;  // -1: none
    const char* PathKey;  // key of section "Browsers"; empty: no program to start
};
constexpr int DefaultClientCount = 6;
constexpr int ClipboardClientID = 4;
constexpr int MosaicClientID = 5;
// The row of `BrowserID`; any value outside 0..4 gives the NCSA Mosaic row.
const DefaultClient& defaultClient(int BrowserID);

// The display name of a DDE service name ("NETSCAPE" -> "Netscape Navigator", ...);
// empty for any other name.
std::string_view DDEDisplayName(std::string_view service);
// The loading picture of a display name, -1 for a name without one.
int LoadingPicture(std::string_view browser);

}  // namespace brindlex
