#include "platform/LargePageHeap.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <malloc.h>
#include <string>
#include <sys/auxv.h>
#include <unistd.h>

namespace brindlex {

namespace {

constexpr const char* TunablesVariable = "GLIBC_TUNABLES";
constexpr const char* HugeTlbTunable = "glibc.malloc.hugetlb=";
// Set for the program started again: GLIBC_TUNABLES as it was, after "=" when it was set,
// empty when it was not.
constexpr const char* RestartVariable = "BRINDLEX_RESTARTED_TUNABLES";
// How much more than it needs a heap takes from the system each time it grows. A thread's
// heap in glibc is at most 64 MiB; it is given huge pages only for the part it takes when it
// is made, and grows after that a few pages at a time in small pages (a fault and a
// protection change each). A pad of the whole 64 MiB makes every thread heap full-sized, in
// huge pages, at once: loading a million entries in two threads then takes about 2,000 page
// faults instead of 32,000.
constexpr int HeapGrowthPad = 64 << 20;

bool hugePagesOffered(const std::filesystem::path& sys)
{
    std::ifstream setting(sys / "kernel/mm/transparent_hugepage/enabled");
    std::string text;
    if (!std::getline(setting, text))
        return false;
    return text.find("[never]") == std::string::npos;
}

void restoreTunables(const char* saved)
{
    if (saved[0] == '=')
        setenv(TunablesVariable, saved + 1, 1);
    else
        unsetenv(TunablesVariable);
    unsetenv(RestartVariable);
}

}  // namespace

bool freePagesGoBackToHost(const std::filesystem::path& sys)
{
    // A virtio memory balloon offering VIRTIO_BALLOON_F_REPORTING (feature bit 5). Its
    // "features" file holds one '0' or '1' per feature bit, bit 0 first.
    constexpr std::size_t ReportingBit = 5;
    std::error_code error;
    std::filesystem::directory_iterator devices(sys / "bus/virtio/drivers/virtio_balloon", error);
    for (; !error && devices != std::filesystem::directory_iterator(); devices.increment(error)) {
        if (devices->path().filename().string().rfind("virtio", 0) != 0)
            continue;
        std::ifstream file(devices->path() / "features");
        std::string features;
        if (std::getline(file, features) && features.size() > ReportingBit && features[ReportingBit] == '1')
            return true;
    }
    return false;
}

void restartWithLargePageHeap(char** argv, const char* sys)
{
#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
    (void)argv;
    (void)sys;
    return;
#else
    // A heap that grows by 64 MiB at a time asks the system for memory a few dozen times
    // while a large model is built, not thousands of times; memory it never touches costs
    // nothing. A thread's own heap grows the same way.
    mallopt(M_TOP_PAD, HeapGrowthPad);
    if (const char* saved = std::getenv(RestartVariable)) {
        // This is the program started again: glibc has read the tunable.
        const std::string kept = saved;
        restoreTunables(kept.c_str());
        return;
    }
    // Started by naming the dynamic loader (ld.so PROGRAM ...): /proc/self/exe is the
    // loader, which the arguments main sees would not start again. The loader of a program
    // started as usual sits at AT_BASE; one started as the program itself has none.
    if (getauxval(AT_BASE) == 0)
        return;
    const char* tunables = std::getenv(TunablesVariable);
    const std::string given = tunables ? tunables : "";
    if (given.find(HugeTlbTunable) != std::string::npos || !hugePagesOffered(sys) || freePagesGoBackToHost(sys))
        return;
    const std::string saved = tunables ? "=" + given : std::string();
    const std::string wanted = given.empty() ? std::string(HugeTlbTunable) + "1" : given + ":" + HugeTlbTunable + "1";
    if (setenv(RestartVariable, saved.c_str(), 1) != 0 || setenv(TunablesVariable, wanted.c_str(), 1) != 0) {
        restoreTunables(saved.c_str());
        return;
    }
    execv("/proc/self/exe", argv);
    restoreTunables(saved.c_str());
#endif
}

}  // namespace brindlex
