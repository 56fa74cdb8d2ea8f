#pragma once

namespace brindlex {

// Starts the program once more, at once, with glibc's malloc told to back its heap by
// transparent huge pages (the tunable glibc.malloc.hugetlb=1, which glibc reads only when
// a program starts). A model of a million entries is half a gigabyte of fresh heap: in
// 4 KiB pages that is well over 100,000 page faults, which on a virtual machine take
// longer than building the model itself; in 2 MiB pages it is a few hundred.
//
// Call it first thing in main, before any thread exists. The program started again gets
// the environment it was given: the tunable is taken out of GLIBC_TUNABLES once glibc has
// read it, so that browsers and other programs started from it run as they would have.
// Returns without starting again when the tunable is set already, when the system gives
// no huge pages (transparent huge pages "never" or absent), in a sanitizer build (whose
// allocator is not glibc's), when the program was started through the dynamic loader by
// name, or when the program cannot be started again; the program then runs as it is.
// Either way (but for a sanitizer build) the heap is set to grow in large steps.
void restartWithLargePageHeap(char** argv);

}  // namespace brindlex
