#include "browser/WireFormat.h"

#include <cstdint>
#include <utility>

namespace brindlex {

namespace {

void putLength(std::string& out, size_t n)
{
    const auto v = static_cast<uint32_t>(n);
    out.push_back(static_cast<char>((v >> 24) & 0xff));
    out.push_back(static_cast<char>((v >> 16) & 0xff));
    out.push_back(static_cast<char>((v >> 8) & 0xff));
    out.push_back(static_cast<char>(v & 0xff));
}

uint32_t getLength(std::string_view in, size_t at)
{
    return (static_cast<uint32_t>(static_cast<unsigned char>(in[at])) << 24)
        | (static_cast<uint32_t>(static_cast<unsigned char>(in[at + 1])) << 16)
        | (static_cast<uint32_t>(static_cast<unsigned char>(in[at + 2])) << 8)
        | static_cast<uint32_t>(static_cast<unsigned char>(in[at + 3]));
}

}  // namespace

std::string encodeMessage(const std::vector<std::string>& fields)
{
    std::string out;
    putLength(out, fields.size());
    for (const std::string& field : fields) {
        putLength(out, field.size());
        out += field;
    }
    return out;
}

MessageDecoder::State MessageDecoder::feed(std::string_view bytes)
{
    if (m_state != State::NeedMore) {
        // Anything after a complete message is not part of the protocol.
        if (!bytes.empty()) {
            m_state = State::Malformed;
        }
        return m_state;
    }
    m_buffer.append(bytes);
    m_state = parse();
    return m_state;
}

MessageDecoder::State MessageDecoder::parse()
{
    if (m_buffer.size() > MaxMessageBytes + 4 * (MaxMessageFields + 1)) {
        return State::Malformed;
    }
    if (m_buffer.size() < 4) {
        return State::NeedMore;
    }
    const uint32_t count = getLength(m_buffer, 0);
    if (count > MaxMessageFields) {
        return State::Malformed;
    }
    // Find the field boundaries first; copy only once the whole message is here.
    size_t at = 4;
    size_t total = 0;
    std::vector<std::pair<size_t, size_t>> spans;
    for (uint32_t i = 0; i < count; ++i) {
        if (m_buffer.size() < at + 4) {
            return State::NeedMore;
        }
        const uint32_t length = getLength(m_buffer, at);
        at += 4;
        total += length;
        if (total > MaxMessageBytes) {
            return State::Malformed;
        }
        if (m_buffer.size() < at + length) {
            return State::NeedMore;
        }
        spans.emplace_back(at, length);
        at += length;
    }
    if (at != m_buffer.size()) {
        return State::Malformed;
    }
    std::vector<std::string> fields;
    fields.reserve(spans.size());
    for (const auto& [start, length] : spans) {
        fields.emplace_back(m_buffer, start, length);
    }
    m_fields = std::move(fields);
    return State::Complete;
}

std::optional<std::vector<std::string>> decodeMessage(std::string_view bytes)
{
    MessageDecoder decoder;
    if (decoder.feed(bytes) != MessageDecoder::State::Complete) {
        return std::nullopt;
    }
    return decoder.fields();
}

}  // namespace brindlex
