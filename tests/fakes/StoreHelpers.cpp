#include "fakes/StoreHelpers.h"

#include <gtest/gtest.h>

#include <map>
#include <random>
#include <set>
#include <sstream>
#include <vector>

#include "store/Clients.h"
#include "store/DatabaseFile.h"
#include "store/Images.h"
#include "store/LinkStore.h"
#include "store/TextRules.h"

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

std::map<std::string, std::string> buildTree(LinkStore& store, const std::string& text)
{
    std::map<std::string, std::string> ids;
    Folder& start = store.CurrentFolder();
    std::vector<Folder*> levels { &start };  // the folder of each indentation level
    std::istringstream lines(text);
    std::string line;
    while (std::getline(lines, line)) {
        if (line.find_first_not_of(' ') == std::string::npos) {
            continue;
        }
        const size_t depth = line.find_first_not_of(' ') / 2;
        EXPECT_LE(depth, levels.size() - 1) << "indented too far: " << line;
        levels.resize(std::min(depth, levels.size() - 1) + 1);
        store.SetCurrentFolder(*levels.back());
        const std::string entry = line.substr(depth * 2);
        const size_t equals = entry.find(" = ");
        if (equals == std::string::npos && entry.back() == '/') {
            const std::string name = entry.substr(0, entry.size() - 1);
            const std::string id = store.CreateEntry(true, "", imageNumber(Image::Folder), name, "Folder", "");
            ids[name] = id;
            levels.push_back(store.FindFolder(id));
            continue;
        }
        const std::string name = entry.substr(0, equals);
        const std::string url = equals == std::string::npos ? "http://" + name + "/" : entry.substr(equals + 3);
        ids[name] = store.CreateEntry(false, url, imageNumber(Image::Link), name, ClassifyURL(url), "");
    }
    store.SetCurrentFolder(start);
    return ids;
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

void generateTree(LinkStore& store, size_t entries, unsigned seed)
{
    std::mt19937 random(seed);
    struct Placed
    {
        Folder* folder;
        int depth;
    };
    std::vector<Placed> placed { { &store.Root(), 0 } };
    static const char* const clients[] = { "None", "NETSCAPE", "Iexplore", "EMosaic" };
    for (size_t i = 0; i < entries; ++i) {
        const Placed at = placed[random() % placed.size()];
        store.SetCurrentFolder(*at.folder);
        const std::string n = std::to_string(i);
        const DateTime date { 2000 + static_cast<int>(i % 20), 1 + static_cast<int>(i % 12),
            1 + static_cast<int>(i % 28) };
        if (random() % 12 == 0 && at.depth < 5) {
            const std::string id = "1/2/03 4:05:06 AM" + n;
            store.AddLoadedItem("Folder " + n, "", true, id, 0, date, "", "", "", "");
            store.AddLoadedFolder("Folder " + n, id, at.folder->id, date, i % 3 == 0 ? "About " + n : "");
            placed.push_back({ store.Root().SubFolders.back().get(), at.depth + 1 });
        } else {
            const char* client = clients[random() % 4];
            store.AddLoadedItem("Link " + n, "http://site" + n + ".example/page", false, "1/2/03 4:05:07 AM" + n,
                ClientIcon(client), date, "Http", i % 4 == 0 ? "Text, with a comma " + n : "", client, "");
        }
    }
    store.LinkFolders();
    store.SetCurrentFolder(store.Root());
}

std::string savedBytes(LinkStore& store)
{
    std::ostringstream out;
    EXPECT_TRUE(writeDatabase(out, store).ok());
    return out.str();
}

}  // namespace brindlex::test
