#include "TestWebServer.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

namespace brindlex::test {

TestWebServer::TestWebServer(std::map<std::string, std::string> titles)
    : m_titles(std::move(titles))
{
    m_fd = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in address {};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    address.sin_port = 0;
    socklen_t length = sizeof address;
    if (m_fd < 0 || bind(m_fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 || listen(m_fd, 16) != 0
        || getsockname(m_fd, reinterpret_cast<sockaddr*>(&address), &length) != 0) {
        if (m_fd >= 0) {
            close(m_fd);
        }
        m_fd = -1;
        return;
    }
    m_port = ntohs(address.sin_port);
    m_thread = std::thread([this] { serve(); });
}

TestWebServer::~TestWebServer()
{
    m_stop = true;
    if (m_thread.joinable()) {
        m_thread.join();
    }
    if (m_fd >= 0) {
        close(m_fd);
    }
}

std::string TestWebServer::url(const std::string& path) const
{
    return "http://127.0.0.1:" + std::to_string(m_port) + path;
}

void TestWebServer::serve()
{
    while (!m_stop) {
        pollfd p { m_fd, POLLIN, 0 };
        if (poll(&p, 1, 100) <= 0) {
            continue;
        }
        const int client = accept4(m_fd, nullptr, nullptr, SOCK_CLOEXEC);
        if (client >= 0) {
            answer(client);
            close(client);
        }
    }
}

void TestWebServer::answer(int client)
{
    // The request line and headers; a browser sends them at once.
    std::string request;
    char buffer[4096];
    while (request.find("\r\n\r\n") == std::string::npos && request.size() < 65536) {
        pollfd p { client, POLLIN, 0 };
        if (poll(&p, 1, 2000) <= 0) {
            return;
        }
        const ssize_t n = recv(client, buffer, sizeof buffer, 0);
        if (n <= 0) {
            return;
        }
        request.append(buffer, static_cast<size_t>(n));
    }
    const size_t start = request.find(' ') + 1;
    const std::string path = request.substr(start, request.find(' ', start) - start);
    const auto page = m_titles.find(path);
    std::string body;
    std::string status = "200 OK";
    if (page == m_titles.end()) {
        status = "404 Not Found";
    } else {
        body = "<!DOCTYPE html><html><head><meta charset=\"utf-8\"><title>" + page->second
            + "</title></head><body><p>Brindlex test page</p></body></html>";
    }
    const std::string response = "HTTP/1.1 " + status + "\r\nContent-Type: text/html; charset=utf-8\r\nContent-Length: "
        + std::to_string(body.size()) + "\r\nConnection: close\r\n\r\n" + body;
    size_t sent = 0;
    while (sent < response.size()) {
        const ssize_t n = send(client, response.data() + sent, response.size() - sent, MSG_NOSIGNAL);
        if (n <= 0) {
            return;
        }
        sent += static_cast<size_t>(n);
    }
}

}  // namespace brindlex::test
