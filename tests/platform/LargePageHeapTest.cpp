#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>

#include <gtest/gtest.h>

namespace {

// Runs the probe with `environment` (arguments of env(1)) and returns what it printed.
std::string probe(const std::string& environment)
{
    const std::string command = "env " + environment + " " + BRINDLEX_LARGEPAGEPROBE;
    std::string out;
    if (FILE* pipe = popen(command.c_str(), "r")) {
        char buffer[256];
        while (std::fgets(buffer, sizeof buffer, pipe))
            out += buffer;
        pclose(pipe);
    }
    return out;
}

class LargePageHeapTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
        GTEST_SKIP() << "the sanitizer's allocator replaces glibc's, so the program is not started again";
#endif
        std::ifstream setting("/sys/kernel/mm/transparent_hugepage/enabled");
        std::string text;
        if (!std::getline(setting, text) || text.find("[never]") != std::string::npos)
            GTEST_SKIP() << "this system gives no transparent huge pages";
    }
};

TEST_F(LargePageHeapTest, HeapOnHugePagesAndTheEnvironmentAsGiven)
{
    EXPECT_EQ(probe("-u GLIBC_TUNABLES"), "heap-huge=yes\nthread-heap-huge=yes\ntunables=<unset>\nmarker=no\n");
    // Other tunables are kept, and come back exactly as they were given.
    EXPECT_EQ(probe("GLIBC_TUNABLES=glibc.malloc.tcache_count=0"),
        "heap-huge=yes\nthread-heap-huge=yes\ntunables=glibc.malloc.tcache_count=0\nmarker=no\n");
    EXPECT_EQ(probe("GLIBC_TUNABLES="), "heap-huge=yes\nthread-heap-huge=yes\ntunables=\nmarker=no\n");
}

TEST_F(LargePageHeapTest, AHugeTlbChoiceOfTheUserStands)
{
    EXPECT_EQ(probe("GLIBC_TUNABLES=glibc.malloc.hugetlb=0"),
        "heap-huge=no\nthread-heap-huge=no\ntunables=glibc.malloc.hugetlb=0\nmarker=no\n");
}

TEST_F(LargePageHeapTest, StartedThroughTheDynamicLoaderItRunsAsItIs)
{
    const char* loader = "/lib64/ld-linux-x86-64.so.2";
    if (!std::filesystem::exists(loader))
        GTEST_SKIP() << "no x86-64 dynamic loader at " << loader;
    EXPECT_EQ(probe(std::string("-u GLIBC_TUNABLES ") + loader),
        "heap-huge=no\nthread-heap-huge=no\ntunables=<unset>\nmarker=no\n");
}

}  // namespace
