#pragma once
#include <iosfwd>
#include <string_view>
#include <vector>

namespace brindlex {

class TextFileBuf;

// The lines of a stream, read through a buffer of 256 KB so that a large file is parsed
// as it streams by instead of being held whole first; a stream buffer that reads large
// requests straight from the file then copies nothing. LF or CR LF ends a line (the CR is
// dropped); the last line may lack its end. A line stays valid until the next call. The
// lines of a file read through a TextFileBuf are looked at where that buffer holds them,
// without a copy.
class LineStream
{
public:
    explicit LineStream(std::istream& in);
    LineStream(const LineStream&) = delete;
    LineStream& operator=(const LineStream&) = delete;

    // The next line, or false at the end of the stream (or when it cannot be read, or at
    // a line longer than MaxLineBytes).
    bool next(std::string_view& line);
    // True when reading stopped at a line longer than MaxLineBytes, which is never held
    // whole.
    bool tooLong() const { return m_tooLong; }

private:
    void fill();
    bool nextFromBlocks(std::string_view& line);

    std::istream& m_in;
    TextFileBuf* m_file = nullptr;  // the stream's buffer, when it hands out whole blocks
    std::string_view m_block;  // the rest of the block m_file handed out last
    std::vector<char> m_buffer;  // grows only for a line longer than itself
    size_t m_begin = 0;  // first unread byte
    size_t m_end = 0;  // end of the bytes read
    bool m_atEnd = false;
    bool m_tooLong = false;
};

}  // namespace brindlex
