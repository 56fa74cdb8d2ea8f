#pragma once
// Puts a bookmark tree read from a browser profile into a store the way the import does,
// then writes it back out: whatever the reader made must give a sound model.
#include <sstream>

#include "formats/BookmarkTree.h"
#include "fuzz/FuzzReader.h"

namespace brindlex::fuzz {

inline int fuzzTree(const Result<BookmarkTree>& tree)
{
    if (!tree.ok()) {
        return 0;
    }
    FixedClock clock;
    LinkStore store(clock);
    NoProgress progress;
    NoEvents events;
    (void)addBookmarkTree(store, "Browser (profile)", tree.value(), ReadContext { progress, events });
    store.SetCurrentFolder(store.Root());
    std::ostringstream out;
    (void)ExportNetscapeFile(out, "fuzz", ExportRange::EntireDatabase, store, {});
    (void)ExportMosaicHotlist(out, "fuzz", ExportRange::EntireDatabase, store, {});
    return 0;
}

}  // namespace brindlex::fuzz
