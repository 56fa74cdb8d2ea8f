#pragma once
#include <atomic>
#include <map>
#include <string>
#include <thread>

namespace brindlex::test {

// Serves a few fixed HTML pages (UTF-8) on 127.0.0.1 at a port of its own, on a thread
// of its own, until it goes. Any other path is answered 404.
class TestWebServer
{
public:
    // path ("/one") -> page title
    explicit TestWebServer(std::map<std::string, std::string> titles);
    ~TestWebServer();
    TestWebServer(const TestWebServer&) = delete;
    TestWebServer& operator=(const TestWebServer&) = delete;

    bool listening() const { return m_fd >= 0; }
    std::string url(const std::string& path) const;

private:
    void serve();
    void answer(int client);

    std::map<std::string, std::string> m_titles;
    int m_fd = -1;
    int m_port = 0;
    std::atomic<bool> m_stop = false;
    std::thread m_thread;
};

}  // namespace brindlex::test
