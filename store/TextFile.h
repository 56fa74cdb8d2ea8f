#pragma once
#include <cstdint>
#include <streambuf>
#include <string>
#include <string_view>
#include <vector>

#include "store/Result.h"
#include "store/TextEncoding.h"

namespace brindlex {

// The text of a file for a reader's std::istream, read by blocks as the reader asks for
// it and decoded to UTF-8 one line at a time, so that a large file is never held whole
// and valid UTF-8 is handed out without a copy. In a file without a declared charset a
// line that is not valid UTF-8 is read as Windows-1252 by itself, so one stray byte does
// not garble the other lines. A UTF-8 byte-order mark is dropped. Only whole lines are
// handed out at a time, so no character is ever cut at the end of a block.
class TextFileBuf : public std::streambuf
{
public:
    TextFileBuf() = default;
    ~TextFileBuf() override;
    TextFileBuf(const TextFileBuf&) = delete;
    TextFileBuf& operator=(const TextFileBuf&) = delete;

    // Opens `path` for reading; only a regular file is accepted, and the error is the
    // bare reason. With `htmlCharset`, a charset the file declares in a <meta> tag
    // within its first bytes decides how every line is decoded.
    [[nodiscard]] Status open(const std::string& path, bool htmlCharset);
    // True when reading stopped at an error rather than at the end of the file (a line
    // longer than MaxLineBytes is one); the error's text.
    bool readFailed() const { return m_readFailed; }
    const std::string& readError() const { return m_readError; }
    Charset charset() const { return m_charset; }
    // For a line reader that looks at the text where it lies: the rest of the text held,
    // taken as read, or the next piece of whole lines; false at the end. The text stays
    // valid until the next call.
    bool nextBlock(std::string_view& block);

    // Ends the text at file offset `end` (the start of a line), as if the file ended
    // there, so that another reader can take the lines after it.
    void setEnd(uint64_t end);
    // Goes on from file offset `offset` (the start of a line) to the file's end, as if
    // `linesBefore` lines had been handed out before it; what was held is dropped.
    [[nodiscard]] Status restartAt(uint64_t offset, size_t linesBefore);
    // The line ends handed out so far.
    size_t linesHanded() const { return m_linesHanded; }

protected:
    int_type underflow() override;

private:
    bool readMore();

    int m_fd = -1;
    uint64_t m_filePos = 0;  // the file offset just after the last byte read
    uint64_t m_end = UINT64_MAX;  // where the text ends, when setEnd cut it short
    Charset m_charset = Charset::Utf8;
    bool m_atEnd = false;
    bool m_readFailed = false;
    std::string m_readError;
    bool m_first = true;  // the byte-order mark is still to be looked for
    std::vector<char> m_raw;  // bytes read from the file
    size_t m_rawBegin = 0;  // the first byte not yet handed out
    size_t m_rawEnd = 0;
    size_t m_linesHanded = 0;  // line ends handed out so far, to name a line too long
    std::string m_decoded;  // the lines handed out, when they had to be decoded
};

}  // namespace brindlex
