#include "bridge/NativeFrames.h"

#include <algorithm>
#include <cstdint>
#include <cstring>

namespace brindlex::bridge {

namespace {

constexpr size_t HeaderBytes = sizeof(uint32_t);

}  // namespace

Result<std::string> encodeFrame(std::string_view json)
{
    if (json.size() > MaxFrameBytes) {
        return Error { ErrorKind::Refused, "message of " + std::to_string(json.size()) + " bytes is too long" };
    }
    const auto length = static_cast<uint32_t>(json.size());
    std::string frame(HeaderBytes, '\0');
    std::memcpy(frame.data(), &length, HeaderBytes);  // the machine's byte order, as the browser reads it
    frame.append(json);
    return frame;
}

void FrameReader::feed(std::string_view bytes)
{
    const size_t dropped = std::min(m_skip, bytes.size());
    m_skip -= dropped;
    bytes.remove_prefix(dropped);
    m_buffer.append(bytes);
}

std::optional<Frame> FrameReader::next()
{
    if (m_skip > 0 || m_buffer.size() < HeaderBytes) {
        return std::nullopt;
    }
    uint32_t length = 0;
    std::memcpy(&length, m_buffer.data(), HeaderBytes);
    if (length > MaxFrameBytes) {
        // Dropped without keeping it: what is here now, and the rest as it comes.
        const size_t here = std::min<size_t>(length, m_buffer.size() - HeaderBytes);
        m_skip = length - here;
        m_buffer.erase(0, HeaderBytes + here);
        return Frame { Frame::Kind::TooLong, {} };
    }
    if (m_buffer.size() < HeaderBytes + length) {
        return std::nullopt;
    }
    Frame frame { length == 0 ? Frame::Kind::Empty : Frame::Kind::Message, m_buffer.substr(HeaderBytes, length) };
    m_buffer.erase(0, HeaderBytes + length);
    return frame;
}

}  // namespace brindlex::bridge
