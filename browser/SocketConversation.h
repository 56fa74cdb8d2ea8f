#pragma once
#include <string>
#include <vector>

#include "platform/Conversation.h"

namespace brindlex {

// The conversation transport over the private Unix-domain sockets of
// conversationFolder(): one connection per request (docs/conversation.md).
// Refuses a folder or socket that is not this user's own, and a server run by another
// user; both count as "no server answered".
class SocketConversation : public Conversation
{
public:
    // `timeoutMs` bounds each whole exchange, from connecting to the last reply byte.
    explicit SocketConversation(int timeoutMs = 5000, std::string folder = {});

    ConversationReply Request(const std::string& service, const std::string& topic, const std::string& item) override;
    ConversationReply CreateObject(const std::string& progId) override;
    ConversationReply Call(
        const std::string& progId, const std::string& member, const std::vector<std::string>& arguments) override;

    void setTimeout(int timeoutMs) { m_timeoutMs = timeoutMs; }
    int timeout() const { return m_timeoutMs; }

private:
    ConversationReply exchange(const std::string& service, const std::vector<std::string>& request);

    int m_timeoutMs;
    std::string m_folder;  // empty: conversationFolder() at each request
};

}  // namespace brindlex
