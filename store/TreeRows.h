#pragma once
#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "store/Images.h"

namespace brindlex {

class Folder;
class FolderItem;
class LinkStore;

// One node of the folder tree, worked out from the store. The tree pane only copies rows
// into its widget.
struct TreeRow
{
    std::string key;  // the folder's id; "RootFolder" for the root
    size_t parent = 0;  // the index of the parent's row; NoParent for the root's row
    std::string caption;  // the node's text: the Caption without the blanks around it
    std::string path;  // the texts from the root's down to this one, joined by "\"
    Image image = Image::Folder;  // Root for the root's row; a folder shows OpenFolder when open
    // The node found by its key: the root's, and the first folder of the flat list with
    // its id. A folder that repeats an earlier id gets a node all the same.
    bool keyed = true;
};

inline constexpr size_t NoParent = static_cast<size_t>(-1);

// The rows of the folder tree: the root's first, every row after its parent's, and the
// children of a node sorted by caption without regard to letter case (in any script;
// equal captions in the order of the flat list). A folder goes under the folder its
// parent id names, even one later in the flat list; a folder whose parent no folder has,
// or whose parent chain loops, goes under the root. Sets every folder's Path to its row's
// path (the root's Path is its Caption). No recursion; linear in the folders apart from
// the sort of each node's children.
std::vector<TreeRow> treeRows(LinkStore& store);

// The row of the folder entry `item` just added below the node whose path is
// `parentPath`, with the folder's Path set. Its parent index is left 0: the pane places it.
TreeRow addedTreeRow(LinkStore& store, const FolderItem& item, const std::string& parentPath);

// The order of the tree's captions: negative when `a` comes before `b`, 0 when they
// differ at most in letter case.
int compareTreeCaptions(std::string_view a, std::string_view b);

// The folder one level up from `folder`, by its parent id (Back): the root for a folder at
// the top, null for the root itself or a parent id no folder has.
Folder* parentFolder(LinkStore& store, const Folder& folder);

// The folders from the root down to CurrentFolder, by parent ids, as the folder box's
// drop-down shows them: the root first, CurrentFolder last. Where a parent id names no
// folder the chain goes straight up to the root; a parent chain that loops stops before
// a folder would repeat.
std::vector<const Folder*> folderChain(LinkStore& store);

}  // namespace brindlex
