#pragma once
#include <string>

#include "store/DateTime.h"

namespace brindlex {

// One entry of a folder: a link, or (IsFolder true) the entry that stands for a
// sub-folder, whose IID equals that Folder's id.
//
// The texts come first and the small members last, so that no padding lies between them:
// a database holds a million of these.
class FolderItem
{
public:
    std::string Caption;
    std::string URL;
    std::string IID;
    std::string URLType;
    std::string Description;
    std::string Client;
    std::string Cache;
    int Icon = 0;  // image number: 5 link without client, 10..14 clients
    DateTime MDate;
    bool IsFolder = false;
    bool Cut = false;  // held by the program's clipboard after a Cut; never stored
};

}  // namespace brindlex
