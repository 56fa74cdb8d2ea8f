#pragma once
#include <string>
#include <vector>

#include "store/DateTime.h"

namespace brindlex {

class Folder;
class FolderItem;

// One row of the contents list, worked out from a FolderItem. The window copies rows
// into its widget; exporters of the selection-based ranges read them back.
struct ListRow
{
    std::string Name;  // column 1: trimmed Caption, a leading blank on folder entries
    DateTime MDate;  // column 2, shown in the short date form
    std::string Type;  // column 3: "Folder" or URLType
    std::string Client;  // column 4: empty for folders
    std::string URL;  // column 5 (sub-item 4): empty for folders
    std::string Description;  // column 6
    std::string ID;  // column 7, hidden: the entry's IID
    int Icon = 5;  // large and small icon: 6 for a folder entry, else the entry's Icon
    bool Selected = false;
    bool Cut = false;  // shown ghosted
};

// The row of one entry.
ListRow listRow(const FolderItem& item);
// The rows of `folder`, in FolderItems order.
std::vector<ListRow> listRows(const Folder& folder);

}  // namespace brindlex
