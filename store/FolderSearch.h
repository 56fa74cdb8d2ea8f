#pragma once
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "store/DateTime.h"
#include "store/ListRow.h"

namespace brindlex {

class EventPump;
class Folder;
class LinkStore;

// The search options of the find dialog.
struct FindQuery
{
    std::string Text;
    bool MatchCase = false;  // off: both sides are case-folded before comparing
    bool ContainingText = false;  // off: the caption must equal the text
};

// One row of the find dialog's results.
struct FindResultRow
{
    std::string Name;  // the entry's Caption, untrimmed
    std::string InFolder;  // the tree path of the folder the entry was found in
    DateTime MDate;
    std::string Type;  // URLType, or a NUL character followed by "Folder" for a folder entry
    std::string URL;  // empty for a folder entry
    std::string ID;  // the entry's IID
    int Icon = 5;  // 6 for a folder entry, else the entry's Icon
};

// Whether `caption` matches `text` under the query's options; without matchCase the
// letter case of every script is ignored.
bool CheckMatch(std::string_view caption, std::string_view text, bool matchCase, bool containingText);

// The full path of a folder's tree node: the root's Caption for the root, the Path the
// tree pane wrote for any other folder.
std::string treeNodePath(const LinkStore& store, const Folder& folder);

// How a search reports to its window.
struct SearchHooks
{
    // The tree path shown for a folder ("In Folder" and the status text); treeNodePath
    // when not given.
    std::function<std::string(const Folder&)> nodePath;
    // The first status panel's text while searching.
    std::function<void(const std::string&)> status;
    // Asked after every event pass: true ends the search with the rows found so far
    // (the window that searches is closing).
    std::function<bool()> stopped;
    // Told of each result row as soon as it is found, before the next event pass, so
    // that a window can show the rows while the search goes on.
    std::function<void(const FindResultRow&)> found;
};

// Searches `start` and every folder below it, depth first: a folder's matching entries
// in order, each sub-folder's results directly after that sub-folder's own entry. A
// folder without entries is passed over without a status text; for every other folder
// the status reads "Searching <path>. . ." and pending events run. A folder is searched
// at most once, whatever loops its entries make, and any depth is walked without recursion.
// Folders and entries that the events remove from the store meanwhile stay valid until
// the search ends; what they held when they were reached is searched.
std::vector<FindResultRow> SearchFolder(
    LinkStore& store, Folder& start, const FindQuery& query, const SearchHooks& hooks, EventPump& events);

// The whole search of the find button: lets events run, searches from the root and
// ends with the count text in the status (not when stopped).
std::vector<FindResultRow> DoSearch(
    LinkStore& store, const FindQuery& query, const SearchHooks& hooks, EventPump& events);

// Where a clicked result leads: the folder to show and whether to select the entry's
// row there. An entry of the root shows the root; otherwise the first folder of the flat
// list that either has this id (shown, nothing selected) or holds an entry with it (shown,
// the entry selected). `folder` is null for an id found nowhere.
struct FindResultTarget
{
    Folder* folder = nullptr;
    bool selectEntry = false;
};
FindResultTarget findResultTarget(LinkStore& store, std::string_view id);

// The contents list's rows as the find dialog fills it after a click: every entry of
// `folder` in order, Caption untrimmed and without a leading blank, Client and
// Description left empty, "Folder" as the type of a folder entry.
std::vector<ListRow> refreshListRows(const Folder& folder);

// "<n> item(s) found".
std::string foundText(size_t count);

}  // namespace brindlex
