#include "browser/ConversationServer.h"

#include <cerrno>
#include <chrono>
#include <cstring>
#include <poll.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include "browser/ConversationEndpoint.h"
#include "browser/WireFormat.h"

namespace brindlex {

namespace {

// A request must arrive whole within this time, so a stuck client cannot block the server.
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

}  // namespace

ConversationServer::ConversationServer(std::string folder, ServerHandler handler)
    : m_folder(std::move(folder))
    , m_handler(std::move(handler))
{
}

ConversationServer::~ConversationServer()
{
    for (const Endpoint& endpoint : m_endpoints) {
        close(endpoint.fd);
        unlink(endpoint.path.c_str());
    }
}

Status ConversationServer::listen(const std::string& service)
{
    if (Status folder = ensurePrivateFolder(m_folder); !folder.ok()) {
        return folder;
    }
    const Result<std::string> path = endpointPath(m_folder, service);
    if (!path.ok()) {
        return path.status();
    }
    struct stat st
    {
    };
    if (lstat(path.value().c_str(), &st) == 0) {
        if (!S_ISSOCK(st.st_mode) || st.st_uid != geteuid()) {
            return Error { ErrorKind::Refused, path.value() + " is not an endpoint of this user" };
        }
        unlink(path.value().c_str());
    }
    const int fd = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0) {
        return Error { ErrorKind::Io, std::strerror(errno) };
    }
    sockaddr_un address {};
    address.sun_family = AF_UNIX;
    std::memcpy(address.sun_path, path.value().c_str(), path.value().size() + 1);
    if (bind(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0 || ::listen(fd, 16) != 0) {
        const std::string reason = std::strerror(errno);
        close(fd);
        return Error { ErrorKind::Io, path.value() + ": " + reason };
    }
    chmod(path.value().c_str(), 0600);
    m_endpoints.push_back({ service, path.value(), fd });
    return Status::Ok();
}

bool ConversationServer::serveOnce(int timeoutMs)
{
    std::vector<pollfd> fds;
    for (const Endpoint& endpoint : m_endpoints) {
        fds.push_back({ endpoint.fd, POLLIN, 0 });
    }
    if (fds.empty() || poll(fds.data(), fds.size(), timeoutMs) <= 0) {
        return false;
    }
    bool served = false;
    for (size_t i = 0; i < fds.size(); ++i) {
        if ((fds[i].revents & POLLIN) == 0) {
            continue;
        }
        const int client = accept4(m_endpoints[i].fd, nullptr, nullptr, SOCK_CLOEXEC);
        if (client < 0) {
            continue;
        }
        serve(client, m_endpoints[i].service);
        close(client);
        served = true;
    }
    return served;
}

void ConversationServer::serve(int fd, const std::string& service)
{
    ucred peer {};
    socklen_t peerLength = sizeof peer;
    if (getsockopt(fd, SOL_SOCKET, SO_PEERCRED, &peer, &peerLength) != 0 || peer.uid != geteuid()) {
        return;  // another user's program: hang up without a word
    }

    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(RequestTimeoutMs);
    MessageDecoder decoder;
    char buffer[65536];
    while (decoder.state() == MessageDecoder::State::NeedMore) {
        const auto left
            = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now())
                  .count();
        pollfd p { fd, POLLIN, 0 };
        if (left <= 0 || poll(&p, 1, static_cast<int>(left)) <= 0) {
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
    case ServerAnswer::Kind::Hold: {
        // Never answer: wait until the client gives up and hangs up.
        pollfd p { fd, POLLIN, 0 };
        if (poll(&p, 1, HoldLimitMs) > 0) {
            recv(fd, buffer, sizeof buffer, 0);
        }
        break;
    }
    }
}

}  // namespace brindlex
