#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include "TestBrowserProcess.h"
#include "platform/PosixProgramStarter.h"

namespace brindlex::test {
namespace {

namespace fs = std::filesystem;

TEST(PosixProgramStarter, PassesPathAndURLAsTheyStandWithoutAShell)
{
    EndpointFolder tmp;
    const std::string fifo = tmp.path() + "/argv";
    ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
    // Held open for reading and writing, so that reads wait for the recorder's message.
    const int fd = open(fifo.c_str(), O_RDWR | O_CLOEXEC);
    ASSERT_GE(fd, 0);
    ASSERT_EQ(setenv("BRINDLEX_ARGV_FIFO", fifo.c_str(), 1), 0);

    const std::string marker = tmp.path() + "/ran";
    const std::string odd = tmp.path() + "/my \"browser\"; $(touch " + marker + ")";
    fs::create_directories(odd);
    const std::string program = odd + "/-navigator 'x'";
    fs::copy_file(BRINDLEX_ARGVRECORDER, program);
    fs::permissions(program, fs::perms::owner_all);

    const std::string urls[] = {
        "http://example.org/a b c",
        "http://x/\"quoted\" 'single'",
        "http://x/; touch " + marker,
        "$(touch " + marker + ")",
        "`touch " + marker + "`",
        "-new-window",
        "",
    };
    PosixProgramStarter starter;
    for (const std::string& url : urls) {
        ASSERT_TRUE(starter.start(program, { url })) << url;
        const std::vector<std::string> argv = readMessage(fd, 10000);
        EXPECT_EQ(argv, (std::vector<std::string> { program, url }));
    }
    close(fd);
    unsetenv("BRINDLEX_ARGV_FIFO");
    EXPECT_FALSE(fs::exists(marker));
}

TEST(PosixProgramStarter, ReportsWhatCannotBeStarted)
{
    EndpointFolder tmp;
    const std::string plain = tmp.path() + "/notes.txt";
    std::ofstream(plain) << "not a program";
    PosixProgramStarter starter;
    EXPECT_FALSE(starter.start("", { "http://x/" }));
    EXPECT_FALSE(starter.start(tmp.path() + "/missing", { "http://x/" }));
    EXPECT_FALSE(starter.start(tmp.path(), { "http://x/" }));  // a folder
    EXPECT_FALSE(starter.start(plain, { "http://x/" }));  // no execute permission at all
    EXPECT_FALSE(starter.start("true", { "http://x/" }));  // no search of PATH
}

}  // namespace
}  // namespace brindlex::test
