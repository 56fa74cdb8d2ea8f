#include <chrono>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <future>
#include <gtest/gtest.h>
#include <nlohmann/json.hpp>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

#include "bridge/NativeFrames.h"
#include "browser/SocketConversation.h"
#include "platform/Clock.h"
#include "store/DatabaseFile.h"
#include "store/FolderItem.h"
#include "store/LinkStore.h"

extern char** environ;

namespace brindlex::bridge {
namespace {

using nlohmann::json;
using Clock = std::chrono::steady_clock;

constexpr const char* ChromiumCaller = "chrome-extension://fmpmhabnjfmaiggcablhjlejebpcldmp/";

// A program whose standard input and output are ours: brindlex-bridge as a browser runs
// it, or bdxtool. Its endpoints are those of `ddeFolder`; `environment` ("NAME=value")
// replaces those variables of ours.
class PipedProcess
{
public:
    PipedProcess(const std::string& program, const std::string& ddeFolder, const std::vector<std::string>& arguments,
        const std::vector<std::string>& environment = {})
    {
        std::vector<std::string> all { program };
        all.insert(all.end(), arguments.begin(), arguments.end());
        std::vector<char*> argv;
        for (std::string& a : all) {
            argv.push_back(a.data());
        }
        argv.push_back(nullptr);
        std::vector<std::string> variables = environment;
        variables.push_back("BRINDLEX_DDE_DIR=" + ddeFolder);
        const auto replaced = [&](const char* entry) {
            for (const std::string& v : variables) {
                if (std::strncmp(entry, v.c_str(), v.find('=') + 1) == 0) {
                    return true;
                }
            }
            return false;
        };
        for (char** e = environ; *e != nullptr; ++e) {
            if (!replaced(*e)) {
                variables.emplace_back(*e);
            }
        }
        std::vector<char*> envp;
        for (std::string& e : variables) {
            envp.push_back(e.data());
        }
        envp.push_back(nullptr);

        int in[2];
        int out[2];
        EXPECT_EQ(pipe2(in, O_CLOEXEC), 0);
        EXPECT_EQ(pipe2(out, O_CLOEXEC), 0);
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_adddup2(&actions, in[0], STDIN_FILENO);
        posix_spawn_file_actions_adddup2(&actions, out[1], STDOUT_FILENO);
        EXPECT_EQ(posix_spawn(&m_pid, argv[0], &actions, nullptr, argv.data(), envp.data()), 0);
        posix_spawn_file_actions_destroy(&actions);
        close(in[0]);
        close(out[1]);
        m_toHost = in[1];
        m_fromHost = out[0];
    }
    ~PipedProcess()
    {
        closeInput();
        if (m_pid > 0 && !exitStatus(5000)) {
            kill(m_pid, SIGKILL);
            waitpid(m_pid, nullptr, 0);
        }
        close(m_fromHost);
    }

    void write(const std::string& bytes)
    {
        ASSERT_EQ(::write(m_toHost, bytes.data(), bytes.size()), ssize_t(bytes.size()));
    }
    void send(const json& message) { write(encodeFrame(message.dump()).value()); }
    // The browser closes the port.
    void closeInput()
    {
        if (m_toHost >= 0) {
            close(m_toHost);
            m_toHost = -1;
        }
    }
    // The next message the host wrote, or null after ten seconds.
    json next()
    {
        const auto deadline = Clock::now() + std::chrono::seconds(10);
        for (;;) {
            if (std::optional<Frame> frame = m_reader.next()) {
                return json::parse(frame->text, nullptr, false);
            }
            const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
            pollfd p { m_fromHost, POLLIN, 0 };
            if (left <= 0 || poll(&p, 1, static_cast<int>(left)) <= 0) {
                return json();
            }
            char buffer[4096];
            const ssize_t n = read(m_fromHost, buffer, sizeof buffer);
            if (n <= 0) {
                return json();
            }
            m_reader.feed(std::string_view(buffer, static_cast<size_t>(n)));
        }
    }
    // Everything the host writes until it closes its output, for at most ten seconds.
    std::string output()
    {
        std::string text;
        const auto deadline = Clock::now() + std::chrono::seconds(10);
        for (;;) {
            const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
            pollfd p { m_fromHost, POLLIN, 0 };
            char buffer[4096];
            if (left <= 0 || poll(&p, 1, static_cast<int>(left)) <= 0) {
                return text;
            }
            const ssize_t n = read(m_fromHost, buffer, sizeof buffer);
            if (n <= 0) {
                return text;
            }
            text.append(buffer, static_cast<size_t>(n));
        }
    }
    // The exit status once the host has ended within `timeoutMs`.
    std::optional<int> exitStatus(int timeoutMs)
    {
        if (m_status) {
            return m_status;
        }
        const auto deadline = Clock::now() + std::chrono::milliseconds(timeoutMs);
        do {
            int status = 0;
            if (waitpid(m_pid, &status, WNOHANG) == m_pid) {
                m_status = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
                return m_status;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        } while (Clock::now() < deadline);
        return std::nullopt;
    }

private:
    pid_t m_pid = -1;
    int m_toHost = -1;
    int m_fromHost = -1;
    FrameReader m_reader;
    std::optional<int> m_status;
};

class HostProcess : public PipedProcess
{
public:
    HostProcess(const std::string& ddeFolder, const std::vector<std::string>& arguments,
        const std::vector<std::string>& environment = {})
        : PipedProcess(BRINDLEX_BRIDGE, ddeFolder, arguments, environment)
    {
    }
};

class HostProcessTest : public ::testing::Test
{
protected:
    HostProcessTest()
    {
        std::string pattern = (std::filesystem::temp_directory_path() / "brindlex-host-XXXXXX").string();
        m_root = mkdtemp(pattern.data());
    }
    ~HostProcessTest() override { std::filesystem::remove_all(m_root); }
    std::string dde() const { return m_root + "/dde"; }
    bool endpointExists(const std::string& service) const
    {
        struct stat st
        {
        };
        return lstat((dde() + "/" + service).c_str(), &st) == 0;
    }
    // Answers the next command of `host` as the extension would.
    void answerNext(HostProcess& host, json fields)
    {
        const json command = host.next();
        ASSERT_TRUE(command.is_object());
        fields["kind"] = "reply";
        fields["id"] = command["id"];
        host.send(fields);
    }

    std::string m_root;
};

TEST_F(HostProcessTest, ServesChromiumAsIexploreUntilTheBrowserClosesThePort)
{
    HostProcess host(dde(), { ChromiumCaller });
    const json hello = host.next();
    EXPECT_EQ(hello["kind"], "hello");
    EXPECT_EQ(hello["service"], "Iexplore");
    ASSERT_TRUE(endpointExists("Iexplore"));

    SocketConversation conversation(5000, dde());
    auto reply
        = std::async(std::launch::async, [&] { return conversation.Request("Iexplore", "WWW_GetWindowInfo", "-1"); });
    answerNext(host, { { "ok", true }, { "url", "http://127.0.0.1:1/a" }, { "title", "Line\nbreak \"q\" ü" } });
    const ConversationReply got = reply.get();
    EXPECT_EQ(got.result, ConversationResult::Ok);
    EXPECT_EQ(got.text, "\"http://127.0.0.1:1/a\",\"Line\nbreak 'q' ü\"");

    host.closeInput();
    EXPECT_EQ(host.exitStatus(10000), 0);
    EXPECT_FALSE(endpointExists("Iexplore"));
}

TEST_F(HostProcessTest, ServesFirefoxAsNetscape)
{
    HostProcess host(
        dde(), { m_root + "/.mozilla/native-messaging-hosts/org.brindlex.bridge.json", "bridge@brindlex.org" });
    EXPECT_EQ(host.next()["service"], "NETSCAPE");
    SocketConversation conversation(5000, dde());
    auto reply = std::async(
        std::launch::async, [&] { return conversation.Request("NETSCAPE", "WWW_OpenURL", "\"http://x/\",,-1,,,,,"); });
    const json command = host.next();
    EXPECT_EQ(command["kind"], "openUrl");
    EXPECT_EQ(command["url"], "http://x/");
    host.send({ { "kind", "reply" }, { "id", command["id"] }, { "ok", true }, { "windowId", 3 } });
    EXPECT_EQ(reply.get().text, "3");
}

TEST_F(HostProcessTest, ASecondHostForTheSameServiceIsRefused)
{
    HostProcess first(dde(), { ChromiumCaller });
    ASSERT_EQ(first.next()["kind"], "hello");
    HostProcess second(dde(), { ChromiumCaller });
    EXPECT_EQ(second.next(), (json { { "kind", "error" }, { "error", "another program already answers Iexplore" } }));
    EXPECT_EQ(second.exitStatus(10000), 1);

    // The first one still serves, and its endpoint was left alone.
    SocketConversation conversation(5000, dde());
    auto reply
        = std::async(std::launch::async, [&] { return conversation.Request("Iexplore", "WWW_ListWindows", ""); });
    answerNext(first, { { "ok", true }, { "windows", { 1 } } });
    EXPECT_EQ(reply.get().text, "1");
}

TEST_F(HostProcessTest, ABrowserClosingInTheMiddleOfARequestGivesNoAnswerAtOnce)
{
    HostProcess host(dde(), { ChromiumCaller });
    ASSERT_EQ(host.next()["kind"], "hello");
    // A client time-out far beyond what the test waits for: the answer must come from the close.
    SocketConversation conversation(60000, dde());
    auto reply
        = std::async(std::launch::async, [&] { return conversation.Request("Iexplore", "WWW_GetWindowInfo", "-1"); });
    ASSERT_EQ(host.next()["kind"], "activeTab");
    host.closeInput();
    ASSERT_EQ(reply.wait_for(std::chrono::seconds(20)), std::future_status::ready);
    EXPECT_EQ(reply.get().result, ConversationResult::Refused);
    EXPECT_EQ(host.exitStatus(10000), 0);
    EXPECT_FALSE(endpointExists("Iexplore"));
}

TEST_F(HostProcessTest, BadMessagesAreAnsweredAndTheHostKeepsRunning)
{
    HostProcess host(dde(), { ChromiumCaller });
    ASSERT_EQ(host.next()["kind"], "hello");
    host.write(encodeFrame("{oops").value());
    EXPECT_EQ(host.next(), (json { { "kind", "error" }, { "error", "not JSON" } }));
    host.send({ { "kind", "surprise" } });
    EXPECT_EQ(host.next()["error"], "unknown kind \"surprise\"");
    host.write(std::string(4, '\0'));
    EXPECT_EQ(host.next()["error"], "empty message");
    // Far more than one read takes: skipped as it arrives, then the next message is read.
    const uint32_t huge = MaxFrameBytes + 1;
    std::string tooLong(4, '\0');
    std::memcpy(tooLong.data(), &huge, 4);
    host.write(tooLong + std::string(huge, '{') + encodeFrame("[]").value());
    EXPECT_EQ(host.next()["error"], "message too long");
    EXPECT_EQ(host.next()["error"], "not a JSON object");

    SocketConversation conversation(5000, dde());
    auto reply = std::async(std::launch::async, [&] { return conversation.Request("Iexplore", "WWW_Activate", "-1"); });
    answerNext(host, { { "ok", true }, { "windowId", 8 } });
    EXPECT_EQ(reply.get().text, "8");
}

TEST_F(HostProcessTest, AFolderOpenToOthersIsRefused)
{
    ASSERT_EQ(mkdir(dde().c_str(), 0700), 0);
    ASSERT_EQ(chmod(dde().c_str(), 0755), 0);
    HostProcess host(dde(), { ChromiumCaller });
    EXPECT_EQ(host.next()["error"], dde() + " is open to other users");
    EXPECT_EQ(host.exitStatus(10000), 1);
    EXPECT_FALSE(endpointExists("Iexplore"));
    if (geteuid() == 0) {
        // Only root can hand a folder to another user.
        ASSERT_EQ(chmod(dde().c_str(), 0700), 0);
        ASSERT_EQ(chown(dde().c_str(), 65534, 65534), 0);
        HostProcess other(dde(), { ChromiumCaller });
        EXPECT_EQ(other.next()["error"], dde() + " belongs to another user");
        EXPECT_EQ(other.exitStatus(10000), 1);
    }
}

TEST_F(HostProcessTest, ArgumentsOfNoBrowserAreAUsageError)
{
    HostProcess host(dde(), { "--serve" });
    EXPECT_EQ(host.exitStatus(10000), 2);
    EXPECT_FALSE(std::filesystem::exists(dde()));
}

TEST_F(HostProcessTest, AClientThatConnectsAndStallsKeepsNobodyWaiting)
{
    HostProcess host(dde(), { ChromiumCaller });
    ASSERT_EQ(host.next()["kind"], "hello");
    // One client connects and says nothing, another stops in the middle of its request.
    std::vector<int> stalled;
    for (const std::string& bytes : { std::string(), std::string("\0\0\0\3\0\0", 6) }) {
        const int fd = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
        sockaddr_un address {};
        address.sun_family = AF_UNIX;
        const std::string path = dde() + "/Iexplore";
        std::memcpy(address.sun_path, path.c_str(), path.size() + 1);
        ASSERT_EQ(connect(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address), 0);
        ASSERT_EQ(::send(fd, bytes.data(), bytes.size(), MSG_NOSIGNAL), ssize_t(bytes.size()));
        stalled.push_back(fd);
    }
    // Answered within a time-out shorter than the time a stalled client may keep its
    // connection: a server taking one client after another would time out here.
    SocketConversation conversation(4000, dde());
    auto reply
        = std::async(std::launch::async, [&] { return conversation.Request("Iexplore", "WWW_ListWindows", ""); });
    answerNext(host, { { "ok", true }, { "windows", { 2 } } });
    const ConversationReply got = reply.get();
    EXPECT_EQ(got.result, ConversationResult::Ok);
    EXPECT_EQ(got.text, "2");
    for (const int fd : stalled) {
        close(fd);
    }
}

TEST_F(HostProcessTest, InstallWritesTheManifestsOfTheUserNamingTheProgramAndUninstallRemovesThem)
{
    const std::string home = m_root + "/home";
    const std::string config = m_root + "/config";
    const std::vector<std::string> environment { "HOME=" + home, "XDG_CONFIG_HOME=" + config };
    const std::vector<std::string> manifests { home + "/.mozilla/native-messaging-hosts/org.brindlex.bridge.json",
        config + "/chromium/NativeMessagingHosts/org.brindlex.bridge.json",
        config + "/google-chrome/NativeMessagingHosts/org.brindlex.bridge.json" };
    {
        HostProcess install(dde(), { "--install" }, environment);
        const std::string output = install.output();
        EXPECT_EQ(install.exitStatus(10000), 0) << output;
        for (const std::string& file : manifests) {
            EXPECT_NE(output.find("wrote " + file + "\n"), std::string::npos) << output;
        }
        EXPECT_NE(output.find("Load the browser extension from "), std::string::npos) << output;
    }
    const std::string program = std::filesystem::canonical(BRINDLEX_BRIDGE).string();
    for (const std::string& file : manifests) {
        SCOPED_TRACE(file);
        std::ifstream in(file);
        const json manifest = json::parse(in, nullptr, false);
        ASSERT_TRUE(manifest.is_object());
        EXPECT_EQ(manifest["name"], "org.brindlex.bridge");
        EXPECT_EQ(manifest["path"], program);
        EXPECT_EQ(manifest["type"], "stdio");
    }
    // Firefox names the extension by its id, Chromium by its origin.
    std::ifstream firefox(manifests[0]);
    EXPECT_EQ(json::parse(firefox, nullptr, false)["allowed_extensions"], json::array({ "bridge@brindlex.org" }));
    std::ifstream chromium(manifests[1]);
    EXPECT_EQ(json::parse(chromium, nullptr, false)["allowed_origins"], json::array({ ChromiumCaller }));
    // Installing sets up no endpoint: it is no host.
    EXPECT_FALSE(std::filesystem::exists(dde()));

    HostProcess uninstall(dde(), { "--uninstall" }, environment);
    const std::string output = uninstall.output();
    EXPECT_EQ(uninstall.exitStatus(10000), 0) << output;
    for (const std::string& file : manifests) {
        EXPECT_NE(output.find("removed " + file + "\n"), std::string::npos) << output;
        EXPECT_FALSE(std::filesystem::exists(file)) << file;
    }
}

TEST_F(HostProcessTest, BdxtoolGetThroughTheHostKeepsTheTitleWholeButItsLineBreaks)
{
    HostProcess host(dde(), { ChromiumCaller });
    ASSERT_EQ(host.next()["kind"], "hello");
    const std::string db = m_root + "/links.bdx";
    PipedProcess bdxtool(BRINDLEX_BDXTOOL, dde(), { "get", "Iexplore", "--into", db }, { "BRINDLEX_HOME=" + m_root });
    answerNext(host, { { "ok", true }, { "windows", { 1 } } });
    answerNext(host,
        { { "ok", true }, { "url", "http://127.0.0.1:8/a?q=\"x\"&r=ü" },
            { "title", "Tab\there,\r\n\"quoted\"\n\n — Grüße ✓" } });
    EXPECT_EQ(bdxtool.exitStatus(20000), 0) << bdxtool.output();

    SystemClock clock;
    LinkStore store(clock);
    std::ifstream in(db, std::ios::binary);
    ASSERT_TRUE(readDatabase(in, store, false).ok());
    ASSERT_EQ(store.Root().FolderItems.size(), 1U);
    const FolderItem& entry = *store.Root().FolderItems[0];
    EXPECT_EQ(entry.Caption, "Tab\there, 'quoted'  — Grüße ✓");
    EXPECT_EQ(entry.URL, "http://127.0.0.1:8/a?q=%22x%22&r=ü");
    EXPECT_EQ(entry.URLType, "Http");
}

}  // namespace
}  // namespace brindlex::bridge
