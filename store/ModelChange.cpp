#include "store/ModelChange.h"

#include <algorithm>
#include <cassert>

#include "store/LinkStore.h"
#include "store/UndoHistory.h"

namespace brindlex {

namespace {

FolderFields fieldsOf(const Folder& folder)
{
    return { folder.Caption, folder.id, folder.parent, folder.MDate, folder.Path, folder.Description };
}

void assignFields(Folder& folder, const FolderFields& fields)
{
    folder.Caption = fields.Caption;
    folder.id = fields.id;
    folder.parent = fields.parent;
    folder.MDate = fields.MDate;
    folder.Path = fields.Path;
    folder.Description = fields.Description;
}

// Every stored field; the cut mark belongs to the clipboard, not to the entry.
bool sameFields(const FolderItem& a, const FolderItem& b)
{
    return a.Caption == b.Caption && a.URL == b.URL && a.IsFolder == b.IsFolder && a.IID == b.IID && a.Icon == b.Icon
        && a.MDate == b.MDate && a.URLType == b.URLType && a.Description == b.Description && a.Client == b.Client
        && a.Cache == b.Cache;
}

void assignFields(FolderItem& item, const FolderItem& fields)
{
    const bool cut = item.Cut;
    item = fields;
    item.Cut = cut;
}

size_t textBytes(const std::string& text)
{
    // Short texts live inside the string object itself.
    return text.capacity() > 15 ? text.capacity() + 1 : 0;
}

size_t itemBytes(const FolderItem& item)
{
    return sizeof(FolderItem) + textBytes(item.Caption) + textBytes(item.URL) + textBytes(item.IID)
        + textBytes(item.URLType) + textBytes(item.Description) + textBytes(item.Client) + textBytes(item.Cache);
}

size_t fieldBytes(const FolderFields& fields)
{
    return sizeof(FolderFields) + textBytes(fields.Caption) + textBytes(fields.id) + textBytes(fields.parent)
        + textBytes(fields.Path) + textBytes(fields.Description);
}

// A folder with its own entries (folders below it are counted where they are recorded).
size_t folderBytes(const Folder& folder)
{
    size_t bytes = sizeof(Folder) + fieldBytes(fieldsOf(folder)) + folder.FolderItems.capacity() * sizeof(void*) * 2
        + folder.SubFolders.capacity() * sizeof(void*) * 2;
    for (const auto& item : folder.FolderItems) {
        bytes += itemBytes(*item);
    }
    return bytes;
}

size_t elementBytes(const FolderItem& item)
{
    return itemBytes(item);
}

size_t elementBytes(const Folder& folder)
{
    return folderBytes(folder);
}

// The positions, and with `deep` the elements the model does not hold: those that left it
// while the change is done, those that joined it while it is undone; whichever is larger
// (a move keeps the entries that left and makes new ones, but only one side is ever out
// of the model).
template <typename T> size_t editBytes(const ListEdit<T>& edit, bool deep)
{
    size_t bytes = sizeof(ListEdit<T>) + (edit.removed.size() + edit.inserted.size()) * (sizeof(size_t) + 16);
    if (deep) {
        size_t removed = 0;
        size_t inserted = 0;
        for (const auto& [position, element] : edit.removed) {
            removed += elementBytes(*element);
        }
        for (const auto& [position, element] : edit.inserted) {
            inserted += elementBytes(*element);
        }
        bytes += std::max(removed, inserted);
    }
    return bytes;
}

// True when `list` holds `present` at their positions and has `size` elements.
template <typename T>
bool holds(const std::vector<std::shared_ptr<T>>& list, size_t size,
    const std::vector<std::pair<size_t, std::shared_ptr<T>>>& present)
{
    if (list.size() != size) {
        return false;
    }
    return std::all_of(present.begin(), present.end(),
        [&](const auto& element) { return element.first < size && list[element.first] == element.second; });
}

// Drops the elements at the positions of `drop` from `list` and puts those of `add` at
// their positions in the result; the others keep their order.
template <typename T>
void transform(std::vector<std::shared_ptr<T>>& list, const std::vector<std::pair<size_t, std::shared_ptr<T>>>& drop,
    const std::vector<std::pair<size_t, std::shared_ptr<T>>>& add, size_t resultSize)
{
    std::vector<std::shared_ptr<T>> out;
    out.reserve(resultSize);
    size_t d = 0;
    size_t a = 0;
    for (size_t i = 0; i < list.size(); ++i) {
        if (d < drop.size() && drop[d].first == i) {
            ++d;
            continue;
        }
        while (a < add.size() && add[a].first == out.size()) {
            out.push_back(add[a++].second);
        }
        out.push_back(std::move(list[i]));
    }
    while (a < add.size()) {
        out.push_back(add[a++].second);
    }
    assert(out.size() == resultSize);  // the edit was made from these very states
    list = std::move(out);
}

template <typename T> void applyEdit(std::vector<std::shared_ptr<T>>& list, const ListEdit<T>& edit, bool forward)
{
    if (forward) {
        transform(list, edit.removed, edit.inserted, edit.sizeAfter);
    } else {
        transform(list, edit.inserted, edit.removed, edit.sizeBefore);
    }
}

template <typename T> bool canApply(const std::vector<std::shared_ptr<T>>& list, const ListEdit<T>& edit, bool forward)
{
    return forward ? holds(list, edit.sizeBefore, edit.removed) : holds(list, edit.sizeAfter, edit.inserted);
}

}  // namespace

template <typename T>
ListEdit<T> diffLists(const std::vector<std::shared_ptr<T>>& before, const std::vector<std::shared_ptr<T>>& after)
{
    ListEdit<T> edit;
    edit.sizeBefore = before.size();
    edit.sizeAfter = after.size();
    const size_t shorter = std::min(before.size(), after.size());
    size_t start = 0;
    while (start < shorter && before[start] == after[start]) {
        ++start;
    }
    size_t common = 0;  // elements the two lists end with
    while (common < shorter - start && before[before.size() - 1 - common] == after[after.size() - 1 - common]) {
        ++common;
    }
    const size_t beforeEnd = before.size() - common;
    const size_t afterEnd = after.size() - common;
    const auto takeAll = [](std::vector<std::pair<size_t, std::shared_ptr<T>>>& into,
                             const std::vector<std::shared_ptr<T>>& list, size_t from, size_t to) {
        into.reserve(to - from);
        for (size_t i = from; i < to; ++i) {
            into.emplace_back(i, list[i]);
        }
    };
    if (start == beforeEnd || start == afterEnd) {
        takeAll(edit.removed, before, start, beforeEnd);
        takeAll(edit.inserted, after, start, afterEnd);
        return edit;
    }

    std::unordered_set<const T*> inBefore;
    std::unordered_set<const T*> inAfter;
    inBefore.reserve(beforeEnd - start);
    inAfter.reserve(afterEnd - start);
    for (size_t i = start; i < beforeEnd; ++i) {
        inBefore.insert(before[i].get());
    }
    for (size_t i = start; i < afterEnd; ++i) {
        inAfter.insert(after[i].get());
    }
    for (size_t i = start; i < beforeEnd; ++i) {
        if (inAfter.count(before[i].get()) == 0) {
            edit.removed.emplace_back(i, before[i]);
        }
    }
    for (size_t i = start; i < afterEnd; ++i) {
        if (inBefore.count(after[i].get()) == 0) {
            edit.inserted.emplace_back(i, after[i]);
        }
    }
    // What stayed must be in the same order (and each element once); otherwise the middle
    // of the list is recorded as replaced whole.
    size_t r = 0;
    size_t n = 0;
    size_t i = start;
    size_t j = start;
    bool sameOrder = true;
    while (sameOrder) {
        while (r < edit.removed.size() && edit.removed[r].first == i) {
            ++r;
            ++i;
        }
        while (n < edit.inserted.size() && edit.inserted[n].first == j) {
            ++n;
            ++j;
        }
        if (i == beforeEnd || j == afterEnd) {
            sameOrder = i == beforeEnd && j == afterEnd;
            break;
        }
        sameOrder = before[i++] == after[j++];
    }
    if (!sameOrder) {
        edit.removed.clear();
        edit.inserted.clear();
        takeAll(edit.removed, before, start, beforeEnd);
        takeAll(edit.inserted, after, start, afterEnd);
    }
    return edit;
}

template ListEdit<FolderItem> diffLists(
    const std::vector<std::shared_ptr<FolderItem>>&, const std::vector<std::shared_ptr<FolderItem>>&);
template ListEdit<Folder> diffLists(
    const std::vector<std::shared_ptr<Folder>>&, const std::vector<std::shared_ptr<Folder>>&);

ModelChange::ModelChange(LinkStore& store, std::string caption)
    : m_store(&store)
    , m_caption(std::move(caption))
    , m_currentBefore(store.CurrentFolderPtr())
    , m_snapshots(std::make_unique<Snapshots>())
    , m_treeBefore(store.History().CurrentTree())
{
}

ModelChange::ModelChange(ModelChange&&) noexcept = default;
ModelChange& ModelChange::operator=(ModelChange&&) noexcept = default;
ModelChange::~ModelChange() = default;

void ModelChange::WillChangeEntries(Folder& folder)
{
    assert(m_snapshots);  // only while recording
    if (m_snapshots->entriesOf.insert(&folder).second) {
        m_snapshots->entries.emplace_back(folder.shared_from_this(), folder.FolderItems);
    }
}

void ModelChange::WillChangeFlatList()
{
    WillChangeSubFolders(m_store->Root());
}

void ModelChange::WillChangeSubFolders(Folder& folder)
{
    assert(m_snapshots);
    if (m_snapshots->subFoldersOf.insert(&folder).second) {
        m_snapshots->subFolders.emplace_back(folder.shared_from_this(), folder.SubFolders);
    }
}

void ModelChange::WillChangeAllSubFolders()
{
    WillChangeFlatList();
    for (const auto& folder : m_store->Root().SubFolders) {
        WillChangeSubFolders(*folder);
    }
}

void ModelChange::WillChangeEntry(const std::shared_ptr<FolderItem>& item)
{
    assert(m_snapshots);
    if (m_snapshots->entryFields.insert(item.get()).second) {
        m_snapshots->items.emplace_back(item, *item);
    }
}

void ModelChange::WillChangeFolder(Folder& folder)
{
    assert(m_snapshots);
    if (m_snapshots->fieldsOf.insert(&folder).second) {
        m_snapshots->folders.emplace_back(folder.shared_from_this(), fieldsOf(folder));
    }
}

void ModelChange::WillChangeAllLists()
{
    Folder& root = m_store->Root();
    WillChangeEntries(root);
    WillChangeFolder(root);
    WillChangeAllSubFolders();
    for (const auto& folder : root.SubFolders) {
        WillChangeEntries(*folder);
        WillChangeFolder(*folder);
    }
}

bool ModelChange::Finish()
{
    assert(m_snapshots);
    const std::unique_ptr<Snapshots> snapshots = std::move(m_snapshots);
    m_currentAfter = m_store->CurrentFolderPtr();
    m_bytes = sizeof(ModelChange) + m_caption.capacity() + treeBytes(m_treeBefore) + treeBytes(m_treeAfter);
    for (auto& [folder, before] : snapshots->entries) {
        ListEdit<FolderItem> edit = diffLists(before, folder->FolderItems);
        if (!edit.empty()) {
            m_bytes += editBytes(edit, true);
            m_entries.push_back({ folder, std::move(edit) });
        }
    }
    for (auto& [folder, before] : snapshots->subFolders) {
        ListEdit<Folder> edit = diffLists(before, folder->SubFolders);
        if (!edit.empty()) {
            // Only the flat list owns folders; the other lists are indexes into it.
            m_bytes += editBytes(edit, folder.get() == &m_store->Root());
            m_subFolders.push_back({ folder, std::move(edit) });
        }
    }
    for (auto& [item, before] : snapshots->items) {
        if (!sameFields(before, *item)) {
            m_bytes += 2 * itemBytes(before);
            m_entryFields.push_back({ item, std::move(before), *item });
        }
    }
    bool storedFieldsChanged = false;
    for (auto& [folder, before] : snapshots->folders) {
        FolderFields after = fieldsOf(*folder);
        if (before != after) {
            // A change of Path alone is kept (undo gives the Paths back) but is no change
            // of the database.
            storedFieldsChanged = storedFieldsChanged || !before.sameStored(after);
            m_bytes += fieldBytes(before) + fieldBytes(after);
            m_folderFields.push_back({ folder, std::move(before), std::move(after) });
        }
    }
    return !m_entries.empty() || !m_subFolders.empty() || !m_entryFields.empty() || storedFieldsChanged;
}

bool ModelChange::Undo()
{
    return apply(false);
}

bool ModelChange::Redo()
{
    return apply(true);
}

bool ModelChange::apply(bool forward)
{
    assert(!m_snapshots);  // recording has finished
    for (const EntriesRecord& record : m_entries) {
        if (!canApply(record.folder->FolderItems, record.edit, forward)) {
            return false;
        }
    }
    for (const SubFoldersRecord& record : m_subFolders) {
        if (!canApply(record.folder->SubFolders, record.edit, forward)) {
            return false;
        }
    }
    for (const EntryFieldsRecord& record : m_entryFields) {
        if (!sameFields(*record.item, forward ? record.before : record.after)) {
            return false;
        }
    }
    for (const FolderFieldsRecord& record : m_folderFields) {
        if (!fieldsOf(*record.folder).sameStored(forward ? record.before : record.after)) {
            return false;
        }
    }

    for (const EntriesRecord& record : m_entries) {
        applyEdit(record.folder->FolderItems, record.edit, forward);
    }
    for (const SubFoldersRecord& record : m_subFolders) {
        applyEdit(record.folder->SubFolders, record.edit, forward);
    }
    for (const EntryFieldsRecord& record : m_entryFields) {
        assignFields(*record.item, forward ? record.after : record.before);
    }
    for (const FolderFieldsRecord& record : m_folderFields) {
        assignFields(*record.folder, forward ? record.after : record.before);
    }
    // The objects that came back keep their ids; only those are added to the set of ids
    // in use (a folder coming back into the flat list brings its entries).
    m_store->IndexesChangedKeepingIds();
    for (const EntriesRecord& record : m_entries) {
        for (const auto& [position, item] : forward ? record.edit.inserted : record.edit.removed) {
            m_store->RegisterId(item->IID);
        }
    }
    for (const SubFoldersRecord& record : m_subFolders) {
        if (record.folder.get() != &m_store->Root()) {
            continue;  // an index into the flat list
        }
        for (const auto& [position, folder] : forward ? record.edit.inserted : record.edit.removed) {
            m_store->RegisterId(folder->id);
            for (const auto& item : folder->FolderItems) {
                m_store->RegisterId(item->IID);
            }
        }
    }
    for (const EntryFieldsRecord& record : m_entryFields) {
        m_store->RegisterId(record.item->IID);
    }
    for (const FolderFieldsRecord& record : m_folderFields) {
        m_store->RegisterId(record.folder->id);
    }
    const std::shared_ptr<Folder>& current = forward ? m_currentAfter : m_currentBefore;
    Folder* present = m_store->FindFolderOrRoot(current->id);
    m_store->SetCurrentFolder(present == current.get() ? *current : m_store->Root());
    return true;
}

std::vector<std::string> ModelChange::EntriesAdded(const Folder& folder) const
{
    std::vector<std::string> ids;
    for (const EntriesRecord& record : m_entries) {
        if (record.folder.get() == &folder) {
            for (const auto& [position, item] : record.edit.inserted) {
                ids.push_back(item->IID);
            }
        }
    }
    return ids;
}

std::vector<std::string> ModelChange::EntriesRemoved(const Folder& folder) const
{
    std::vector<std::string> ids;
    for (const EntriesRecord& record : m_entries) {
        if (record.folder.get() == &folder) {
            for (const auto& [position, item] : record.edit.removed) {
                ids.push_back(item->IID);
            }
        }
    }
    return ids;
}

void ModelChange::SetTreeBefore(std::optional<TreeState> tree)
{
    m_bytes = m_bytes - treeBytes(m_treeBefore) + treeBytes(tree);
    m_treeBefore = std::move(tree);
}

void ModelChange::SetTreeAfter(std::optional<TreeState> tree)
{
    m_bytes = m_bytes - treeBytes(m_treeAfter) + treeBytes(tree);
    m_treeAfter = std::move(tree);
}

size_t ModelChange::treeBytes(const std::optional<TreeState>& tree)
{
    if (!tree) {
        return 0;
    }
    size_t bytes = tree->openFolders.capacity() * sizeof(std::string);
    for (const std::string& id : tree->openFolders) {
        bytes += textBytes(id);
    }
    return bytes;
}

bool ModelChange::ChangesFolders() const
{
    return !m_subFolders.empty() || !m_folderFields.empty()
        || std::any_of(m_entryFields.begin(), m_entryFields.end(),
            [](const EntryFieldsRecord& record) { return record.before.IsFolder || record.after.IsFolder; })
        || std::any_of(m_entries.begin(), m_entries.end(), [](const EntriesRecord& record) {
               return std::any_of(record.edit.removed.begin(), record.edit.removed.end(),
                          [](const auto& element) { return element.second->IsFolder; })
                   || std::any_of(record.edit.inserted.begin(), record.edit.inserted.end(),
                       [](const auto& element) { return element.second->IsFolder; });
           });
}

}  // namespace brindlex
