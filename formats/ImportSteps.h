#pragma once
#include <string>

#include "formats/ImportExport.h"
#include "store/Result.h"

namespace brindlex {

class LinkStore;

// The import commands as the window runs them: each import is one step of the undo
// history, however many entries and folders it adds, named after the file it read
// ("Import bookmark.htm", or "Import 3 files" for several shortcut files). A refused file
// adds no step; an import that fails part-way keeps what it added as one step.
Status importFileAsStep(LinkStore& store, ImportKind kind, const std::string& path, const ImportServices& services);
Status importShortcutFilesAsStep(LinkStore& store, const FileSelection& files, const ImportServices& services);

// The caption of the step of importing these files.
std::string importStepCaption(const FileSelection& files);

}  // namespace brindlex
