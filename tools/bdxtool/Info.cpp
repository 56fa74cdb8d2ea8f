#include <iostream>
#include <new>
#include <vector>

#include "platform/Clock.h"
#include "store/LinkStore.h"
#include "tools/bdxtool/Commands.h"
#include "tools/bdxtool/ToolDatabase.h"

namespace brindlex::bdxtool {

int runInfo(const std::vector<std::string>& args, LinkStore& store)
{
    if (args.size() != 1) {
        return usage("usage: bdxtool info DB");
    }
    try {
        const Result<DatabaseLayout> layout = loadDatabase(store, args[0]);
        if (!layout.ok()) {
            return badInput(layout.error().message);
        }
        size_t entries = store.Root().FolderItems.size();
        size_t links = 0;
        const auto countLinks = [&](const Folder& folder) {
            for (const auto& item : folder.FolderItems) {
                links += item->IsFolder ? 0 : 1;
            }
        };
        countLinks(store.Root());
        for (const auto& folder : store.Root().SubFolders) {
            entries += folder->FolderItems.size();
            countLinks(*folder);
        }
        std::cout << "folders=" << store.Root().SubFolders.size() << " entries=" << entries << " links=" << links
                  << " layout=" << (layout.value() == DatabaseLayout::Current ? "current" : "older") << "\n";
    } catch (const std::bad_alloc&) {
        return badInput("out of memory reading " + args[0]);
    }
    return 0;
}

int runList(const std::vector<std::string>& arguments, LinkStore& store)
{
    std::vector<std::string> args = arguments;
    std::vector<std::optional<std::string>> options;
    if (!takeOptions(args, { "folder" }, options) || args.size() != 1) {
        return usage("usage: bdxtool list DB [--folder PATH]");
    }
    try {
        const Result<DatabaseLayout> layout = loadDatabase(store, args[0]);
        if (!layout.ok()) {
            return badInput(layout.error().message);
        }
        Folder* start = options[0] ? folderAtPath(store, *options[0]) : &store.Root();
        if (start == nullptr) {
            return badInput("no folder " + *options[0]);
        }
        // One line per entry, tab-separated: folder path, caption, URL, kind. Each path is
        // its parent's in the walk plus one caption, so the listing stays linear however
        // deep the tree.
        std::vector<std::string> paths { pathOf(store, *start) };
        store.WalkFolders(*start, [&](Folder& folder, int depth) {
            const auto level = static_cast<size_t>(depth);
            paths.resize(level + 1);
            if (level > 0) {
                paths[level] = paths[level - 1] + "\\" + folder.Caption;
            }
            const std::string& path = paths[level];
            std::string out;
            for (const auto& item : folder.FolderItems) {
                out += path + "\t" + item->Caption + "\t" + item->URL + "\t"
                    + (item->IsFolder ? "Folder" : item->URLType) + "\n";
            }
            std::cout << out;
            return true;
        });
    } catch (const std::bad_alloc&) {
        return badInput("out of memory reading " + args[0]);
    }
    return 0;
}

}  // namespace brindlex::bdxtool
