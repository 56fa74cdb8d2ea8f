#pragma once
#include <functional>
#include <list>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "store/Result.h"

namespace brindlex {

// What a server does with one request.
struct ServerAnswer
{
    enum class Kind { Reply, Refuse, Hold };
    Kind kind = Kind::Reply;
    std::string text;  // the reply text of Kind::Reply
};

// (service, request fields) -> answer. The fields are those of docs/conversation.md:
// {"REQUEST", topic, item}, {"CREATE"} or {"CALL", member, arguments...}.
using ServerHandler = std::function<ServerAnswer(const std::string& service, const std::vector<std::string>& request)>;

// The server side of the conversation transport: listens under one or more service
// names in a private folder and answers one request per connection. A peer run by
// another user is hung up on unanswered.
//
// Every accepted connection is served on a thread of its own, so a client that
// connects and then stalls, or a request whose answer takes time (a bridge waiting for
// its browser), never keeps other clients waiting. The handler is therefore called
// from several threads at once and must guard what it shares.
class ConversationServer
{
public:
    // At most this many connections are served at once; one more is refused at once.
    static constexpr size_t MaxConnections = 32;

    enum class Takeover {
        Replace,  // an endpoint left under the name is replaced
        RefuseRunning,  // refused while another server answers under the name
    };

    ConversationServer(std::string folder, ServerHandler handler);
    ConversationServer(const ConversationServer&) = delete;
    ConversationServer& operator=(const ConversationServer&) = delete;
    // Stops listening, removes the endpoints, wakes the connections still served and
    // waits for them; a handler that is running must be able to return (see stop()).
    ~ConversationServer();

    // Creates the folder (mode 0700) when needed and listens under `service`. With
    // Replace, an old endpoint of this user under that name is replaced. With
    // RefuseRunning the name is held by a lock in the folder for this server's life, and
    // Refused is returned when another server holds it or answers on the endpoint.
    Status listen(const std::string& service, Takeover takeover = Takeover::Replace);
    // Waits up to `timeoutMs` (-1: for ever) for connections on any endpoint and hands
    // them to their threads. Returns false when nothing arrived or the server is stopped.
    bool serveOnce(int timeoutMs);
    // Makes serveOnce return false from now on (callable from any thread) and wakes the
    // connections that wait for a request or hold one. Handlers already running finish.
    void stop();

private:
    struct Endpoint
    {
        std::string service;
        std::string path;
        int fd;
        int lockFd;  // -1 without a lock
    };
    struct Connection
    {
        std::thread thread;
        bool done = false;  // guarded by m_mutex
    };
    void serve(int fd, const std::string& service);
    void reapFinished();

    std::string m_folder;
    ServerHandler m_handler;
    std::vector<Endpoint> m_endpoints;
    int m_wake[2] = { -1, -1 };  // readable once stopped

    std::mutex m_mutex;
    std::list<Connection> m_connections;
};

}  // namespace brindlex
