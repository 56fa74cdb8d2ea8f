#include "store/GoToHistory.h"

#include "store/CaseFold.h"
#include "store/Folder.h"
#include "store/LinkStore.h"

namespace brindlex {

void GoToHistory::remember(std::vector<std::string>& rows, const std::string& path)
{
    for (const std::string& row : rows) {
        if (row == path) {
            return;
        }
    }
    while (rows.size() >= MaxRows) {
        rows.pop_back();
    }
    rows.insert(rows.begin(), path);
}

Folder* goToFolderTarget(LinkStore& store, std::string_view text)
{
    if (equalFolded(text, "brindlexes")) {
        return &store.Root();
    }
    for (const auto& folder : store.Root().SubFolders) {
        if (equalFolded(folder->Path, text)) {
            return folder.get();
        }
    }
    return nullptr;
}

std::string cannotFindText(std::string_view text)
{
    return "Cannot find '" + std::string(text) + "'. Make sure path and filename are correct.";
}

}  // namespace brindlex
