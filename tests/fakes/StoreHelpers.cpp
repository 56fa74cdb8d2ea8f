#include "fakes/StoreHelpers.h"

#include <gtest/gtest.h>

#include <map>
#include <set>

#include "store/LinkStore.h"

namespace brindlex::test {

std::string describe(LinkStore& store)
{
    std::string out;
    std::map<const Folder*, std::string> paths;
    paths[&store.Root()] = "";
    store.WalkFolders(store.Root(), [&](Folder& folder, int) {
        const std::string& path = paths[&folder];
        for (const auto& item : folder.FolderItems) {
            if (item->IsFolder) {
                const std::string sub = path.empty() ? item->Caption : path + "\\" + item->Caption;
                out += sub + "/\n";
                if (Folder* f = store.FindFolder(item->IID)) {
                    paths.emplace(f, sub);
                }
            } else {
                out += path + "|" + item->Caption + "|" + item->URL + "\n";
            }
        }
        return true;
    });
    return out;
}

void expectInvariants(LinkStore& store)
{
    std::set<const Folder*> seen;
    for (const auto& folder : store.Root().SubFolders) {
        EXPECT_TRUE(seen.insert(folder.get()).second) << "folder twice in the flat list: " << folder->Caption;
        EXPECT_NE(folder->id, RootFolderId);
        const FolderItem* entry = store.FolderEntry(*folder);
        EXPECT_NE(entry, nullptr) << "no folder entry for " << folder->Caption << " in " << folder->parent;
    }
}

}  // namespace brindlex::test
