#include "bridge/Bridge.h"

#include <chrono>

namespace brindlex::bridge {

namespace {

ServerAnswer refuse(std::string reason)
{
    return ServerAnswer { ServerAnswer::Kind::Refuse, std::move(reason) };
}

std::string replaceAll(std::string text, char from, const std::string& to)
{
    std::string out;
    out.reserve(text.size());
    for (const char c : text) {
        if (c == from) {
            out += to;
        } else {
            out += c;
        }
    }
    return out;
}

}  // namespace

std::optional<std::string> serviceForCaller(const std::vector<std::string>& arguments)
{
    if (arguments.empty()) {
        return std::nullopt;
    }
    if (arguments[0].rfind("chrome-extension://", 0) == 0) {
        return "Iexplore";
    }
    // Firefox: the manifest's path, then the add-on's id ("name@domain" or "{uuid}").
    const std::string& manifest = arguments[0];
    constexpr std::string_view suffix = ".json";
    if (arguments.size() >= 2 && !arguments[1].empty() && manifest.size() > suffix.size()
        && manifest.compare(manifest.size() - suffix.size(), suffix.size(), suffix) == 0) {
        return "NETSCAPE";
    }
    return std::nullopt;
}

std::string openURLTarget(std::string_view item)
{
    if (item.empty() || item.front() != '"') {
        return std::string(item.substr(0, item.find(',')));
    }
    const size_t close = item.rfind('"');
    if (close == 0) {
        return std::string(item.substr(1));  // no closing quote: the rest is the URL
    }
    return std::string(item.substr(1, close - 1));
}

Result<BrowserCommand> commandFor(const std::vector<std::string>& request)
{
    if (request.size() != 3 || request[0] != "REQUEST") {
        return Error { ErrorKind::Refused, "a browser answers only DDE requests" };
    }
    const std::string& topic = request[1];
    if (topic == "WWW_ListWindows") {
        return BrowserCommand { CommandKind::ListWindows, {} };
    }
    if (topic == "WWW_GetWindowInfo") {
        return BrowserCommand { CommandKind::ActiveTab, {} };
    }
    if (topic == "WWW_Activate") {
        return BrowserCommand { CommandKind::FocusWindow, {} };
    }
    if (topic == "WWW_OpenURL") {
        std::string url = openURLTarget(request[2]);
        if (url.empty()) {
            return Error { ErrorKind::Refused, "no URL to open" };
        }
        return BrowserCommand { CommandKind::OpenUrl, std::move(url) };
    }
    return Error { ErrorKind::Refused, "unknown topic " + topic };
}

std::string windowInfo(const std::string& url, const std::string& title)
{
    return "\"" + replaceAll(url, '"', "%22") + "\",\"" + replaceAll(title, '"', "'") + "\"";
}

std::string replyText(CommandKind kind, const BrowserReply& reply)
{
    switch (kind) {
    case CommandKind::ActiveTab:
        return windowInfo(reply.url, reply.title);
    case CommandKind::ListWindows: {
        std::string ids;
        for (const int64_t window : reply.windows) {
            ids += (ids.empty() ? "" : ",") + std::to_string(window);
        }
        return ids;
    }
    case CommandKind::OpenUrl:
    case CommandKind::FocusWindow:
        return std::to_string(reply.windowId.value_or(0));
    }
    return {};
}

Bridge::Bridge(BrowserPort& port, int replyTimeoutMs)
    : m_port(port)
    , m_replyTimeoutMs(replyTimeoutMs)
{
}

bool Bridge::send(const std::string& json)
{
    const Result<std::string> frame = encodeFrame(json);
    if (!frame.ok()) {
        return false;
    }
    return write(frame.value());
}

bool Bridge::write(const std::string& frame)
{
    const std::lock_guard<std::mutex> lock(m_sending);
    return m_port.write(frame);
}

ServerAnswer Bridge::answer(const std::vector<std::string>& request)
{
    const Result<BrowserCommand> command = commandFor(request);
    if (!command.ok()) {
        return refuse(command.error().message);
    }
    int64_t id = 0;
    {
        const std::lock_guard<std::mutex> lock(m_mutex);
        if (m_closed) {
            return refuse("the browser has closed");
        }
        id = m_nextId++;
        m_waiting[id];
    }
    const Result<std::string> frame = encodeFrame(encodeCommand(id, command.value()));
    const bool sent = frame.ok() && write(frame.value());

    std::unique_lock<std::mutex> lock(m_mutex);
    if (!sent) {
        m_waiting.erase(id);
        return refuse(frame.ok() ? "the browser has closed" : "the request is too long for the browser");
    }
    const bool replied = m_replied.wait_for(
        lock, std::chrono::milliseconds(m_replyTimeoutMs), [&] { return m_closed || m_waiting[id].has_value(); });
    const std::optional<BrowserReply> reply = m_waiting[id];
    m_waiting.erase(id);
    if (!reply) {
        return refuse(replied ? "the browser has closed" : "the browser did not answer");
    }
    if (!reply->ok) {
        return refuse(reply->error.empty() ? "the browser refused" : reply->error);
    }
    return ServerAnswer { ServerAnswer::Kind::Reply, replyText(command.value().kind, *reply) };
}

void Bridge::received(std::string_view bytes)
{
    m_reader.feed(bytes);
    while (const std::optional<Frame> frame = m_reader.next()) {
        if (frame->kind == Frame::Kind::Empty) {
            send(encodeError("empty message"));
            continue;
        }
        if (frame->kind == Frame::Kind::TooLong) {
            send(encodeError("message too long"));
            continue;
        }
        Result<BrowserReply> reply = decodeBrowserMessage(frame->text);
        if (!reply.ok()) {
            send(encodeError(reply.error().message));
            continue;
        }
        const std::lock_guard<std::mutex> lock(m_mutex);
        // A reply that comes after its request gave up has nobody waiting: dropped.
        if (const auto waiting = m_waiting.find(reply.value().id); waiting != m_waiting.end()) {
            waiting->second = std::move(reply.value());
            m_replied.notify_all();
        }
    }
}

void Bridge::close()
{
    const std::lock_guard<std::mutex> lock(m_mutex);
    m_closed = true;
    m_replied.notify_all();
}

}  // namespace brindlex::bridge
