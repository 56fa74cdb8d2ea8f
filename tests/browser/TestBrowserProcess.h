#pragma once
#include <string>
#include <sys/types.h>
#include <vector>

namespace brindlex::test {

// A private, empty folder for one test's endpoints; removed with everything in it.
class EndpointFolder
{
public:
    EndpointFolder();
    ~EndpointFolder();
    EndpointFolder(const EndpointFolder&) = delete;
    EndpointFolder& operator=(const EndpointFolder&) = delete;
    const std::string& path() const { return m_path; }

private:
    std::string m_path;
};

// The test browser program, started with `arguments` on the endpoints of `folder`,
// and stopped when this object goes. The constructor returns once it listens.
class TestBrowserProcess
{
public:
    TestBrowserProcess(const std::string& folder, const std::vector<std::string>& arguments);
    ~TestBrowserProcess();
    TestBrowserProcess(const TestBrowserProcess&) = delete;
    TestBrowserProcess& operator=(const TestBrowserProcess&) = delete;

    bool ready() const { return m_ready; }
    // Every request recorded so far: the service, then the request's fields.
    std::vector<std::vector<std::string>> requests() const;

private:
    pid_t m_pid = -1;
    bool m_ready = false;
    std::string m_log;
};

// Reads one transport message from the FIFO `fd` within `timeoutMs`; empty on time-out.
std::vector<std::string> readMessage(int fd, int timeoutMs);

}  // namespace brindlex::test
