#include "HeadlessBrowser.h"

#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <spawn.h>
#include <sstream>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

extern char** environ;

namespace brindlex::test {

namespace {

bool executable(const std::string& path)
{
    return !path.empty() && ::access(path.c_str(), X_OK) == 0 && std::filesystem::is_regular_file(path);
}

}  // namespace

std::string HeadlessBrowser::program(Family family)
{
    const bool chromium = family == Family::Chromium;
    if (const char* chosen = std::getenv(chromium ? "BRINDLEX_CHROMIUM" : "BRINDLEX_FIREFOX");
        chosen != nullptr && *chosen != '\0') {
        return executable(chosen) ? chosen : std::string();
    }
    const std::string debian = chromium ? "/usr/lib/chromium/chromium" : "/usr/lib/firefox-esr/firefox-esr";
    if (executable(debian)) {
        return debian;
    }
    const char* path = std::getenv("PATH");
    std::stringstream folders(path != nullptr ? path : "/usr/bin:/bin");
    std::string folder;
    while (std::getline(folders, folder, ':')) {
        for (const char* name : chromium ? std::vector<const char*> { "chromium", "chromium-browser" }
                                         : std::vector<const char*> { "firefox-esr", "firefox" }) {
            if (executable(folder + "/" + name)) {
                return folder + "/" + name;
            }
        }
    }
    return {};
}

std::string HeadlessBrowser::missing(Family family)
{
    if (!program(family).empty()) {
        return {};
    }
    return family == Family::Chromium
        ? "Chromium is not installed: install the Debian package chromium (scripts/deps.sh does)"
        : "Firefox ESR is not installed: install the Debian package firefox-esr (scripts/deps.sh does)";
}

HeadlessBrowser::HeadlessBrowser(
    Family family, const std::vector<std::string>& arguments, const std::string& home, const std::string& log)
    : m_log(log)
{
    const std::string browser = program(family);
    if (browser.empty()) {
        m_failure = missing(family);
        return;
    }
    std::vector<std::string> all { browser };
    all.insert(all.end(), arguments.begin(), arguments.end());
    std::vector<char*> argv;
    for (std::string& a : all) {
        argv.push_back(a.data());
    }
    argv.push_back(nullptr);
    std::vector<std::string> env { "HOME=" + home, "MOZ_HEADLESS=1" };
    for (char** e = environ; *e != nullptr; ++e) {
        const std::string entry = *e;
        const std::string name = entry.substr(0, entry.find('='));
        if (name != "HOME" && name != "MOZ_HEADLESS" && name != "DISPLAY" && name != "WAYLAND_DISPLAY") {
            env.push_back(entry);
        }
    }
    std::vector<char*> envp;
    for (std::string& e : env) {
        envp.push_back(e.data());
    }
    envp.push_back(nullptr);

    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, STDIN_FILENO, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, m_log.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    posix_spawn_file_actions_adddup2(&actions, STDOUT_FILENO, STDERR_FILENO);
    posix_spawnattr_t attributes;
    posix_spawnattr_init(&attributes);
    posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETPGROUP);
    posix_spawnattr_setpgroup(&attributes, 0);
    const int rc = posix_spawn(&m_pid, browser.c_str(), &actions, &attributes, argv.data(), envp.data());
    posix_spawn_file_actions_destroy(&actions);
    posix_spawnattr_destroy(&attributes);
    if (rc != 0) {
        m_pid = -1;
        m_failure = "cannot start " + browser + ": " + std::strerror(rc);
    }
}

HeadlessBrowser::~HeadlessBrowser()
{
    const pid_t group = m_pid;
    quit(15000);
    if (group > 0) {
        ::kill(-group, SIGKILL);  // helpers that outlived the browser
    }
}

bool HeadlessBrowser::running()
{
    if (m_pid <= 0 || m_ended) {
        return false;
    }
    int status = 0;
    const pid_t done = ::waitpid(m_pid, &status, WNOHANG);
    if (done == m_pid || (done < 0 && errno == ECHILD)) {
        m_ended = true;
    }
    return !m_ended;
}

bool HeadlessBrowser::quit(int timeoutMs)
{
    if (!running()) {
        return true;
    }
    ::kill(m_pid, SIGTERM);
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    while (running() && std::chrono::steady_clock::now() < deadline) {
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    if (!running()) {
        return true;
    }
    ::kill(-m_pid, SIGKILL);
    ::waitpid(m_pid, nullptr, 0);
    m_ended = true;
    return false;
}

std::string HeadlessBrowser::logTail() const
{
    std::ifstream in(m_log, std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    const std::string all = text.str();
    return all.size() > 3000 ? all.substr(all.size() - 3000) : all;
}

}  // namespace brindlex::test
