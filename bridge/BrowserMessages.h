#pragma once
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "store/Result.h"

namespace brindlex::bridge {

// The JSON messages between the host and its browser extension (docs/bridge.md).
//
// Host to extension: a command {"kind": "activeTab" | "openUrl" | "focusWindow" |
// "listWindows", "id": N, "url": "..." (openUrl only)}, the greeting {"kind": "hello",
// "service": "NETSCAPE", "version": "..."} and {"kind": "error", "error": "..."} for a
// message it could not take.
// Extension to host: {"kind": "reply", "id": N, "ok": true, "url", "title", "windowId",
// "windows": [...]} or {"kind": "reply", "id": N, "ok": false, "error": "..."}.

enum class CommandKind { ActiveTab, OpenUrl, FocusWindow, ListWindows };

struct BrowserCommand
{
    CommandKind kind = CommandKind::ActiveTab;
    std::string url;  // OpenUrl only
};

std::string encodeCommand(int64_t id, const BrowserCommand& command);
std::string encodeHello(const std::string& service, const std::string& version);
std::string encodeError(const std::string& message);

// What the extension answered to the command `id`.
struct BrowserReply
{
    int64_t id = 0;
    bool ok = false;
    std::string error;  // when not ok
    std::string url;
    std::string title;
    std::optional<int64_t> windowId;
    std::vector<int64_t> windows;
};

// Reads one message of the extension. The error says why it was not taken: not JSON,
// not an object, an unknown kind, a reply without its id or with fields of the wrong type.
Result<BrowserReply> decodeBrowserMessage(std::string_view json);

}  // namespace brindlex::bridge
