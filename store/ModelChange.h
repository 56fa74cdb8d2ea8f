#pragma once
#include <cstddef>
#include <memory>
#include <optional>
#include <string>
#include <unordered_set>
#include <utility>
#include <vector>

#include "store/Folder.h"
#include "store/FolderItem.h"

namespace brindlex {

class LinkStore;

// How a list of shared elements went from one state to another: the elements that left
// it, with their positions in the list before, and the elements that joined it, with
// their positions in the list after; every other element kept its relative order. Either
// state is made from the other in one pass over the list.
template <typename T> struct ListEdit
{
    using Element = std::shared_ptr<T>;
    std::vector<std::pair<size_t, Element>> removed;  // positions ascending, in the list before
    std::vector<std::pair<size_t, Element>> inserted;  // positions ascending, in the list after
    size_t sizeBefore = 0;
    size_t sizeAfter = 0;

    bool empty() const { return removed.empty() && inserted.empty(); }
};

// The difference between two states of a list. Linear in the part of the lists between
// their common start and common end.
template <typename T>
ListEdit<T> diffLists(const std::vector<std::shared_ptr<T>>& before, const std::vector<std::shared_ptr<T>>& after);

// The fields of a folder that a command can change.
struct FolderFields
{
    std::string Caption;
    std::string id;
    std::string parent;
    DateTime MDate;
    std::string Path;
    std::string Description;

    bool operator==(const FolderFields&) const = default;
    // Every field but Path. Path is never stored and is rewritten each time the tree is
    // built, so a window that rebuilds its tree after a change does not make the change's
    // record stale.
    bool sameStored(const FolderFields& other) const
    {
        return Caption == other.Caption && id == other.id && parent == other.parent && MDate == other.MDate
            && Description == other.Description;
    }
};

// What a window's folder tree showed: the folders open in it (by id, the root's
// included) and how far it was scrolled. The model never reads it; a step keeps it for
// each of its sides so that undo and redo show the tree as it was there.
struct TreeState
{
    std::vector<std::string> openFolders;
    int scroll = 0;

    bool operator==(const TreeState&) const = default;
};

// One change of the model, kept so that it can be undone and redone exactly.
//
// A command first says what it is about to change (the WillChange calls), then makes its
// change with the usual operations, and Finish() works out what differs: the entries and
// folders that left or joined each list it named, with their positions, and the old and
// new fields of the entries and folders it named. Only those differences are kept, so a
// step costs what the command changed, not the size of the database. The objects that
// left or joined are kept themselves, so ids, captions and dates come back unchanged.
//
// The change also remembers CurrentFolder before and after. The entries' cut marks and
// the id counters are not part of it: undoing a change never lets an id be issued twice.
class ModelChange
{
public:
    ModelChange(LinkStore& store, std::string caption);
    ModelChange(ModelChange&&) noexcept;
    ModelChange& operator=(ModelChange&&) noexcept;
    ~ModelChange();

    // The entries of `folder`: which there are and their order.
    void WillChangeEntries(Folder& folder);
    // The root's flat list of folders.
    void WillChangeFlatList();
    // The SubFolders of `folder` (for the root: the flat list).
    void WillChangeSubFolders(Folder& folder);
    // The SubFolders of every folder, as LinkFolders rebuilds them.
    void WillChangeAllSubFolders();
    // The fields of one entry or folder.
    void WillChangeEntry(const std::shared_ptr<FolderItem>& item);
    void WillChangeFolder(Folder& folder);
    // Everything an import can change: the entries of every folder, the flat list, the
    // SubFolders and the fields of every folder. The fields of entries that were there
    // before are not watched: an import only adds entries.
    void WillChangeAllLists();

    // Ends the recording. False when the command changed nothing.
    bool Finish();

    const std::string& Caption() const { return m_caption; }
    // About how much memory the change keeps alive: the positions it records, the objects
    // that are out of the model on one of its sides (the larger side) and the copies of
    // fields.
    size_t Bytes() const { return m_bytes; }

    // Put the model back as it was before the change, or as the change left it. A change
    // is applied only to the model as it left it (or found it): when the model is not in
    // that state (it was changed without being recorded), nothing is changed and the
    // result is false.
    bool Undo();
    bool Redo();

    // The entries of `folder` that the change put in (after) or took out (before), in
    // list order: what a window selects after redoing or undoing it.
    std::vector<std::string> EntriesAdded(const Folder& folder) const;
    std::vector<std::string> EntriesRemoved(const Folder& folder) const;
    // CurrentFolder before and after the change.
    const std::shared_ptr<Folder>& CurrentBefore() const { return m_currentBefore; }
    const std::shared_ptr<Folder>& CurrentAfter() const { return m_currentAfter; }
    // True when folders joined or left the flat list or changed fields: the tree must be
    // rebuilt after undoing or redoing it.
    bool ChangesFolders() const;

    // The window's tree before the change (as the history's source gave it when the
    // recording began, or when the change was last redone) and after it (when it was
    // last undone); none without a source.
    const std::optional<TreeState>& TreeBefore() const { return m_treeBefore; }
    const std::optional<TreeState>& TreeAfter() const { return m_treeAfter; }
    void SetTreeBefore(std::optional<TreeState> tree);
    void SetTreeAfter(std::optional<TreeState> tree);

private:
    struct EntriesRecord
    {
        std::shared_ptr<Folder> folder;
        ListEdit<FolderItem> edit;
    };
    struct SubFoldersRecord
    {
        std::shared_ptr<Folder> folder;
        ListEdit<Folder> edit;
    };
    struct EntryFieldsRecord
    {
        std::shared_ptr<FolderItem> item;
        FolderItem before;
        FolderItem after;
    };
    struct FolderFieldsRecord
    {
        std::shared_ptr<Folder> folder;
        FolderFields before;
        FolderFields after;
    };
    // What a WillChange call copied, until Finish compares it with the result.
    struct Snapshots
    {
        std::unordered_set<const Folder*> entriesOf, subFoldersOf, fieldsOf;
        std::unordered_set<const FolderItem*> entryFields;
        std::vector<std::pair<std::shared_ptr<Folder>, std::vector<std::shared_ptr<FolderItem>>>> entries;
        std::vector<std::pair<std::shared_ptr<Folder>, std::vector<std::shared_ptr<Folder>>>> subFolders;
        std::vector<std::pair<std::shared_ptr<FolderItem>, FolderItem>> items;
        std::vector<std::pair<std::shared_ptr<Folder>, FolderFields>> folders;
    };

    bool apply(bool forward);
    static size_t treeBytes(const std::optional<TreeState>& tree);

    LinkStore* m_store;
    std::string m_caption;
    std::shared_ptr<Folder> m_currentBefore;
    std::shared_ptr<Folder> m_currentAfter;
    std::unique_ptr<Snapshots> m_snapshots;  // while recording
    std::vector<EntriesRecord> m_entries;
    std::vector<SubFoldersRecord> m_subFolders;
    std::vector<EntryFieldsRecord> m_entryFields;
    std::vector<FolderFieldsRecord> m_folderFields;
    std::optional<TreeState> m_treeBefore;
    std::optional<TreeState> m_treeAfter;
    size_t m_bytes = 0;
};

}  // namespace brindlex
