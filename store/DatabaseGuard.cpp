#include "store/DatabaseGuard.h"

#include <cerrno>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

#include "store/DatabaseLock.h"
#include "store/FileAccess.h"

namespace brindlex {

std::optional<FileFingerprint> fingerprintFile(const std::string& path)
{
    std::string reason;
    uint64_t size = 0;
    const int fd = openRegularFile(path, reason, size);
    if (fd < 0) {
        return std::nullopt;
    }
    FileFingerprint print;
    struct stat info = {};
    if (::fstat(fd, &info) != 0) {
        ::close(fd);
        return std::nullopt;
    }
    print.size = static_cast<uint64_t>(info.st_size);
    print.modifiedNs = static_cast<int64_t>(info.st_mtim.tv_sec) * 1000000000 + info.st_mtim.tv_nsec;
    // FNV-1a over every byte: cheap next to reading the file, and any rewrite that keeps
    // the size and the time still shows.
    uint64_t hash = 14695981039346656037ULL;
    std::vector<unsigned char> block(size_t { 1 } << 18);
    while (true) {
        const ssize_t got = ::read(fd, block.data(), block.size());
        if (got < 0 && errno == EINTR) {
            continue;
        }
        if (got < 0) {
            ::close(fd);
            return std::nullopt;
        }
        if (got == 0) {
            break;
        }
        for (ssize_t i = 0; i < got; ++i) {
            hash = (hash ^ block[static_cast<size_t>(i)]) * 1099511628211ULL;
        }
    }
    ::close(fd);
    print.hash = hash;
    return print;
}

DatabaseGuard::DatabaseGuard()
    : m_lock(std::make_unique<DatabaseLock>())
{
}

DatabaseGuard::~DatabaseGuard() = default;

void DatabaseGuard::opening(const std::string& path)
{
    clear();
    m_path = path;
    m_locked = m_lock->acquire(path).ok();
    m_known = fingerprintFile(path);
}

void DatabaseGuard::clear()
{
    m_lock->release();
    m_path.clear();
    m_locked = false;
    m_known.reset();
}

Status DatabaseGuard::claim(const std::string& path)
{
    if (path == m_path && m_locked) {
        return Status::Ok();
    }
    auto lock = std::make_unique<DatabaseLock>();
    if (Status taken = lock->acquire(path); !taken.ok()) {
        return taken;
    }
    m_lock = std::move(lock);
    m_locked = true;
    if (path != m_path) {
        m_path = path;
        m_known = fingerprintFile(path);
    }
    return Status::Ok();
}

void DatabaseGuard::saved(const std::string& path)
{
    if (path == m_path) {
        m_known = fingerprintFile(path);
    }
}

bool DatabaseGuard::changedOnDisk(const std::string& path) const
{
    if (path != m_path || !m_known) {
        return false;
    }
    // The size and time tell most changes without reading the file.
    struct stat info = {};
    if (::stat(path.c_str(), &info) != 0 || static_cast<uint64_t>(info.st_size) != m_known->size
        || static_cast<int64_t>(info.st_mtim.tv_sec) * 1000000000 + info.st_mtim.tv_nsec != m_known->modifiedNs) {
        return true;
    }
    const std::optional<FileFingerprint> now = fingerprintFile(path);
    return !now || !(*now == *m_known);
}

}  // namespace brindlex
