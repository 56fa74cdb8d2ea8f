#include "tools/bdxtool/ToolDatabase.h"

#include <iostream>
#include <unordered_map>

#include "store/FileAccess.h"
#include "store/Limits.h"
#include "store/LinkStore.h"

namespace brindlex::bdxtool {

Result<DatabaseLayout> loadDatabase(LinkStore& store, const std::string& path)
{
    InputFile in;
    if (const Status opened = in.open(path); !opened.ok()) {
        return Error { ErrorKind::NotFound, "cannot open " + path + ": " + opened.error().message };
    }
    store.SetDatabasePath(path);
    size_t placed = 0;
    Result<DatabaseLayout> read = readDatabase(in, store, false, &placed);
    if (!read.ok()) {
        return Error { read.error().kind, path + ": " + read.error().message };
    }
    if (placed > 0) {
        std::cerr << "bdxtool: " << nestingLimitMessage(path) << "\n";
    }
    return read;
}

Folder* folderAtPath(LinkStore& store, const std::string& path)
{
    std::vector<std::string> parts;
    size_t start = 0;
    while (true) {
        const size_t sep = path.find('\\', start);
        parts.push_back(path.substr(start, sep == std::string::npos ? std::string::npos : sep - start));
        if (sep == std::string::npos) {
            break;
        }
        start = sep + 1;
    }
    if (parts.empty() || parts[0] != store.Root().Caption) {
        return nullptr;
    }
    Folder* folder = &store.Root();
    for (size_t i = 1; i < parts.size(); ++i) {
        Folder* next = nullptr;
        for (const auto& item : folder->FolderItems) {
            if (item->IsFolder && item->Caption == parts[i]) {
                next = store.FindFolder(item->IID);
                if (next != nullptr) {
                    break;
                }
            }
        }
        if (next == nullptr) {
            return nullptr;
        }
        folder = next;
    }
    return folder;
}

std::string pathOf(LinkStore& store, const Folder& folder)
{
    std::string path = folder.Caption;
    const Folder* at = &folder;
    size_t steps = store.Root().SubFolders.size() + 1;
    while (at != &store.Root() && steps-- > 0) {
        const Folder* up = store.FindFolderOrRoot(at->parent);
        if (up == nullptr || up == at) {
            break;
        }
        path = up->Caption + "\\" + path;
        at = up;
    }
    return path;
}

bool takeOptions(std::vector<std::string>& args, const std::vector<std::string>& names,
    std::vector<std::optional<std::string>>& values)
{
    values.assign(names.size(), std::nullopt);
    std::vector<std::string> rest;
    for (size_t i = 0; i < args.size(); ++i) {
        if (args[i].rfind("--", 0) != 0) {
            rest.push_back(args[i]);
            continue;
        }
        size_t which = names.size();
        for (size_t n = 0; n < names.size(); ++n) {
            if (args[i] == "--" + names[n]) {
                which = n;
            }
        }
        if (which == names.size() || i + 1 >= args.size()) {
            return false;
        }
        values[which] = args[++i];
    }
    args = rest;
    return true;
}

int badInput(const std::string& message)
{
    std::cerr << "bdxtool: " << message << "\n";
    return 1;
}

int usage(const std::string& message)
{
    std::cerr << "bdxtool: " << message << "\n";
    return 2;
}

}  // namespace brindlex::bdxtool
