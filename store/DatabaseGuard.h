#pragma once
#include <cstdint>
#include <memory>
#include <optional>
#include <string>

#include "store/Result.h"

namespace brindlex {

class DatabaseLock;

// What is known of a database file at one moment: enough to tell that another program
// wrote it since (its size and modification time, and a hash of its bytes for a change
// that keeps both).
struct FileFingerprint
{
    uint64_t size = 0;
    int64_t modifiedNs = 0;
    uint64_t hash = 0;
    bool operator==(const FileFingerprint&) const = default;
};

// The fingerprint of the file at `path` now; nothing when it cannot be read (missing,
// not a regular file).
std::optional<FileFingerprint> fingerprintFile(const std::string& path);

// What a window holds on the database it has open: the lock on it while it may write it,
// and the file as it was when last read or written here. A database another process has
// locked is open read-only: it is shown, but saved only under another name. Before a
// save, a file that changed on disk since is noticed, so that nothing is overwritten
// without the user saying so.
class DatabaseGuard
{
public:
    DatabaseGuard();
    ~DatabaseGuard();
    DatabaseGuard(const DatabaseGuard&) = delete;
    DatabaseGuard& operator=(const DatabaseGuard&) = delete;

    // The database at `path` is about to be read: takes its lock (at once, without
    // waiting) and notes the file as it is. Read-only when another process holds the lock.
    void opening(const std::string& path);
    // The database has no file (a new one, or a load that failed): nothing is held.
    void clear();
    // Takes the lock of `path` for a save there (Save As to another file, or again to a
    // read-only one); the lock held before is kept when it cannot be had. Refused: "PATH
    // is in use by another process".
    [[nodiscard]] Status claim(const std::string& path);
    // The database was written to `path`: the file as it is now is what this window knows.
    void saved(const std::string& path);

    // The file this guard is about; "" when none.
    const std::string& path() const { return m_path; }
    bool readOnly() const { return !m_path.empty() && !m_locked; }
    // True when `path` is this guard's file and it is no longer as it was last read or
    // written here (changed, replaced, or removed).
    bool changedOnDisk(const std::string& path) const;

private:
    std::unique_ptr<DatabaseLock> m_lock;
    std::string m_path;
    bool m_locked = false;
    std::optional<FileFingerprint> m_known;
};

}  // namespace brindlex
