#pragma once
#include <string>

#include "store/LinkStore.h"

namespace brindlex::bench {

// The database both Find benchmarks search: 1,000 top folders with 9 sub-folders each;
// every folder holds 10 links, ten of each top folder's captioned "News n". The root is
// the current folder afterwards.
inline void fillFindWorld(LinkStore& store)
{
    for (int top = 0; top < 1000; ++top) {
        store.SetCurrentFolder(store.Root());
        Folder& topFolder
            = *store.FindFolder(store.CreateEntry(true, "", 6, "Group " + std::to_string(top), "Folder", ""));
        for (int sub = 0; sub < 9; ++sub) {
            store.SetCurrentFolder(topFolder);
            store.SetCurrentFolder(
                *store.FindFolder(store.CreateEntry(true, "", 6, "Sub " + std::to_string(sub), "Folder", "")));
            for (int n = 0; n < 10; ++n) {
                store.CreateEntry(false, "http://example.com/" + std::to_string(n), 5,
                    "Some Page Title " + std::to_string(top * 100 + sub * 10 + n), "Http", "");
            }
        }
        store.SetCurrentFolder(topFolder);
        for (int n = 0; n < 10; ++n) {
            store.CreateEntry(false, "http://example.org/", 5, "News " + std::to_string(n), "Http", "");
        }
    }
    store.SetCurrentFolder(store.Root());
}

}  // namespace brindlex::bench
