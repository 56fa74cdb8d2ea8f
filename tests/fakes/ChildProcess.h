#pragma once
#include <csignal>
#include <functional>
#include <string>
#include <sys/wait.h>
#include <unistd.h>

namespace brindlex::test {

// Runs `body` in a forked child and returns what it returned, passed back through a pipe;
// a child that dies or returns nothing gives "child failed". For faults that must not touch
// the test process: a mount namespace, a file size limit, a kill.
inline std::string runInChild(const std::function<std::string()>& body)
{
    int fds[2];
    if (::pipe(fds) != 0) {
        return "child failed: no pipe";
    }
    const pid_t pid = ::fork();
    if (pid < 0) {
        return "child failed: no fork";
    }
    if (pid == 0) {
        ::close(fds[0]);
        const std::string answer = body();
        size_t done = 0;
        while (done < answer.size()) {
            const ssize_t n = ::write(fds[1], answer.data() + done, answer.size() - done);
            if (n <= 0) {
                break;
            }
            done += static_cast<size_t>(n);
        }
        ::_exit(0);
    }
    ::close(fds[1]);
    std::string answer;
    char chunk[4096];
    ssize_t n;
    while ((n = ::read(fds[0], chunk, sizeof chunk)) > 0) {
        answer.append(chunk, static_cast<size_t>(n));
    }
    ::close(fds[0]);
    int status = 0;
    ::waitpid(pid, &status, 0);
    if (!WIFEXITED(status) || answer.empty()) {
        return "child failed: " + answer;
    }
    return answer;
}

}  // namespace brindlex::test
