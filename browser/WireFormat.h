#pragma once
#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace brindlex {

// Messages of the conversation transport (docs/conversation.md): a 4-byte big-endian
// field count, then each field as a 4-byte big-endian byte length and its bytes.
// Fields carry any bytes unchanged.
constexpr size_t MaxMessageFields = 64;
constexpr size_t MaxMessageBytes = 16 * 1024 * 1024;

std::string encodeMessage(const std::vector<std::string>& fields);

// Incremental decoding of one message from a byte stream.
class MessageDecoder
{
public:
    enum class State { NeedMore, Complete, Malformed };
    // Appends bytes and says how far the message is.
    State feed(std::string_view bytes);
    State state() const { return m_state; }
    // The fields of a complete message.
    const std::vector<std::string>& fields() const { return m_fields; }

private:
    State parse();

    std::string m_buffer;
    std::vector<std::string> m_fields;
    State m_state = State::NeedMore;
};

// Decodes a whole buffer that must hold exactly one message.
std::optional<std::vector<std::string>> decodeMessage(std::string_view bytes);

}  // namespace brindlex
