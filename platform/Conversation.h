#pragma once
#include <string>
#include <vector>

namespace brindlex {

// How one request on the conversation transport ended. NoServer: nobody listens under
// that service name (or its endpoint is not private to this user); Refused: the server
// answered but would not serve the request; Timeout: the server did not answer in time.
enum class ConversationResult { Ok, NoServer, Refused, Timeout };

struct ConversationReply
{
    ConversationResult result = ConversationResult::NoServer;
    std::string text;  // the reply text when result is Ok, else empty
};

// The local conversation transport that stands in for DDE and OLE Automation.
// Every call is one complete exchange: initiate, request, terminate.
class Conversation
{
public:
    virtual ~Conversation() = default;
    // Requests `item` on the topic `topic` (e.g. "WWW_OpenURL") of `service`.
    virtual ConversationReply Request(const std::string& service, const std::string& topic, const std::string& item)
        = 0;
    // Asks the automation server registered under the programmatic identifier `progId`
    // whether an object can be created.
    virtual ConversationReply CreateObject(const std::string& progId) = 0;
    // Calls `member` by name on the object of `progId`. A string result is the reply
    // text; a boolean result is "True" or "False".
    virtual ConversationReply Call(
        const std::string& progId, const std::string& member, const std::vector<std::string>& arguments)
        = 0;
};

}  // namespace brindlex
