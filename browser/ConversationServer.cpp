#include "browser/ConversationServer.h"

#include <cerrno>
#include <chrono>
#include <cstring>
#include <fcntl.h>
#include <poll.h>
#include <sys/file.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <system_error>
#include <unistd.h>

#include "browser/ConversationEndpoint.h"
#include "browser/WireFormat.h"

namespace brindlex {

namespace {

// A request must arrive whole within this time, so a stuck client gives up its thread.
constexpr int RequestTimeoutMs = 5000;
// A held request waits at most this long for its client to give up.
constexpr int HoldLimitMs = 60000;

bool sendAll(int fd, const std::string& data)
{
    size_t sent = 0;
    while (sent < data.size()) {
        const ssize_t n = send(fd, data.data() + sent, data.size() - sent, MSG_NOSIGNAL);
        if (n < 0) {
            if (errno == EINTR) {
                continue;
            }
            return false;
        }
        sent += static_cast<size_t>(n);
    }
    return true;
}

sockaddr_un socketAddress(const std::string& path)
{
    sockaddr_un address {};
    address.sun_family = AF_UNIX;
    std::memcpy(address.sun_path, path.c_str(), path.size() + 1);
    return address;
}

// True when a server accepts connections on the socket at `path`.
bool answering(const std::string& path)
{
    const int fd = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0) {
        return false;
    }
    const sockaddr_un address = socketAddress(path);
    const bool connected = connect(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) == 0;
    close(fd);
    return connected;
}

// Waits until `fd` is readable, the server is stopped (`wake` readable) or `timeoutMs`
// passed. True only in the first case.
bool readable(int fd, int wake, int timeoutMs)
{
    pollfd p[2] = { { fd, POLLIN, 0 }, { wake, POLLIN, 0 } };
    for (;;) {
        const int n = poll(p, 2, timeoutMs);
        if (n < 0 && errno == EINTR) {
            continue;
        }
        return n > 0 && (p[1].revents & POLLIN) == 0 && p[0].revents != 0;
    }
}

}  // namespace

ConversationServer::ConversationServer(std::string folder, ServerHandler handler)
    : m_folder(std::move(folder))
    , m_handler(std::move(handler))
{
    if (pipe2(m_wake, O_CLOEXEC) != 0) {
        m_wake[0] = m_wake[1] = -1;
    }
}

ConversationServer::~ConversationServer()
{
    stop();
    for (const Endpoint& endpoint : m_endpoints) {
        close(endpoint.fd);
        unlink(endpoint.path.c_str());
        if (endpoint.lockFd >= 0) {
            close(endpoint.lockFd);
        }
    }
    // The connections were woken by stop(); each ends once its handler has returned.
    std::list<Connection> connections;
    {
        const std::lock_guard<std::mutex> lock(m_mutex);
        connections.swap(m_connections);
    }
    for (Connection& connection : connections) {
        connection.thread.join();
    }
    for (const int fd : m_wake) {
        if (fd >= 0) {
            close(fd);
        }
    }
}

void ConversationServer::stop()
{
    if (m_wake[1] >= 0) {
        // Never read: the pipe stays readable, for every connection and every later poll.
        const char byte = 0;
        while (write(m_wake[1], &byte, 1) < 0 && errno == EINTR) { }
    }
}

Status ConversationServer::listen(const std::string& service, Takeover takeover)
{
    if (m_wake[0] < 0) {
        return Error { ErrorKind::Io, "cannot make the server's wake-up pipe" };
    }
    if (Status folder = ensurePrivateFolder(m_folder); !folder.ok()) {
        return folder;
    }
    const Result<std::string> path = endpointPath(m_folder, service);
    if (!path.ok()) {
        return path.status();
    }
    int lockFd = -1;
    if (takeover == Takeover::RefuseRunning) {
        // The lock ends with this process however it ends, so a crashed server never
        // keeps the name; the endpoint it left behind is replaced below.
        const std::string lockPath = path.value() + ".lock";
        lockFd = open(lockPath.c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600);
        if (lockFd < 0) {
            return Error { ErrorKind::Io, lockPath + ": " + std::strerror(errno) };
        }
        if (flock(lockFd, LOCK_EX | LOCK_NB) != 0 || answering(path.value())) {
            close(lockFd);
            return Error { ErrorKind::Refused, "another program already answers " + service };
        }
    }
    const auto fail = [lockFd](Error error) {
        if (lockFd >= 0) {
            close(lockFd);
        }
        return Status(std::move(error));
    };
    struct stat st
    {
    };
    if (lstat(path.value().c_str(), &st) == 0) {
        if (!S_ISSOCK(st.st_mode) || st.st_uid != geteuid()) {
            return fail(Error { ErrorKind::Refused, path.value() + " is not an endpoint of this user" });
        }
        unlink(path.value().c_str());
    }
    const int fd = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0) {
        return fail(Error { ErrorKind::Io, std::strerror(errno) });
    }
    const sockaddr_un address = socketAddress(path.value());
    if (bind(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0 || ::listen(fd, 16) != 0) {
        const std::string reason = std::strerror(errno);
        close(fd);
        return fail(Error { ErrorKind::Io, path.value() + ": " + reason });
    }
    chmod(path.value().c_str(), 0600);
    m_endpoints.push_back({ service, path.value(), fd, lockFd });
    return Status::Ok();
}

bool ConversationServer::serveOnce(int timeoutMs)
{
    reapFinished();
    std::vector<pollfd> fds;
    for (const Endpoint& endpoint : m_endpoints) {
        fds.push_back({ endpoint.fd, POLLIN, 0 });
    }
    fds.push_back({ m_wake[0], POLLIN, 0 });
    if (m_endpoints.empty() || poll(fds.data(), fds.size(), timeoutMs) <= 0 || fds.back().revents != 0) {
        return false;
    }
    bool served = false;
    for (size_t i = 0; i < m_endpoints.size(); ++i) {
        if ((fds[i].revents & POLLIN) == 0) {
            continue;
        }
        const int client = accept4(m_endpoints[i].fd, nullptr, nullptr, SOCK_CLOEXEC);
        if (client < 0) {
            continue;
        }
        served = true;
        ucred peer {};
        socklen_t peerLength = sizeof peer;
        if (getsockopt(client, SOL_SOCKET, SO_PEERCRED, &peer, &peerLength) != 0 || peer.uid != geteuid()) {
            close(client);  // another user's program: hang up without a word
            continue;
        }
        const std::lock_guard<std::mutex> lock(m_mutex);
        if (m_connections.size() >= MaxConnections) {
            sendAll(client, encodeMessage({ "REFUSED", "busy" }));
            close(client);
            continue;
        }
        Connection& connection = m_connections.emplace_back();
        const std::string service = m_endpoints[i].service;
        try {
            connection.thread = std::thread([this, client, service, &connection] {
                serve(client, service);
                close(client);
                const std::lock_guard<std::mutex> done(m_mutex);
                connection.done = true;
            });
        } catch (const std::system_error&) {
            // No thread to be had: this one client is turned away, the server goes on.
            m_connections.pop_back();
            sendAll(client, encodeMessage({ "REFUSED", "busy" }));
            close(client);
        }
    }
    return served;
}

void ConversationServer::reapFinished()
{
    std::list<Connection> finished;
    {
        const std::lock_guard<std::mutex> lock(m_mutex);
        for (auto it = m_connections.begin(); it != m_connections.end();) {
            const auto next = std::next(it);
            if (it->done) {
                finished.splice(finished.end(), m_connections, it);
            }
            it = next;
        }
    }
    for (Connection& connection : finished) {
        connection.thread.join();
    }
}

void ConversationServer::serve(int fd, const std::string& service)
{
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(RequestTimeoutMs);
    MessageDecoder decoder;
    char buffer[65536];
    while (decoder.state() == MessageDecoder::State::NeedMore) {
        const auto left
            = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now())
                  .count();
        if (left <= 0 || !readable(fd, m_wake[0], static_cast<int>(left))) {
            return;
        }
        const ssize_t n = recv(fd, buffer, sizeof buffer, 0);
        if (n <= 0) {
            return;
        }
        decoder.feed(std::string_view(buffer, static_cast<size_t>(n)));
    }
    if (decoder.state() != MessageDecoder::State::Complete || decoder.fields().empty()) {
        sendAll(fd, encodeMessage({ "REFUSED", "malformed request" }));
        return;
    }

    const ServerAnswer answer = m_handler(service, decoder.fields());
    switch (answer.kind) {
    case ServerAnswer::Kind::Reply:
        sendAll(fd, encodeMessage({ "OK", answer.text }));
        break;
    case ServerAnswer::Kind::Refuse:
        sendAll(fd, encodeMessage({ "REFUSED", answer.text }));
        break;
    case ServerAnswer::Kind::Hold:
        // Never answer: wait until the client gives up and hangs up.
        if (readable(fd, m_wake[0], HoldLimitMs)) {
            recv(fd, buffer, sizeof buffer, 0);
        }
        break;
    }
}

}  // namespace brindlex
