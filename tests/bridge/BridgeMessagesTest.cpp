#include <cstdint>
#include <cstring>
#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include "bridge/Bridge.h"
#include "bridge/BrowserMessages.h"
#include "bridge/NativeFrames.h"
#include "browser/DDEBrowser.h"
#include "store/TextRules.h"

namespace brindlex::bridge {
namespace {

std::string frameOf(std::string_view json)
{
    const auto length = static_cast<uint32_t>(json.size());
    std::string frame(4, '\0');
    std::memcpy(frame.data(), &length, 4);
    return frame + std::string(json);
}

std::vector<Frame> drain(FrameReader& reader)
{
    std::vector<Frame> frames;
    while (std::optional<Frame> frame = reader.next()) {
        frames.push_back(*frame);
    }
    return frames;
}

TEST(NativeFrames, LengthInTheMachinesOrderAndAtMostOneMebibyte)
{
    const Result<std::string> frame = encodeFrame("{\"a\":1}");
    ASSERT_TRUE(frame.ok());
    EXPECT_EQ(frame.value(), frameOf("{\"a\":1}"));
    EXPECT_TRUE(encodeFrame(std::string(MaxFrameBytes, 'x')).ok());
    const Result<std::string> tooLong = encodeFrame(std::string(MaxFrameBytes + 1, 'x'));
    ASSERT_FALSE(tooLong.ok());
    EXPECT_EQ(tooLong.error().kind, ErrorKind::Refused);
}

TEST(NativeFrames, FramesArriveWholeHoweverTheBytesAreCut)
{
    const std::string stream = frameOf("{\"one\":1}") + frameOf("") + frameOf("[\"two\"]");
    for (size_t piece : { size_t { 1 }, size_t { 3 }, size_t { 5 }, stream.size() }) {
        SCOPED_TRACE(piece);
        FrameReader reader;
        std::vector<Frame> frames;
        for (size_t at = 0; at < stream.size(); at += piece) {
            reader.feed(std::string_view(stream).substr(at, piece));
            for (const Frame& frame : drain(reader)) {
                frames.push_back(frame);
            }
        }
        ASSERT_EQ(frames.size(), 3U);
        EXPECT_EQ(frames[0].kind, Frame::Kind::Message);
        EXPECT_EQ(frames[0].text, "{\"one\":1}");
        EXPECT_EQ(frames[1].kind, Frame::Kind::Empty);
        EXPECT_EQ(frames[2].text, "[\"two\"]");
        EXPECT_FALSE(reader.partial());
    }
    FrameReader cut;
    cut.feed(frameOf("{\"one\":1}").substr(0, 6));
    EXPECT_TRUE(drain(cut).empty());
    EXPECT_TRUE(cut.partial());
}

TEST(NativeFrames, ATooLongFrameIsSkippedAndTheNextOneRead)
{
    const uint32_t length = MaxFrameBytes + 10;
    std::string header(4, '\0');
    std::memcpy(header.data(), &length, 4);
    FrameReader reader;
    reader.feed(header + "abc");
    std::vector<Frame> frames = drain(reader);
    ASSERT_EQ(frames.size(), 1U);
    EXPECT_EQ(frames[0].kind, Frame::Kind::TooLong);
    // Its remaining bytes arrive in two pieces, the second with the next frame behind them.
    const std::string rest(length - 3, 'x');
    reader.feed(rest.substr(0, 1000));
    EXPECT_TRUE(drain(reader).empty());
    reader.feed(rest.substr(1000) + frameOf("{}"));
    frames = drain(reader);
    ASSERT_EQ(frames.size(), 1U);
    EXPECT_EQ(frames[0].kind, Frame::Kind::Message);
    EXPECT_EQ(frames[0].text, "{}");
}

TEST(BrowserMessages, CommandsAndGreetingsAreJson)
{
    using nlohmann::json;
    EXPECT_EQ(json::parse(encodeCommand(7, { CommandKind::OpenUrl, "http://a/\"b\"\n ä" })),
        (json { { "kind", "openUrl" }, { "id", 7 }, { "url", "http://a/\"b\"\n ä" } }));
    EXPECT_EQ(
        json::parse(encodeCommand(8, { CommandKind::ActiveTab, {} })), (json { { "kind", "activeTab" }, { "id", 8 } }));
    EXPECT_EQ(json::parse(encodeCommand(9, { CommandKind::FocusWindow, {} }))["kind"], "focusWindow");
    EXPECT_EQ(json::parse(encodeCommand(10, { CommandKind::ListWindows, {} }))["kind"], "listWindows");
    EXPECT_EQ(json::parse(encodeHello("NETSCAPE", "1.1.0")),
        (json { { "kind", "hello" }, { "service", "NETSCAPE" }, { "version", "1.1.0" } }));
    EXPECT_EQ(json::parse(encodeError("not JSON")), (json { { "kind", "error" }, { "error", "not JSON" } }));
    // Bytes that are not UTF-8 cannot make the host write a message the browser refuses.
    json parsed;
    EXPECT_NO_THROW(parsed = json::parse(encodeCommand(11, { CommandKind::OpenUrl, "http://a/\xff" })));
    EXPECT_EQ(parsed["url"], "http://a/\xef\xbf\xbd");
}

TEST(BrowserMessages, RepliesAreReadAndEverythingElseRefusedWithItsReason)
{
    const Result<BrowserReply> tab = decodeBrowserMessage(
        R"({"kind":"reply","id":3,"ok":true,"url":"http://a/","title":"T \"q\"\n\tä","windowId":5})");
    ASSERT_TRUE(tab.ok()) << tab.error().message;
    EXPECT_EQ(tab.value().id, 3);
    EXPECT_TRUE(tab.value().ok);
    EXPECT_EQ(tab.value().url, "http://a/");
    EXPECT_EQ(tab.value().title, "T \"q\"\n\tä");
    EXPECT_EQ(tab.value().windowId, 5);
    const Result<BrowserReply> windows = decodeBrowserMessage(R"({"kind":"reply","id":4,"ok":true,"windows":[1,2]})");
    ASSERT_TRUE(windows.ok());
    EXPECT_EQ(windows.value().windows, (std::vector<int64_t> { 1, 2 }));
    const Result<BrowserReply> failed = decodeBrowserMessage(R"({"kind":"reply","id":4,"ok":false,"error":"no"})");
    ASSERT_TRUE(failed.ok());
    EXPECT_FALSE(failed.value().ok);
    EXPECT_EQ(failed.value().error, "no");

    const struct
    {
        const char* message;
        const char* reason;
    } refused[] = {
        { "", "not JSON" },
        { "{\"kind\":", "not JSON" },
        { "\"\xff\"", "not JSON" },
        { "[1]", "not a JSON object" },
        { "{}", "message without a kind" },
        { R"({"kind":7})", "message without a kind" },
        { R"({"kind":"tabs"})", "unknown kind \"tabs\"" },
        { R"({"kind":"reply","ok":true})", "reply without an id" },
        { R"({"kind":"reply","id":"1","ok":true})", "reply without an id" },
        { R"({"kind":"reply","id":1})", "reply without ok" },
        { R"({"kind":"reply","id":1,"ok":true,"url":5})", "reply with a field of the wrong type" },
        { R"({"kind":"reply","id":1,"ok":true,"windowId":"w"})", "reply with a field of the wrong type" },
        { R"({"kind":"reply","id":1,"ok":true,"windows":[1,"x"]})", "reply with a field of the wrong type" },
    };
    for (const auto& c : refused) {
        const Result<BrowserReply> reply = decodeBrowserMessage(c.message);
        ASSERT_FALSE(reply.ok()) << c.message;
        EXPECT_EQ(reply.error().message, c.reason) << c.message;
    }
}

TEST(RequestMapping, TopicsBecomeBrowserCommands)
{
    const struct
    {
        std::vector<std::string> request;
        std::optional<CommandKind> kind;
        std::string urlOrReason;
    } cases[] = {
        { { "REQUEST", "WWW_ListWindows", "" }, CommandKind::ListWindows, "" },
        { { "REQUEST", "WWW_GetWindowInfo", "-1" }, CommandKind::ActiveTab, "" },
        { { "REQUEST", "WWW_Activate", "-1" }, CommandKind::FocusWindow, "" },
        { { "REQUEST", "WWW_OpenURL", "\"http://a/b c\",,-1,,,,," }, CommandKind::OpenUrl, "http://a/b c" },
        { { "REQUEST", "WWW_OpenURL", "\"\",,-1,,,,," }, std::nullopt, "no URL to open" },
        { { "REQUEST", "WWW_Exit", "" }, std::nullopt, "unknown topic WWW_Exit" },
        { { "CREATE" }, std::nullopt, "a browser answers only DDE requests" },
        { { "CALL", "GetCurrentDocURL" }, std::nullopt, "a browser answers only DDE requests" },
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.request[0] + " " + (c.request.size() > 1 ? c.request[1] : ""));
        const Result<BrowserCommand> command = commandFor(c.request);
        ASSERT_EQ(command.ok(), c.kind.has_value());
        if (c.kind) {
            EXPECT_EQ(command.value().kind, *c.kind);
            EXPECT_EQ(command.value().url, c.urlOrReason);
        } else {
            EXPECT_EQ(command.error().message, c.urlOrReason);
        }
    }
}

TEST(RequestMapping, TheURLOfAnOpenURLItem)
{
    EXPECT_EQ(openURLTarget("\"http://a/\",,-1,,,,,"), "http://a/");
    // Quotes inside the URL are not escaped by the program: the last quote closes it.
    EXPECT_EQ(openURLTarget("\"http://a/?q=\"x\",y\",,-1,,,,,"), "http://a/?q=\"x\",y");
    EXPECT_EQ(openURLTarget("\"http://a/"), "http://a/");
    EXPECT_EQ(openURLTarget("http://a/,,-1"), "http://a/");
    EXPECT_EQ(openURLTarget(""), "");
}

TEST(RequestMapping, ReplyTexts)
{
    BrowserReply reply;
    reply.windowId = 42;
    reply.windows = { 3, 9 };
    EXPECT_EQ(replyText(CommandKind::OpenUrl, reply), "42");
    EXPECT_EQ(replyText(CommandKind::FocusWindow, reply), "42");
    EXPECT_EQ(replyText(CommandKind::ListWindows, reply), "3,9");
    EXPECT_EQ(replyText(CommandKind::FocusWindow, BrowserReply {}), "0");
    EXPECT_EQ(replyText(CommandKind::ListWindows, BrowserReply {}), "");
}

TEST(RequestMapping, TitlesReachTheProgramsReaderWholeWithQuotesMadeSafe)
{
    const struct
    {
        std::string url;
        std::string title;
    } cases[] = {
        { "http://127.0.0.1/a", "Plain" },
        { "http://127.0.0.1/a", "Say \"hi\", \"there\"" },
        { "http://127.0.0.1/a", "\"" },
        { "http://127.0.0.1/a", "Tabs\there and\r\nline breaks\n" },
        { "http://127.0.0.1/ä", "Grüße — 日本語 🎉" },
        { "http://127.0.0.1/a?q=\"x\"", "," },
        { "", "" },
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.title);
        const std::optional<WindowInfo> info = ParseWindowInfo(windowInfo(c.url, c.title));
        ASSERT_TRUE(info.has_value());
        // What the entry would hold anyway: its text never holds a double quote.
        EXPECT_EQ(info->title, QuotesToApostrophes(c.title));
        EXPECT_EQ(info->url.find('"'), std::string::npos);
    }
    EXPECT_EQ(windowInfo("http://a/?q=\"x\"", "T"), "\"http://a/?q=%22x%22\",\"T\"");
}

TEST(Caller, TheServiceFollowsTheBrowserFamily)
{
    const struct
    {
        std::vector<std::string> arguments;
        std::optional<std::string> service;
    } cases[] = {
        { { "chrome-extension://fmpmhabnjfmaiggcablhjlejebpcldmp/" }, "Iexplore" },
        { { "chrome-extension://fmpmhabnjfmaiggcablhjlejebpcldmp/", "--parent-window=0" }, "Iexplore" },
        { { "/home/u/.mozilla/native-messaging-hosts/org.brindlex.bridge.json", "bridge@brindlex.org" }, "NETSCAPE" },
        { { "/usr/lib/mozilla/native-messaging-hosts/org.brindlex.bridge.json", "{1234-abcd}" }, "NETSCAPE" },
        { { "/home/u/.mozilla/native-messaging-hosts/org.brindlex.bridge.json" }, std::nullopt },
        { { "/home/u/manifest.txt", "bridge@brindlex.org" }, std::nullopt },
        { { "--install" }, std::nullopt },
        { {}, std::nullopt },
    };
    for (const auto& c : cases) {
        EXPECT_EQ(serviceForCaller(c.arguments), c.service) << (c.arguments.empty() ? "" : c.arguments[0]);
    }
}

}  // namespace
}  // namespace brindlex::bridge
