#include <gtest/gtest.h>

#include <atomic>
#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <ostream>
#include <sched.h>
#include <sys/mount.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <unistd.h>

#include "fakes/ChildProcess.h"
#include "fakes/FakePlatform.h"
#include "fakes/TempFolder.h"
#include "store/AtomicFile.h"
#include "store/DatabaseFile.h"
#include "store/LinkStore.h"

// A save puts its temporary in the target's place with renameat(). While this holds an
// errno, the definition below, which the test program's link takes before the C
// library's, fails every such call with it; otherwise it renames through the kernel.
static std::atomic<int> failingRename { 0 };

extern "C" int renameat(int oldFolder, const char* oldName, int newFolder, const char* newName) noexcept
{
    if (const int error = failingRename.load()) {
        errno = error;
        return -1;
    }
    return static_cast<int>(::syscall(SYS_renameat2, oldFolder, oldName, newFolder, newName, 0));
}

namespace brindlex {
namespace {

namespace fs = std::filesystem;
using test::TempFolder;

Status save(const std::string& path, const std::string& bytes, FileRole role = FileRole::Database)
{
    AtomicFile file;
    Status s = file.open(path, role);
    if (s.ok()) {
        s = file.write(bytes);
    }
    return s.ok() ? file.commit() : s;
}

std::string message(const Status& status)
{
    return status.ok() ? "ok" : status.error().message;
}

// The names of temporaries of `name` in the folder.
std::set<std::string> temporaries(const TempFolder& dir, const std::string& name)
{
    std::set<std::string> out;
    for (const std::string& entry : dir.names()) {
        if (entry.rfind(name + ".tmp~", 0) == 0) {
            out.insert(entry);
        }
    }
    return out;
}

class AtomicFileTest : public ::testing::Test
{
protected:
    TempFolder dir;
};

TEST_F(AtomicFileTest, ChunksAndStreamWritesArriveInOrderOnlyAtCommit)
{
    const std::string path = dir.write("db.bdx", "old");
    AtomicFile file;
    ASSERT_TRUE(file.open(path, FileRole::Database).ok());
    const std::string big(200000, 'x');  // larger than the buffer: goes straight through
    ASSERT_TRUE(file.write("a").ok());
    file.stream() << "b" << 12;
    ASSERT_TRUE(file.write(big).ok());
    file.stream() << "c";
    ASSERT_TRUE(file.write("d").ok());
    EXPECT_EQ(TempFolder::read(path), "old");  // nothing shows before the commit
    EXPECT_EQ(temporaries(dir, "db.bdx").size(), 1u);
    ASSERT_TRUE(file.commit().ok());
    EXPECT_EQ(TempFolder::read(path), "ab12" + big + "cd");
    EXPECT_EQ(dir.names(), std::set<std::string> { "db.bdx" });
}

// A file of many buffers is written by the file's own thread while the caller goes on: the
// bytes still arrive whole and in order, through both ways in, and a file given up half
// way leaves nothing behind.
TEST_F(AtomicFileTest, ManyBuffersArriveInOrderAndAGivenUpFileLeavesNothing)
{
    std::string expected;
    uint32_t seed = 1;
    const auto chunk = [&] {
        seed = seed * 1103515245 + 12345;
        const size_t size = (seed >> 8) % 300000;  // from nothing to a quarter of a buffer
        std::string bytes(size, '\0');
        for (size_t i = 0; i < size; ++i) {
            bytes[i] = static_cast<char>('a' + (i * 7 + seed) % 26);
        }
        return bytes;
    };
    const std::string path = dir.write("db.bdx", "old");
    AtomicFile file;
    ASSERT_TRUE(file.open(path, FileRole::Database).ok());
    for (int i = 0; expected.size() < (size_t { 12 } << 20); ++i) {
        const std::string bytes = chunk();
        if (i % 3 == 0) {
            file.stream() << bytes;
        } else {
            ASSERT_TRUE(file.write(bytes).ok());
        }
        expected += bytes;
    }
    ASSERT_TRUE(file.write(std::string(3 << 20, 'z')).ok());  // several buffers in one call
    expected += std::string(3 << 20, 'z');
    EXPECT_EQ(TempFolder::read(path), "old");
    ASSERT_TRUE(file.commit().ok());
    EXPECT_TRUE(TempFolder::read(path) == expected);
    EXPECT_EQ(dir.names(), std::set<std::string> { "db.bdx" });

    for (const bool byDiscard : { true, false }) {
        AtomicFile dropped;
        ASSERT_TRUE(dropped.open(path, FileRole::Database).ok());
        ASSERT_TRUE(dropped.write(std::string(5 << 20, 'x')).ok());
        if (byDiscard) {
            dropped.discard();
            EXPECT_FALSE(dropped.commit().ok());
        }
        // or the object's end, without a commit
    }
    EXPECT_TRUE(TempFolder::read(path) == expected);
    EXPECT_EQ(dir.names(), std::set<std::string> { "db.bdx" });
}

TEST_F(AtomicFileTest, ModesOfNewAndExistingFiles)
{
    const mode_t previous = ::umask(022);
    ASSERT_TRUE(save(dir / "new.bdx", "x", FileRole::Database).ok());
    ASSERT_TRUE(save(dir / "new.htm", "x", FileRole::Export).ok());
    const std::string kept = dir.write("kept.bdx", "old");
    ::chmod(kept.c_str(), 0640);
    ASSERT_TRUE(save(kept, "new", FileRole::Export).ok());
    const std::string privateDb = dir.write("private.bdx", "old");
    ::chmod(privateDb.c_str(), 0600);
    ASSERT_TRUE(save(privateDb, "new", FileRole::Database).ok());
    ::umask(previous);

    EXPECT_EQ(TempFolder::mode(dir / "new.bdx"), 0600u);
    EXPECT_EQ(TempFolder::mode(dir / "new.htm"), 0644u);
    EXPECT_EQ(TempFolder::mode(kept), 0640u);  // used to come back 0644
    EXPECT_EQ(TempFolder::mode(privateDb), 0600u);
    EXPECT_EQ(TempFolder::read(kept), "new");
}

TEST_F(AtomicFileTest, SymbolicLinkedTargetIsUpdatedAndTheLinkStays)
{
    fs::create_directories(dir.path() / "real");
    const std::string real = dir.write("real/db.bdx", "old");
    fs::create_symlink("real/db.bdx", dir.path() / "link.bdx");  // relative
    fs::create_symlink(dir.path() / "link.bdx", dir.path() / "chain.bdx");  // absolute, to a link

    AtomicFile file;
    ASSERT_TRUE(file.open(dir / "chain.bdx", FileRole::Database).ok());
    EXPECT_EQ(file.resolvedPath(), fs::canonical(real).string());
    ASSERT_TRUE(file.write("new").ok());
    ASSERT_TRUE(file.commit().ok());

    EXPECT_TRUE(fs::is_symlink(dir.path() / "link.bdx"));
    EXPECT_TRUE(fs::is_symlink(dir.path() / "chain.bdx"));
    EXPECT_EQ(TempFolder::read(real), "new");
    // A link to a file that does not exist yet makes that file.
    fs::create_symlink("real/later.bdx", dir.path() / "dangling.bdx");
    ASSERT_TRUE(save(dir / "dangling.bdx", "made").ok());
    EXPECT_TRUE(fs::is_symlink(dir.path() / "dangling.bdx"));
    EXPECT_EQ(TempFolder::read(dir / "real/later.bdx"), "made");
    EXPECT_EQ(dir.names(), (std::set<std::string> { "chain.bdx", "dangling.bdx", "link.bdx", "real" }));
}

TEST_F(AtomicFileTest, PlantedLinkAtTheOldTemporaryNameIsNeverFollowed)
{
    // The temporary used to be "NAME.tmp~PID", opened without O_EXCL: a link planted
    // there made the save overwrite the file it pointed to.
    const std::string victim = dir.write("victim", "precious");
    const std::string path = dir.write("db.bdx", "old");
    fs::create_symlink(victim, path + ".tmp~" + std::to_string(::getpid()));
    ASSERT_TRUE(save(path, "new").ok());
    EXPECT_EQ(TempFolder::read(victim), "precious");
    EXPECT_EQ(TempFolder::read(path), "new");
    EXPECT_TRUE(fs::is_regular_file(fs::symlink_status(path)));

    // Names are not guessable: two temporaries open at once differ, in the NAME.tmp~ form.
    AtomicFile a, b;
    ASSERT_TRUE(a.open(path, FileRole::Database).ok());
    ASSERT_TRUE(b.open(path, FileRole::Database).ok());
    std::set<std::string> open = temporaries(dir, "db.bdx");
    open.erase("db.bdx.tmp~" + std::to_string(::getpid()));
    ASSERT_EQ(open.size(), 2u);
    for (const std::string& name : open) {
        EXPECT_EQ(name.size(), std::string("db.bdx").size() + TemporarySuffixLength) << name;
    }
}

TEST_F(AtomicFileTest, TargetsThatMustNotBeReplacedAreRefused)
{
    const std::string readOnly = dir.write("readonly.bdx", "keep");
    ::chmod(readOnly.c_str(), 0444);
    EXPECT_EQ(message(save(readOnly, "new")), "Cannot write " + readOnly + ": the file is read-only");
    EXPECT_EQ(TempFolder::read(readOnly), "keep");
    EXPECT_EQ(TempFolder::mode(readOnly), 0444u);

    fs::create_directory(dir.path() / "folder.bdx");
    EXPECT_EQ(
        message(save(dir / "folder.bdx", "new")), "Cannot write " + (dir / "folder.bdx") + ": not a regular file");
    const std::string fifo = dir / "fifo.bdx";
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    EXPECT_EQ(message(save(fifo, "new")), "Cannot write " + fifo + ": not a regular file");
    const std::string missing = dir / "gone/db.bdx";
    EXPECT_EQ(message(save(missing, "new")), "Cannot write " + missing + ": No such file or directory");
    fs::create_symlink("loop2", dir.path() / "loop1");
    fs::create_symlink("loop1", dir.path() / "loop2");
    EXPECT_EQ(
        message(save(dir / "loop1", "new")), "Cannot write " + (dir / "loop1") + ": Too many levels of symbolic links");
    EXPECT_EQ(temporaries(dir, "readonly.bdx").size() + temporaries(dir, "folder.bdx").size()
            + temporaries(dir, "fifo.bdx").size(),
        0u);
}

TEST_F(AtomicFileTest, FailingWriterLeavesTheOldFileAndNoTemporary)
{
    const std::string path = dir.write("db.htm", "old");
    const Status failed = writeFileAtomically(path, [](std::ostream& out) -> Status {
        out << "half";
        return Error { ErrorKind::Format, "the writer gave up" };
    });
    EXPECT_EQ(message(failed), "the writer gave up");
    EXPECT_EQ(TempFolder::read(path), "old");
    EXPECT_EQ(dir.names(), std::set<std::string> { "db.htm" });
}

TEST_F(AtomicFileTest, FailedRenameOverTheDatabaseKeepsItsBytesAndRemovesTheTemporary)
{
    test::FakeWorld world;
    LinkStore store { world.clock };
    store.NewDatabase(dir.path().string());
    const std::string path = dir / "db.bdx";
    store.SetDatabasePath(path);
    store.CreateEntry(false, "http://old.example/", 5, "Old", "HTTP", "");
    ASSERT_TRUE(SaveDatabase(store).ok());
    const std::string before = TempFolder::read(path);

    store.CreateEntry(false, "http://new.example/", 5, "New", "HTTP", "");
    for (const int error : { EIO, EBUSY }) {
        failingRename = error;
        const Status saved = SaveDatabase(store);
        failingRename = 0;
        EXPECT_EQ(message(saved), "Cannot write " + path + ": " + std::strerror(error));
        EXPECT_EQ(TempFolder::read(path), before);
        EXPECT_EQ(dir.names(), std::set<std::string> { "db.bdx" });
    }
    // The rename works again: the next save puts the new entry in.
    ASSERT_TRUE(SaveDatabase(store).ok());
    EXPECT_NE(TempFolder::read(path).find("http://new.example/"), std::string::npos);
    EXPECT_EQ(dir.names(), std::set<std::string> { "db.bdx" });
}

// Fills a small file system: a tmpfs in a private mount namespace when the test may
// mount one, else a file size limit, which fails write() in the same place. The small
// file fails in the caller's own write, the large one in the file's writing thread.
TEST_F(AtomicFileTest, FullFileSystemLeavesTheOldFileAndSaysWhy)
{
    for (const size_t room : { size_t { 64 } << 10, size_t { 3 } << 20 }) {
        SCOPED_TRACE(room);
        const std::string answer = test::runInChild([&]() -> std::string {
            std::string reason = "No space left on device";
            const std::string size = "size=" + std::to_string(room);
            const bool mounted = ::unshare(CLONE_NEWNS) == 0
                && ::mount("none", "/", nullptr, MS_REC | MS_PRIVATE, nullptr) == 0
                && ::mount("tmpfs", dir.path().c_str(), "tmpfs", 0, size.c_str()) == 0;
            const std::string path = dir.write("db.bdx", std::string(20000, 'o'));
            if (!mounted) {
                std::signal(SIGXFSZ, SIG_IGN);
                const rlimit limit { room * 5 / 8, room * 5 / 8 };
                ::setrlimit(RLIMIT_FSIZE, &limit);
                reason = "File too large";
            }
            const Status full = save(path, std::string(room * 3 / 2, 'n'));
            std::string out = mounted ? "tmpfs|" : "rlimit|";
            out += full.ok()                                                     ? "saved"
                : full.error().message == "Cannot write " + path + ": " + reason ? "told"
                                                                                 : full.error().message;
            out += TempFolder::read(path) == std::string(20000, 'o') ? "|kept" : "|changed";
            out += temporaries(dir, "db.bdx").empty() ? "|clean" : "|left";
            return out;
        });
        std::cout << "full file system injected by " << answer.substr(0, answer.find('|')) << "\n";
        EXPECT_EQ(answer.substr(answer.find('|') + 1), "told|kept|clean");
    }
}

TEST_F(AtomicFileTest, KilledSaveLeavesTheOldFileAndTheNextSaveRemovesItsTemporary)
{
    const std::string path = dir.write("db.bdx", "old");
    int ready[2];
    ASSERT_EQ(::pipe(ready), 0);
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        AtomicFile file;
        if (file.open(path, FileRole::Database).ok() && file.write(std::string(100000, 'h')).ok()) {
            (void)!::write(ready[1], "w", 1);
            ::pause();
        }
        ::_exit(1);
    }
    char c = 0;
    ASSERT_EQ(::read(ready[0], &c, 1), 1);
    ::kill(child, SIGKILL);
    ::waitpid(child, nullptr, 0);
    EXPECT_EQ(TempFolder::read(path), "old");
    const std::set<std::string> left = temporaries(dir, "db.bdx");
    ASSERT_EQ(left.size(), 1u);

    // Only a minute-old temporary of this name goes: a fresh one may be another save
    // still at work, and other names are not ours.
    const std::string stale = dir / *left.begin();
    const std::string older = dir.write("db.bdx.tmp~4242", "from the old program");
    const std::string fresh = dir.write("db.bdx.tmp~Fresh0000000", "a save at work");
    const std::string other = dir.write("other.bdx.tmp~abcdefabcdef", "another database");
    const std::string unlike = dir.write("db.bdx.tmp~not-ours", "another pattern");
    const timespec past[2] = { { 0, UTIME_OMIT }, { ::time(nullptr) - 120, 0 } };
    for (const std::string& file : { stale, older, other, unlike }) {
        ::utimensat(AT_FDCWD, file.c_str(), past, 0);
    }
    ASSERT_TRUE(save(path, "new").ok());
    EXPECT_EQ(TempFolder::read(path), "new");
    EXPECT_EQ(dir.names(),
        (std::set<std::string> {
            "db.bdx", "db.bdx.tmp~Fresh0000000", "db.bdx.tmp~not-ours", "other.bdx.tmp~abcdefabcdef" }));

    // An export leaves temporaries alone; so does a save when the stale one is not the user's.
    ::utimensat(AT_FDCWD, fresh.c_str(), past, 0);
    ASSERT_TRUE(save(path, "export", FileRole::Export).ok());
    EXPECT_TRUE(fs::exists(fresh));
    if (::geteuid() == 0) {
        ASSERT_EQ(::chown(fresh.c_str(), 4321, 4321), 0);
        ASSERT_TRUE(save(path, "newer").ok());
        EXPECT_TRUE(fs::exists(fresh));
    }
}

}  // namespace
}  // namespace brindlex
