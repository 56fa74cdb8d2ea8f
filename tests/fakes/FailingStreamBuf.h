#pragma once
#include <streambuf>
#include <string>

namespace brindlex::test {

// An output buffer that accepts `limit` bytes and then fails every write, so that a
// writer's error path can be driven from a test.
class FailingStreamBuf : public std::streambuf
{
public:
    explicit FailingStreamBuf(size_t limit)
        : m_limit(limit)
    {
    }
    const std::string& written() const { return m_written; }

protected:
    int_type overflow(int_type c) override
    {
        if (traits_type::eq_int_type(c, traits_type::eof())) {
            return traits_type::not_eof(c);
        }
        if (m_written.size() >= m_limit) {
            return traits_type::eof();
        }
        m_written += traits_type::to_char_type(c);
        return c;
    }
    std::streamsize xsputn(const char* s, std::streamsize n) override
    {
        std::streamsize done = 0;
        while (done < n && m_written.size() < m_limit) {
            m_written += s[done++];
        }
        return done;
    }

private:
    size_t m_limit;
    std::string m_written;
};

}  // namespace brindlex::test
