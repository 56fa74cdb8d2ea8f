#include "store/LinesAhead.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <istream>
#include <utility>

#include "store/FileAccess.h"
#include "store/LineStream.h"

namespace brindlex {

namespace {

constexpr size_t PartBufferSize = 1 << 16;

}  // namespace

FilePart::FilePart(const InputFile& file, uint64_t begin, uint64_t end)
    : m_file(file)
    , m_at(begin)
    , m_end(std::max(begin, end))
    , m_data(PartBufferSize)
{
    setg(m_data.data(), m_data.data(), m_data.data());
}

FilePart::int_type FilePart::underflow()
{
    if (gptr() < egptr()) {
        return traits_type::to_int_type(*gptr());
    }
    const size_t want = static_cast<size_t>(std::min<uint64_t>(m_data.size(), m_end - m_at));
    const long long n = want == 0 || m_failed ? 0 : m_file.readAt(m_at, m_data.data(), want);
    if (n < 0) {
        m_failed = true;
    }
    const size_t got = n > 0 ? static_cast<size_t>(n) : 0;
    m_at += got;
    setg(m_data.data(), m_data.data(), m_data.data() + got);
    return got == 0 ? traits_type::eof() : traits_type::to_int_type(*gptr());
}

// Large reads go straight from the file into the caller's buffer.
std::streamsize FilePart::xsgetn(char* s, std::streamsize n)
{
    std::streamsize done = 0;
    while (done < n) {
        const std::streamsize buffered = egptr() - gptr();
        if (buffered > 0) {
            const std::streamsize take = std::min(buffered, n - done);
            std::memcpy(s + done, gptr(), static_cast<size_t>(take));
            gbump(static_cast<int>(take));
            done += take;
            continue;
        }
        const size_t want = static_cast<size_t>(std::min<uint64_t>(static_cast<uint64_t>(n - done), m_end - m_at));
        if (want == 0 || m_failed) {
            break;
        }
        const long long got = m_file.readAt(m_at, s + done, want);
        if (got <= 0) {
            m_failed = got < 0;
            break;
        }
        m_at += static_cast<uint64_t>(got);
        done += got;
    }
    return done;
}

LinesAhead::LinesAhead(const InputFile& file, uint64_t begin, Look look)
    : m_file(file)
    , m_begin(begin)
    , m_look(std::move(look))
    , m_thread([this] { run(); })
{
}

LinesAhead::~LinesAhead()
{
    m_cancelled = true;
    if (m_thread.joinable()) {
        m_thread.join();
    }
}

void LinesAhead::finish()
{
    if (m_thread.joinable()) {
        m_thread.join();
    }
    if (m_thrown) {
        std::exception_ptr thrown = std::exchange(m_thrown, nullptr);
        std::rethrow_exception(thrown);
    }
}

void LinesAhead::run()
{
    try {
        // To the file's real end, as a read in one part goes, even if it has grown since it was opened.
        FilePart part(m_file, m_begin, UINT64_MAX);
        std::istream in(&part);
        LineStream lines(in);
        std::string_view line;
        bool stopped = false;
        while (lines.next(line)) {
            if (m_cancelled.load(std::memory_order_relaxed)) {
                stopped = true;
                break;
            }
            std::shared_ptr<FolderItem> entry;
            const Verdict verdict = m_look(line, entry);
            if (verdict == Verdict::Stop) {
                stopped = true;
                break;
            }
            if (verdict == Verdict::Text) {
                m_texts.emplace_back(line);
                entry = nullptr;
            }
            m_entries.push_back(std::move(entry));
        }
        m_complete = !stopped && !lines.tooLong() && !part.failed();
    } catch (...) {
        m_complete = false;
        m_thrown = std::current_exception();
    }
}

}  // namespace brindlex
