#pragma once
#include <optional>
#include <string>
#include <vector>

#include "store/DatabaseFile.h"

namespace brindlex {
class Folder;
class LinkStore;
}  // namespace brindlex

namespace brindlex::bdxtool {

// Reads the database at `path` into `store` (no message boxes). The error is the one
// line bdxtool prints.
Result<DatabaseLayout> loadDatabase(LinkStore& store, const std::string& path);
// The folder at a tree path: "\"-joined captions from the root caption down ("NewDB",
// "NewDB\Tools"). Null when there is none.
Folder* folderAtPath(LinkStore& store, const std::string& path);
// The tree path of `folder`.
std::string pathOf(LinkStore& store, const Folder& folder);

// Takes "--name value" options out of `args`; what is left are the positional arguments.
// Returns false for an unknown option or one without its value.
bool takeOptions(std::vector<std::string>& args, const std::vector<std::string>& names,
    std::vector<std::optional<std::string>>& values);

// Prints the one-line message and gives exit status 1 (bad input) or 2 (usage).
int badInput(const std::string& message);
int usage(const std::string& message);

}  // namespace brindlex::bdxtool
