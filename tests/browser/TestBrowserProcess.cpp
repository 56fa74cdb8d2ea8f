#include "TestBrowserProcess.h"

#include <cerrno>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include "browser/WireFormat.h"

extern char** environ;

namespace brindlex::test {

namespace {

std::string unescape(const std::string& text)
{
    std::string out;
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '\\' || i + 1 == text.size()) {
            out += text[i];
            continue;
        }
        const char c = text[++i];
        out += c == 't' ? '\t' : c == 'n' ? '\n' : c == 'r' ? '\r' : c;
    }
    return out;
}

}  // namespace

EndpointFolder::EndpointFolder()
{
    std::string pattern = (std::filesystem::temp_directory_path() / "brindlex-browser-XXXXXX").string();
    if (mkdtemp(pattern.data()) != nullptr) {
        m_path = pattern;
    }
}

EndpointFolder::~EndpointFolder()
{
    if (!m_path.empty()) {
        std::error_code ignored;
        std::filesystem::remove_all(m_path, ignored);
    }
}

TestBrowserProcess::TestBrowserProcess(const std::string& folder, const std::vector<std::string>& arguments)
    : m_log(folder + "/requests.log")
{
    std::vector<std::string> all { BRINDLEX_TESTBROWSER, "--dir", folder + "/dde", "--log", m_log };
    all.insert(all.end(), arguments.begin(), arguments.end());
    std::vector<char*> argv;
    for (std::string& a : all) {
        argv.push_back(a.data());
    }
    argv.push_back(nullptr);

    int out[2];
    if (pipe(out) != 0) {
        return;
    }
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, out[1], STDOUT_FILENO);
    posix_spawn_file_actions_addclose(&actions, out[0]);
    const int rc = posix_spawn(&m_pid, argv[0], &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    close(out[1]);
    if (rc != 0) {
        m_pid = -1;
        close(out[0]);
        return;
    }
    // Wait for its "ready" line (or its end), at most ten seconds.
    std::string seen;
    pollfd p { out[0], POLLIN, 0 };
    while (seen.find("ready\n") == std::string::npos && poll(&p, 1, 10000) > 0) {
        char buffer[64];
        const ssize_t n = read(out[0], buffer, sizeof buffer);
        if (n <= 0) {
            break;
        }
        seen.append(buffer, static_cast<size_t>(n));
    }
    close(out[0]);
    m_ready = seen.find("ready\n") != std::string::npos;
}

TestBrowserProcess::~TestBrowserProcess()
{
    if (m_pid > 0) {
        kill(m_pid, SIGTERM);
        int status = 0;
        while (waitpid(m_pid, &status, 0) < 0 && errno == EINTR) { }
    }
}

std::vector<std::vector<std::string>> TestBrowserProcess::requests() const
{
    std::vector<std::vector<std::string>> result;
    std::ifstream in(m_log, std::ios::binary);
    std::string line;
    while (std::getline(in, line)) {
        std::vector<std::string> fields;
        size_t start = 0;
        for (;;) {
            const size_t tab = line.find('\t', start);
            fields.push_back(unescape(line.substr(start, tab == std::string::npos ? std::string::npos : tab - start)));
            if (tab == std::string::npos) {
                break;
            }
            start = tab + 1;
        }
        result.push_back(fields);
    }
    return result;
}

std::vector<std::string> readMessage(int fd, int timeoutMs)
{
    MessageDecoder decoder;
    pollfd p { fd, POLLIN, 0 };
    while (decoder.state() == MessageDecoder::State::NeedMore && poll(&p, 1, timeoutMs) > 0) {
        char buffer[4096];
        const ssize_t n = read(fd, buffer, sizeof buffer);
        if (n <= 0) {
            break;
        }
        decoder.feed(std::string_view(buffer, static_cast<size_t>(n)));
    }
    if (decoder.state() != MessageDecoder::State::Complete) {
        return {};
    }
    return decoder.fields();
}

}  // namespace brindlex::test
