#include <cstdio>
#include <cstdlib>
#include <string>
#include <unistd.h>

#include "formats/FirefoxPlaces.h"
#include "fuzz/FuzzTree.h"

namespace {

// One file name of this process under the temporary folder; the file is written for each
// input and removed once it was read.
const std::string& placesFile()
{
    static const std::string path = [] {
        const char* tmp = std::getenv("TMPDIR");
        std::string pattern = std::string(tmp != nullptr && *tmp != '\0' ? tmp : "/tmp") + "/fuzz-places-XXXXXX";
        const int fd = ::mkstemp(pattern.data());
        if (fd < 0) {
            std::perror("mkstemp");
            std::abort();
        }
        ::close(fd);
        return pattern;
    }();
    return path;
}

}  // namespace

// The bytes as a places.sqlite file: SQLite reads it in place, the reader walks what the
// tables hold, however their rows point at each other.
extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    using namespace brindlex;
    const std::string& path = placesFile();
    FILE* file = std::fopen(path.c_str(), "wb");
    if (file == nullptr || std::fwrite(data, 1, size, file) != size || std::fclose(file) != 0) {
        std::abort();
    }
    const Result<BookmarkTree> tree = readFirefoxPlaces(path);
    std::remove(path.c_str());
    return fuzz::fuzzTree(tree);
}
