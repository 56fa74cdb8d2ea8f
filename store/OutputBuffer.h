#pragma once
#include <cstring>
#include <ostream>
#include <string_view>
#include <vector>

namespace brindlex {

// Text gathered in a buffer of its own and handed to a stream in large pieces. A writer
// that appends a dozen short pieces to every record pays a copy for each instead of a
// call into the stream. What is still held when the buffer ends is written then; a
// writer that reports failure calls flush() first and looks at its answer.
class OutputBuffer
{
public:
    explicit OutputBuffer(std::ostream& out, size_t capacity = size_t { 1 } << 16)
        : m_out(out)
        , m_data(capacity)
    {
    }
    ~OutputBuffer() { flush(); }
    OutputBuffer(const OutputBuffer&) = delete;
    OutputBuffer& operator=(const OutputBuffer&) = delete;

    void put(std::string_view text)
    {
        if (text.size() > m_data.size() - m_used) {
            putLarge(text);
            return;
        }
        std::memcpy(m_data.data() + m_used, text.data(), text.size());
        m_used += text.size();
    }
    void put(char c)
    {
        if (m_used == m_data.size()) {
            flush();
        }
        m_data[m_used++] = c;
    }
    // A decimal number, with a "-" when negative.
    void putNumber(long long value);
    // The next `size` bytes to fill in place; advance() then says how many were used.
    char* space(size_t size)
    {
        if (size > m_data.size() - m_used) {
            flush();
            if (size > m_data.size()) {
                m_data.resize(size);
            }
        }
        return m_data.data() + m_used;
    }
    void advance(size_t used) { m_used += used; }

    // Writes out what is held; false once the stream has failed.
    bool flush();

private:
    void putLarge(std::string_view text);

    std::ostream& m_out;
    std::vector<char> m_data;
    size_t m_used = 0;
};

}  // namespace brindlex
