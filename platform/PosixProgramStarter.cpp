#include "platform/PosixProgramStarter.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

namespace brindlex {

bool PosixProgramStarter::start(const std::string& program, const std::vector<std::string>& arguments)
{
    if (program.empty() || program.find('\0') != std::string::npos) {
        return false;
    }
    // Everything the child needs is prepared here: between fork and exec only
    // async-signal-safe calls are allowed.
    std::vector<char*> argv;
    argv.push_back(const_cast<char*>(program.c_str()));
    for (const std::string& argument : arguments) {
        argv.push_back(const_cast<char*>(argument.c_str()));
    }
    argv.push_back(nullptr);

    int report[2];  // the grandchild writes errno here when exec fails
    if (pipe2(report, O_CLOEXEC) != 0) {
        return false;
    }
    const pid_t child = fork();
    if (child < 0) {
        close(report[0]);
        close(report[1]);
        return false;
    }
    if (child == 0) {
        close(report[0]);
        setsid();
        const pid_t grandchild = fork();
        if (grandchild == 0) {
            execv(argv[0], argv.data());
            const int error = errno;
            [[maybe_unused]] const ssize_t n = write(report[1], &error, sizeof error);
            _exit(127);
        }
        _exit(grandchild < 0 ? 1 : 0);
    }
    close(report[1]);
    int status = 0;
    while (waitpid(child, &status, 0) < 0 && errno == EINTR) { }
    bool started = WIFEXITED(status) && WEXITSTATUS(status) == 0;
    int error = 0;
    ssize_t n;
    // The pipe closes on a successful exec (close-on-exec) or carries the exec error.
    while ((n = read(report[0], &error, sizeof error)) < 0 && errno == EINTR) { }
    close(report[0]);
    if (n > 0) {
        started = false;
    }
    return started;
}

}  // namespace brindlex
