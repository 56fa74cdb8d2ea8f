#pragma once
#include <string>

namespace brindlex {
class LinkStore;
}

namespace brindlex::test {

// The tree below the root, one line per entry, depth first in collection order:
// "path|Caption|URL" for links and "path/" for folder entries, paths "\"-joined.
std::string describe(LinkStore& store);
// Checks the model's invariants with GoogleTest expectations: every folder is in the
// flat list once, has its folder entry in its parent, and the root id is unique.
void expectInvariants(LinkStore& store);

}  // namespace brindlex::test
