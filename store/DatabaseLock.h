#pragma once
#include <chrono>
#include <string>

#include "store/Result.h"

namespace brindlex {

// The lock a process holds on a database while it has it open for writing, so that two
// processes never save over each other's changes. It is an advisory flock() on a lock
// file beside the database (its real file, symbolic links followed): "NAME.lock", removed
// again when the lock is released. Another process, or another DatabaseLock of this one,
// that asks for the same database is refused until then.
class DatabaseLock
{
public:
    DatabaseLock() = default;
    ~DatabaseLock();
    DatabaseLock(const DatabaseLock&) = delete;
    DatabaseLock& operator=(const DatabaseLock&) = delete;

    // Takes the lock on the database at `path` (which need not exist yet), trying again
    // for up to `wait`. Held by another: a Refused error "PATH is in use by another
    // process"; a lock file that cannot be made: an Io error with the reason. A lock
    // already held is released first.
    [[nodiscard]] Status acquire(const std::string& path, std::chrono::milliseconds wait = {});
    void release();
    bool held() const { return m_fd >= 0; }

private:
    int m_fd = -1;  // the locked lock file
    int m_folderFd = -1;  // the folder it is in
    std::string m_name;  // its name there
};

}  // namespace brindlex
