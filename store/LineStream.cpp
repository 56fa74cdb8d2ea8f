#include "store/LineStream.h"

#include <algorithm>
#include <cstring>
#include <istream>

#include "store/Limits.h"
#include "store/TextFile.h"

namespace brindlex {

LineStream::LineStream(std::istream& in)
    : m_in(in)
    , m_file(dynamic_cast<TextFileBuf*>(in.rdbuf()))
    , m_buffer(m_file != nullptr ? 0 : 1 << 18)
{
}

// A TextFileBuf hands out whole lines, so a line is nearly always inside one block and
// is used where it stands; only a line longer than any block is put together in m_buffer.
bool LineStream::nextFromBlocks(std::string_view& line)
{
    size_t carried = 0;  // bytes of an unfinished line in m_buffer
    while (true) {
        const auto* newline
            = m_block.empty() ? nullptr : static_cast<const char*>(std::memchr(m_block.data(), '\n', m_block.size()));
        if (newline != nullptr) {
            const auto length = static_cast<size_t>(newline - m_block.data());
            if (carried == 0) {
                line = m_block.substr(0, length);
            } else {
                m_buffer.insert(m_buffer.begin() + static_cast<std::ptrdiff_t>(carried), m_block.data(), newline);
                line = std::string_view(m_buffer.data(), carried + length);
            }
            m_block.remove_prefix(length + 1);
            break;
        }
        if (!m_block.empty()) {
            m_buffer.resize(carried);
            m_buffer.insert(m_buffer.end(), m_block.begin(), m_block.end());
            carried = m_buffer.size();
            m_block = {};
            if (carried > MaxLineBytes) {
                m_tooLong = true;
                return false;
            }
        }
        if (!m_file->nextBlock(m_block)) {
            if (carried == 0) {
                return false;
            }
            line = std::string_view(m_buffer.data(), carried);
            break;
        }
    }
    if (!line.empty() && line.back() == '\r') {
        line.remove_suffix(1);
    }
    return true;
}

bool LineStream::next(std::string_view& line)
{
    if (m_tooLong) {
        return false;
    }
    if (m_file != nullptr) {
        return nextFromBlocks(line);
    }
    while (true) {
        const char* begin = m_buffer.data() + m_begin;
        const size_t available = m_end - m_begin;
        const auto* newline = static_cast<const char*>(std::memchr(begin, '\n', available));
        if (newline != nullptr) {
            line = std::string_view(begin, static_cast<size_t>(newline - begin));
            m_begin += line.size() + 1;
            break;
        }
        if (available > MaxLineBytes) {
            m_tooLong = true;
            return false;
        }
        if (m_atEnd) {
            if (available == 0) {
                return false;
            }
            line = std::string_view(begin, available);
            m_begin = m_end;
            break;
        }
        fill();
    }
    if (!line.empty() && line.back() == '\r') {
        line.remove_suffix(1);
    }
    return true;
}

// Moves the unread rest to the front and reads more after it.
void LineStream::fill()
{
    if (m_begin > 0) {
        std::memmove(m_buffer.data(), m_buffer.data() + m_begin, m_end - m_begin);
        m_end -= m_begin;
        m_begin = 0;
    }
    if (m_end == m_buffer.size()) {
        // Room for one more byte than the longest line accepted, to see that it is longer.
        m_buffer.resize(std::min(m_buffer.size() * 2, MaxLineBytes + 1));
    }
    m_in.read(m_buffer.data() + m_end, static_cast<std::streamsize>(m_buffer.size() - m_end));
    const auto got = static_cast<size_t>(m_in.gcount());
    m_end += got;
    m_atEnd = got == 0;
}

}  // namespace brindlex
