#include "formats/ImportSteps.h"

#include "store/LinkStore.h"
#include "store/UndoHistory.h"

namespace brindlex {

std::string importStepCaption(const FileSelection& files)
{
    if (files.names.size() == 1) {
        return "Import " + files.names.front();
    }
    return "Import " + std::to_string(files.names.size()) + " files";
}

Status importFileAsStep(LinkStore& store, ImportKind kind, const std::string& path, const ImportServices& services)
{
    Status result = Status::Ok();
    // The readers add through the store's own operations; the step is what they added.
    RecordAsOneStep(
        store, importStepCaption(splitFileSelection(path)), [&] { result = importFile(store, kind, path, services); });
    return result;
}

Status importShortcutFilesAsStep(LinkStore& store, const FileSelection& files, const ImportServices& services)
{
    Status result = Status::Ok();
    RecordAsOneStep(store, importStepCaption(files), [&] { result = importShortcutFiles(store, files, services); });
    return result;
}

}  // namespace brindlex
