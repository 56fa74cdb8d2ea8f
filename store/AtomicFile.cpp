#include "store/AtomicFile.h"

#include <algorithm>
#include <cerrno>
#include <condition_variable>
#include <cstring>
#include <ctime>
#include <deque>
#include <dirent.h>
#include <fcntl.h>
#include <memory>
#include <mutex>
#include <ostream>
#include <random>
#include <streambuf>
#include <sys/random.h>
#include <sys/stat.h>
#include <system_error>
#include <thread>
#include <unistd.h>
#include <vector>

#include "platform/LargePageHeap.h"
#include "store/FileAccess.h"

namespace brindlex {

namespace {

constexpr std::string_view TemporaryMark = ".tmp~";
constexpr size_t RandomLetters = TemporarySuffixLength - TemporaryMark.size();
constexpr size_t BufferSize = 1 << 20;
// Full buffers waiting for the writing thread; the one who fills them waits beyond that.
constexpr size_t MaxQueuedBuffers = 3;
// Every this many bytes the writing thread hands what it wrote to the disk, so that the
// sync of commit() waits only for the last of them.
constexpr off_t WriteBehindBytes = off_t { 8 } << 20;
constexpr time_t StaleSeconds = 60;

static_assert(RandomLetters == 12);

Error ioError(const std::string& path, const std::string& reason)
{
    return Error { ErrorKind::Io, "Cannot write " + path + ": " + reason };
}

char randomLetter(uint8_t byte)
{
    static constexpr std::string_view Letters = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789";
    return Letters[byte % Letters.size()];
}

std::string randomLetters()
{
    uint8_t bytes[RandomLetters];
    size_t got = 0;
    while (got < sizeof bytes) {
        const ssize_t n = ::getrandom(bytes + got, sizeof bytes - got, 0);
        if (n <= 0) {
            break;
        }
        got += static_cast<size_t>(n);
    }
    if (got < sizeof bytes) {
        std::random_device device;
        for (uint8_t& b : bytes) {
            b = static_cast<uint8_t>(device());
        }
    }
    std::string out;
    for (const uint8_t b : bytes) {
        out += randomLetter(b);
    }
    return out;
}

// True for a name that a temporary of `name` has: NAME.tmp~ followed by 1 to 16 letters
// or digits (the older form ends in the process id).
bool isTemporaryOf(std::string_view entry, std::string_view name)
{
    if (entry.size() <= name.size() + TemporaryMark.size() || entry.substr(0, name.size()) != name
        || entry.substr(name.size(), TemporaryMark.size()) != TemporaryMark) {
        return false;
    }
    const std::string_view tail = entry.substr(name.size() + TemporaryMark.size());
    if (tail.size() > 16) {
        return false;
    }
    for (const char c : tail) {
        const bool letter = (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9');
        if (!letter) {
            return false;
        }
    }
    return true;
}

size_t removeStaleIn(int folderFd, const std::string& name)
{
    const int listFd = ::openat(folderFd, ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (listFd < 0) {
        return 0;
    }
    DIR* dir = ::fdopendir(listFd);
    if (dir == nullptr) {
        ::close(listFd);
        return 0;
    }
    const time_t now = std::time(nullptr);
    size_t removed = 0;
    while (const dirent* entry = ::readdir(dir)) {
        if (!isTemporaryOf(entry->d_name, name)) {
            continue;
        }
        struct stat st;
        if (::fstatat(folderFd, entry->d_name, &st, AT_SYMLINK_NOFOLLOW) != 0 || !S_ISREG(st.st_mode)
            || st.st_uid != ::geteuid() || now - st.st_mtime < StaleSeconds) {
            continue;
        }
        if (::unlinkat(folderFd, entry->d_name, 0) == 0) {
            ++removed;
        }
    }
    ::closedir(dir);
    return removed;
}

// The most one write(2) hands the system. The page cache takes the bytes of one write in
// folios as large as the write, up to 2 MiB. Where free memory goes back to the host, a
// large folio is nearly always memory the host took back and must supply again, while
// small ones come from what the guest still holds: writing a 234 MB export in 16 KiB
// pieces took 1.1 s against 1.4 s (and up to 2.4 s) in 1 MiB ones.
size_t writePiece()
{
    static const size_t piece = freePagesGoBackToHost("/sys") ? size_t { 16 } << 10 : BufferSize;
    return piece;
}

// Writes all of `size` bytes; 0 or an errno.
int writeAll(int fd, const char* data, size_t size)
{
    const size_t piece = writePiece();
    while (size > 0) {
        const ssize_t n = ::write(fd, data, std::min(size, piece));
        if (n < 0) {
            if (errno == EINTR) {
                continue;
            }
            return errno;
        }
        if (n == 0) {
            return EIO;
        }
        data += n;
        size -= static_cast<size_t>(n);
    }
    return 0;
}

// A buffer of the file's bytes: `size` of them are in use.
struct Block
{
    std::unique_ptr<char[]> data;
    size_t size = 0;
};

Block newBlock()
{
    return Block { std::make_unique_for_overwrite<char[]>(BufferSize), 0 };
}

// Writes the blocks handed to it, in order, on a thread of its own: the system copies one
// into the file while the caller fills the next. Every WriteBehindBytes it also starts the
// disk on what it has written, without waiting for it.
class BackgroundWriter
{
public:
    explicit BackgroundWriter(int fd)
        : m_fd(fd)
        , m_thread([this] { run(); })
    {
    }
    ~BackgroundWriter() { finish(true); }
    BackgroundWriter(const BackgroundWriter&) = delete;
    BackgroundWriter& operator=(const BackgroundWriter&) = delete;

    // Takes a full block; returns an empty one to fill, waiting while the queue is full.
    Block hand(Block full)
    {
        std::unique_lock lock(m_mutex);
        m_queue.push_back(std::move(full));
        m_changed.notify_all();
        m_changed.wait(lock, [&] { return !m_spare.empty() || m_queue.size() < MaxQueuedBuffers; });
        if (m_spare.empty()) {
            lock.unlock();
            return newBlock();
        }
        Block empty = std::move(m_spare.back());
        m_spare.pop_back();
        empty.size = 0;
        return empty;
    }

    // The first errno a write failed with, or 0.
    int error() const
    {
        std::lock_guard lock(m_mutex);
        return m_error;
    }

    // Waits for everything handed over to be written (or, with `drop`, only for the write
    // under way); returns error().
    int finish(bool drop)
    {
        {
            std::lock_guard lock(m_mutex);
            m_done = true;
            if (drop) {
                m_queue.clear();
            }
        }
        m_changed.notify_all();
        if (m_thread.joinable()) {
            m_thread.join();
        }
        return error();
    }

private:
    void run()
    {
        off_t written = 0;
        off_t handedToDisk = 0;
        std::unique_lock lock(m_mutex);
        while (true) {
            m_changed.wait(lock, [&] { return !m_queue.empty() || m_done; });
            if (m_queue.empty()) {
                return;
            }
            Block block = std::move(m_queue.front());
            m_queue.pop_front();
            const bool failed = m_error != 0;
            lock.unlock();
            int error = 0;
            if (!failed) {
                error = writeAll(m_fd, block.data.get(), block.size);
                written += static_cast<off_t>(block.size);
                if (error == 0 && written - handedToDisk >= WriteBehindBytes) {
                    // Only a start: a failure shows at the sync.
                    (void)::sync_file_range(m_fd, handedToDisk, written - handedToDisk, SYNC_FILE_RANGE_WRITE);
                    handedToDisk = written;
                }
            }
            lock.lock();
            if (error != 0 && m_error == 0) {
                m_error = error;
            }
            m_spare.push_back(std::move(block));
            m_changed.notify_all();
        }
    }

    int m_fd;
    mutable std::mutex m_mutex;
    std::condition_variable m_changed;
    std::deque<Block> m_queue;
    std::vector<Block> m_spare;
    int m_error = 0;
    bool m_done = false;
    std::thread m_thread;  // last: it starts once everything it uses is made
};

}  // namespace

// The temporary file and its buffer. The buffer is the stream's put area, so write() and
// stream() fill the same bytes in order. A file larger than one buffer is written by a
// BackgroundWriter, which the first full buffer starts.
class AtomicFile::Impl : public std::streambuf
{
public:
    Impl()
        : m_stream(this)
        , m_block(newBlock())
    {
        resetPutArea();
    }
    ~Impl() override { discard(); }

    Status open(const std::string& path, FileRole role)
    {
        discard();
        m_path = path;
        m_role = role;
        m_error = 0;
        m_reason.clear();
        std::string folder;
        if (const int error = resolveFilePath(path, folder, m_name); error != 0) {
            return fail(error);
        }
        m_resolved = folder == "/" ? "/" + m_name : folder + "/" + m_name;
        m_folderFd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
        if (m_folderFd < 0) {
            return fail(errno);
        }
        struct stat st;
        m_existed = ::fstatat(m_folderFd, m_name.c_str(), &st, AT_SYMLINK_NOFOLLOW) == 0;
        if (!m_existed && errno != ENOENT) {
            return fail(errno);
        }
        if (m_existed) {
            if (!S_ISREG(st.st_mode)) {
                return failWith("not a regular file");
            }
            // Mode bits without any write permission mean read-only even to root, who
            // would otherwise replace the file without a word.
            if ((st.st_mode & 0222) == 0) {
                return failWith("the file is read-only");
            }
            if (::faccessat(m_folderFd, m_name.c_str(), W_OK, AT_EACCESS) != 0) {
                return errno == EACCES ? failWith("the file is read-only") : fail(errno);
            }
            m_oldMode = st.st_mode & 07777;
            m_oldOwner = st.st_uid;
            m_oldGroup = st.st_gid;
        }
        // A new export gets what the umask leaves of 0666; everything else starts private
        // and an existing file's mode is put on it before it takes the file's place.
        const mode_t createMode = !m_existed && role == FileRole::Export ? 0666 : 0600;
        for (int attempt = 0; attempt < 16; ++attempt) {
            m_temporary = m_name + std::string(TemporaryMark) + randomLetters();
            m_fd = ::openat(
                m_folderFd, m_temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, createMode);
            if (m_fd >= 0 || errno != EEXIST) {
                break;
            }
        }
        if (m_fd < 0) {
            const int error = errno;
            m_temporary.clear();
            return fail(error);
        }
        m_stream.clear();
        resetPutArea();
        return Status::Ok();
    }

    Status write(std::string_view bytes)
    {
        if (m_fd < 0 && m_error == 0) {
            return failWith("the file is not open");
        }
        if (m_error == 0) {
            sputn(bytes.data(), static_cast<std::streamsize>(bytes.size()));
        }
        return status();
    }

    Status commit()
    {
        if (m_fd < 0 && m_error == 0) {
            return failWith("the file is not open");
        }
        if (m_error == 0 && !m_stream.good()) {
            (void)failWith("the file could not be written");
        }
        if (m_error == 0) {
            flushBuffer(false);
        }
        if (m_writer != nullptr) {
            if (const int error = m_writer->finish(false); error != 0) {
                setError(error);
            }
            m_writer.reset();
        }
        if (m_error == 0 && m_existed) {
            // The owner first: changing it clears set-id bits that the mode then restores.
            // Another user's file written by this one becomes this user's (as any editor
            // does); only root can keep the owner.
            if (::fchown(m_fd, m_oldOwner, m_oldGroup) != 0) {
                (void)::fchown(m_fd, static_cast<uid_t>(-1), m_oldGroup);
            }
            if (::fchmod(m_fd, m_oldMode) != 0) {
                setError(errno);
            }
        }
        if (m_error == 0 && ::fsync(m_fd) != 0) {
            setError(errno);
        }
        if (m_fd >= 0) {
            // close() is where some network file systems report a failed write.
            if (::close(m_fd) != 0 && m_error == 0) {
                setError(errno);
            }
            m_fd = -1;
        }
        if (m_error == 0 && ::renameat(m_folderFd, m_temporary.c_str(), m_folderFd, m_name.c_str()) != 0) {
            setError(errno);
        }
        if (m_error != 0) {
            const Status failed = status();
            discard();
            return failed;
        }
        m_temporary.clear();
        // The rename is only lasting once the folder is synced; a failure here is told,
        // even though the new file already stands in place of the old one.
        if (::fsync(m_folderFd) != 0) {
            setError(errno);
        }
        if (m_role == FileRole::Database) {
            removeStaleIn(m_folderFd, m_name);
        }
        closeFolder();
        return status();
    }

    void discard()
    {
        if (m_writer != nullptr) {
            (void)m_writer->finish(true);
            m_writer.reset();
        }
        if (m_fd >= 0) {
            ::close(m_fd);
            m_fd = -1;
        }
        if (!m_temporary.empty() && m_folderFd >= 0) {
            ::unlinkat(m_folderFd, m_temporary.c_str(), 0);
        }
        m_temporary.clear();
        closeFolder();
        resetPutArea();
    }

    Status status() const
    {
        if (m_error == 0 && m_reason.empty()) {
            return Status::Ok();
        }
        return ioError(m_path, m_reason.empty() ? std::strerror(m_error) : m_reason);
    }

    std::ostream& stream() { return m_stream; }
    const std::string& resolvedPath() const { return m_resolved; }

protected:
    int_type overflow(int_type c) override
    {
        if (!flushBuffer(true)) {
            return traits_type::eof();
        }
        if (!traits_type::eq_int_type(c, traits_type::eof())) {
            *pptr() = traits_type::to_char_type(c);
            pbump(1);
        }
        return traits_type::not_eof(c);
    }

    std::streamsize xsputn(const char* s, std::streamsize n) override
    {
        auto left = static_cast<size_t>(n);
        while (true) {
            const auto room = static_cast<size_t>(epptr() - pptr());
            const size_t take = std::min(left, room);
            std::memcpy(pptr(), s, take);
            pbump(static_cast<int>(take));
            s += take;
            left -= take;
            if (left == 0) {
                return n;
            }
            if (!flushBuffer(true)) {
                return n - static_cast<std::streamsize>(left);
            }
        }
    }

    int sync() override { return flushBuffer(false) ? 0 : -1; }

private:
    void resetPutArea() { setp(m_block.data.get(), m_block.data.get() + BufferSize); }

    // Passes the buffer's bytes on: to the writing thread, which a full buffer starts, or
    // straight to the file while there is none (a small file never has one).
    bool flushBuffer(bool full)
    {
        if (m_error != 0 || m_fd < 0) {
            if (m_error == 0) {
                setError(EBADF);
            }
            return false;
        }
        m_block.size = static_cast<size_t>(pptr() - pbase());
        if (m_writer == nullptr && full) {
            try {
                m_writer = std::make_unique<BackgroundWriter>(m_fd);
            } catch (const std::system_error&) {
                // No thread to be had: the file is written here.
            }
        }
        if (m_writer != nullptr) {
            if (const int error = m_writer->error(); error != 0) {
                setError(error);
                return false;
            }
            m_block = m_writer->hand(std::move(m_block));
        } else if (const int error = writeAll(m_fd, m_block.data.get(), m_block.size); error != 0) {
            setError(error);
            resetPutArea();
            return false;
        }
        resetPutArea();
        return true;
    }

    void setError(int error)
    {
        if (m_error == 0 && m_reason.empty()) {
            m_error = error;
        }
    }

    Status fail(int error)
    {
        setError(error);
        const Status failed = status();
        discard();
        return failed;
    }

    Status failWith(const std::string& reason)
    {
        if (m_error == 0 && m_reason.empty()) {
            m_reason = reason;
        }
        const Status failed = status();
        discard();
        return failed;
    }

    void closeFolder()
    {
        if (m_folderFd >= 0) {
            ::close(m_folderFd);
            m_folderFd = -1;
        }
    }

    std::ostream m_stream;
    Block m_block;  // the put area
    std::unique_ptr<BackgroundWriter> m_writer;
    std::string m_path;  // as the caller named it, for messages
    std::string m_resolved;
    std::string m_name;  // the target's name in its real folder
    std::string m_temporary;  // the temporary's name there; empty when there is none
    FileRole m_role = FileRole::Export;
    int m_folderFd = -1;
    int m_fd = -1;
    int m_error = 0;  // the first errno that failed the file
    std::string m_reason;  // or the first failure that has no errno
    bool m_existed = false;
    mode_t m_oldMode = 0;
    uid_t m_oldOwner = 0;
    gid_t m_oldGroup = 0;
};

AtomicFile::AtomicFile()
    : m_impl(std::make_unique<Impl>())
{
}

AtomicFile::~AtomicFile() = default;

Status AtomicFile::open(const std::string& path, FileRole role)
{
    return m_impl->open(path, role);
}

Status AtomicFile::write(std::string_view bytes)
{
    return m_impl->write(bytes);
}

std::ostream& AtomicFile::stream()
{
    return m_impl->stream();
}

Status AtomicFile::commit()
{
    return m_impl->commit();
}

void AtomicFile::discard()
{
    m_impl->discard();
}

Status AtomicFile::status() const
{
    return m_impl->status();
}

const std::string& AtomicFile::resolvedPath() const
{
    return m_impl->resolvedPath();
}

Status writeFileAtomically(const std::string& path, const std::function<Status(std::ostream&)>& write, FileRole role)
{
    AtomicFile file;
    if (Status opened = file.open(path, role); !opened.ok()) {
        return opened;
    }
    const Status written = write(file.stream());
    if (!written.ok()) {
        const Status own = file.status();
        file.discard();
        return own.ok() ? written : own;
    }
    return file.commit();
}

size_t removeStaleTemporaries(const std::string& path)
{
    std::string folder, name;
    if (resolveFilePath(path, folder, name) != 0) {
        return 0;
    }
    const int folderFd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (folderFd < 0) {
        return 0;
    }
    const size_t removed = removeStaleIn(folderFd, name);
    ::close(folderFd);
    return removed;
}

}  // namespace brindlex
