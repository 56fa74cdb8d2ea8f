#pragma once
#include <string>
#include <string_view>
#include <vector>

namespace brindlex {

class Folder;
class LinkStore;

// The Go To Folder path history: at most ten paths, the most recent first (stored by
// ProgramSettings).
class GoToHistory
{
public:
    static constexpr size_t MaxRows = 10;

    // A path that is not yet a row (exact, case-sensitive comparison) becomes row 0; when
    // ten rows are already held the last one goes first. A path already held stays where it is.
    static void remember(std::vector<std::string>& rows, const std::string& path);
};

// The folder a typed path names: the root for "brindlexes" in any letter case, else the
// first folder of the flat list whose Path equals the text without regard to case; null
// when there is none.
Folder* goToFolderTarget(LinkStore& store, std::string_view text);

// "Cannot find '<text>'. Make sure path and filename are correct."
std::string cannotFindText(std::string_view text);

}  // namespace brindlex
