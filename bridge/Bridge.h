#pragma once
#include <condition_variable>
#include <cstdint>
#include <map>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "bridge/BrowserMessages.h"
#include "bridge/NativeFrames.h"
#include "browser/ConversationServer.h"
#include "store/Result.h"

namespace brindlex::bridge {

// The service a bridge serves for the browser that started it, told by the arguments
// the browser passes: a Chromium-family browser passes the caller's origin
// "chrome-extension://ID/" first, a Firefox-family one the path of the host manifest
// and the extension's id. Nothing for other arguments.
std::optional<std::string> serviceForCaller(const std::vector<std::string>& arguments);

// The browser command for a conversation request ({"REQUEST", topic, item}); the error
// is the refusal's reason (another kind of request, an unknown topic, no URL to open).
Result<BrowserCommand> commandFor(const std::vector<std::string>& request);
// The URL of a WWW_OpenURL item: the text between its first double quote and its last
// one (the URL itself goes between them unchanged), or up to the first comma when the
// item does not begin with a quote.
std::string openURLTarget(std::string_view item);
// A WWW_GetWindowInfo reply, "URL","Title", as the program's reader takes it apart:
// neither value may hold a double quote, so one in the title becomes an apostrophe (as
// the entry would hold it anyway) and one in the URL its escape %22.
std::string windowInfo(const std::string& url, const std::string& title);
// The conversation reply text for what the extension answered to `kind`.
std::string replyText(CommandKind kind, const BrowserReply& reply);

// Writes whole messages to the browser; false once the browser has gone.
class BrowserPort
{
public:
    virtual ~BrowserPort() = default;
    virtual bool write(const std::string& frame) = 0;
};

// The heart of the native-messaging host: turns each conversation request into a
// command for the extension, waits for the extension's reply and answers with it.
// answer() is called on the conversation server's threads, received() and close() by
// the thread that reads the browser's output.
class Bridge
{
public:
    // Longer than the program's time-out, so that a browser that does not answer shows
    // as "busy or not responding" to the program, as a stuck browser should.
    static constexpr int DefaultReplyTimeoutMs = 6000;

    explicit Bridge(BrowserPort& port, int replyTimeoutMs = DefaultReplyTimeoutMs);
    Bridge(const Bridge&) = delete;
    Bridge& operator=(const Bridge&) = delete;

    // Sends `json` to the browser as one frame; false when it is too long or the port is closed.
    bool send(const std::string& json);
    // One conversation request, answered once the extension has replied. Refused when
    // the browser has closed the port (also while waiting), or when the extension did
    // not reply within the reply time-out.
    ServerAnswer answer(const std::vector<std::string>& request);
    // Bytes the browser wrote. Every message that cannot be taken (not JSON, too long,
    // empty, of an unknown kind) is answered with an error message; the bridge goes on.
    void received(std::string_view bytes);
    // The browser closed the port: every waiting request and every later one is refused.
    void close();
    // True when the bytes received so far end inside a message.
    bool partial() const { return m_reader.partial(); }

private:
    bool write(const std::string& frame);

    BrowserPort& m_port;
    const int m_replyTimeoutMs;
    FrameReader m_reader;  // used by the reading thread only

    std::mutex m_sending;  // one frame at a time on the port
    std::mutex m_mutex;
    std::condition_variable m_replied;
    bool m_closed = false;
    int64_t m_nextId = 1;
    std::map<int64_t, std::optional<BrowserReply>> m_waiting;
};

}  // namespace brindlex::bridge
