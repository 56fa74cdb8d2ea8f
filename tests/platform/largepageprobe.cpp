// Starts as bdxtool and the program do, fills the heap with small blocks as a model does,
// and prints what LargePageHeapTest checks: whether the heap was backed by huge pages on
// request, GLIBC_TUNABLES as the program sees it, and whether the restart left its mark.
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "platform/LargePageHeap.h"

int main(int, char** argv)
{
    brindlex::restartWithLargePageHeap(argv);
    std::vector<std::unique_ptr<char[]>> blocks;
    for (int i = 0; i < 200000; ++i) {
        blocks.emplace_back(new char[64]);
        blocks.back()[0] = static_cast<char>(i);
    }
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
    const char* tunables = std::getenv("GLIBC_TUNABLES");
    std::printf("heap-huge=%s\n", huge ? "yes" : "no");
    std::printf("tunables=%s\n", tunables ? tunables : "<unset>");
    std::printf("marker=%s\n", std::getenv("BRINDLEX_RESTARTED_TUNABLES") ? "yes" : "no");
    return 0;
}
