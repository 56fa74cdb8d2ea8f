// brindlex-bridge: the native-messaging host that a browser starts for the Brindlex
// extension. It serves the conversation transport under the service name of its
// browser's family, so that Brindlex reaches the browser as it reaches any other.
#include <atomic>
#include <cerrno>
#include <climits>
#include <csignal>
#include <cstdlib>
#include <iostream>
#include <poll.h>
#include <pthread.h>
#include <pwd.h>
#include <string>
#include <sys/signalfd.h>
#include <thread>
#include <unistd.h>
#include <vector>

#include "bridge/Bridge.h"
#include "bridge/HostManifests.h"
#include "browser/ConversationEndpoint.h"
#include "browser/ConversationServer.h"

using namespace brindlex;
using namespace brindlex::bridge;

namespace {

constexpr const char* Usage
    = "usage: brindlex-bridge --install     write the host manifests for this user's browsers\n"
      "       brindlex-bridge --uninstall   remove them again\n"
      "The browser starts brindlex-bridge itself for the Brindlex extension; it is not run by hand.\n"
      "Firefox-family browsers are answered as \"Netscape Navigator\", Chromium-family ones as\n"
      "\"MS Internet Explorer\" (choose that client in Brindlex's Options).\n";

class StandardOutput : public BrowserPort
{
public:
    bool write(const std::string& frame) override
    {
        size_t done = 0;
        while (done < frame.size()) {
            const ssize_t n = ::write(STDOUT_FILENO, frame.data() + done, frame.size() - done);
            if (n < 0 && errno == EINTR) {
                continue;
            }
            if (n <= 0) {
                return false;
            }
            done += static_cast<size_t>(n);
        }
        return true;
    }
};

std::string homeFolder()
{
    if (const char* home = std::getenv("HOME"); home != nullptr && *home != '\0') {
        return home;
    }
    const passwd* user = getpwuid(geteuid());
    return user != nullptr && user->pw_dir != nullptr ? user->pw_dir : "";
}

std::string configHome()
{
    const char* config = std::getenv("XDG_CONFIG_HOME");
    return config != nullptr ? config : "";
}

std::string ownPath()
{
    char buffer[PATH_MAX];
    const ssize_t n = readlink("/proc/self/exe", buffer, sizeof buffer - 1);
    return n > 0 ? std::string(buffer, static_cast<size_t>(n)) : std::string();
}

int install()
{
    const std::string binary = ownPath();
    const std::string home = homeFolder();
    if (binary.empty() || home.empty()) {
        std::cerr << "brindlex-bridge: cannot tell where this program or the home folder is\n";
        return 1;
    }
    const Result<std::vector<std::string>> written = installManifests(home, configHome(), binary);
    if (!written.ok()) {
        std::cerr << "brindlex-bridge: " << written.error().message << "\n";
        return 1;
    }
    for (const std::string& file : written.value()) {
        std::cout << "wrote " << file << "\n";
    }
    const std::optional<std::string> extension = extensionFolder(binary.substr(0, binary.rfind('/')));
    if (extension) {
        std::cout << "Load the browser extension from " << *extension << "\n";
    } else {
        std::cout << "The browser extension was not found beside " << binary << "\n";
    }
    return 0;
}

int uninstall()
{
    const Result<std::vector<std::string>> removed = uninstallManifests(homeFolder(), configHome());
    if (!removed.ok()) {
        std::cerr << "brindlex-bridge: " << removed.error().message << "\n";
        return 1;
    }
    for (const std::string& file : removed.value()) {
        std::cout << "removed " << file << "\n";
    }
    return 0;
}

int serve(const std::string& service)
{
    // Signals are taken in the loop below; a closed port shows as a failed write.
    sigset_t signals;
    sigemptyset(&signals);
    sigaddset(&signals, SIGTERM);
    sigaddset(&signals, SIGINT);
    sigaddset(&signals, SIGHUP);
    sigaddset(&signals, SIGPIPE);
    pthread_sigmask(SIG_BLOCK, &signals, nullptr);
    sigdelset(&signals, SIGPIPE);
    const int signalFd = signalfd(-1, &signals, SFD_CLOEXEC);

    StandardOutput output;
    Bridge bridge(output);
    ConversationServer server(conversationFolder(),
        [&bridge](const std::string&, const std::vector<std::string>& request) { return bridge.answer(request); });
    if (const Status listening = server.listen(service, ConversationServer::Takeover::RefuseRunning); !listening.ok()) {
        bridge.send(encodeError(listening.error().message));
        std::cerr << "brindlex-bridge: " << listening.error().message << "\n";
        return 1;
    }
    bridge.send(encodeHello(service, BRINDLEX_VERSION));

    std::atomic<bool> stopping = false;
    std::thread serving([&] {
        while (!stopping) {
            server.serveOnce(-1);
        }
    });
    for (;;) {
        pollfd p[2] = { { STDIN_FILENO, POLLIN, 0 }, { signalFd, POLLIN, 0 } };
        const int n = poll(p, signalFd >= 0 ? 2 : 1, -1);
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n < 0 || (signalFd >= 0 && p[1].revents != 0)) {
            break;
        }
        char buffer[65536];
        const ssize_t got = read(STDIN_FILENO, buffer, sizeof buffer);
        if (got < 0 && errno == EINTR) {
            continue;
        }
        if (got <= 0) {
            break;  // the browser closed the port
        }
        bridge.received(std::string_view(buffer, static_cast<size_t>(got)));
    }
    // Waiting requests are refused, then the endpoint goes with the server.
    bridge.close();
    stopping = true;
    server.stop();
    serving.join();
    return 0;
}

}  // namespace

int main(int argc, char** argv)
{
    const std::vector<std::string> args(argv + 1, argv + argc);
    if (args.size() == 1 && args[0] == "--install") {
        return install();
    }
    if (args.size() == 1 && args[0] == "--uninstall") {
        return uninstall();
    }
    if (args.size() == 1 && (args[0] == "--help" || args[0] == "-h")) {
        std::cout << Usage;
        return 0;
    }
    const std::optional<std::string> service = serviceForCaller(args);
    if (!service) {
        std::cerr << Usage;
        return 2;
    }
    return serve(*service);
}
