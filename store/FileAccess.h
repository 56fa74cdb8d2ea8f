#pragma once
#include <cstdint>
#include <istream>
#include <memory>
#include <string>

#include "store/Result.h"

namespace brindlex {

// The real place of the file `path` names once its symbolic links are followed (the last
// link may name a file that does not exist yet): its canonical folder and its name there.
// Returns 0, or the errno that stopped it.
int resolveFilePath(const std::string& path, std::string& folder, std::string& name);

// Opens `path` read-only without blocking on a FIFO and checks that it is a regular
// file. The descriptor (close-on-exec, blocking) and the file's size, or -1 with
// `reason` set to the bare reason ("not a regular file", or the errno text).
int openRegularFile(const std::string& path, std::string& reason, uint64_t& size);

// A file opened for reading that is known to be a regular file: a FIFO (which would block
// the open), a device such as /dev/zero (which never ends) or a folder is refused at once
// with "not a regular file". Reads through a 64 KB buffer and can seek.
class InputFile : public std::istream
{
public:
    InputFile();
    ~InputFile() override;
    InputFile(const InputFile&) = delete;
    InputFile& operator=(const InputFile&) = delete;

    // The error's message is the bare reason ("not a regular file", "No such file or
    // directory"); the caller says which file.
    [[nodiscard]] Status open(const std::string& path);
    // The size the file had when it was opened.
    uint64_t size() const;
    // Why the last read failed (errno text), or "" when it did not.
    std::string readError() const;
    // Reads up to `size` bytes from `offset` on without moving the stream, so that another
    // thread may read one part of the file while this one reads another. The count (0 at
    // the end), or -1 with errno set.
    long long readAt(uint64_t offset, char* data, size_t size) const;

private:
    class Buffer;
    std::unique_ptr<Buffer> m_buffer;
};

// The whole content of a regular file. The error is the bare reason, as InputFile's.
[[nodiscard]] Result<std::string> readRegularFile(const std::string& path);

}  // namespace brindlex
