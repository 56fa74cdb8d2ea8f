#include <gtest/gtest.h>

#include <filesystem>
#include <sys/stat.h>

#include "fakes/TempFolder.h"
#include "store/FileAccess.h"

namespace brindlex {
namespace {

using test::TempFolder;

std::string reason(const Status& status)
{
    return status.ok() ? "ok" : status.error().message;
}

TEST(FileAccessTest, OnlyRegularFilesAreOpened)
{
    TempFolder dir;
    const std::string fifo = dir / "fifo";
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    // A FIFO with no writer used to block the open for ever; /dev/zero to read until memory ran out.
    for (const std::string& path : { fifo, std::string("/dev/zero"), dir.path().string() }) {
        InputFile in;
        EXPECT_EQ(reason(in.open(path)), "not a regular file") << path;
        EXPECT_TRUE(in.bad());
        EXPECT_EQ(reason(readRegularFile(path).status()), "not a regular file") << path;
    }
    EXPECT_EQ(reason(readRegularFile(dir / "missing").status()), "No such file or directory");
}

TEST(FileAccessTest, InputFileReadsSeeksAndKnowsItsSize)
{
    TempFolder dir;
    std::string bytes;
    for (int i = 0; i < 30000; ++i) {
        bytes += std::to_string(i) + "\n";
    }
    const std::string path = dir.write("lines", bytes);
    InputFile in;
    ASSERT_TRUE(in.open(path).ok());
    EXPECT_EQ(in.size(), bytes.size());
    std::string first;
    std::getline(in, first);
    EXPECT_EQ(first, "0");
    EXPECT_EQ(in.tellg(), 2);
    char big[100000];
    in.read(big, sizeof big);  // larger than the buffer
    EXPECT_EQ(std::string(big, sizeof big), bytes.substr(2, sizeof big));
    in.seekg(0, std::ios::end);
    EXPECT_EQ(static_cast<size_t>(in.tellg()), bytes.size());
    in.seekg(5);
    std::string rest((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    EXPECT_EQ(rest, bytes.substr(5));
    EXPECT_FALSE(in.bad());
    EXPECT_EQ(readRegularFile(path).value(), bytes);
    EXPECT_EQ(readRegularFile(dir.write("empty", "")).value(), "");
}

}  // namespace
}  // namespace brindlex
