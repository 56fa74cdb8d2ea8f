#include <sstream>
#include <string>

#include "formats/ChromiumBookmarks.h"
#include "fuzz/FuzzTree.h"

// The Bookmarks file is read as the bytes it holds, as the import reads it.
extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    using namespace brindlex;
    std::istringstream in(std::string(reinterpret_cast<const char*>(data), size));
    return fuzz::fuzzTree(readChromiumBookmarks(in));
}
