// Starts as bdxtool and the program do (with sysfs taken from the folder named by its
// argument, when it has one), fills the heap with small blocks as a model does,
// and prints what LargePageHeapTest checks: whether the heap was backed by huge pages on
// request, whether a thread's heap was too all through (past the part it took when it was
// made), GLIBC_TUNABLES as the program sees it, and whether the restart left its mark.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <memory>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "platform/LargePageHeap.h"

namespace {

// Whether the mapping holding `address` was given MADV_HUGEPAGE (VmFlags "hg").
bool hugeAt(const void* address)
{
    const auto at = reinterpret_cast<std::uintptr_t>(address);
    bool inside = false;
    std::ifstream maps("/proc/self/smaps");
    for (std::string line; std::getline(maps, line);) {
        std::uintptr_t start = 0;
        std::uintptr_t end = 0;
        char dash = 0;
        std::istringstream range(line);
        if (range >> std::hex >> start >> dash >> end && dash == '-')
            inside = start <= at && at < end;
        else if (inside && line.rfind("VmFlags:", 0) == 0)
            return line.find(" hg") != std::string::npos;
    }
    return false;
}

void fill(std::vector<std::unique_ptr<char[]>>& blocks, int count)
{
    for (int i = 0; i < count; ++i) {
        blocks.emplace_back(new char[64]);
        blocks.back()[0] = static_cast<char>(i);
    }
}

}  // namespace

int main(int argc, char** argv)
{
    brindlex::restartWithLargePageHeap(argv, argc > 1 ? argv[1] : "/sys");
    std::vector<std::unique_ptr<char[]>> blocks;
    fill(blocks, 200000);
    // VmFlags "hg": the area was given MADV_HUGEPAGE.
    bool inHeap = false;
    bool huge = false;
    std::ifstream maps("/proc/self/smaps");
    for (std::string line; std::getline(maps, line);) {
        if (line.find(" [heap]") != std::string::npos)
            inHeap = true;
        else if (inHeap && line.rfind("VmFlags:", 0) == 0) {
            huge = huge || line.find(" hg") != std::string::npos;
            inHeap = false;
        }
    }
    // About 48 MiB of small blocks in a thread: within the 64 MiB a thread heap can hold, and
    // well past the part of it that a smaller pad would have made at first.
    bool threadHuge = false;
    std::thread([&threadHuge] {
        std::vector<std::unique_ptr<char[]>> threadBlocks;
        fill(threadBlocks, 600000);
        threadHuge = hugeAt(threadBlocks.back().get());
    }).join();
    const char* tunables = std::getenv("GLIBC_TUNABLES");
    std::printf("heap-huge=%s\n", huge ? "yes" : "no");
    std::printf("thread-heap-huge=%s\n", threadHuge ? "yes" : "no");
    std::printf("tunables=%s\n", tunables ? tunables : "<unset>");
    std::printf("marker=%s\n", std::getenv("BRINDLEX_RESTARTED_TUNABLES") ? "yes" : "no");
    return 0;
}
