#include <iostream>

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
    return 0;
}

int runList(const std::vector<std::string>& arguments, LinkStore& store)
{
    std::vector<std::string> args = arguments;
    std::vector<std::optional<std::string>> options;
    if (!takeOptions(args, { "folder" }, options) || args.size() != 1) {
        return usage("usage: bdxtool list DB [--folder PATH]");
    }
    const Result<DatabaseLayout> layout = loadDatabase(store, args[0]);
    if (!layout.ok()) {
        return badInput(layout.error().message);
    }
    Folder* start = options[0] ? folderAtPath(store, *options[0]) : &store.Root();
    if (start == nullptr) {
        return badInput("no folder " + *options[0]);
    }
    // One line per entry, tab-separated: folder path, caption, URL, kind.
    std::string out;
    store.WalkFolders(*start, [&](Folder& folder, int) {
        const std::string path = pathOf(store, folder);
        for (const auto& item : folder.FolderItems) {
            out += path + "\t" + item->Caption + "\t" + item->URL + "\t" + (item->IsFolder ? "Folder" : item->URLType)
                + "\n";
        }
        return true;
    });
    std::cout << out;
    return 0;
}

}  // namespace brindlex::bdxtool
