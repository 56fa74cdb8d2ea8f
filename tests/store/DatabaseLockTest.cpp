#include <gtest/gtest.h>

#include <csignal>
#include <filesystem>
#include <thread>
#include <unistd.h>

#include "fakes/TempFolder.h"
#include "store/DatabaseLock.h"

namespace brindlex {
namespace {

using namespace std::chrono_literals;
using test::TempFolder;

std::string message(const Status& status)
{
    return status.ok() ? "ok" : status.error().message;
}

TEST(DatabaseLockTest, SecondHolderIsRefusedUntilTheFirstLetsGo)
{
    TempFolder dir;
    const std::string path = dir.write("db.bdx", "x");
    std::filesystem::create_symlink("db.bdx", dir.path() / "other-name.bdx");
    DatabaseLock first, second;
    ASSERT_TRUE(first.acquire(path).ok());
    EXPECT_TRUE(std::filesystem::exists(path + ".lock"));
    // Another name for the same file is the same database.
    EXPECT_EQ(
        message(second.acquire(dir / "other-name.bdx")), (dir / "other-name.bdx") + " is in use by another process");
    EXPECT_EQ(second.acquire(path).error().kind, ErrorKind::Refused);
    EXPECT_FALSE(second.held());
    first.release();
    EXPECT_FALSE(std::filesystem::exists(path + ".lock"));
    EXPECT_TRUE(second.acquire(path).ok());
    EXPECT_EQ(TempFolder::read(path), "x");
    EXPECT_EQ(message(first.acquire(dir / "gone/db.bdx")),
        "Cannot lock " + (dir / "gone/db.bdx") + ": No such file or directory");
}

TEST(DatabaseLockTest, WaiterGetsTheLockWhenItIsReleased)
{
    TempFolder dir;
    const std::string path = dir / "new.bdx";  // not made yet
    DatabaseLock holder;
    ASSERT_TRUE(holder.acquire(path).ok());
    std::thread releaser([&] {
        std::this_thread::sleep_for(200ms);
        holder.release();
    });
    DatabaseLock waiter;
    const Status got = waiter.acquire(path, 30s);
    releaser.join();
    EXPECT_EQ(message(got), "ok");
    EXPECT_FALSE(std::filesystem::exists(path));
}

TEST(DatabaseLockTest, LockOfAnotherProcessCountsAndEndsWithIt)
{
    TempFolder dir;
    const std::string path = dir.write("db.bdx", "x");
    int ready[2];
    ASSERT_EQ(::pipe(ready), 0);
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        DatabaseLock lock;
        if (lock.acquire(path).ok()) {
            (void)!::write(ready[1], "l", 1);
            ::pause();
        }
        ::_exit(1);
    }
    char c = 0;
    ASSERT_EQ(::read(ready[0], &c, 1), 1);
    DatabaseLock mine;
    EXPECT_EQ(message(mine.acquire(path, 100ms)), path + " is in use by another process");
    // A killed holder leaves its lock file, but no lock on it.
    ::kill(child, SIGKILL);
    ::waitpid(child, nullptr, 0);
    EXPECT_TRUE(std::filesystem::exists(path + ".lock"));
    EXPECT_TRUE(mine.acquire(path).ok());
}

}  // namespace
}  // namespace brindlex
