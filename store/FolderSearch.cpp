#include "store/FolderSearch.h"

#include <memory>
#include <unordered_set>

#include "platform/EventPump.h"
#include "store/CaseFold.h"
#include "store/Folder.h"
#include "store/LinkStore.h"

namespace brindlex {

bool CheckMatch(std::string_view caption, std::string_view text, bool matchCase, bool containingText)
{
    if (!matchCase) {
        if (!containingText) {
            return equalFolded(caption, text);
        }
        return foldCase(caption).find(foldCase(text)) != std::string::npos;
    }
    if (containingText) {
        return caption.find(text) != std::string_view::npos;
    }
    return caption == text;
}

std::string treeNodePath(const LinkStore& store, const Folder& folder)
{
    if (&folder == &store.Root()) {
        return folder.Caption;
    }
    return folder.Path;
}

std::vector<FindResultRow> SearchFolder(
    LinkStore& store, Folder& start, const FindQuery& query, const SearchHooks& hooks, EventPump& events)
{
    std::vector<FindResultRow> rows;
    // The window stays usable while a search lets events run, and those events may
    // delete folders or load another database. Every folder reached is kept alive until
    // the search ends (so its address cannot be reused by a new folder and mistaken for
    // one already seen), and a frame re-reads its folder's entry count at every step.
    struct Frame
    {
        Folder* folder;
        size_t next;
        std::string name;
    };
    std::unordered_set<const Folder*> seen;
    std::vector<std::shared_ptr<Folder>> keep;
    std::vector<Frame> stack;
    bool stop = false;

    // Starts searching a folder: the status text and an event pass, unless it is empty.
    auto enter = [&](Folder& folder) {
        if (!seen.insert(&folder).second || folder.FolderItems.empty()) {
            return;
        }
        if (std::shared_ptr<Folder> owned = folder.weak_from_this().lock()) {
            keep.push_back(std::move(owned));
        }
        std::string name = hooks.nodePath ? hooks.nodePath(folder) : treeNodePath(store, folder);
        if (hooks.status) {
            hooks.status("Searching " + name + ". . .");
        }
        events.processEvents();
        stop = hooks.stopped && hooks.stopped();
        stack.push_back({ &folder, 0, std::move(name) });
    };

    enter(start);
    while (!stack.empty() && !stop) {
        Frame& top = stack.back();
        if (top.next >= top.folder->FolderItems.size()) {
            stack.pop_back();
            continue;
        }
        const std::shared_ptr<FolderItem> item = top.folder->FolderItems[top.next++];
        if (CheckMatch(item->Caption, query.Text, query.MatchCase, query.ContainingText)) {
            FindResultRow row;
            row.Name = item->Caption;
            row.InFolder = top.name;
            row.MDate = item->MDate;
            row.ID = item->IID;
            if (item->IsFolder) {
                row.Type = std::string(1, '\0') + "Folder";
                row.Icon = 6;
            } else {
                row.Type = item->URLType;
                row.URL = item->URL;
                row.Icon = item->Icon;
            }
            if (hooks.found) {
                hooks.found(row);
            }
            rows.push_back(std::move(row));
        }
        if (item->IsFolder) {
            if (Folder* sub = store.FindFolder(item->IID)) {
                enter(*sub);  // may grow the stack: `top` is not used after this
            }
        }
    }
    return rows;
}

std::vector<FindResultRow> DoSearch(
    LinkStore& store, const FindQuery& query, const SearchHooks& hooks, EventPump& events)
{
    events.processEvents();
    if (hooks.stopped && hooks.stopped()) {
        return {};
    }
    std::vector<FindResultRow> rows = SearchFolder(store, store.Root(), query, hooks, events);
    if (hooks.stopped && hooks.stopped()) {
        return rows;
    }
    if (hooks.status) {
        hooks.status(foundText(rows.size()));
    }
    return rows;
}

FindResultTarget findResultTarget(LinkStore& store, std::string_view id)
{
    if (store.FindItem(store.Root(), id) != nullptr) {
        return { &store.Root(), true };
    }
    for (const auto& folder : store.Root().SubFolders) {
        if (folder->id == id) {
            return { folder.get(), false };
        }
        if (store.FindItem(*folder, id) != nullptr) {
            return { folder.get(), true };
        }
    }
    return {};
}

std::vector<ListRow> refreshListRows(const Folder& folder)
{
    std::vector<ListRow> rows;
    rows.reserve(folder.FolderItems.size());
    for (const auto& item : folder.FolderItems) {
        ListRow row;
        row.Name = item->Caption;
        row.MDate = item->MDate;
        row.ID = item->IID;
        row.Cut = item->Cut;
        if (item->IsFolder) {
            row.Type = "Folder";
            row.Icon = 6;
        } else {
            row.Type = item->URLType;
            row.URL = item->URL;
            row.Icon = item->Icon;
        }
        rows.push_back(std::move(row));
    }
    return rows;
}

std::string foundText(size_t count)
{
    return std::to_string(count) + " item(s) found";
}

}  // namespace brindlex
