#pragma once
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>
#include <unordered_set>
#include <vector>

#include "store/Folder.h"

namespace brindlex {

class Clock;
class UndoHistory;

// Hash and equality for tables keyed by std::string that are searched with a
// string_view, so that a lookup makes no temporary string.
struct StringHash
{
    using is_transparent = void;
    size_t operator()(std::string_view text) const { return std::hash<std::string_view> {}(text); }
};
template <typename Value> using StringMap = std::unordered_map<std::string, Value, StringHash, std::equal_to<>>;
using StringSet = std::unordered_set<std::string, StringHash, std::equal_to<>>;

// A folder entry and the folder whose entries hold it.
struct FolderEntryRef
{
    const Folder* holder;
    const FolderItem* entry;
};

// Owns the open database: the root folder (whose SubFolders is the flat list of every
// folder), CurrentFolder, the id counters and the database's path and title, plus the
// indexes that answer "first folder whose id equals ..." in constant time.
//
// The flat list and the folders' entry lists are public members of the records. Code
// that edits the root's SubFolders directly (rather than through the operations here)
// calls IndexesChanged() afterwards.
class LinkStore
{
public:
    explicit LinkStore(Clock& clock);
    ~LinkStore();
    LinkStore(const LinkStore&) = delete;
    LinkStore& operator=(const LinkStore&) = delete;

    Folder& Root() { return *m_root; }
    const Folder& Root() const { return *m_root; }
    std::shared_ptr<Folder> RootPtr() const { return m_root; }

    // The folder shown in the contents list; CreateEntry and AddLoadedItem put new entries there.
    Folder& CurrentFolder() { return *m_current; }
    const Folder& CurrentFolder() const { return *m_current; }
    std::shared_ptr<Folder> CurrentFolderPtr() const { return m_current; }
    void SetCurrentFolder(Folder& folder);

    int& EntryCounter() { return m_entryCounter; }
    const std::string& DatabasePath() const { return m_databasePath; }
    const std::string& DatabaseTitle() const { return m_databaseTitle; }
    void SetDatabasePath(std::string path);  // also sets the title (file name part)
    void SetDatabaseTitle(std::string title) { m_databaseTitle = std::move(title); }

    // How CreateEntry assigns clients: the AutoAssign mode 0..7 and the service name of
    // the current default browser client (used by mode 1).
    void SetAutoAssign(int mode) { m_autoAssign = mode; }
    int AutoAssign() const { return m_autoAssign; }
    void SetDefaultClient(std::string client) { m_defaultClient = std::move(client); }
    const std::string& DefaultClient() const { return m_defaultClient; }

    Clock& clock() const { return m_clock; }

    // The changes of the open database that can be undone and redone. NewDatabase and
    // loading another database clear it.
    UndoHistory& History() { return *m_history; }

    // Makes an entry in CurrentFolder (and, for a folder, its Folder); returns its IID,
    // which lives as long as the entry.
    const std::string& CreateEntry(bool IsFolder, std::string_view URL, int Icon, std::string_view Caption,
        std::string_view URLType, std::string_view Description);
    // Puts a link made ahead of time (on another thread, say) in CurrentFolder, as
    // CreateEntry(false, URL, Icon, Caption, URLType, "") would make it: `link` already
    // holds what CreateEntry makes of those (a Caption that is not empty, without double
    // quotes); its IID, client and icon are given here, and its MDate, unless it has one.
    FolderItem& AdoptLink(std::shared_ptr<FolderItem> link, int Icon);
    std::string DefaultCaption(bool isFolder) const;
    // Appends a new Folder to the flat list; returns its 1-based position there.
    size_t AddLoadedFolder(
        std::string Caption, std::string id, std::string parent, DateTime MDate, std::string Description);
    // Appends an entry with exactly these values to CurrentFolder.
    FolderItem& AddLoadedItem(std::string Caption, std::string URL, bool IsFolder, std::string IID, int Icon,
        DateTime MDate, std::string URLType, std::string Description, std::string Client, std::string Cache);
    // Rebuilds every folder's SubFolders from the parent ids. Parent chains that loop end
    // when they come back round.
    void LinkFolders();
    // Removes from the flat list every folder below `folder` (reached through its folder
    // entries, depth first). `folder` itself stays.
    void PurgeSubfolders(Folder& folder);
    // Makes a damaged tree whole again, as after loading a file that was not written by
    // this program: a folder whose id repeats an earlier folder's id (or is "RootFolder")
    // gets a new id; a folder whose parent is unknown or whose parent chain loops is moved
    // to the top level; and every folder gets its folder entry in its parent when it has
    // none. Moved and re-numbered folders get their entry in the root. Returns how many
    // folders were changed. Linear in the size of the database. A reader that has just
    // made the whole model can hand in every folder entry of it, so that the entries
    // need not all be looked at again.
    size_t AttachStrayFolders(const std::vector<FolderEntryRef>* folderEntries = nullptr);
    // Places every folder nested deeper than `maxDepth` levels below the root at that
    // level: inside the folder of level maxDepth - 1 above it, its folder entry moved along
    // (and its subtree, flattened the same way). Returns how many folders moved. Linear in
    // the size of the database.
    size_t PlaceDeepFolders(int maxDepth);
    // How many levels below the root `folder` is (1 for a folder in the root), following
    // parent ids; a chain that loops or breaks counts as reaching the root there.
    int FolderDepth(const Folder& folder);
    // An empty database that is not yet on disk, at programDir + "/NewDB.BDX".
    void NewDatabase(const std::string& programDir);
    // Drops every folder and entry (the window's unload): the root stays, empty, and is
    // CurrentFolder; path and title stay. Folders whose parents loop are freed too.
    void Clear();

    // The first folder of the flat list whose id equals `id`, or null.
    Folder* FindFolder(std::string_view id);
    const Folder* FindFolder(std::string_view id) const;
    std::shared_ptr<Folder> FindFolderPtr(std::string_view id);
    // As FindFolder, but "RootFolder" gives the root.
    Folder* FindFolderOrRoot(std::string_view id);
    // The first entry of `folder` whose IID equals `iid`, or null.
    FolderItem* FindItem(Folder& folder, std::string_view iid);
    // The entry that stands for `folder` in its parent's entries, or null.
    FolderItem* FolderEntry(const Folder& folder);

    // A new id: the present date-time text followed by ++counter. A candidate that is
    // already used in the database is skipped, so ids never repeat. The caller applies
    // its own counter reset rule first.
    std::string NewId(int& counter);
    bool IdInUse(std::string_view id);
    void RegisterId(std::string_view id);

    // Visits `start` and every folder below it, depth first, through the folder entries
    // in collection order. `enter` returns false to skip a folder's subtree; `leave` runs
    // after a folder's subtree. A folder is visited at most once, so entries that point
    // back up the tree cannot loop. No recursion: any depth is safe.
    void WalkFolders(Folder& start, const std::function<bool(Folder&, int depth)>& enter,
        const std::function<void(Folder&, int depth)>& leave = {});
    // Appends to / removes from the flat list, keeping the indexes right.
    void AppendToFlatList(std::shared_ptr<Folder> folder);
    void RemoveFromFlatList(const std::unordered_set<const Folder*>& folders);
    void IndexesChanged();
    // The same after the model was put back to a state it had (an undo or redo): the set
    // of ids in use is kept, and the caller registers the ids that came back (RegisterId),
    // so that the next new entry does not walk the whole model to rebuild it. The set may
    // then still hold ids that left, which only makes it skip them.
    void IndexesChangedKeepingIds();

private:
    void releaseModel();
    void assignClient(FolderItem& item, int Icon);
    std::string issueId(int& counter, const DateTime& now);
    void ensureFolderIndex() const;
    void ensureIdSet();

    Clock& m_clock;
    std::unique_ptr<UndoHistory> m_history;
    std::shared_ptr<Folder> m_root;
    std::shared_ptr<Folder> m_current;
    int m_entryCounter = 0;
    std::string m_databasePath;
    std::string m_databaseTitle;
    int m_autoAssign = 0;
    std::string m_defaultClient = "None";

    mutable StringMap<size_t> m_folderIndex;  // id -> position of the first folder with it
    mutable size_t m_indexedSize = 0;  // how many folders of the flat list m_folderIndex holds
    // The flat list's size as AppendToFlatList left it. While the list has that size, the
    // folders past m_indexedSize were appended since and the index only takes them in.
    mutable size_t m_appendedSize = 0;
    mutable bool m_folderIndexValid = false;
    const Folder* m_itemIndexFolder = nullptr;  // the folder m_itemIndex describes
    size_t m_itemIndexSize = 0;
    StringMap<size_t> m_itemIndex;  // IID -> position in m_itemIndexFolder
    // The ids NewId issued in one second, a bit per counter: an import of a million links
    // would otherwise keep a million strings in a hash set only to know they are taken.
    struct IssuedIds
    {
        std::string dateText;
        std::vector<uint64_t> bits;  // bit c: dateText + c was issued
        int highest = 0;  // the highest counter issued
        bool foreign = false;  // m_usedIds may hold ids that start with dateText
    };
    IssuedIds& issuedFor(const std::string& dateText);
    IssuedIds* issuedEntryOf(std::string_view id, int& counter);
    bool issued(const IssuedIds& ids, int counter) const;
    bool idTaken(const IssuedIds& ids, int counter);
    void noteId(std::string_view id);

    bool m_idSetValid = false;
    StringSet m_usedIds;  // every id of the database not issued by NewId, once built
    StringSet m_foreignPrefixes;  // the ids of m_usedIds without their trailing digits
    std::vector<IssuedIds> m_issued;  // the most recent second last; a few dozen at most
    DateTime m_dateTextTime;  // the clock reading m_dateText was made from
    std::string m_dateText;
    std::string m_candidate;  // scratch: the id NewId is looking at
};

}  // namespace brindlex
