#include "store/TextFile.h"

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>
#include <unistd.h>

#include "store/ByteScan.h"
#include "store/FileAccess.h"
#include "store/Limits.h"

namespace brindlex {

namespace {

// Large enough that a read costs little next to parsing what it brings, small enough to
// stay in the processor's cache while it is parsed.
constexpr size_t BlockSize = 1 << 18;
// How far into an HTML file a charset declaration is looked for.
constexpr size_t CharsetWindow = 4096;

}  // namespace

TextFileBuf::~TextFileBuf()
{
    if (m_fd >= 0) {
        ::close(m_fd);
    }
}

Status TextFileBuf::open(const std::string& path, bool htmlCharset)
{
    std::string reason;
    uint64_t size = 0;
    m_fd = openRegularFile(path, reason, size);
    if (m_fd < 0) {
        return Error { ErrorKind::Io, reason };
    }
    m_raw.resize(BlockSize);
    if (htmlCharset) {
        while (m_rawEnd < CharsetWindow && readMore()) { }
        if (m_readFailed) {
            return Error { ErrorKind::Io, m_readError };
        }
        m_charset = charsetNamed(declaredCharset(std::string_view(m_raw.data(), m_rawEnd)));
    }
    return Status::Ok();
}

// Reads once more after the bytes already held, making room first. False at the end of
// the file or after a read error.
bool TextFileBuf::readMore()
{
    if (m_atEnd) {
        return false;
    }
    if (m_rawBegin > 0) {
        std::memmove(m_raw.data(), m_raw.data() + m_rawBegin, m_rawEnd - m_rawBegin);
        m_rawEnd -= m_rawBegin;
        m_rawBegin = 0;
    }
    if (m_rawEnd == m_raw.size()) {
        // One line longer than a block; never more room than the longest line accepted.
        m_raw.resize(std::min(m_raw.size() * 2, MaxLineBytes + 1));
    }
    const size_t room = static_cast<size_t>(std::min<uint64_t>(m_raw.size() - m_rawEnd, m_end - m_filePos));
    ssize_t got = 0;
    if (room > 0) {
        do {
            got = ::read(m_fd, m_raw.data() + m_rawEnd, room);
        } while (got < 0 && errno == EINTR);
    }
    if (got <= 0) {
        m_atEnd = true;
        m_readFailed = got < 0;
        if (m_readFailed) {
            m_readError = std::strerror(errno);
        }
        return false;
    }
    m_rawEnd += static_cast<size_t>(got);
    m_filePos += static_cast<uint64_t>(got);
    return true;
}

void TextFileBuf::setEnd(uint64_t end)
{
    m_end = end;
    if (m_filePos > end) {
        // What was read past the end (the look for a charset reads ahead) is let go.
        const uint64_t over = std::min<uint64_t>(m_filePos - end, m_rawEnd - m_rawBegin);
        m_rawEnd -= static_cast<size_t>(over);
        m_filePos = end;
    }
}

Status TextFileBuf::restartAt(uint64_t offset, size_t linesBefore)
{
    if (m_fd < 0 || ::lseek(m_fd, static_cast<off_t>(offset), SEEK_SET) < 0) {
        m_readFailed = true;
        m_readError = m_fd < 0 ? "the file is not open" : std::strerror(errno);
        m_atEnd = true;
        return Error { ErrorKind::Io, m_readError };
    }
    m_filePos = offset;
    m_end = UINT64_MAX;
    m_rawBegin = 0;
    m_rawEnd = 0;
    m_atEnd = false;
    m_first = false;
    m_linesHanded = linesBefore;
    setg(nullptr, nullptr, nullptr);
    return Status::Ok();
}

bool TextFileBuf::nextBlock(std::string_view& block)
{
    if (gptr() == egptr() && traits_type::eq_int_type(underflow(), traits_type::eof())) {
        return false;
    }
    block = std::string_view(gptr(), static_cast<size_t>(egptr() - gptr()));
    setg(egptr(), egptr(), egptr());
    return true;
}

TextFileBuf::int_type TextFileBuf::underflow()
{
    if (gptr() < egptr()) {
        return traits_type::to_int_type(*gptr());
    }
    if (m_fd < 0) {
        return traits_type::eof();
    }
    // The whole lines held, or the rest of the file at its end; read until there is one.
    size_t cut = 0;
    while (true) {
        const std::string_view held(m_raw.data() + m_rawBegin, m_rawEnd - m_rawBegin);
        const size_t newline = held.rfind('\n');
        if (newline != std::string_view::npos) {
            cut = newline + 1;
            break;
        }
        // A line longer than any reader accepts ends the text with an error rather than
        // being held whole, however long it goes on.
        if (held.size() > MaxLineBytes) {
            m_readFailed = true;
            m_readError = "line " + std::to_string(m_linesHanded + 1) + " is longer than 64 MiB";
            m_atEnd = true;
            m_rawBegin = m_rawEnd;
            return traits_type::eof();
        }
        if (!readMore()) {
            cut = m_rawEnd - m_rawBegin;
            break;
        }
    }
    if (cut == 0) {
        return traits_type::eof();
    }
    std::string_view lines(m_raw.data() + m_rawBegin, cut);
    m_rawBegin += cut;
    m_linesHanded += countByte(lines, '\n');
    if (m_first) {
        m_first = false;
        if (lines.substr(0, 3) == "\xEF\xBB\xBF") {
            lines.remove_prefix(3);
            if (lines.empty()) {
                return underflow();
            }
        }
    }
    char* begin = const_cast<char*>(lines.data());
    if (m_charset != Charset::Utf8 || !isValidUtf8(lines)) {
        // Decoded line by line: only the lines that are not UTF-8 are read as Windows-1252.
        m_decoded.clear();
        if (m_charset != Charset::Utf8) {
            appendDecoded(m_decoded, lines, m_charset);
        } else {
            size_t start = 0;
            while (start < lines.size()) {
                const size_t end = std::min(lines.find('\n', start), lines.size() - 1) + 1;
                appendDecoded(m_decoded, lines.substr(start, end - start), Charset::Utf8);
                start = end;
            }
        }
        begin = m_decoded.data();
        lines = m_decoded;
    }
    setg(begin, begin, begin + lines.size());
    return traits_type::to_int_type(*gptr());
}

}  // namespace brindlex
