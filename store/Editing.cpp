#include "store/Editing.h"

#include <algorithm>
#include <unordered_map>
#include <unordered_set>

#include "platform/Clipboard.h"
#include "platform/Clock.h"
#include "platform/MessageBoxes.h"
#include "store/Clients.h"
#include "store/ClipboardURL.h"
#include "store/Folder.h"
#include "store/FolderItem.h"
#include "store/LinkStore.h"
#include "store/ListRow.h"
#include "store/ModelChange.h"
#include "store/Text.h"
#include "store/TextRules.h"
#include "store/UndoHistory.h"

namespace brindlex {

namespace {

std::optional<size_t> indexOf(const Folder& folder, std::string_view iid)
{
    for (size_t i = 0; i < folder.FolderItems.size(); ++i) {
        if (folder.FolderItems[i]->IID == iid) {
            return i;
        }
    }
    return std::nullopt;
}

// The positions of the entries of `folder` that the selected rows stand for, in row
// order. Rows are matched by id: an id selected k times stands for the first k entries
// with it, and a row whose entry is gone is skipped. One pass over the folder whatever
// the number of rows: the entries are put into an open-addressing table of positions
// (one array, no allocation per entry), looked up by the hash of the id.
std::vector<size_t> selectedPositions(const Folder& folder, const std::vector<std::string>& ids)
{
    std::vector<size_t> positions;
    if (ids.empty()) {
        return positions;
    }
    constexpr size_t none = static_cast<size_t>(-1);
    const auto& items = folder.FolderItems;
    struct Slot
    {
        size_t hash = 0;
        size_t next = none;  // the first entry with the id not yet taken; none for an empty slot...
        size_t last = none;  // ...or one whose entries are all taken
    };
    size_t capacity = 16;
    while (capacity < 2 * items.size()) {
        capacity *= 2;
    }
    std::vector<Slot> slots(capacity);
    std::vector<size_t> following;  // entry -> the next entry with the same id, only when ids repeat
    const std::hash<std::string_view> hasher;
    // The slot of `id`: the one that holds it, or the empty one where it belongs.
    const auto slotOf = [&](std::string_view id, size_t hash) -> Slot& {
        size_t k = hash & (capacity - 1);
        while (slots[k].last != none && (slots[k].hash != hash || items[slots[k].last]->IID != id)) {
            k = (k + 1) & (capacity - 1);
        }
        return slots[k];
    };
    for (size_t i = 0; i < items.size(); ++i) {
        const size_t hash = hasher(items[i]->IID);
        Slot& slot = slotOf(items[i]->IID, hash);
        if (slot.last == none) {
            slot = { hash, i, i };
        } else {
            following.resize(items.size(), none);
            following[slot.last] = i;
            slot.last = i;
        }
    }
    positions.reserve(ids.size());
    for (const std::string& id : ids) {
        Slot& slot = slotOf(id, hasher(id));
        if (slot.last == none || slot.next == none) {
            continue;
        }
        positions.push_back(slot.next);
        slot.next = following.empty() ? none : following[slot.next];
    }
    return positions;
}

// The list row's name of an entry, as the delete question shows it.
std::string rowName(const FolderItem& item)
{
    return item.IsFolder ? " " + trimBlanks(item.Caption) : trimBlanks(item.Caption);
}

// The caption of an undo step about `count` entries, naming the one entry there is.
std::string namedStep(const std::string& verb, size_t count, std::string_view oneName)
{
    if (count == 1) {
        return verb + " '" + trimBlanks(oneName) + "'";
    }
    return verb + " " + std::to_string(count) + " items";
}

}  // namespace

Editing::Editing(LinkStore& store, MessageBoxes& messages, Clipboard& clipboard)
    : m_store(store)
    , m_messages(messages)
    , m_systemClipboard(clipboard)
{
}

std::string Editing::ClipboardGetURL()
{
    if (m_getURL) {
        return m_getURL();
    }
    return AddURLFromClipboard(m_store, m_messages, m_systemClipboard.text());
}

std::string Editing::NewFolder()
{
    ModelChange change(m_store, "New Folder");
    change.WillChangeEntries(m_store.CurrentFolder());
    change.WillChangeSubFolders(m_store.CurrentFolder());
    change.WillChangeFlatList();
    std::string id = m_store.CreateEntry(true, "", imageNumber(Image::Folder), "", "Folder", "");
    m_store.History().Add(std::move(change));
    return id;
}

std::optional<std::string> Editing::NewEntry(
    const std::string& name, const std::string& url, const std::string& description, int clientIndex)
{
    if (url.empty()) {
        m_messages.show("No URL", "You must enter a URL", MessageIcon::Information);
        return std::nullopt;
    }
    const std::string type = ClassifyURL(url);
    if (name.empty()) {
        m_messages.show("No Name", "You must enter a Name", MessageIcon::Information);
        return std::nullopt;
    }
    ModelChange change(m_store, "New Entry");
    change.WillChangeEntries(m_store.CurrentFolder());
    const int remembered = m_store.AutoAssign();
    m_store.SetAutoAssign(std::clamp(clientIndex, 0, EntryClientCount - 1) + 2);
    std::string id = m_store.CreateEntry(false, url, imageNumber(Image::Link), name, type, description);
    m_store.SetAutoAssign(remembered);
    m_store.History().Add(std::move(change));
    return id;
}

Refresh Editing::RenameListEntry(const std::string& iid, const std::string& newText)
{
    Folder& current = m_store.CurrentFolder();
    const std::optional<size_t> index = indexOf(current, iid);
    if (!index) {
        return Refresh::None;
    }
    const std::shared_ptr<FolderItem>& entry = current.FolderItems[*index];
    FolderItem& item = *entry;
    const std::string text = QuotesToApostrophes(trimBlanks(newText));
    ModelChange change(m_store, namedStep("Rename", 1, text));
    change.WillChangeEntry(entry);
    if (!item.IsFolder) {
        item.Caption = text;
        m_store.History().Add(std::move(change));
        return Refresh::None;
    }
    // Folder entries keep a leading blank so that the list sorts them first.
    item.Caption = " " + text;
    if (Folder* folder = m_store.FindFolder(item.IID)) {
        change.WillChangeFolder(*folder);
        folder->Caption = trimBlanks(text);
    }
    m_store.History().Add(std::move(change));
    return Refresh::Full;
}

void Editing::RenameTreeNode(const std::string& key, const std::string& newText)
{
    const std::string text = QuotesToApostrophes(newText);
    ModelChange change(m_store, namedStep("Rename", 1, text));
    if (key == RootFolderId) {
        change.WillChangeFolder(m_store.Root());
        m_store.Root().Caption = text;
        m_store.History().Add(std::move(change));
        return;
    }
    Folder* folder = m_store.FindFolder(key);
    if (folder == nullptr) {
        return;
    }
    change.WillChangeFolder(*folder);
    folder->Caption = text;
    if (Folder* parent = m_store.FindFolderOrRoot(folder->parent)) {
        if (const std::optional<size_t> index = indexOf(*parent, key)) {
            change.WillChangeEntry(parent->FolderItems[*index]);
            parent->FolderItems[*index]->Caption = text;
        }
    }
    m_store.History().Add(std::move(change));
}

bool Editing::RemoveEntry(Folder& parentFolder, size_t index)
{
    if (index >= parentFolder.FolderItems.size()) {
        return false;
    }
    std::vector<char> marked(parentFolder.FolderItems.size(), 0);
    marked[index] = 1;
    return removeMarked(parentFolder, marked, nullptr) == 1;
}

bool Editing::RemoveEntry(Folder& parentFolder, std::string_view iid)
{
    const std::optional<size_t> index = indexOf(parentFolder, iid);
    return index && RemoveEntry(parentFolder, *index);
}

size_t Editing::RemoveEntries(Folder& parentFolder, const std::vector<std::string>& iids)
{
    return removeEntries(parentFolder, iids, nullptr);
}

size_t Editing::removeEntries(Folder& parentFolder, const std::vector<std::string>& iids, ModelChange* change)
{
    std::vector<char> marked(parentFolder.FolderItems.size(), 0);
    for (const size_t position : selectedPositions(parentFolder, iids)) {
        marked[position] = 1;
    }
    return removeMarked(parentFolder, marked, change);
}

// Takes the marked entries out of `parentFolder` and the folders of the marked folder
// entries, with every folder below them, out of the flat list: one pass over the entries
// and one over the flat list, however many entries go.
size_t Editing::removeMarked(Folder& parentFolder, const std::vector<char>& marked, ModelChange* change)
{
    auto& items = parentFolder.FolderItems;
    std::unordered_set<const Folder*> gone;
    size_t count = 0;
    for (size_t i = 0; i < items.size(); ++i) {
        if (!marked[i]) {
            continue;
        }
        ++count;
        if (!items[i]->IsFolder) {
            continue;
        }
        if (Folder* folder = m_store.FindFolder(items[i]->IID)) {
            m_store.WalkFolders(*folder, [&](Folder& f, int) { return gone.insert(&f).second; });
        }
    }
    if (count == 0) {
        return 0;
    }
    if (change != nullptr) {
        change->WillChangeEntries(parentFolder);
        if (!gone.empty()) {
            change->WillChangeFlatList();
        }
    }
    size_t kept = 0;
    for (size_t i = 0; i < items.size(); ++i) {
        if (!marked[i]) {
            if (kept != i) {
                items[kept] = std::move(items[i]);
            }
            ++kept;
        }
    }
    items.resize(kept);
    m_store.RemoveFromFlatList(gone);
    // Only ids left the model: the set of ids in use stays right (holding ids that left
    // only makes new ids skip them), so the next new entry need not rebuild it.
    m_store.IndexesChangedKeepingIds();
    return count;
}

DeleteOutcome Editing::DeleteSelection(
    const Selection& selection, const std::function<bool(const std::string&)>& confirm)
{
    DeleteOutcome outcome;
    Folder& current = m_store.CurrentFolder();
    if (selection.pane == Pane::ListView1) {
        const std::vector<size_t> positions = selectedPositions(current, selection.rowIds);
        bool folderInvolved = false;
        std::string oneName;
        for (const size_t position : positions) {
            folderInvolved = folderInvolved || current.FolderItems[position]->IsFolder;
        }
        if (positions.empty()) {
            m_messages.beep();
            return outcome;
        }
        if (positions.size() == 1) {
            oneName = rowName(*current.FolderItems[positions.front()]);
        }
        const std::string what
            = positions.size() == 1 ? "'" + oneName + "'" : "these " + std::to_string(positions.size()) + " items";
        if (!confirm("Are you sure you want to delete " + what + " ?")) {
            return outcome;
        }
        ModelChange change(m_store, namedStep("Delete", positions.size(), oneName));
        if (folderInvolved) {
            change.WillChangeAllSubFolders();
        }
        std::vector<char> marked(current.FolderItems.size(), 0);
        for (const size_t position : positions) {
            marked[position] = 1;
        }
        removeMarked(current, marked, &change);
        if (folderInvolved) {
            m_store.LinkFolders();
        }
        m_store.History().Add(std::move(change));
        outcome.deleted = true;
        outcome.refresh = folderInvolved ? Refresh::Full : Refresh::List;
        return outcome;
    }

    if (selection.nodeKey.empty()) {
        m_messages.beep();
        return outcome;
    }
    if (selection.nodeKey == RootFolderId) {
        m_messages.beep();
        m_messages.show("Error Deleting File", "You cannot delete the Root Folder.", MessageIcon::Critical);
        return outcome;
    }
    const std::shared_ptr<Folder> folder = m_store.FindFolderPtr(selection.nodeKey);
    if (!folder) {
        m_messages.beep();
        return outcome;
    }
    if (!confirm("Are you sure you want to delete '" + folder->Caption + "' ?")) {
        return outcome;
    }
    ModelChange change(m_store, namedStep("Delete", 1, folder->Caption));
    change.WillChangeAllSubFolders();
    Folder* parent = m_store.FindFolderOrRoot(folder->parent);
    if (parent == nullptr || removeEntries(*parent, { folder->id }, &change) == 0) {
        // A folder without its entry still goes, with everything below it.
        m_store.PurgeSubfolders(*folder);
        m_store.RemoveFromFlatList({ folder.get() });
        m_store.IndexesChanged();
    }
    m_store.SetCurrentFolder(parent != nullptr ? *parent : m_store.Root());
    m_store.LinkFolders();
    m_store.History().Add(std::move(change));
    outcome.deleted = true;
    outcome.refresh = Refresh::Full;
    return outcome;
}

std::optional<ItemProperties> Editing::PropertiesFor(const Selection& selection)
{
    ItemProperties p;
    p.pane = selection.pane;
    if (selection.pane == Pane::ListView1) {
        const Folder& current = m_store.CurrentFolder();
        const std::optional<size_t> index
            = selection.rowIds.empty() ? std::nullopt : indexOf(current, selection.rowIds.front());
        if (!index) {
            m_messages.beep();
            return std::nullopt;
        }
        const ListRow row = listRow(*current.FolderItems[*index]);
        p.key = row.ID;
        p.Caption = row.Name;
        p.URL = row.URL;
        p.Description = row.Description;
        p.MDate = row.MDate;
        p.picture = row.Icon;
        p.clientIndex = entryClientIndex(row.Client);
        p.clientEnabled = row.Type != "Folder";
        return p;
    }
    if (selection.nodeKey.empty()) {
        m_messages.beep();
        return std::nullopt;
    }
    const Folder* folder = m_store.FindFolderOrRoot(selection.nodeKey);
    if (folder == nullptr) {
        m_messages.beep();
        return std::nullopt;
    }
    p.key = selection.nodeKey;
    p.Caption = folder->Caption;
    p.MDate = folder->MDate;
    p.Description = folder->Description;
    p.picture = selection.nodeKey == RootFolderId ? imageNumber(Image::Root) : 2;
    p.clientEnabled = false;
    return p;
}

Refresh Editing::ApplyProperties(const ItemProperties& edited)
{
    const std::string url = QuotesToApostrophes(edited.URL);
    const std::string caption = QuotesToApostrophes(edited.Caption);
    const std::string description = StripLineBreaks(QuotesToApostrophes(edited.Description));
    ModelChange change(m_store, "Properties of '" + trimBlanks(caption) + "'");

    if (edited.pane == Pane::ListView1) {
        Folder& current = m_store.CurrentFolder();
        const std::optional<size_t> index = indexOf(current, edited.key);
        if (!index) {
            return Refresh::None;
        }
        change.WillChangeEntry(current.FolderItems[*index]);
        FolderItem& item = *current.FolderItems[*index];
        Refresh refresh = Refresh::None;
        item.Caption = caption;
        item.URL = url;
        item.URLType = ClassifyURL(url);
        item.Description = description;
        const ClientRow& client = entryClient(edited.clientIndex);
        item.Client = client.Service;
        if (item.Icon != client.EntryIcon) {
            item.Icon = imageNumber(client.EntryIcon);
            refresh = Refresh::List;
        }
        if (item.IsFolder) {
            // The list shows folder rows first by a sort prefix of its own; the stored
            // type stays plain text.
            item.URLType = "Folder";
            if (Folder* folder = m_store.FindFolder(item.IID)) {
                change.WillChangeFolder(*folder);
                folder->Caption = caption;
                folder->Description = description;
            }
            refresh = Refresh::Full;
        }
        m_store.History().Add(std::move(change));
        return refresh;
    }

    if (edited.key == RootFolderId) {
        change.WillChangeFolder(m_store.Root());
        m_store.Root().Caption = caption;
        m_store.Root().Description = description;
        m_store.History().Add(std::move(change));
        return Refresh::Full;
    }
    Folder* folder = m_store.FindFolder(edited.key);
    if (folder == nullptr) {
        return Refresh::None;
    }
    change.WillChangeFolder(*folder);
    folder->Caption = caption;
    folder->Description = description;
    if (Folder* parent = m_store.FindFolderOrRoot(folder->parent)) {
        if (const std::optional<size_t> index = indexOf(*parent, edited.key)) {
            change.WillChangeEntry(parent->FolderItems[*index]);
            parent->FolderItems[*index]->Caption = caption;
            parent->FolderItems[*index]->Description = description;
        }
    }
    m_store.History().Add(std::move(change));
    return Refresh::Full;
}

bool Editing::Cut(const Selection& selection)
{
    size_t marked = 0;
    if (selection.pane == Pane::ListView1) {
        Folder& current = m_store.CurrentFolder();
        for (const size_t position : selectedPositions(current, selection.rowIds)) {
            const std::shared_ptr<FolderItem>& item = current.FolderItems[position];
            item->Cut = true;
            m_cutMarks.push_back(item);
            ++marked;
        }
    } else {
        if (selection.nodeKey == RootFolderId) {
            m_messages.show("Error Moving File", "You cannot move the Root Folder.", MessageIcon::Critical);
            return false;
        }
        // Only the node is tagged: the folder's row in its parent's list stays as it is,
        // so a later Copy of that row copies and does not move.
        if (const Folder* folder = m_store.FindFolder(selection.nodeKey)) {
            m_treeCutMark = folder->id;
            ++marked;
        }
    }
    if (marked == 0) {
        m_messages.beep();
        return false;
    }
    return Copy(selection);
}

bool Editing::Copy(const Selection& selection)
{
    InternalClipboard clipboard;
    if (!copyInto(clipboard, selection)) {
        m_messages.beep();
        return false;
    }
    if (selection.pane == Pane::ListView1 && clipboard.FolderItems.size() == 1
        && !clipboard.FolderItems.front()->IsFolder) {
        m_systemClipboard.setText(clipboard.FolderItems.front()->URL);
    }
    m_clipboard = std::move(clipboard);
    return true;
}

bool Editing::copyInto(InternalClipboard& into, const Selection& selection)
{
    if (selection.pane == Pane::ListView1) {
        Folder& current = m_store.CurrentFolder();
        for (const size_t position : selectedPositions(current, selection.rowIds)) {
            ListRow row = listRow(*current.FolderItems[position]);
            auto entry = std::make_shared<FolderItem>();
            entry->Caption = std::move(row.Name);
            entry->URL = std::move(row.URL);
            entry->IsFolder = row.Icon == Image::Folder;
            entry->IID = std::move(row.ID);
            entry->Client = std::move(row.Client);
            entry->Icon = row.Icon;
            entry->URLType = std::move(row.Type);
            entry->MDate = row.MDate;
            entry->Description = std::move(row.Description);
            entry->Cut = row.Cut;
            into.FolderItems.push_back(std::move(entry));
        }
        into.SourceFolderId = current.id;
        return !into.empty();
    }
    // The root holds the whole database and is never copied as one folder.
    if (selection.nodeKey.empty() || selection.nodeKey == RootFolderId) {
        return false;
    }
    const Folder* folder = m_store.FindFolder(selection.nodeKey);
    if (folder == nullptr) {
        return false;
    }
    auto entry = std::make_shared<FolderItem>();
    entry->Caption = folder->Caption;
    entry->IsFolder = true;
    entry->IID = folder->id;
    entry->Icon = imageNumber(Image::Folder);
    entry->MDate = m_store.clock().now().dateOnly();
    entry->Description = folder->Description;
    entry->Cut = m_treeCutMark == folder->id;
    into.FolderItems.push_back(std::move(entry));
    into.SourceFolderId = folder->parent;
    return true;
}

MoveCheck Editing::CheckMove(std::string_view sourceId, std::string_view destinationId)
{
    if (sourceId == destinationId) {
        return MoveCheck::SameFolder;
    }
    Folder* source = m_store.FindFolder(sourceId);
    if (source == nullptr) {
        return MoveCheck::Allowed;
    }
    if (source->parent == destinationId) {
        return MoveCheck::SameFolder;
    }
    // Below the source by the chain of parent ids...
    const size_t limit = m_store.Root().SubFolders.size();
    std::string_view p = destinationId;
    for (size_t steps = 0; p != RootFolderId && steps <= limit; ++steps) {
        const Folder* f = m_store.FindFolder(p);
        if (f == nullptr) {
            break;
        }
        if (f->parent == sourceId) {
            return MoveCheck::Subfolder;
        }
        p = f->parent;
    }
    // ...or by the folder entries, which decide what a removal of the source takes with it.
    bool below = false;
    m_store.WalkFolders(*source, [&](Folder& f, int depth) {
        if (depth > 0 && f.id == destinationId) {
            below = true;
        }
        return !below;
    });
    return below ? MoveCheck::Subfolder : MoveCheck::Allowed;
}

void Editing::CopyFolderTree(Folder& source, const std::string& newParentId, const std::string& newId)
{
    if (m_folderCopyCounter > 100 || m_folderCopyCounter < 11) {
        m_folderCopyCounter = 11;
    }
    const DateTime today = m_store.clock().now().dateOnly();
    struct Job
    {
        Folder* source;
        std::string parentId;
        std::string id;
    };
    std::vector<Job> jobs { { &source, newParentId, newId } };
    // Each source folder is copied once, so a folder entry that points back up the tree,
    // or a copy into the source's own subtree, cannot loop.
    std::unordered_set<const Folder*> copied;
    while (!jobs.empty()) {
        Job job = std::move(jobs.back());
        jobs.pop_back();
        if (!copied.insert(job.source).second) {
            continue;
        }
        auto folder = std::make_shared<Folder>();
        folder->Caption = job.source->Caption;
        folder->Description = job.source->Description;
        folder->MDate = job.source->MDate;
        folder->id = job.id;
        folder->parent = job.parentId;
        // Entries as they are now: the copy may be growing inside the source.
        const std::vector<std::shared_ptr<FolderItem>> items = job.source->FolderItems;
        m_store.AppendToFlatList(folder);
        std::vector<Job> below;
        for (const auto& item : items) {
            Folder* sub = item->IsFolder ? m_store.FindFolder(item->IID) : nullptr;
            if (item->IsFolder && (sub == nullptr || copied.count(sub) != 0)) {
                continue;  // a folder entry without its folder, or one already copied
            }
            auto entry = std::make_shared<FolderItem>();
            entry->IID = m_store.NewId(m_folderCopyCounter);
            entry->Caption = item->Caption;
            entry->URL = item->URL;
            entry->IsFolder = item->IsFolder;
            entry->Icon = item->Icon;
            entry->URLType = item->URLType;
            entry->Description = item->Description;
            entry->Client = item->Client;
            entry->MDate = today;
            if (sub != nullptr) {
                below.push_back({ sub, folder->id, entry->IID });
            }
            folder->FolderItems.push_back(std::move(entry));
        }
        // Depth first, in collection order.
        jobs.insert(jobs.end(), std::make_move_iterator(below.rbegin()), std::make_move_iterator(below.rend()));
    }
}

bool Editing::refuseMove(std::string_view sourceId, std::string_view destinationId, bool parentCounts)
{
    const MoveCheck check = CheckMove(sourceId, destinationId);
    if (check == MoveCheck::Allowed) {
        return false;
    }
    const Folder* source = m_store.FindFolder(sourceId);
    if (check == MoveCheck::SameFolder && sourceId != destinationId && !parentCounts) {
        return false;
    }
    const std::string name = upperAscii(source != nullptr ? source->Caption : std::string(sourceId));
    m_messages.beep();
    m_messages.show("Error Moving File",
        check == MoveCheck::SameFolder
            ? "Cannot move " + name + ": The destination folder is the same as the source folder."
            : "Cannot move " + name + ": The destination folder is a subfolder of the source folder.",
        MessageIcon::Critical);
    return true;
}

PasteOutcome Editing::Paste(Pane lastFocus)
{
    ModelChange change(m_store, pasteStepCaption());
    PasteOutcome outcome = paste(lastFocus == Pane::TreeView1, change);
    m_store.History().Add(std::move(change));
    return outcome;
}

std::string Editing::pasteStepCaption() const
{
    const auto& entries = m_clipboard.FolderItems;
    if (entries.empty()) {
        return "Paste URL";
    }
    const bool move = std::any_of(entries.begin(), entries.end(), [](const auto& entry) { return entry->Cut; });
    return namedStep(move ? "Move" : "Paste", entries.size(), entries.front()->Caption);
}

PasteOutcome Editing::paste(bool parentCounts, ModelChange& change)
{
    if (m_pasteCounter > 10) {
        m_pasteCounter = 0;
    }
    PasteOutcome outcome;
    const std::string text = m_systemClipboard.text();
    if (m_clipboard.empty()) {
        if (ClassifyURL(text) != "Unknown") {
            change.WillChangeEntries(m_store.CurrentFolder());
            std::string id = ClipboardGetURL();
            if (!id.empty()) {
                outcome.pasted = true;
                outcome.addedIds.push_back(std::move(id));
            }
        } else if (text.empty()) {
            m_messages.beep();
        } else {
            m_messages.beep();
            m_messages.show("Error", "Invalid URL Address on clipboard...", MessageIcon::Information);
        }
        return outcome;
    }

    Folder& destination = m_store.CurrentFolder();
    for (const auto& entry : m_clipboard.FolderItems) {
        if (entry->IsFolder && entry->Cut && refuseMove(entry->IID, destination.id, parentCounts)) {
            return outcome;
        }
    }

    const std::shared_ptr<Folder> keepDestination = m_store.CurrentFolderPtr();
    change.WillChangeEntries(destination);
    const auto& entries = m_clipboard.FolderItems;
    change.WillChangeAllSubFolders();  // the paste ends with LinkFolders
    // The cut entries leave their folder after every entry is pasted, in one pass.
    Folder* sourceFolder = nullptr;
    std::vector<std::string> moved;
    if (std::any_of(entries.begin(), entries.end(), [](const auto& entry) { return entry->Cut; })) {
        sourceFolder = m_clipboard.SourceFolderId == destination.id
            ? &destination
            : m_store.FindFolderOrRoot(m_clipboard.SourceFolderId);
    }
    for (const auto& entry : entries) {
        if (entry->IsFolder) {
            Folder* folder = m_store.FindFolder(entry->IID);
            if (folder == nullptr) {
                continue;  // deleted since it was copied
            }
            outcome.refresh = Refresh::Full;
            const std::string newId = m_store.NewId(m_pasteCounter);
            CopyFolderTree(*folder, destination.id, newId);
            // The pasted folder also needs its entry here, or it would be neither saved
            // nor exported.
            // The clipboard is emptied below, so its texts are moved, not copied.
            auto item = std::make_shared<FolderItem>();
            item->Caption = std::move(entry->Caption);
            item->URL = std::move(entry->URL);
            item->IsFolder = true;
            item->IID = newId;
            item->Icon = entry->Icon;
            item->MDate = entry->MDate;
            item->URLType = std::move(entry->URLType);
            item->Description = std::move(entry->Description);
            item->Client = std::move(entry->Client);
            item->Cache = std::move(entry->Cache);
            destination.FolderItems.push_back(std::move(item));
        } else {
            auto item = std::make_shared<FolderItem>();
            item->Caption = std::move(entry->Caption);
            item->URL = std::move(entry->URL);
            item->IsFolder = false;
            item->Icon = entry->Icon;
            item->URLType = std::move(entry->URLType);
            item->MDate = entry->MDate;
            item->Client = std::move(entry->Client);
            item->Description = std::move(entry->Description);
            item->IID = m_store.NewId(m_pasteCounter);
            destination.FolderItems.push_back(std::move(item));
        }
        outcome.addedIds.push_back(destination.FolderItems.back()->IID);
        outcome.pasted = true;
        if (entry->Cut && sourceFolder != nullptr) {
            moved.push_back(entry->IID);
        }
    }
    if (!moved.empty()) {
        removeEntries(*sourceFolder, moved, &change);
    }

    m_clipboard.clear();
    m_systemClipboard.clear();
    ClearCutMarks();
    m_store.LinkFolders();
    // Every id the paste added was issued by NewId or came in through AppendToFlatList,
    // which both note it; the set of ids in use is kept.
    m_store.IndexesChangedKeepingIds();
    return outcome;
}

PasteOutcome Editing::Drop(const Selection& dragged, const std::string& destinationId)
{
    Folder* destination = m_store.FindFolderOrRoot(destinationId);
    if (destination == nullptr) {
        return {};
    }
    if (dragged.pane == Pane::ListView1) {
        const Folder& current = m_store.CurrentFolder();
        for (const size_t position : selectedPositions(current, dragged.rowIds)) {
            const FolderItem& item = *current.FolderItems[position];
            if (item.IsFolder && refuseMove(item.IID, destinationId, true)) {
                return {};
            }
        }
    } else if (refuseMove(dragged.nodeKey, destinationId, true)) {
        return {};
    }
    if (!Cut(dragged)) {
        return {};
    }
    ModelChange change(m_store, pasteStepCaption());
    const std::string remembered = m_store.CurrentFolder().id;
    m_store.SetCurrentFolder(*destination);
    PasteOutcome outcome = paste(true, change);
    Folder* back = m_store.FindFolderOrRoot(remembered);
    m_store.SetCurrentFolder(back != nullptr ? *back : m_store.Root());
    m_store.History().Add(std::move(change));
    return outcome;
}

bool Editing::IsCutMarked(std::string_view iid) const
{
    for (const auto& weak : m_cutMarks) {
        if (const auto item = weak.lock(); item && item->Cut && item->IID == iid) {
            return true;
        }
    }
    return m_treeCutMark == iid;
}

void Editing::ClearCutMarks()
{
    ClearListCutMarks();
    ClearTreeCutMark();
}

void Editing::ClearListCutMarks()
{
    for (const auto& weak : m_cutMarks) {
        if (const auto item = weak.lock()) {
            item->Cut = false;
        }
    }
    m_cutMarks.clear();
}

void Editing::ClearTreeCutMark()
{
    m_treeCutMark.clear();
}

}  // namespace brindlex
