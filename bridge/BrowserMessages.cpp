#include "bridge/BrowserMessages.h"

#include <nlohmann/json.hpp>

namespace brindlex::bridge {

namespace {

using nlohmann::json;

const char* kindName(CommandKind kind)
{
    switch (kind) {
    case CommandKind::ActiveTab:
        return "activeTab";
    case CommandKind::OpenUrl:
        return "openUrl";
    case CommandKind::FocusWindow:
        return "focusWindow";
    case CommandKind::ListWindows:
        return "listWindows";
    }
    return "activeTab";
}

// Text that is not UTF-8 is written with replacement characters instead of throwing:
// the browser refuses a message that is not valid UTF-8 JSON.
std::string text(const json& message)
{
    return message.dump(-1, ' ', false, json::error_handler_t::replace);
}

Error refused(std::string message)
{
    return Error { ErrorKind::Format, std::move(message) };
}

// The string member `name` of `object` into `out`; false when it is there with another type.
bool optionalString(const json& object, const char* name, std::string& out)
{
    const auto it = object.find(name);
    if (it == object.end() || it->is_null()) {
        return true;
    }
    if (!it->is_string()) {
        return false;
    }
    out = it->get<std::string>();
    return true;
}

}  // namespace

std::string encodeCommand(int64_t id, const BrowserCommand& command)
{
    json message = { { "kind", kindName(command.kind) }, { "id", id } };
    if (command.kind == CommandKind::OpenUrl) {
        message["url"] = command.url;
    }
    return text(message);
}

std::string encodeHello(const std::string& service, const std::string& version)
{
    return text(json { { "kind", "hello" }, { "service", service }, { "version", version } });
}

std::string encodeError(const std::string& message)
{
    return text(json { { "kind", "error" }, { "error", message } });
}

Result<BrowserReply> decodeBrowserMessage(std::string_view bytes)
{
    const json message = json::parse(bytes.begin(), bytes.end(), nullptr, false);
    if (message.is_discarded()) {
        return refused("not JSON");
    }
    if (!message.is_object()) {
        return refused("not a JSON object");
    }
    const auto kind = message.find("kind");
    if (kind == message.end() || !kind->is_string()) {
        return refused("message without a kind");
    }
    if (kind->get<std::string>() != "reply") {
        return refused("unknown kind " + kind->dump(-1, ' ', false, json::error_handler_t::replace));
    }
    const auto id = message.find("id");
    if (id == message.end() || !id->is_number_integer()) {
        return refused("reply without an id");
    }
    BrowserReply reply;
    reply.id = id->get<int64_t>();
    const auto ok = message.find("ok");
    if (ok == message.end() || !ok->is_boolean()) {
        return refused("reply without ok");
    }
    reply.ok = ok->get<bool>();
    if (!optionalString(message, "error", reply.error) || !optionalString(message, "url", reply.url)
        || !optionalString(message, "title", reply.title)) {
        return refused("reply with a field of the wrong type");
    }
    if (const auto window = message.find("windowId"); window != message.end() && !window->is_null()) {
        if (!window->is_number_integer()) {
            return refused("reply with a field of the wrong type");
        }
        reply.windowId = window->get<int64_t>();
    }
    if (const auto windows = message.find("windows"); windows != message.end() && !windows->is_null()) {
        if (!windows->is_array()) {
            return refused("reply with a field of the wrong type");
        }
        for (const json& window : *windows) {
            if (!window.is_number_integer()) {
                return refused("reply with a field of the wrong type");
            }
            reply.windows.push_back(window.get<int64_t>());
        }
    }
    return reply;
}

}  // namespace brindlex::bridge
