#include "store/TreeRows.h"

#include <algorithm>
#include <unordered_set>

#include "store/CaseFold.h"
#include "store/Folder.h"
#include "store/FolderItem.h"
#include "store/LinkStore.h"
#include "store/Text.h"

namespace brindlex {

namespace {

// Places the folders of the flat list under their parents' nodes. Node 0 is the root,
// node i + 1 the folder at position i of the flat list.
class Placement
{
public:
    explicit Placement(const std::vector<std::shared_ptr<Folder>>& folders)
        : m_folders(folders)
        , m_children(folders.size() + 1)
        , m_attached(folders.size(), false)
    {
        m_placed.emplace(RootFolderId, 0);
    }

    void place()
    {
        for (size_t i = 0; i < m_folders.size(); ++i) {
            const auto parent = m_placed.find(m_folders[i]->parent);
            if (parent != m_placed.end()) {
                attach(i, parent->second);
            } else {
                m_waiting[m_folders[i]->parent].push_back(i);
            }
        }
        // What still waits has a parent no folder has, or a parent chain that loops: the
        // first of them in the flat list goes under the root, taking along whatever waits
        // for it (in a loop, the rest of the loop), and so on.
        for (size_t i = 0; i < m_folders.size(); ++i) {
            if (!m_attached[i]) {
                attach(i, 0);
            }
        }
    }

    std::vector<std::vector<size_t>>& children() { return m_children; }

private:
    // Attaches folder `first` under node `under`, and then every folder that waited for
    // it, and so on down.
    void attach(size_t first, size_t under)
    {
        std::vector<std::pair<size_t, size_t>> work { { first, under } };
        while (!work.empty()) {
            const auto [folder, node] = work.back();
            work.pop_back();
            if (m_attached[folder]) {
                continue;  // an orphan placed under the root before its parent was
            }
            m_attached[folder] = true;
            m_children[node].push_back(folder + 1);
            // A folder that repeats an id already placed takes no children: they went to
            // the first.
            if (!m_placed.emplace(m_folders[folder]->id, folder + 1).second) {
                continue;
            }
            const auto waiting = m_waiting.find(m_folders[folder]->id);
            if (waiting == m_waiting.end()) {
                continue;
            }
            for (const size_t child : waiting->second) {
                work.push_back({ child, folder + 1 });
            }
            m_waiting.erase(waiting);
        }
    }

    const std::vector<std::shared_ptr<Folder>>& m_folders;
    std::vector<std::vector<size_t>> m_children;  // node -> child nodes
    std::vector<bool> m_attached;  // by folder
    StringMap<size_t> m_placed;  // id -> the first node placed with it
    StringMap<std::vector<size_t>> m_waiting;  // parent id -> folders waiting for it
};

}  // namespace

int compareTreeCaptions(std::string_view a, std::string_view b)
{
    return compareFolded(a, b);
}

std::vector<TreeRow> treeRows(LinkStore& store)
{
    Folder& root = store.Root();
    const std::vector<std::shared_ptr<Folder>>& folders = root.SubFolders;
    Placement placement(folders);
    placement.place();
    std::vector<std::vector<size_t>>& children = placement.children();

    std::vector<std::string> captions(folders.size() + 1);
    captions[0] = root.Caption;
    for (size_t i = 0; i < folders.size(); ++i) {
        captions[i + 1] = trimBlanks(folders[i]->Caption);
    }
    for (std::vector<size_t>& nodes : children) {
        // Node numbers follow the flat list, so equal captions keep its order.
        std::sort(nodes.begin(), nodes.end(), [&captions](size_t a, size_t b) {
            const int order = compareTreeCaptions(captions[a], captions[b]);
            return order != 0 ? order < 0 : a < b;
        });
    }

    StringSet keys;
    keys.emplace(RootFolderId);
    std::vector<bool> keyed(folders.size() + 1, true);
    for (size_t i = 0; i < folders.size(); ++i) {
        keyed[i + 1] = keys.emplace(folders[i]->id).second;
    }

    std::vector<TreeRow> rows;
    rows.reserve(folders.size() + 1);
    root.Path = root.Caption;
    rows.push_back(TreeRow { RootFolderId, NoParent, root.Caption, root.Caption, Image::Root, true });
    // Depth first, each node's children in their sorted order: a stack of (node, the
    // index of its parent's row), the first child on top.
    std::vector<std::pair<size_t, size_t>> stack;
    const auto pushChildren = [&stack, &children](size_t node, size_t row) {
        const std::vector<size_t>& below = children[node];
        for (auto it = below.rbegin(); it != below.rend(); ++it) {
            stack.push_back({ *it, row });
        }
    };
    pushChildren(0, 0);
    while (!stack.empty()) {
        const auto [node, parentRow] = stack.back();
        stack.pop_back();
        Folder& folder = *folders[node - 1];
        TreeRow row { folder.id, parentRow, std::move(captions[node]), {}, Image::Folder, keyed[node] };
        row.path = rows[parentRow].path + '\\' + row.caption;
        folder.Path = row.path;
        rows.push_back(std::move(row));
        pushChildren(node, rows.size() - 1);
    }
    return rows;
}

TreeRow addedTreeRow(LinkStore& store, const FolderItem& item, const std::string& parentPath)
{
    TreeRow row { item.IID, 0, trimBlanks(item.Caption), {}, Image::Folder, true };
    row.path = parentPath + '\\' + row.caption;
    if (Folder* folder = store.FindFolder(item.IID)) {
        folder->Path = row.path;
    }
    return row;
}

Folder* parentFolder(LinkStore& store, const Folder& folder)
{
    if (&folder == &store.Root()) {
        return nullptr;
    }
    return folder.parent == RootFolderId ? &store.Root() : store.FindFolder(folder.parent);
}

std::vector<const Folder*> folderChain(LinkStore& store)
{
    std::vector<const Folder*> chain;
    std::unordered_set<const Folder*> seen;
    for (const Folder* at = &store.CurrentFolder(); at != nullptr && at != &store.Root();
         at = parentFolder(store, *at)) {
        if (!seen.insert(at).second) {
            break;
        }
        chain.push_back(at);
    }
    chain.push_back(&store.Root());
    std::reverse(chain.begin(), chain.end());
    return chain;
}

}  // namespace brindlex
