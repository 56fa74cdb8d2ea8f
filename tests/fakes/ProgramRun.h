#pragma once
#include <fcntl.h>
#include <functional>
#include <spawn.h>
#include <string>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

#include "fakes/TempFolder.h"

extern char** environ;

namespace brindlex::test {

// A program started with its arguments, its standard error kept in a file.
class ProgramRun
{
public:
    // `prepare` runs in the child before the program starts (a resource limit, say).
    ProgramRun(const std::string& program, const std::vector<std::string>& args, const std::string& errFile,
        const std::function<void()>& prepare = {})
        : m_errFile(errFile)
    {
        std::vector<std::string> all { program };
        all.insert(all.end(), args.begin(), args.end());
        m_pid = ::fork();
        if (m_pid == 0) {
            const int err = ::open(errFile.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
            ::dup2(err, 2);
            const int null = ::open("/dev/null", O_WRONLY);
            ::dup2(null, 1);
            if (prepare) {
                prepare();
            }
            std::vector<char*> argv;
            for (std::string& a : all) {
                argv.push_back(a.data());
            }
            argv.push_back(nullptr);
            ::execve(program.c_str(), argv.data(), environ);
            ::_exit(127);
        }
    }
    // The exit status (or 128 + the signal that ended it).
    int wait()
    {
        if (m_pid > 0) {
            int status = 0;
            ::waitpid(m_pid, &status, 0);
            m_status = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
            m_pid = -1;
        }
        return m_status;
    }
    std::string err() const { return TempFolder::read(m_errFile); }

private:
    std::string m_errFile;
    pid_t m_pid = -1;
    int m_status = -1;
};

}  // namespace brindlex::test
