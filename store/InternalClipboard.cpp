#include "store/InternalClipboard.h"

namespace brindlex {

void InternalClipboard::clear()
{
    while (!FolderItems.empty()) {
        FolderItems.pop_back();
    }
    SourceFolderId.clear();
}

}  // namespace brindlex
