#include <atomic>
#include <cerrno>
#include <fstream>
#include <gtest/gtest.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

#include "TestBrowserProcess.h"
#include "browser/ConversationEndpoint.h"
#include "browser/ConversationServer.h"
#include "browser/SocketConversation.h"
#include "browser/WireFormat.h"

namespace brindlex::test {
namespace {

constexpr uid_t Nobody = 65534;

std::string allBytes()
{
    std::string text = "tab\there, line\r\nbreak, \"quotes\", ä€ — ";
    for (int c = 0; c < 256; ++c) {
        text.push_back(static_cast<char>(c));
    }
    return text;
}

TEST(WireFormat, RoundTripsAnyBytesAndDecodesInPieces)
{
    const std::vector<std::string> fields { "REQUEST", "WWW_OpenURL", allBytes(), "" };
    const std::string message = encodeMessage(fields);
    EXPECT_EQ(decodeMessage(message), fields);

    MessageDecoder decoder;
    for (size_t i = 0; i + 1 < message.size(); ++i) {
        ASSERT_EQ(decoder.feed(message.substr(i, 1)), MessageDecoder::State::NeedMore) << i;
    }
    EXPECT_EQ(decoder.feed(message.substr(message.size() - 1)), MessageDecoder::State::Complete);
    EXPECT_EQ(decoder.fields(), fields);
}

TEST(WireFormat, RejectsMalformedMessages)
{
    const std::string one = encodeMessage({ "OK", "text" });
    const struct
    {
        const char* what;
        std::string bytes;
    } cases[] = {
        { "truncated", one.substr(0, one.size() - 1) },
        { "trailing bytes", one + "x" },
        { "too many fields", std::string("\x7f\xff\xff\xff", 4) },
        { "field longer than the limit", std::string("\0\0\0\1\x7f\xff\xff\xff", 8) + "abc" },
        { "empty", "" },
    };
    for (const auto& c : cases) {
        EXPECT_FALSE(decodeMessage(c.bytes).has_value()) << c.what;
    }
    MessageDecoder decoder;
    EXPECT_EQ(decoder.feed(std::string("\0\0\0\1\x7f\xff\xff\xff", 8)), MessageDecoder::State::Malformed);
}

class ConversationTest : public ::testing::Test
{
protected:
    std::string dde() const { return tmp.path() + "/dde"; }
    EndpointFolder tmp;
};

TEST_F(ConversationTest, CarriesTextUnchangedBothWays)
{
    const std::string replyFile = tmp.path() + "/reply";
    std::ofstream(replyFile, std::ios::binary) << allBytes();
    TestBrowserProcess browser(tmp.path(), { "--service", "NETSCAPE", "--reply-file", "WWW_Echo=" + replyFile });
    ASSERT_TRUE(browser.ready());

    SocketConversation conversation(5000, dde());
    const ConversationReply reply = conversation.Request("NETSCAPE", "WWW_Echo", allBytes());
    ASSERT_EQ(reply.result, ConversationResult::Ok);
    EXPECT_EQ(reply.text, allBytes());
    const auto requests = browser.requests();
    ASSERT_EQ(requests.size(), 1U);
    EXPECT_EQ(requests[0], (std::vector<std::string> { "NETSCAPE", "REQUEST", "WWW_Echo", allBytes() }));
}

TEST_F(ConversationTest, NoServerRefusalAndTimeOutAreDistinct)
{
    TestBrowserProcess browser(
        tmp.path(), { "--service", "NETSCAPE", "--refuse", "WWW_Refused", "--slow", "WWW_Slow", "--refuse", "CREATE" });
    ASSERT_TRUE(browser.ready());
    SocketConversation conversation(300, dde());
    EXPECT_EQ(conversation.Request("Iexplore", "WWW_ListWindows", "").result, ConversationResult::NoServer);
    EXPECT_EQ(conversation.Request("NETSCAPE", "WWW_Refused", "").result, ConversationResult::Refused);
    EXPECT_EQ(conversation.Request("NETSCAPE", "WWW_Slow", "").result, ConversationResult::Timeout);
    EXPECT_EQ(conversation.Request("NETSCAPE", "WWW_ListWindows", "").result, ConversationResult::Ok);
    EXPECT_EQ(conversation.CreateObject("NETSCAPE").result, ConversationResult::Refused);
    EXPECT_EQ(conversation.CreateObject("Mosaic.MosaicCCI").result, ConversationResult::NoServer);
    EXPECT_EQ(conversation.Request("../NETSCAPE", "WWW_ListWindows", "").result, ConversationResult::NoServer);

    SocketConversation nowhere(300, tmp.path() + "/missing");
    EXPECT_EQ(nowhere.Request("NETSCAPE", "WWW_ListWindows", "").result, ConversationResult::NoServer);
}

TEST_F(ConversationTest, RefusesEndpointsThatAreNotPrivate)
{
    TestBrowserProcess browser(tmp.path(), { "--service", "NETSCAPE" });
    ASSERT_TRUE(browser.ready());
    SocketConversation conversation(2000, dde());
    ASSERT_EQ(conversation.Request("NETSCAPE", "WWW_ListWindows", "").result, ConversationResult::Ok);

    ASSERT_EQ(chmod(dde().c_str(), 0755), 0);
    EXPECT_EQ(conversation.Request("NETSCAPE", "WWW_ListWindows", "").result, ConversationResult::NoServer);
    ASSERT_EQ(chmod(dde().c_str(), 0700), 0);

    const std::string link = tmp.path() + "/link";
    ASSERT_EQ(symlink(dde().c_str(), link.c_str()), 0);
    SocketConversation throughLink(2000, link);
    EXPECT_EQ(throughLink.Request("NETSCAPE", "WWW_ListWindows", "").result, ConversationResult::NoServer);

    if (geteuid() == 0) {
        // Only root can hand a folder or socket to another user.
        const std::string socket = dde() + "/NETSCAPE";
        ASSERT_EQ(chown(socket.c_str(), Nobody, Nobody), 0);
        EXPECT_EQ(conversation.Request("NETSCAPE", "WWW_ListWindows", "").result, ConversationResult::NoServer);
        ASSERT_EQ(chown(socket.c_str(), 0, 0), 0);
        ASSERT_EQ(chown(dde().c_str(), Nobody, Nobody), 0);
        EXPECT_EQ(conversation.Request("NETSCAPE", "WWW_ListWindows", "").result, ConversationResult::NoServer);
        ASSERT_EQ(chown(dde().c_str(), 0, 0), 0);
    }
    EXPECT_EQ(conversation.Request("NETSCAPE", "WWW_ListWindows", "").result, ConversationResult::Ok);
    EXPECT_EQ(browser.requests().size(), 2U);
}

TEST_F(ConversationTest, ServerHangsUpOnAnotherUsersProgram)
{
    if (geteuid() != 0) {
        GTEST_SKIP() << "needs root to act as another user";
    }
    TestBrowserProcess browser(tmp.path(), { "--service", "NETSCAPE" });
    ASSERT_TRUE(browser.ready());
    // Let the other user reach the socket at all, so that only the server's check is left.
    const std::string socketPath = dde() + "/NETSCAPE";
    ASSERT_EQ(chmod(tmp.path().c_str(), 0711), 0);
    ASSERT_EQ(chmod(dde().c_str(), 0711), 0);
    ASSERT_EQ(chmod(socketPath.c_str(), 0666), 0);

    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        if (setgid(Nobody) != 0 || setuid(Nobody) != 0) {
            _exit(10);
        }
        const int fd = socket(AF_UNIX, SOCK_STREAM, 0);
        sockaddr_un address {};
        address.sun_family = AF_UNIX;
        socketPath.copy(address.sun_path, sizeof address.sun_path - 1);
        if (connect(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0) {
            _exit(11);
        }
        const std::string request = encodeMessage({ "REQUEST", "WWW_ListWindows", "" });
        // The server may hang up before the request is even written.
        if (send(fd, request.data(), request.size(), MSG_NOSIGNAL) < 0) {
            _exit(errno == EPIPE || errno == ECONNRESET ? 0 : 12);
        }
        char buffer[64];
        const ssize_t n = read(fd, buffer, sizeof buffer);
        _exit(n == 0 || (n < 0 && errno == ECONNRESET) ? 0 : 13);  // hung up without a reply
    }
    int status = 0;
    waitpid(child, &status, 0);
    EXPECT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0);
    EXPECT_TRUE(browser.requests().empty());
}

// A raw client socket connected to `path`, for clients that misbehave.
int connectTo(const std::string& path)
{
    const int fd = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_un address {};
    address.sun_family = AF_UNIX;
    path.copy(address.sun_path, sizeof address.sun_path - 1);
    if (connect(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0) {
        close(fd);
        return -1;
    }
    return fd;
}

// An in-process server on its own thread, answering every request with "answer".
class ServedInProcess
{
public:
    explicit ServedInProcess(const std::string& folder)
        : server(folder, [](const std::string&, const std::vector<std::string>&) {
            return ServerAnswer { ServerAnswer::Kind::Reply, "answer" };
        })
    {
    }
    ~ServedInProcess()
    {
        stopped = true;
        server.stop();
        if (thread.joinable()) {
            thread.join();
        }
    }
    void start()
    {
        thread = std::thread([this] {
            while (!stopped) {
                server.serveOnce(50);
            }
        });
    }
    void end()
    {
        stopped = true;
        if (thread.joinable()) {
            thread.join();
        }
    }

    ConversationServer server;
    std::atomic<bool> stopped = false;
    std::thread thread;
};

TEST_F(ConversationTest, StalledAndHeldClientsDoNotKeepOthersWaiting)
{
    TestBrowserProcess browser(tmp.path(), { "--service", "NETSCAPE", "--slow", "WWW_Slow" });
    ASSERT_TRUE(browser.ready());
    // One client asks for an answer that never comes, one sends half a request and waits.
    const int held = connectTo(dde() + "/NETSCAPE");
    ASSERT_GE(held, 0);
    const std::string slow = encodeMessage({ "REQUEST", "WWW_Slow", "" });
    ASSERT_EQ(send(held, slow.data(), slow.size(), MSG_NOSIGNAL), static_cast<ssize_t>(slow.size()));
    const int stalled = connectTo(dde() + "/NETSCAPE");
    ASSERT_GE(stalled, 0);
    ASSERT_EQ(send(stalled, slow.data(), 6, MSG_NOSIGNAL), 6);

    // Used to wait behind them: a single-threaded server held the first for a minute.
    SocketConversation conversation(1500, dde());
    const ConversationReply reply = conversation.Request("NETSCAPE", "WWW_ListWindows", "");
    EXPECT_EQ(reply.result, ConversationResult::Ok);
    EXPECT_EQ(reply.text, "1");
    close(held);
    close(stalled);
}

TEST_F(ConversationTest, ConnectionsBeyondTheLimitAreRefusedAndTheServerRecovers)
{
    ServedInProcess served(dde());
    ASSERT_TRUE(served.server.listen("NETSCAPE").ok());
    served.start();
    std::vector<int> stalled;
    for (size_t i = 0; i < ConversationServer::MaxConnections; ++i) {
        stalled.push_back(connectTo(dde() + "/NETSCAPE"));
        ASSERT_GE(stalled.back(), 0);
    }
    SocketConversation conversation(3000, dde());
    // The server takes the stalled connections in its own time; one more is refused.
    ConversationResult result = ConversationResult::Ok;
    for (int tries = 0; tries < 100 && result == ConversationResult::Ok; ++tries) {
        result = conversation.Request("NETSCAPE", "WWW_ListWindows", "").result;
        if (result == ConversationResult::Ok) {
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        }
    }
    EXPECT_EQ(result, ConversationResult::Refused);
    for (const int fd : stalled) {
        close(fd);
    }
    result = ConversationResult::Refused;
    for (int tries = 0; tries < 100 && result != ConversationResult::Ok; ++tries) {
        result = conversation.Request("NETSCAPE", "WWW_ListWindows", "").result;
        if (result != ConversationResult::Ok) {
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        }
    }
    EXPECT_EQ(result, ConversationResult::Ok);
    served.end();
}

TEST_F(ConversationTest, ASecondServerForOneServiceIsRefusedWhileTheFirstAnswers)
{
    auto first = std::make_unique<ServedInProcess>(dde());
    ASSERT_TRUE(first->server.listen("Iexplore", ConversationServer::Takeover::RefuseRunning).ok());
    ServedInProcess second(dde());
    const Status refused = second.server.listen("Iexplore", ConversationServer::Takeover::RefuseRunning);
    ASSERT_FALSE(refused.ok());
    EXPECT_EQ(refused.error().kind, ErrorKind::Refused);
    EXPECT_EQ(refused.error().message, "another program already answers Iexplore");

    // A server that takes no lock is found by its answer.
    TestBrowserProcess browser(tmp.path(), { "--service", "NETSCAPE" });
    ASSERT_TRUE(browser.ready());
    EXPECT_FALSE(second.server.listen("NETSCAPE", ConversationServer::Takeover::RefuseRunning).ok());

    // Gone with the first server: its endpoint is removed and the name is free again.
    first.reset();
    struct stat st
    {
    };
    EXPECT_NE(lstat((dde() + "/Iexplore").c_str(), &st), 0);
    ASSERT_TRUE(second.server.listen("Iexplore", ConversationServer::Takeover::RefuseRunning).ok());
    second.start();
    SocketConversation conversation(3000, dde());
    EXPECT_EQ(conversation.Request("Iexplore", "WWW_ListWindows", "").text, "answer");
    second.end();
}

TEST_F(ConversationTest, AnEndpointLeftByAServerThatDiedIsTakenOver)
{
    ASSERT_TRUE(ensurePrivateFolder(dde()).ok());
    const std::string path = dde() + "/NETSCAPE";
    const int fd = socket(AF_UNIX, SOCK_STREAM, 0);
    sockaddr_un address {};
    address.sun_family = AF_UNIX;
    path.copy(address.sun_path, sizeof address.sun_path - 1);
    ASSERT_EQ(bind(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address), 0);
    close(fd);  // the socket file stays, with nobody behind it

    ServedInProcess served(dde());
    ASSERT_TRUE(served.server.listen("NETSCAPE", ConversationServer::Takeover::RefuseRunning).ok());
    served.start();
    SocketConversation conversation(3000, dde());
    EXPECT_EQ(conversation.Request("NETSCAPE", "WWW_ListWindows", "").text, "answer");
    served.end();
}

}  // namespace
}  // namespace brindlex::test
