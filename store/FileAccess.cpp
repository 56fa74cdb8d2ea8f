#include "store/FileAccess.h"

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <streambuf>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace brindlex {

namespace {

constexpr int MaxLinkHops = 40;
constexpr size_t ReadBufferSize = 1 << 16;

void splitPath(const std::string& path, std::string& folder, std::string& name)
{
    const size_t slash = path.find_last_of('/');
    if (slash == std::string::npos) {
        folder = ".";
        name = path;
    } else {
        folder = slash == 0 ? "/" : path.substr(0, slash);
        name = path.substr(slash + 1);
    }
}

// Reads up to `size` bytes; the count, or -1 with errno set.
ssize_t readSome(int fd, char* data, size_t size)
{
    while (true) {
        const ssize_t n = ::read(fd, data, size);
        if (n >= 0 || errno != EINTR) {
            return n;
        }
    }
}

}  // namespace

int openRegularFile(const std::string& path, std::string& reason, uint64_t& size)
{
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK);
    if (fd < 0) {
        reason = std::strerror(errno);
        return -1;
    }
    struct stat st;
    if (::fstat(fd, &st) != 0) {
        reason = std::strerror(errno);
        ::close(fd);
        return -1;
    }
    if (!S_ISREG(st.st_mode)) {
        reason = "not a regular file";
        ::close(fd);
        return -1;
    }
    const int flags = ::fcntl(fd, F_GETFL);
    if (flags >= 0) {
        ::fcntl(fd, F_SETFL, flags & ~O_NONBLOCK);
    }
    size = static_cast<uint64_t>(st.st_size);
    return fd;
}

int resolveFilePath(const std::string& path, std::string& folder, std::string& name)
{
    std::string current = path;
    for (int hop = 0;; ++hop) {
        struct stat st;
        if (::lstat(current.c_str(), &st) != 0) {
            if (errno != ENOENT) {
                return errno;
            }
            break;  // a new file (or a link to one)
        }
        if (!S_ISLNK(st.st_mode)) {
            break;
        }
        if (hop == MaxLinkHops) {
            return ELOOP;
        }
        std::vector<char> link(static_cast<size_t>(st.st_size > 0 ? st.st_size : PATH_MAX) + 1);
        const ssize_t length = ::readlink(current.c_str(), link.data(), link.size());
        if (length < 0) {
            return errno;
        }
        if (static_cast<size_t>(length) >= link.size()) {
            return ENAMETOOLONG;  // the link changed while it was read
        }
        std::string target(link.data(), static_cast<size_t>(length));
        if (!target.empty() && target.front() != '/') {
            std::string linkFolder, linkName;
            splitPath(current, linkFolder, linkName);
            target = linkFolder + "/" + target;
        }
        current = std::move(target);
    }
    std::string unresolved;
    splitPath(current, unresolved, name);
    if (name.empty() || name == "." || name == "..") {
        return EISDIR;
    }
    char* real = ::realpath(unresolved.c_str(), nullptr);
    if (real == nullptr) {
        return errno;
    }
    folder = real;
    std::free(real);
    return 0;
}

class InputFile::Buffer : public std::streambuf
{
public:
    explicit Buffer(InputFile& owner)
        : m_owner(owner)
        , m_data(ReadBufferSize)
    {
        setg(m_data.data(), m_data.data(), m_data.data());
    }
    ~Buffer() override { close(); }

    Status open(const std::string& path)
    {
        close();
        std::string reason;
        m_fd = openRegularFile(path, reason, m_size);
        if (m_fd < 0) {
            return Error { ErrorKind::Io, reason };
        }
        m_error.clear();
        setg(m_data.data(), m_data.data(), m_data.data());
        return Status::Ok();
    }
    void close()
    {
        if (m_fd >= 0) {
            ::close(m_fd);
            m_fd = -1;
        }
    }
    uint64_t size() const { return m_size; }
    const std::string& error() const { return m_error; }
    long long readAt(uint64_t offset, char* data, size_t size) const
    {
        if (m_fd < 0) {
            errno = EBADF;
            return -1;
        }
        while (true) {
            const ssize_t n = ::pread(m_fd, data, size, static_cast<off_t>(offset));
            if (n >= 0 || errno != EINTR) {
                return n;
            }
        }
    }

protected:
    int_type underflow() override
    {
        if (gptr() < egptr()) {
            return traits_type::to_int_type(*gptr());
        }
        if (m_fd < 0) {
            return traits_type::eof();
        }
        const ssize_t n = readSome(m_fd, m_data.data(), m_data.size());
        if (n < 0) {
            m_error = std::strerror(errno);
            m_owner.setstate(std::ios::badbit);
            return traits_type::eof();
        }
        setg(m_data.data(), m_data.data(), m_data.data() + n);
        return n == 0 ? traits_type::eof() : traits_type::to_int_type(*gptr());
    }

    // Large reads skip the buffer.
    std::streamsize xsgetn(char* s, std::streamsize n) override
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
            if (m_fd < 0) {
                break;
            }
            if (n - done < static_cast<std::streamsize>(m_data.size())) {
                if (traits_type::eq_int_type(underflow(), traits_type::eof())) {
                    break;
                }
                continue;
            }
            const ssize_t got = readSome(m_fd, s + done, static_cast<size_t>(n - done));
            if (got < 0) {
                m_error = std::strerror(errno);
                m_owner.setstate(std::ios::badbit);
                break;
            }
            if (got == 0) {
                break;
            }
            done += got;
        }
        return done;
    }

    pos_type seekoff(off_type off, std::ios::seekdir dir, std::ios::openmode) override
    {
        if (m_fd < 0) {
            return pos_type(off_type(-1));
        }
        const off_t here = ::lseek(m_fd, 0, SEEK_CUR);
        if (here < 0) {
            return pos_type(off_type(-1));
        }
        const off_t unread = egptr() - gptr();
        if (dir == std::ios::cur && off == 0) {
            return pos_type(here - unread);
        }
        off_t target = off;
        if (dir == std::ios::cur) {
            target = here - unread + off;
        } else if (dir == std::ios::end) {
            struct stat st;
            if (::fstat(m_fd, &st) != 0) {
                return pos_type(off_type(-1));
            }
            target = st.st_size + off;
        }
        if (target < 0 || ::lseek(m_fd, target, SEEK_SET) < 0) {
            return pos_type(off_type(-1));
        }
        setg(m_data.data(), m_data.data(), m_data.data());
        return pos_type(target);
    }

    pos_type seekpos(pos_type pos, std::ios::openmode which) override
    {
        return seekoff(off_type(pos), std::ios::beg, which);
    }

private:
    InputFile& m_owner;
    std::vector<char> m_data;
    int m_fd = -1;
    uint64_t m_size = 0;
    std::string m_error;  // why the last read failed
};

InputFile::InputFile()
    : std::istream(nullptr)
    , m_buffer(std::make_unique<Buffer>(*this))
{
    rdbuf(m_buffer.get());
}

InputFile::~InputFile() = default;

Status InputFile::open(const std::string& path)
{
    const Status opened = m_buffer->open(path);
    clear(opened.ok() ? std::ios::goodbit : std::ios::badbit);
    return opened;
}

uint64_t InputFile::size() const
{
    return m_buffer->size();
}

std::string InputFile::readError() const
{
    return m_buffer->error();
}

long long InputFile::readAt(uint64_t offset, char* data, size_t size) const
{
    return m_buffer->readAt(offset, data, size);
}

Result<std::string> readRegularFile(const std::string& path)
{
    std::string reason;
    uint64_t size = 0;
    const int fd = openRegularFile(path, reason, size);
    if (fd < 0) {
        return Error { ErrorKind::Io, reason };
    }
    std::string bytes;
    bytes.resize(static_cast<size_t>(size) + 1);  // room to see the end without growing
    size_t done = 0;
    while (true) {
        if (done == bytes.size()) {
            // The file grew since it was opened, or its size was not known: read on.
            bytes.resize(done + ReadBufferSize);
        }
        const ssize_t n = readSome(fd, bytes.data() + done, bytes.size() - done);
        if (n < 0) {
            const int error = errno;
            ::close(fd);
            return Error { ErrorKind::Io, std::strerror(error) };
        }
        if (n == 0) {
            break;
        }
        done += static_cast<size_t>(n);
    }
    ::close(fd);
    bytes.resize(done);
    return bytes;
}

}  // namespace brindlex
