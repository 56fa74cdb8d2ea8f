#pragma once
#include <filesystem>

namespace brindlex {

// Whether the system hands the memory it frees back to the machine it runs on: a virtual
// machine whose memory balloon reports free pages to the host (`sys` is where sysfs is
// mounted). Reported pages are taken away by the host and handed out last by the guest,
// but a huge page needs a whole free 2 MiB block, and those are nearly all reported ones,
// which the host must supply again when they are touched. On such a guest, touching 540 MB
// of fresh memory took 0.2 s in small pages and 2.5 to 3.9 s in huge ones, and a million
// entries loaded in 0.5 s in small pages against 1.1 to 2.6 s in huge ones.
bool freePagesGoBackToHost(const std::filesystem::path& sys);

// Starts the program once more, at once, with glibc's malloc told to back its heap by
// transparent huge pages (the tunable glibc.malloc.hugetlb=1, which glibc reads only when
// a program starts). A model of a million entries is half a gigabyte of fresh heap: in
// 4 KiB pages that is well over 100,000 page faults, in 2 MiB pages a few hundred; where
// fresh memory is at hand the load then takes about half the time.
//
// Call it first thing in main, before any thread exists. The program started again gets
// the environment it was given: the tunable is taken out of GLIBC_TUNABLES once glibc has
// read it, so that browsers and other programs started from it run as they would have.
// Returns without starting again when the tunable is set already, when the system gives
// no huge pages (transparent huge pages "never" or absent) or they do not pay
// (freePagesGoBackToHost), in a sanitizer build (whose allocator is not glibc's), when
// the program was started through the dynamic loader by name, or when the program cannot
// be started again; the program then runs as it is. Either way (but for a sanitizer
// build) the heap is set to grow in large steps. `sys` is where sysfs is mounted.
void restartWithLargePageHeap(char** argv, const char* sys = "/sys");

}  // namespace brindlex
