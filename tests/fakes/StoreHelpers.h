#pragma once
#include <map>
#include <string>

namespace brindlex {
class LinkStore;
}

namespace brindlex::test {

// The tree below the root, one line per entry, depth first in collection order:
// "path|Caption|URL" for links and "path/" for folder entries, paths "\"-joined.
std::string describe(LinkStore& store);
// Builds entries from a short text into CurrentFolder, one entry a line, two blanks of
// indentation a level: "Name/" is a folder, "Name = URL" a link (its type classified),
// "Name" alone a link to "http://name/". Returns the ids by name (the last of a name
// wins). CurrentFolder is as it was afterwards.
//     buildTree(store, "Alpha/\n  Child/\nzeta = http://zeta.example/\n")
std::map<std::string, std::string> buildTree(LinkStore& store, const std::string& text);

// Checks the model's invariants with GoogleTest expectations: every folder is in the
// flat list once, has its folder entry in its parent, and the root id is unique.
void expectInvariants(LinkStore& store);
// Fills an empty store with `entries` entries: folders (about one in twelve) nested up to
// five levels, each with its folder entry, and links with descriptions and clients,
// spread over the root and the folders. Same seed, same database; the ids do not depend
// on the clock. CurrentFolder is the root afterwards.
void generateTree(LinkStore& store, size_t entries, unsigned seed = 1);
// The bytes SaveDatabase would write for the store.
std::string savedBytes(LinkStore& store);

}  // namespace brindlex::test
