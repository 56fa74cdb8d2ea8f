#include "platform/LargePageHeap.h"

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>

#include <gtest/gtest.h>

#include "fakes/TempFolder.h"

namespace {

namespace fs = std::filesystem;

void write(const fs::path& file, const std::string& text)
{
    fs::create_directories(file.parent_path());
    std::ofstream(file) << text;
}

// A sysfs of its own, in `folder`/`name`: transparent huge pages on request, and (when
// `balloonFeatures` is not empty) a virtio memory balloon with those feature bits.
fs::path fakeSys(
    const brindlex::test::TempFolder& folder, const std::string& name, const std::string& balloonFeatures = "")
{
    const fs::path root = folder.path() / name;
    write(root / "kernel/mm/transparent_hugepage/enabled", "always [madvise] never\n");
    if (!balloonFeatures.empty())
        write(root / "bus/virtio/drivers/virtio_balloon/virtio0/features", balloonFeatures + "\n");
    return root;
}

// What a Firecracker guest's balloon offers: statistics, deflate on OOM, free page
// reporting (bit 5).
constexpr const char* ReportingBalloon = "0110010100000000000000000000000010000000";

// Runs the probe with `environment` (arguments of env(1)) and `sys` as its sysfs, and
// returns what it printed.
std::string probe(const std::string& environment, const fs::path& sys)
{
    const std::string command = "env " + environment + " " + BRINDLEX_LARGEPAGEPROBE + " '" + sys.string() + "'";
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
    brindlex::test::TempFolder folder_;
    fs::path sys_ = fakeSys(folder_, "sys");
};

TEST_F(LargePageHeapTest, HeapOnHugePagesAndTheEnvironmentAsGiven)
{
    EXPECT_EQ(probe("-u GLIBC_TUNABLES", sys_), "heap-huge=yes\nthread-heap-huge=yes\ntunables=<unset>\nmarker=no\n");
    // Other tunables are kept, and come back exactly as they were given.
    EXPECT_EQ(probe("GLIBC_TUNABLES=glibc.malloc.tcache_count=0", sys_),
        "heap-huge=yes\nthread-heap-huge=yes\ntunables=glibc.malloc.tcache_count=0\nmarker=no\n");
    EXPECT_EQ(probe("GLIBC_TUNABLES=", sys_), "heap-huge=yes\nthread-heap-huge=yes\ntunables=\nmarker=no\n");
}

TEST_F(LargePageHeapTest, AHugeTlbChoiceOfTheUserStands)
{
    EXPECT_EQ(probe("GLIBC_TUNABLES=glibc.malloc.hugetlb=0", sys_),
        "heap-huge=no\nthread-heap-huge=no\ntunables=glibc.malloc.hugetlb=0\nmarker=no\n");
    // Huge pages asked for stand even where the program would not take them itself.
    EXPECT_EQ(probe("GLIBC_TUNABLES=glibc.malloc.hugetlb=1", fakeSys(folder_, "reporting", ReportingBalloon)),
        "heap-huge=yes\nthread-heap-huge=yes\ntunables=glibc.malloc.hugetlb=1\nmarker=no\n");
}

TEST_F(LargePageHeapTest, NoHugePagesWhereFreeMemoryGoesBackToTheHost)
{
    EXPECT_EQ(probe("-u GLIBC_TUNABLES", fakeSys(folder_, "reporting", ReportingBalloon)),
        "heap-huge=no\nthread-heap-huge=no\ntunables=<unset>\nmarker=no\n");
    // A balloon that only inflates and deflates leaves the guest its free memory.
    EXPECT_EQ(probe("-u GLIBC_TUNABLES", fakeSys(folder_, "balloon", "0110000000000000")),
        "heap-huge=yes\nthread-heap-huge=yes\ntunables=<unset>\nmarker=no\n");
    // The real system: huge pages unless its free memory goes back to a host.
    const std::string expected = brindlex::freePagesGoBackToHost("/sys") ? "no" : "yes";
    EXPECT_EQ(probe("-u GLIBC_TUNABLES", "/sys"),
        "heap-huge=" + expected + "\nthread-heap-huge=" + expected + "\ntunables=<unset>\nmarker=no\n");
}

TEST(FreePagesGoBackToHostTest, ReadsTheBalloonsReportingBit)
{
    const brindlex::test::TempFolder folder;
    EXPECT_TRUE(brindlex::freePagesGoBackToHost(fakeSys(folder, "firecracker", ReportingBalloon)));
    EXPECT_TRUE(brindlex::freePagesGoBackToHost(fakeSys(folder, "only-bit", "000001")));
    EXPECT_FALSE(brindlex::freePagesGoBackToHost(fakeSys(folder, "all-but-bit", "11111011111")));
    // Too short to hold the bit, or no balloon at all.
    EXPECT_FALSE(brindlex::freePagesGoBackToHost(fakeSys(folder, "short", "11111")));
    EXPECT_FALSE(brindlex::freePagesGoBackToHost(fakeSys(folder, "none")));
    EXPECT_FALSE(brindlex::freePagesGoBackToHost(folder.path() / "missing"));
    // Only the balloon's devices count, not other entries of its driver folder.
    const fs::path other = fakeSys(folder, "other");
    write(other / "bus/virtio/drivers/virtio_balloon/module/features", ReportingBalloon);
    EXPECT_FALSE(brindlex::freePagesGoBackToHost(other));
}

}  // namespace
