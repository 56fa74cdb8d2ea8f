#pragma once
#include <cstddef>
#include <functional>
#include <iosfwd>
#include <memory>
#include <string>
#include <string_view>

#include "store/Result.h"

namespace brindlex {

// What a saved file is. A database that does not exist yet is made private to its user
// (0600) and its save removes the temporaries that earlier saves left behind; an export
// gets the mode the umask gives. A file that exists keeps its own mode and owner.
enum class FileRole { Database, Export };

// The bytes a temporary name adds to the target's name (".tmp~" and 12 random letters or
// digits). A name must leave room for them within the 255 bytes a file name may have.
inline constexpr size_t TemporarySuffixLength = 17;
inline constexpr size_t MaxFileNameBytes = 255;

// A file written beside its target and put in its place only when complete:
//
//     AtomicFile file;
//     Status s = file.open(path, FileRole::Database);
//     if (s.ok()) s = file.write(chunk);         // as often as needed, or through stream()
//     if (s.ok()) s = file.commit();
//
// open() follows a symbolic link to the file it names (so that file is updated and the
// link stays), refuses a target that is read-only or not a regular file, and creates the
// temporary with O_EXCL|O_NOFOLLOW under an unpredictable name in the target's real
// folder. commit() writes out the buffer, gives the temporary the old file's mode and
// owner, syncs it, renames it over the target and syncs the folder. Until commit()
// succeeds the target stays exactly as it was: a failed call, discard() or the object's
// end removes the temporary. Every error names the path and says why. Not thread-safe.
class AtomicFile
{
public:
    AtomicFile();
    ~AtomicFile();
    AtomicFile(const AtomicFile&) = delete;
    AtomicFile& operator=(const AtomicFile&) = delete;

    [[nodiscard]] Status open(const std::string& path, FileRole role);
    // Appends bytes through a 1 MiB buffer. Once a buffer is full a thread of the file's own
    // writes the buffers while the caller fills the next, so a failed write may be told by
    // a later call or by commit(). After a failure every later call fails the same way.
    [[nodiscard]] Status write(std::string_view bytes);
    // The same file as a stream, for writers that take one; it shares write()'s buffer.
    // A failed write sets the stream's badbit, and commit() reports why.
    std::ostream& stream();
    [[nodiscard]] Status commit();
    // Removes the temporary; the target stays as it was. Safe to call at any time.
    void discard();

    // The first failure so far (with its reason), or Ok.
    Status status() const;
    // The file a commit replaces: the target with its symbolic links resolved.
    const std::string& resolvedPath() const;

private:
    class Impl;
    std::unique_ptr<Impl> m_impl;
};

// Writes a file through `write` with an AtomicFile. When the writer fails because the
// file could not be written, the error is the file's own (with its reason) rather than
// the writer's.
[[nodiscard]] Status writeFileAtomically(
    const std::string& path, const std::function<Status(std::ostream&)>& write, FileRole role = FileRole::Export);

// Removes the temporaries of `path` that saves which never finished left behind (a kill, a
// power cut): files in the target's real folder named as AtomicFile names them (also the
// older "NAME.tmp~PID" form), regular, owned by this user and unchanged for a minute.
// Returns how many were removed. A database's commit() calls it.
size_t removeStaleTemporaries(const std::string& path);

}  // namespace brindlex
