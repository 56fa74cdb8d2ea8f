#include "formats/BookmarkTree.h"

#include <algorithm>

#include "formats/FormatText.h"
#include "platform/EventPump.h"
#include "platform/Progress.h"
#include "store/Images.h"
#include "store/Limits.h"
#include "store/LinkStore.h"
#include "store/TextRules.h"

namespace brindlex {

namespace {

// How deep `folder` lies below the root (the root is 0). A parent chain that loops ends
// when it has been followed as far as the model has folders.
int depthOf(LinkStore& store, const Folder& folder)
{
    int depth = 0;
    const Folder* at = &folder;
    const size_t most = store.Root().SubFolders.size();
    while (at != &store.Root() && static_cast<size_t>(depth) <= most) {
        const Folder* up = store.FindFolderOrRoot(at->parent);
        if (up == nullptr) {
            break;
        }
        at = up;
        ++depth;
    }
    return depth;
}

std::string fieldText(const std::string& text)
{
    return QuotesToApostrophes(LineBreaksToBlank(text));
}

}  // namespace

size_t countLinks(const BookmarkTree& tree)
{
    return static_cast<size_t>(
        std::count_if(tree.begin(), tree.end(), [](const BookmarkNode& n) { return !n.IsFolder; }));
}

std::string addBookmarkTree(
    LinkStore& store, const std::string& caption, const BookmarkTree& tree, const ReadContext& context)
{
    const std::shared_ptr<Folder> start = store.CurrentFolderPtr();
    const std::string topId = store.CreateEntry(true, "", imageNumber(Image::Folder), caption, "Folder", "");
    Folder* top = store.FindFolder(topId);
    if (top == nullptr) {
        return topId;
    }
    // Folders below `top` may go this many levels deep.
    const int deepest = std::max(1, MaxFolderDepth - depthOf(store, *top));

    // `holders[k]` receives the nodes of depth k, and lies `levels[k]` below `top`;
    // `path[l]` is the folder `l` levels below `top` on the way to the last folder made.
    std::vector<Folder*> holders { top };
    std::vector<int> levels { 0 };
    std::vector<Folder*> path { top };
    const size_t count = tree.size();
    std::string label;
    for (size_t i = 0; i < count; ++i) {
        const BookmarkNode& node = tree[i];
        // A node deeper than the folder before it allows is read as lying in that folder.
        const size_t k = std::min(static_cast<size_t>(std::max(node.depth, 0)), holders.size() - 1);
        holders.resize(k + 1);
        levels.resize(k + 1);
        const int level = node.IsFolder ? std::min(levels[k] + 1, deepest) : levels[k];
        Folder& into = node.IsFolder ? *path[static_cast<size_t>(level - 1)] : *holders[k];
        store.SetCurrentFolder(into);
        context.progress.setValue(static_cast<int>(i * 100 / count));
        const std::string name = LineBreaksToBlank(node.Caption);
        if (node.IsFolder) {
            label.assign("Creating subfolder ");
            label += name;
            context.progress.setLabel(label);
            context.events.processEvents();
            const std::string& iid = store.CreateEntry(true, "", imageNumber(Image::Folder), name, "Folder", "");
            FolderItem& entry = *into.FolderItems.back();
            Folder* folder = store.FindFolder(iid);
            if (folder == nullptr) {
                continue;
            }
            if (!node.MDate.isNull()) {
                entry.MDate = node.MDate;
                folder->MDate = node.MDate;
            }
            if (!node.Description.empty()) {
                folder->Description = fieldText(node.Description);
            }
            path.resize(static_cast<size_t>(level));
            path.push_back(folder);
            holders.push_back(folder);
            levels.push_back(level);
        } else {
            label.assign("Importing URL ");
            label += name;
            context.progress.setLabel(label);
            context.events.processEvents();
            const std::string url = LineBreaksToBlank(node.URL);
            store.CreateEntry(false, url, imageNumber(Image::Link), name, ClassifyURL(url), "");
            FolderItem& entry = *into.FolderItems.back();
            if (!node.MDate.isNull()) {
                entry.MDate = node.MDate;
            }
            if (!node.Description.empty()) {
                entry.Description = fieldText(node.Description);
            }
        }
    }
    context.progress.setValue(100);
    store.SetCurrentFolder(*start);
    return topId;
}

}  // namespace brindlex
