#pragma once
#include <string>
#include <vector>

#include "store/DateTime.h"

namespace brindlex {

class LinkStore;
struct ReadContext;

// One folder or link of a browser's bookmark tree, read before anything is added to the
// store, so that a profile that cannot be read whole changes nothing. The nodes of a tree
// stand in depth-first order: a node of depth d + 1 lies inside the last folder of depth
// d before it; depth 0 lies in the folder the import makes.
struct BookmarkNode
{
    int depth = 0;
    bool IsFolder = false;
    std::string Caption;
    std::string URL;
    DateTime MDate;  // when the browser says it was added; no date: today
    std::string Description;
};

using BookmarkTree = std::vector<BookmarkNode>;

// Number of links in the tree.
size_t countLinks(const BookmarkTree& tree);

// Makes a folder named `caption` in CurrentFolder and puts the tree into it, each entry
// with its date and description; CurrentFolder is the same again afterwards. Captions,
// URLs and descriptions keep to one line and hold no double quotes, like every entry.
// Folders nested deeper than the store allows are placed at the deepest level it allows,
// inside the deepest folder that may still hold one. Returns the IID of the new folder.
std::string addBookmarkTree(
    LinkStore& store, const std::string& caption, const BookmarkTree& tree, const ReadContext& context);

}  // namespace brindlex
