#include <cerrno>
#include <fstream>
#include <gtest/gtest.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <unistd.h>

#include "TestBrowserProcess.h"
#include "browser/ConversationEndpoint.h"
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
    TempFolder tmp;
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

}  // namespace
}  // namespace brindlex::test
