#pragma once
#include <functional>
#include <string>
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
// another user is hung up on unanswered. Single-threaded: serveOnce() handles one
// connection at a time, which is all a test browser or a bridge needs.
class ConversationServer
{
public:
    ConversationServer(std::string folder, ServerHandler handler);
    ConversationServer(const ConversationServer&) = delete;
    ConversationServer& operator=(const ConversationServer&) = delete;
    ~ConversationServer();  // stops listening and removes the endpoints

    // Creates the folder (mode 0700) when needed and listens under `service`. An old
    // endpoint of this user under that name is replaced.
    Status listen(const std::string& service);
    // Waits up to `timeoutMs` (-1: for ever) for a connection on any endpoint and serves
    // it. Returns false when nothing arrived.
    bool serveOnce(int timeoutMs);

private:
    struct Endpoint
    {
        std::string service;
        std::string path;
        int fd;
    };
    void serve(int fd, const std::string& service);

    std::string m_folder;
    ServerHandler m_handler;
    std::vector<Endpoint> m_endpoints;
};

}  // namespace brindlex
