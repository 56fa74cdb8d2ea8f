#include "store/DatabaseLock.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>

#include "store/FileAccess.h"

namespace brindlex {

namespace {

constexpr auto RetryEvery = std::chrono::milliseconds(50);

Error lockError(const std::string& path, int error)
{
    return Error { ErrorKind::Io, "Cannot lock " + path + ": " + std::strerror(error) };
}

}  // namespace

DatabaseLock::~DatabaseLock()
{
    release();
}

Status DatabaseLock::acquire(const std::string& path, std::chrono::milliseconds wait)
{
    release();
    std::string folder, name;
    if (const int error = resolveFilePath(path, folder, name); error != 0) {
        return lockError(path, error);
    }
    m_folderFd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (m_folderFd < 0) {
        return lockError(path, errno);
    }
    m_name = name + ".lock";
    const auto deadline = std::chrono::steady_clock::now() + wait;
    while (true) {
        const int fd = ::openat(m_folderFd, m_name.c_str(), O_RDONLY | O_CREAT | O_NOFOLLOW | O_CLOEXEC, 0644);
        if (fd < 0) {
            const int error = errno;
            release();
            return lockError(path, error);
        }
        if (::flock(fd, LOCK_EX | LOCK_NB) == 0) {
            // The holder before may have removed the file between our open and our lock:
            // then the lock is on a file nobody else will look at, and we start again.
            struct stat locked, named;
            if (::fstat(fd, &locked) == 0 && ::fstatat(m_folderFd, m_name.c_str(), &named, AT_SYMLINK_NOFOLLOW) == 0
                && locked.st_dev == named.st_dev && locked.st_ino == named.st_ino) {
                m_fd = fd;
                return Status::Ok();
            }
            ::close(fd);
            continue;
        }
        const int error = errno;
        ::close(fd);
        if (error != EWOULDBLOCK && error != EINTR) {
            release();
            return lockError(path, error);
        }
        if (std::chrono::steady_clock::now() >= deadline) {
            release();
            return Error { ErrorKind::Refused, path + " is in use by another process" };
        }
        std::this_thread::sleep_for(RetryEvery);
    }
}

void DatabaseLock::release()
{
    if (m_fd >= 0) {
        // Removed while still locked, so that a process that opened it meanwhile sees,
        // once it has the lock, that the file is gone and makes a new one.
        ::unlinkat(m_folderFd, m_name.c_str(), 0);
        ::close(m_fd);
        m_fd = -1;
    }
    if (m_folderFd >= 0) {
        ::close(m_folderFd);
        m_folderFd = -1;
    }
}

}  // namespace brindlex
