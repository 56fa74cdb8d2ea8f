#include "store/LineStream.h"

#include <cstring>
#include <istream>

namespace brindlex {

LineStream::LineStream(std::istream& in)
    : m_in(in)
    , m_buffer(1 << 16)
{
}

bool LineStream::next(std::string_view& line)
{
    while (true) {
        const char* begin = m_buffer.data() + m_begin;
        const size_t available = m_end - m_begin;
        const auto* newline = static_cast<const char*>(std::memchr(begin, '\n', available));
        if (newline != nullptr) {
            line = std::string_view(begin, static_cast<size_t>(newline - begin));
            m_begin += line.size() + 1;
            break;
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
        m_buffer.resize(m_buffer.size() * 2);
    }
    m_in.read(m_buffer.data() + m_end, static_cast<std::streamsize>(m_buffer.size() - m_end));
    const auto got = static_cast<size_t>(m_in.gcount());
    m_end += got;
    m_atEnd = got == 0;
}

}  // namespace brindlex
