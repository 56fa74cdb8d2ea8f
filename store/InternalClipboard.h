#pragma once
#include <memory>
#include <string>
#include <vector>

#include "store/FolderItem.h"

namespace brindlex {

// The program's own clipboard: copies of the cut or copied entries, in the order of the
// source rows, and the id of the folder they were taken from. Each Cut or Copy makes a
// new one; a completed paste empties it.
class InternalClipboard
{
public:
    std::vector<std::shared_ptr<FolderItem>> FolderItems;
    std::string SourceFolderId;

    bool empty() const { return FolderItems.empty(); }
    // Removes the entries from the last to the first.
    void clear();
};

}  // namespace brindlex
