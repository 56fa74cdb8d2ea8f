#include "RealBrowser.h"

#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <signal.h>
#include <spawn.h>
#include <sstream>
#include <sys/stat.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

#include "bridge/HostManifests.h"

extern char** environ;

namespace brindlex::test {

namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

bool executable(const std::string& path)
{
    return !path.empty() && access(path.c_str(), X_OK) == 0 && fs::is_regular_file(path);
}

std::string onPath(const std::string& name)
{
    const char* path = std::getenv("PATH");
    std::stringstream folders(path != nullptr ? path : "/usr/bin:/bin");
    std::string folder;
    while (std::getline(folders, folder, ':')) {
        if (executable(folder + "/" + name)) {
            return folder + "/" + name;
        }
    }
    return {};
}

void writeFile(const std::string& path, const std::string& text)
{
    fs::create_directories(fs::path(path).parent_path());
    std::ofstream(path, std::ios::binary) << text;
}

std::string bridgeProgram()
{
    return fs::weakly_canonical(BRINDLEX_BRIDGE).string();
}

// Runs `program` with `arguments` and the variables `environment` ("NAME=value") added to
// ours, its output going to `log`; its exit status, or -1 when it did not end within
// thirty seconds (it is killed then).
int run(const std::string& program, const std::vector<std::string>& arguments,
    const std::vector<std::string>& environment, const std::string& log)
{
    std::vector<std::string> all { program };
    all.insert(all.end(), arguments.begin(), arguments.end());
    std::vector<char*> argv;
    for (std::string& a : all) {
        argv.push_back(a.data());
    }
    argv.push_back(nullptr);
    std::vector<std::string> env = environment;
    for (char** e = environ; *e != nullptr; ++e) {
        env.emplace_back(*e);  // the first of a name counts
    }
    std::vector<char*> envp;
    for (std::string& e : env) {
        envp.push_back(e.data());
    }
    envp.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, STDIN_FILENO, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, log.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    posix_spawn_file_actions_adddup2(&actions, STDOUT_FILENO, STDERR_FILENO);
    pid_t pid = -1;
    const int rc = posix_spawn(&pid, program.c_str(), &actions, nullptr, argv.data(), envp.data());
    posix_spawn_file_actions_destroy(&actions);
    if (rc != 0) {
        return -1;
    }
    const auto deadline = Clock::now() + std::chrono::seconds(30);
    int status = 0;
    while (waitpid(pid, &status, WNOHANG) == 0) {
        if (Clock::now() > deadline) {
            kill(pid, SIGKILL);
            waitpid(pid, &status, 0);
            return -1;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

std::string readAll(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

}  // namespace

std::string browserProgram(RealBrowser::Family family)
{
    const bool chromium = family == RealBrowser::Family::Chromium;
    if (const char* chosen = std::getenv(chromium ? "BRINDLEX_CHROMIUM" : "BRINDLEX_FIREFOX");
        chosen != nullptr && *chosen != '\0') {
        return chosen;  // checked by the caller, so that a wrong choice is named
    }
    const std::string debian = chromium ? "/usr/lib/chromium/chromium" : "/usr/lib/firefox-esr/firefox-esr";
    if (executable(debian)) {
        return debian;
    }
    for (const char* name : chromium ? std::vector<const char*> { "chromium", "chromium-browser", "google-chrome" }
                                     : std::vector<const char*> { "firefox-esr", "firefox" }) {
        if (std::string found = onPath(name); !found.empty()) {
            return found;
        }
    }
    return {};
}

RealBrowser::RealBrowser(Family family, const std::string& root, const std::string& ddeFolder, const std::string& url)
    : m_family(family)
    , m_dde(ddeFolder)
    , m_log(root + "/browser.log")
{
    const std::string program = browserProgram(family);
    if (program.empty()) {
        m_failure = family == Family::Chromium
            ? "Chromium is not installed (Debian package chromium, see scripts/deps.sh)"
            : "Firefox ESR is not installed (Debian package firefox-esr, see scripts/deps.sh)";
        return;
    }
    if (!executable(program)) {
        m_failure = program + " (from $" + (family == Family::Chromium ? "BRINDLEX_CHROMIUM" : "BRINDLEX_FIREFOX")
            + ") is not a program";
        return;
    }
    const std::optional<std::string> extension = bridge::extensionFolder(fs::path(bridgeProgram()).parent_path());
    if (!extension) {
        m_failure = "no extension folder beside " + bridgeProgram();
        return;
    }
    const std::string& home = m_home = root + "/home";
    fs::create_directories(home);
    // The host manifests as a user installs them, into this home and configuration folder.
    const std::string config = root + "/config";
    const std::string installLog = root + "/install.log";
    const int installed
        = run(bridgeProgram(), { "--install" }, { "HOME=" + home, "XDG_CONFIG_HOME=" + config }, installLog);
    if (installed != 0) {
        m_failure = "brindlex-bridge --install failed:\n" + readAll(installLog);
        return;
    }
    std::vector<std::string> environment { "HOME=" + home, "BRINDLEX_DDE_DIR=" + ddeFolder };

    if (family == Family::Chromium) {
        // Chromium's own data folder, where --install put the host manifest.
        const std::vector<std::string> switches { "--headless=new", "--no-sandbox", "--disable-gpu",
            "--user-data-dir=" + config + "/chromium", "--disable-extensions-except=" + *extension,
            "--load-extension=" + *extension, "--disable-background-networking", "--disable-component-update",
            "--disable-sync", "--no-first-run", "--disable-quic", "--no-default-browser-check" };
        // What a user's desktop launcher does: the program with the switches this machine
        // needs, then the arguments it is given.
        m_launcher = root + "/bin/chromium";
        std::string script = "#!/bin/sh\nexec '" + program + "'";
        for (const std::string& each : switches) {
            script += " '" + each + "'";
        }
        writeFile(m_launcher, script + " \"$@\"\n");
        fs::permissions(m_launcher, fs::perms::owner_all);
        std::vector<std::string> arguments = switches;
        arguments.push_back(url);
        start(program, arguments, environment);
        return;
    }
    m_launcher = program;
    const std::string profile = root + "/firefox";
    // The unpacked extension through a proxy file, allowed unsigned, enabled in the profile.
    writeFile(profile + "/extensions/" + bridge::FirefoxExtensionId, *extension);
    writeFile(profile + "/user.js",
        "user_pref(\"xpinstall.signatures.required\", false);\n"
        "user_pref(\"extensions.autoDisableScopes\", 0);\n"
        "user_pref(\"extensions.enabledScopes\", 15);\n"
        "user_pref(\"browser.shell.checkDefaultBrowser\", false);\n"
        "user_pref(\"browser.startup.homepage_override.mstone\", \"ignore\");\n"
        "user_pref(\"datareporting.policy.dataSubmissionEnabled\", false);\n"
        "user_pref(\"toolkit.telemetry.reportingpolicy.firstRun\", false);\n"
        "user_pref(\"app.update.enabled\", false);\n"
        "user_pref(\"extensions.update.enabled\", false);\n");
    // The default profile too, for a Firefox started without --profile.
    writeFile(home + "/.mozilla/firefox/profiles.ini",
        "[General]\nStartWithLastProfile=1\nVersion=2\n\n"
        "[Profile0]\nName=brindlex\nIsRelative=0\nPath="
            + profile + "\nDefault=1\n");
    environment.push_back("MOZ_HEADLESS=1");
    start(program, { "--headless", "--no-remote", "--profile", profile, url }, environment);
}

void RealBrowser::start(
    const std::string& program, const std::vector<std::string>& arguments, const std::vector<std::string>& environment)
{
    std::vector<std::string> all { program };
    all.insert(all.end(), arguments.begin(), arguments.end());
    std::vector<char*> argv;
    for (std::string& a : all) {
        argv.push_back(a.data());
    }
    argv.push_back(nullptr);
    std::vector<std::string> env = environment;
    for (char** e = environ; *e != nullptr; ++e) {
        const std::string entry = *e;
        const std::string name = entry.substr(0, entry.find('='));
        if (name != "HOME" && name != "BRINDLEX_DDE_DIR" && name != "MOZ_HEADLESS") {
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
    // A group of its own, so that every process it starts can be ended with it.
    posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETPGROUP);
    posix_spawnattr_setpgroup(&attributes, 0);
    const int rc = posix_spawn(&m_pid, program.c_str(), &actions, &attributes, argv.data(), envp.data());
    posix_spawn_file_actions_destroy(&actions);
    posix_spawnattr_destroy(&attributes);
    if (rc != 0) {
        m_pid = -1;
        m_failure = "cannot start " + program + ": " + std::strerror(rc);
    }
}

RealBrowser::~RealBrowser()
{
    const pid_t group = m_pid;
    quit(15000);
    // Helpers of the browser that outlived it go with its group. They are not our
    // children, so there is nothing to reap.
    if (group > 0) {
        kill(-group, SIGKILL);
    }
    m_pid = -1;
}

std::string RealBrowser::service() const
{
    return m_family == Family::Chromium ? "Iexplore" : "NETSCAPE";
}

bool RealBrowser::waitForEndpoint(int timeoutMs) const
{
    const auto deadline = Clock::now() + std::chrono::milliseconds(timeoutMs);
    const std::string path = m_dde + "/" + service();
    while (Clock::now() < deadline) {
        struct stat st
        {
        };
        if (lstat(path.c_str(), &st) == 0 && S_ISSOCK(st.st_mode)) {
            return true;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
    }
    return false;
}

bool RealBrowser::quit(int timeoutMs)
{
    if (m_pid <= 0 || m_ended) {
        return true;
    }
    const pid_t group = m_pid;
    kill(m_pid, SIGTERM);
    const auto deadline = Clock::now() + std::chrono::milliseconds(timeoutMs);
    bool ended = false;
    while (!ended && Clock::now() < deadline) {
        int status = 0;
        const pid_t done = waitpid(m_pid, &status, WNOHANG);
        ended = done == m_pid || (done < 0 && errno == ECHILD);
        if (!ended) {
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
        }
    }
    if (!ended) {
        kill(-group, SIGKILL);
        waitpid(m_pid, nullptr, 0);
    }
    m_ended = true;
    return ended;
}

std::vector<std::pair<std::string, std::string>> RealBrowser::startEnvironment() const
{
    if (m_family == Family::Chromium) {
        return { { "HOME", m_home }, { "BRINDLEX_DDE_DIR", m_dde } };
    }
    // The profile of profiles.ini rather than one per installation; no talking to
    // another Firefox instead of starting.
    return { { "HOME", m_home }, { "BRINDLEX_DDE_DIR", m_dde }, { "MOZ_HEADLESS", "1" }, { "MOZ_LEGACY_PROFILES", "1" },
        { "MOZ_NO_REMOTE", "1" } };
}

namespace {

// The processes other than this one whose environment holds `entry` ("NAME=value").
std::vector<pid_t> processesWith(const std::string& entry)
{
    std::vector<pid_t> found;
    std::error_code error;
    for (const fs::directory_entry& process : fs::directory_iterator("/proc", error)) {
        const std::string name = process.path().filename().string();
        if (name.empty() || name.find_first_not_of("0123456789") != std::string::npos) {
            continue;
        }
        const pid_t pid = static_cast<pid_t>(std::stol(name));
        std::ifstream in(process.path() / "environ", std::ios::binary);
        std::string variable;
        while (pid != getpid() && std::getline(in, variable, '\0')) {
            if (variable == entry) {
                found.push_back(pid);
                break;
            }
        }
    }
    return found;
}

// True while `pid` runs (not ended, not a zombie waiting for its parent).
bool running(pid_t pid)
{
    std::ifstream in("/proc/" + std::to_string(pid) + "/stat");
    std::string stat;
    std::getline(in, stat);
    const size_t close = stat.rfind(')');
    return close != std::string::npos && close + 2 < stat.size() && stat[close + 2] != 'Z';
}

}  // namespace

int RealBrowser::killBridge() const
{
    int killed = 0;
    for (const pid_t pid : processesWith("BRINDLEX_DDE_DIR=" + m_dde)) {
        std::error_code error;
        const fs::path exe = fs::read_symlink("/proc/" + std::to_string(pid) + "/exe", error);
        if (!error && exe.filename() == "brindlex-bridge" && kill(pid, SIGKILL) == 0) {
            ++killed;
        }
    }
    return killed;
}

int RealBrowser::endOthersStarted(int timeoutMs) const
{
    const std::vector<pid_t> started = processesWith("BRINDLEX_DDE_DIR=" + m_dde);
    for (const pid_t pid : started) {
        kill(pid, SIGTERM);
    }
    const auto deadline = Clock::now() + std::chrono::milliseconds(timeoutMs);
    const auto anyRunning = [&] {
        for (const pid_t pid : started) {
            if (running(pid)) {
                return true;
            }
        }
        return false;
    };
    while (anyRunning() && Clock::now() < deadline) {
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    for (const pid_t pid : started) {
        if (running(pid)) {
            kill(pid, SIGKILL);
        }
    }
    return static_cast<int>(started.size());
}

std::string RealBrowser::logTail() const
{
    const std::string all = readAll(m_log);
    return all.size() > 3000 ? all.substr(all.size() - 3000) : all;
}

}  // namespace brindlex::test
