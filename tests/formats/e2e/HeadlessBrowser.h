#pragma once
#include <string>
#include <sys/types.h>
#include <vector>

namespace brindlex::test {

// A real browser started headless in a process group of its own, its output in a log
// file. It and everything it started end with this object (asked with SIGTERM, then
// killed with the whole group).
class HeadlessBrowser
{
public:
    enum class Family { Chromium, Firefox };

    // The browser program: $BRINDLEX_CHROMIUM or $BRINDLEX_FIREFOX when set, else the
    // Debian program itself (not its launcher script), else a usual name on PATH; empty
    // when none is installed.
    static std::string program(Family family);
    // Why a family cannot be tested here, naming the Debian package; empty when it can.
    static std::string missing(Family family);

    HeadlessBrowser(
        Family family, const std::vector<std::string>& arguments, const std::string& home, const std::string& log);
    ~HeadlessBrowser();
    HeadlessBrowser(const HeadlessBrowser&) = delete;
    HeadlessBrowser& operator=(const HeadlessBrowser&) = delete;

    const std::string& failure() const { return m_failure; }
    bool running();
    // Asks the browser to end and waits up to `timeoutMs`; then kills its group. True
    // when it ended by itself.
    bool quit(int timeoutMs);
    // The end of the log, for a failure message.
    std::string logTail() const;

private:
    std::string m_log;
    std::string m_failure;
    pid_t m_pid = -1;  // also its process group
    bool m_ended = false;
};

}  // namespace brindlex::test
