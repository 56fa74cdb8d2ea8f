#pragma once
#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

#include "store/Result.h"

namespace brindlex::bridge {

// The browsers' native-messaging framing on the host's standard input and output: each
// message is a 32-bit length in the machine's own byte order, then that many bytes of
// UTF-8 JSON. A browser takes at most 1 MiB from its host; the host takes as much from
// the browser, which only ever sends small replies.
constexpr size_t MaxFrameBytes = 1024 * 1024;

// The frame of `json`; Refused when it is longer than MaxFrameBytes.
Result<std::string> encodeFrame(std::string_view json);

// One frame read from the browser.
struct Frame
{
    enum class Kind {
        Message,  // `text` holds the message
        Empty,  // a frame of length zero
        TooLong,  // longer than MaxFrameBytes; its bytes are skipped as they arrive
    };
    Kind kind = Kind::Message;
    std::string text;
};

// Cuts a byte stream into frames, however the bytes arrive.
class FrameReader
{
public:
    void feed(std::string_view bytes);
    // The next frame that is complete (a too-long one as soon as its length is known).
    std::optional<Frame> next();
    // True when bytes of an unfinished frame are waiting (a stream ending here was cut).
    bool partial() const { return !m_buffer.empty() || m_skip > 0; }

private:
    std::string m_buffer;
    size_t m_skip = 0;  // bytes of a too-long frame still to drop
};

}  // namespace brindlex::bridge
