#include "browser/SocketConversation.h"

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstring>
#include <fcntl.h>
#include <poll.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include "browser/ConversationEndpoint.h"
#include "browser/WireFormat.h"

namespace brindlex {

namespace {

using Clock = std::chrono::steady_clock;

class Socket
{
public:
    explicit Socket(int fd)
        : m_fd(fd)
    {
    }
    Socket(const Socket&) = delete;
    Socket& operator=(const Socket&) = delete;
    ~Socket()
    {
        if (m_fd >= 0) {
            close(m_fd);
        }
    }
    int fd() const { return m_fd; }

private:
    int m_fd;
};

int remainingMs(Clock::time_point deadline)
{
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
    return left > 0 ? static_cast<int>(left) : 0;
}

// Waits for `events` on `fd` until the deadline; false on time-out.
bool waitFor(int fd, short events, Clock::time_point deadline)
{
    for (;;) {
        pollfd p { fd, events, 0 };
        const int n = poll(&p, 1, remainingMs(deadline));
        if (n > 0) {
            return true;
        }
        if (n == 0) {
            return false;
        }
        if (errno != EINTR) {
            return true;  // let the following read or write report the error
        }
    }
}

ConversationReply failed(ConversationResult result)
{
    return ConversationReply { result, {} };
}

}  // namespace

SocketConversation::SocketConversation(int timeoutMs, std::string folder)
    : m_timeoutMs(timeoutMs)
    , m_folder(std::move(folder))
{
}

ConversationReply SocketConversation::Request(
    const std::string& service, const std::string& topic, const std::string& item)
{
    return exchange(service, { "REQUEST", topic, item });
}

ConversationReply SocketConversation::CreateObject(const std::string& progId)
{
    return exchange(progId, { "CREATE" });
}

ConversationReply SocketConversation::Call(
    const std::string& progId, const std::string& member, const std::vector<std::string>& arguments)
{
    std::vector<std::string> request { "CALL", member };
    request.insert(request.end(), arguments.begin(), arguments.end());
    return exchange(progId, request);
}

ConversationReply SocketConversation::exchange(const std::string& service, const std::vector<std::string>& request)
{
    const auto deadline = Clock::now() + std::chrono::milliseconds(m_timeoutMs);
    const std::string folder = m_folder.empty() ? conversationFolder() : m_folder;
    if (!checkPrivateFolder(folder).ok()) {
        return failed(ConversationResult::NoServer);
    }
    const Result<std::string> path = endpointPath(folder, service);
    if (!path.ok()) {
        return failed(ConversationResult::NoServer);
    }
    struct stat st
    {
    };
    if (lstat(path.value().c_str(), &st) != 0 || !S_ISSOCK(st.st_mode) || st.st_uid != geteuid()) {
        return failed(ConversationResult::NoServer);
    }

    Socket sock(socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0));
    if (sock.fd() < 0) {
        return failed(ConversationResult::NoServer);
    }
    sockaddr_un address {};
    address.sun_family = AF_UNIX;
    std::memcpy(address.sun_path, path.value().c_str(), path.value().size() + 1);
    // A full queue of a Unix-domain listener fails a non-blocking connect with EAGAIN
    // instead of completing later: the server is there but busy, so try again until the
    // deadline.
    while (connect(sock.fd(), reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0) {
        if (errno == EINTR) {
            continue;
        }
        if (errno != EAGAIN) {
            return failed(ConversationResult::NoServer);
        }
        if (remainingMs(deadline) == 0) {
            return failed(ConversationResult::Timeout);
        }
        poll(nullptr, 0, std::min(10, remainingMs(deadline)));
    }

    // Only a server run by this user may answer.
    ucred peer {};
    socklen_t peerLength = sizeof peer;
    if (getsockopt(sock.fd(), SOL_SOCKET, SO_PEERCRED, &peer, &peerLength) != 0 || peer.uid != geteuid()) {
        return failed(ConversationResult::NoServer);
    }

    const std::string message = encodeMessage(request);
    size_t sent = 0;
    while (sent < message.size()) {
        if (!waitFor(sock.fd(), POLLOUT, deadline)) {
            return failed(ConversationResult::Timeout);
        }
        const ssize_t n = send(sock.fd(), message.data() + sent, message.size() - sent, MSG_NOSIGNAL);
        if (n < 0) {
            if (errno == EAGAIN || errno == EINTR) {
                continue;
            }
            // The server hung up on us before reading the request.
            return failed(ConversationResult::Refused);
        }
        sent += static_cast<size_t>(n);
    }

    MessageDecoder decoder;
    char buffer[65536];
    while (decoder.state() == MessageDecoder::State::NeedMore) {
        if (!waitFor(sock.fd(), POLLIN, deadline)) {
            return failed(ConversationResult::Timeout);
        }
        const ssize_t n = recv(sock.fd(), buffer, sizeof buffer, 0);
        if (n < 0) {
            if (errno == EAGAIN || errno == EINTR) {
                continue;
            }
            return failed(ConversationResult::Refused);
        }
        if (n == 0) {
            // Closed without a whole answer: the server would not serve us.
            return failed(ConversationResult::Refused);
        }
        decoder.feed(std::string_view(buffer, static_cast<size_t>(n)));
    }
    if (decoder.state() != MessageDecoder::State::Complete) {
        return failed(ConversationResult::Refused);
    }
    const std::vector<std::string>& reply = decoder.fields();
    if (reply.size() == 2 && reply[0] == "OK") {
        return ConversationReply { ConversationResult::Ok, reply[1] };
    }
    return failed(ConversationResult::Refused);
}

}  // namespace brindlex
