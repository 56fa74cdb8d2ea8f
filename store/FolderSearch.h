#pragma once
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "store/DateTime.h"

namespace brindlex {

class EventPump;
class Folder;
class LinkStore;

// The search options of the find dialog.
struct FindQuery
{
    std::string Text;
    bool MatchCase = false;  // off: both sides are lower-cased before comparing
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

// Lower-cases ASCII letters and the accented Latin letters of UTF-8 text.
std::string lowerText(std::string_view text);

// Whether `caption` matches `text` under the query's options.
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
};

// Searches `start` and every folder below it, depth first: a folder's matching entries
// in order, each sub-folder's results directly after that sub-folder's own entry. A
// folder without entries is passed over without a status text; for every other folder
// the status reads "Searching <path>. . ." and pending events run. A folder is searched
// at most once, whatever loops its entries make, and any depth is walked without recursion.
std::vector<FindResultRow> SearchFolder(
    LinkStore& store, Folder& start, const FindQuery& query, const SearchHooks& hooks, EventPump& events);

// The whole search of the find button: lets events run, searches from the root and
// ends with the count text in the status.
std::vector<FindResultRow> DoSearch(LinkStore& store, const FindQuery& query, const SearchHooks& hooks, EventPump& events);

// "<n> item(s) found".
std::string foundText(size_t count);

}  // namespace brindlex
