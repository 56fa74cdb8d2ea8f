#pragma once
#include <cstddef>
#include <string>

namespace brindlex {
class LinkStore;
}

namespace brindlex::bench {

struct GenerateOptions
{
    size_t entries = 100000;  // links, not counting folder entries
    size_t folders = 5000;
    int maxDepth = 6;
    unsigned seed = 1;
};

// Fills an empty store with a database of that shape: folders nested up to maxDepth
// levels, each with its folder entry, and the links spread over the root and the folders,
// with captions, URLs and descriptions of realistic length. Same seed, same database.
void generateStore(LinkStore& store, const GenerateOptions& options = {});
// The same database as the bytes of a database file.
std::string generateDatabaseFile(const GenerateOptions& options = {});

}  // namespace brindlex::bench
