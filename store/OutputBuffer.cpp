#include "store/OutputBuffer.h"

namespace brindlex {

void OutputBuffer::putNumber(long long value)
{
    char* out = space(24);
    char digits[24];
    size_t n = 0;
    // Counted in the negative range, which holds the most negative value too.
    long long rest = value < 0 ? value : -value;
    do {
        digits[n++] = static_cast<char>('0' - rest % 10);
        rest /= 10;
    } while (rest != 0);
    size_t used = 0;
    if (value < 0) {
        out[used++] = '-';
    }
    while (n > 0) {
        out[used++] = digits[--n];
    }
    advance(used);
}

bool OutputBuffer::flush()
{
    if (m_used > 0) {
        m_out.write(m_data.data(), static_cast<std::streamsize>(m_used));
        m_used = 0;
    }
    return static_cast<bool>(m_out);
}

void OutputBuffer::putLarge(std::string_view text)
{
    flush();
    if (text.size() >= m_data.size()) {
        m_out.write(text.data(), static_cast<std::streamsize>(text.size()));
        return;
    }
    std::memcpy(m_data.data(), text.data(), text.size());
    m_used = text.size();
}

}  // namespace brindlex
