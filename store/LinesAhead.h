#pragma once
#include <atomic>
#include <cstdint>
#include <exception>
#include <functional>
#include <memory>
#include <streambuf>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

#include "store/FolderItem.h"

namespace brindlex {

class InputFile;

// The bytes [begin, end) of an open file as a stream buffer. It reads with
// InputFile::readAt, so that two threads can each read their own part of one file.
class FilePart : public std::streambuf
{
public:
    FilePart(const InputFile& file, uint64_t begin, uint64_t end);
    // True when a read of the file failed (the part then looks shorter than it is).
    bool failed() const { return m_failed; }

protected:
    int_type underflow() override;
    std::streamsize xsgetn(char* s, std::streamsize n) override;

private:
    const InputFile& m_file;
    uint64_t m_at;  // the file offset of the next byte not yet in m_data
    uint64_t m_end;
    std::vector<char> m_data;
    bool m_failed = false;
};

// The lines of a file from a line's start to the file's end, looked at by a thread of
// their own while the caller reads the part before them. `look` makes a line into an
// entry, keeps it as text, or ends the part there. What the thread made is the caller's
// once finish() has returned.
class LinesAhead
{
public:
    enum class Verdict { Entry, Text, Stop };
    using Look = std::function<Verdict(std::string_view line, std::shared_ptr<FolderItem>& entry)>;

    // The file must stay open until finish(); `look` is called on the thread.
    LinesAhead(const InputFile& file, uint64_t begin, Look look);
    // Stops the thread at the next line (the caller has given up) and waits for it.
    ~LinesAhead();
    LinesAhead(const LinesAhead&) = delete;
    LinesAhead& operator=(const LinesAhead&) = delete;

    // Waits for the thread, and passes on what it threw (std::bad_alloc).
    void finish();
    // After finish(): one per line in order; null for a line kept as text.
    std::vector<std::shared_ptr<FolderItem>>& entries() { return m_entries; }
    // The lines kept as text, in order.
    const std::vector<std::string>& texts() const { return m_texts; }
    // True when every line to the end of the file was looked at: none ended the part,
    // none was too long and every read succeeded.
    bool complete() const { return m_complete; }

private:
    void run();

    const InputFile& m_file;
    uint64_t m_begin;
    Look m_look;
    std::vector<std::shared_ptr<FolderItem>> m_entries;
    std::vector<std::string> m_texts;
    bool m_complete = false;
    std::atomic<bool> m_cancelled { false };
    std::exception_ptr m_thrown;
    std::thread m_thread;  // last: started once everything it uses is made
};

}  // namespace brindlex
