#include <condition_variable>
#include <cstring>
#include <future>
#include <gtest/gtest.h>
#include <mutex>
#include <nlohmann/json.hpp>

#include "bridge/Bridge.h"

namespace brindlex::bridge {
namespace {

using nlohmann::json;

std::string frameOf(const std::string& text)
{
    const auto length = static_cast<uint32_t>(text.size());
    std::string frame(4, '\0');
    std::memcpy(frame.data(), &length, 4);
    return frame + text;
}

// The browser's side of the port: keeps every message the bridge wrote.
class RecordingPort : public BrowserPort
{
public:
    bool write(const std::string& frame) override
    {
        const std::lock_guard<std::mutex> lock(m_mutex);
        if (closed) {
            return false;
        }
        uint32_t length = 0;
        std::memcpy(&length, frame.data(), 4);
        EXPECT_EQ(length + 4, frame.size());
        m_messages.push_back(json::parse(frame.substr(4)));
        m_written.notify_all();
        return true;
    }
    // The `n`th message (from 0), waiting for it a few seconds at most.
    json message(size_t n)
    {
        std::unique_lock<std::mutex> lock(m_mutex);
        m_written.wait_for(lock, std::chrono::seconds(5), [&] { return m_messages.size() > n; });
        return m_messages.size() > n ? m_messages[n] : json();
    }
    size_t count()
    {
        const std::lock_guard<std::mutex> lock(m_mutex);
        return m_messages.size();
    }
    bool closed = false;

private:
    std::mutex m_mutex;
    std::condition_variable m_written;
    std::vector<json> m_messages;
};

class BridgeTest : public ::testing::Test
{
protected:
    std::future<ServerAnswer> ask(const std::string& topic, const std::string& item)
    {
        return std::async(std::launch::async, [this, topic, item] {
            return bridge.answer({ "REQUEST", topic, item });
        });
    }
    void reply(const json& message) { bridge.received(frameOf(message.dump())); }

    RecordingPort port;
    Bridge bridge { port, 3000 };
};

TEST_F(BridgeTest, ARequestIsAnsweredWithTheExtensionsReply)
{
    auto answer = ask("WWW_GetWindowInfo", "-1");
    const json command = port.message(0);
    ASSERT_EQ(command["kind"], "activeTab");
    reply({ { "kind", "reply" }, { "id", command["id"] }, { "ok", true }, { "url", "http://127.0.0.1/" },
        { "title", "A \"quoted\"\ttitle — ä" } });
    const ServerAnswer got = answer.get();
    EXPECT_EQ(got.kind, ServerAnswer::Kind::Reply);
    EXPECT_EQ(got.text, "\"http://127.0.0.1/\",\"A 'quoted'\ttitle — ä\"");

    auto opened = ask("WWW_OpenURL", "\"http://127.0.0.1/two\",,-1,,,,,");
    const json open = port.message(1);
    EXPECT_EQ(open["kind"], "openUrl");
    EXPECT_EQ(open["url"], "http://127.0.0.1/two");
    EXPECT_NE(open["id"], command["id"]);
    reply({ { "kind", "reply" }, { "id", open["id"] }, { "ok", true }, { "windowId", 12 } });
    EXPECT_EQ(opened.get().text, "12");
}

TEST_F(BridgeTest, ConcurrentRequestsGetTheirOwnReplies)
{
    auto first = ask("WWW_Activate", "-1");
    const json one = port.message(0);
    auto second = ask("WWW_ListWindows", "");
    const json two = port.message(1);
    // Answered in the other order.
    reply({ { "kind", "reply" }, { "id", two["id"] }, { "ok", true }, { "windows", { 4, 5 } } });
    reply({ { "kind", "reply" }, { "id", one["id"] }, { "ok", true }, { "windowId", 4 } });
    EXPECT_EQ(second.get().text, "4,5");
    EXPECT_EQ(first.get().text, "4");
}

TEST_F(BridgeTest, RefusalsOfTheBrowserAndUnknownRequestsAreRefused)
{
    auto answer = ask("WWW_OpenURL", "\"about:config\",,-1,,,,,");
    reply({ { "kind", "reply" }, { "id", port.message(0)["id"] }, { "ok", false }, { "error", "Illegal URL" } });
    const ServerAnswer refused = answer.get();
    EXPECT_EQ(refused.kind, ServerAnswer::Kind::Refuse);
    EXPECT_EQ(refused.text, "Illegal URL");

    const ServerAnswer unknown = bridge.answer({ "REQUEST", "WWW_Exit", "" });
    EXPECT_EQ(unknown.kind, ServerAnswer::Kind::Refuse);
    EXPECT_EQ(port.count(), 1U);  // nothing was sent to the browser for it
}

TEST_F(BridgeTest, BadMessagesAreAnsweredWithErrorsAndTheBridgeGoesOn)
{
    bridge.received(frameOf("not json") + frameOf("") + frameOf(R"({"kind":"bookmarks"})"));
    EXPECT_EQ(port.message(0), (json { { "kind", "error" }, { "error", "not JSON" } }));
    EXPECT_EQ(port.message(1), (json { { "kind", "error" }, { "error", "empty message" } }));
    EXPECT_EQ(port.message(2), (json { { "kind", "error" }, { "error", "unknown kind \"bookmarks\"" } }));
    const uint32_t huge = MaxFrameBytes + 1;
    std::string header(4, '\0');
    std::memcpy(header.data(), &huge, 4);
    bridge.received(header + std::string(huge, ' '));
    EXPECT_EQ(port.message(3), (json { { "kind", "error" }, { "error", "message too long" } }));
    // A reply nobody waits for (its request gave up) is dropped without a word.
    reply({ { "kind", "reply" }, { "id", 999 }, { "ok", true } });

    auto answer = ask("WWW_Activate", "-1");
    const json command = port.message(4);
    ASSERT_EQ(command["kind"], "focusWindow");
    reply({ { "kind", "reply" }, { "id", command["id"] }, { "ok", true }, { "windowId", 1 } });
    EXPECT_EQ(answer.get().text, "1");
}

TEST_F(BridgeTest, ABrowserThatClosesWhileARequestWaitsRefusesItAndEveryLaterOne)
{
    auto answer = ask("WWW_GetWindowInfo", "-1");
    ASSERT_EQ(port.message(0)["kind"], "activeTab");
    bridge.close();
    const ServerAnswer refused = answer.get();
    EXPECT_EQ(refused.kind, ServerAnswer::Kind::Refuse);
    EXPECT_EQ(refused.text, "the browser has closed");
    EXPECT_EQ(bridge.answer({ "REQUEST", "WWW_ListWindows", "" }).text, "the browser has closed");
}

TEST(BridgeTimeOut, AnExtensionThatNeverAnswersIsGivenUpOn)
{
    RecordingPort port;
    Bridge bridge(port, 100);
    const ServerAnswer answer = bridge.answer({ "REQUEST", "WWW_ListWindows", "" });
    EXPECT_EQ(answer.kind, ServerAnswer::Kind::Refuse);
    EXPECT_EQ(answer.text, "the browser did not answer");

    port.closed = true;  // the browser has gone: writing fails
    EXPECT_EQ(bridge.answer({ "REQUEST", "WWW_ListWindows", "" }).text, "the browser has closed");
    EXPECT_EQ(bridge.answer({ "REQUEST", "WWW_OpenURL", "\"" + std::string(MaxFrameBytes, 'x') + "\"" }).text,
        "the request is too long for the browser");
}

}  // namespace
}  // namespace brindlex::bridge
