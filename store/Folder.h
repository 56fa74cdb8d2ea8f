#pragma once
#include <memory>
#include <string>
#include <vector>

#include "store/DateTime.h"
#include "store/FolderItem.h"

namespace brindlex {

// A folder of the link store. The root's SubFolders is the flat list of every folder of
// the database in creation/load order; in any other folder SubFolders is a secondary
// index of all its descendants (see LinkStore::LinkFolders). Collections share their
// objects, so one Folder can be referenced from several lists at once.
class Folder : public std::enable_shared_from_this<Folder>
{
public:
    std::vector<std::shared_ptr<Folder>> SubFolders;
    std::vector<std::shared_ptr<FolderItem>> FolderItems;
    std::string Caption;
    std::string id;
    std::string parent;
    DateTime MDate;
    std::string Path;  // written by the tree pane each time it is built; never stored
    std::string Description;
    long long NumItems = 0;  // only meaningful while a database file is read
    long long NumFldrs = 0;  // root only, while a database file is read
};

inline constexpr const char* RootFolderId = "RootFolder";

}  // namespace brindlex
