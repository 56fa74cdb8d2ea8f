#pragma once
#include <string>
#include <sys/types.h>
#include <utility>
#include <vector>

namespace brindlex::test {

// A real headless browser with the Brindlex extension loaded and brindlex-bridge as its
// native-messaging host, in throw-away folders below `root`: Chromium with its own
// user-data folder, Firefox ESR with its own profile and home folder. Its endpoints are
// those of `ddeFolder`. The browser and everything it started end with this object.
class RealBrowser
{
public:
    enum class Family { Chromium, Firefox };

    RealBrowser(Family family, const std::string& root, const std::string& ddeFolder, const std::string& url);
    ~RealBrowser();
    RealBrowser(const RealBrowser&) = delete;
    RealBrowser& operator=(const RealBrowser&) = delete;

    // Why the browser could not be started; empty when it was.
    const std::string& failure() const { return m_failure; }
    // The service its bridge serves: "Iexplore" or "NETSCAPE".
    std::string service() const;
    // Waits until the bridge's endpoint exists; false after `timeoutMs`.
    bool waitForEndpoint(int timeoutMs) const;
    // Asks the browser to quit (SIGTERM) and waits for it; false when it had to be
    // killed with its whole process group.
    bool quit(int timeoutMs);
    // The end of what the browser wrote, for a failure message.
    std::string logTail() const;

    // The program somebody else starts with nothing but a URL (the program's "Open
    // Browser if not already"), and the variables under which it then runs headless with
    // this object's profile, extension and endpoints. For Chromium it is a launcher named
    // "chromium" that adds the switches this machine needs, as a desktop launcher would.
    const std::string& launcher() const { return m_launcher; }
    std::vector<std::pair<std::string, std::string>> startEnvironment() const;
    // Kills the bridge this browser started (SIGKILL, as a crash ends it), leaving the
    // browser running. Returns how many processes were killed.
    int killBridge() const;
    // Ends every process that runs with this object's endpoint folder in its environment
    // other than this one (a browser somebody else started, its helpers, its bridge):
    // SIGTERM, then SIGKILL after `timeoutMs`. Returns how many there were.
    int endOthersStarted(int timeoutMs) const;

private:
    void start(const std::string& program, const std::vector<std::string>& arguments,
        const std::vector<std::string>& environment);

    Family m_family;
    std::string m_dde;
    std::string m_home;
    std::string m_launcher;
    std::string m_log;
    std::string m_failure;
    pid_t m_pid = -1;  // also its process group
    bool m_ended = false;
};

// The browser program of a family: $BRINDLEX_CHROMIUM or $BRINDLEX_FIREFOX when set,
// else the Debian program (run directly, not through its launcher script), else the
// first of its usual names on PATH. Empty when none is installed.
std::string browserProgram(RealBrowser::Family family);

}  // namespace brindlex::test
