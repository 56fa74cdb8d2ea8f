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
#include "store/Text.h"
#include "store/TextRules.h"

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

// The rows of `folder` by their ID column.
std::unordered_map<std::string, ListRow> rowsById(const Folder& folder)
{
    std::unordered_map<std::string, ListRow> rows;
    for (ListRow& row : listRows(folder)) {
        rows.emplace(row.ID, std::move(row));
    }
    return rows;
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
    return m_store.CreateEntry(true, "", imageNumber(Image::Folder), "", "Folder", "");
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
    const int remembered = m_store.AutoAssign();
    m_store.SetAutoAssign(std::clamp(clientIndex, 0, EntryClientCount - 1) + 2);
    std::string id = m_store.CreateEntry(false, url, imageNumber(Image::Link), name, type, description);
    m_store.SetAutoAssign(remembered);
    return id;
}

Refresh Editing::RenameListEntry(const std::string& iid, const std::string& newText)
{
    Folder& current = m_store.CurrentFolder();
    const std::optional<size_t> index = indexOf(current, iid);
    if (!index) {
        return Refresh::None;
    }
    FolderItem& item = *current.FolderItems[*index];
    const std::string text = QuotesToApostrophes(trimBlanks(newText));
    if (!item.IsFolder) {
        item.Caption = text;
        return Refresh::None;
    }
    // Folder entries keep a leading blank so that the list sorts them first.
    item.Caption = " " + text;
    if (Folder* folder = m_store.FindFolder(item.IID)) {
        folder->Caption = trimBlanks(text);
    }
    return Refresh::Full;
}

void Editing::RenameTreeNode(const std::string& key, const std::string& newText)
{
    const std::string text = QuotesToApostrophes(newText);
    if (key == RootFolderId) {
        m_store.Root().Caption = text;
        return;
    }
    Folder* folder = m_store.FindFolder(key);
    if (folder == nullptr) {
        return;
    }
    folder->Caption = text;
    if (Folder* parent = m_store.FindFolderOrRoot(folder->parent)) {
        if (const std::optional<size_t> index = indexOf(*parent, key)) {
            parent->FolderItems[*index]->Caption = text;
        }
    }
}

bool Editing::RemoveEntry(Folder& parentFolder, size_t index)
{
    if (index >= parentFolder.FolderItems.size()) {
        return false;
    }
    const std::shared_ptr<FolderItem> item = parentFolder.FolderItems[index];
    if (item->IsFolder) {
        if (const std::shared_ptr<Folder> folder = m_store.FindFolderPtr(item->IID)) {
            m_store.PurgeSubfolders(*folder);
            m_store.RemoveFromFlatList({ folder.get() });
        }
    }
    parentFolder.FolderItems.erase(parentFolder.FolderItems.begin() + static_cast<std::ptrdiff_t>(index));
    m_store.IndexesChanged();
    return true;
}

bool Editing::RemoveEntry(Folder& parentFolder, std::string_view iid)
{
    const std::optional<size_t> index = indexOf(parentFolder, iid);
    return index && RemoveEntry(parentFolder, *index);
}

DeleteOutcome Editing::DeleteSelection(
    const Selection& selection, const std::function<bool(const std::string&)>& confirm)
{
    DeleteOutcome outcome;
    Folder& current = m_store.CurrentFolder();
    if (selection.pane == Pane::ListView1) {
        const auto rows = rowsById(current);
        std::vector<std::string> ids;
        bool folderInvolved = false;
        std::string oneName;
        for (const std::string& id : selection.rowIds) {
            const auto row = rows.find(id);
            if (row == rows.end()) {
                continue;
            }
            ids.push_back(id);
            folderInvolved = folderInvolved || row->second.Icon == Image::Folder;
            oneName = row->second.Name;
        }
        if (ids.empty()) {
            m_messages.beep();
            return outcome;
        }
        const std::string what
            = ids.size() == 1 ? "'" + oneName + "'" : "these " + std::to_string(ids.size()) + " items";
        if (!confirm("Are you sure you want to delete " + what + " ?")) {
            return outcome;
        }
        for (const std::string& id : ids) {
            RemoveEntry(current, id);
        }
        if (folderInvolved) {
            m_store.LinkFolders();
        }
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
    Folder* parent = m_store.FindFolderOrRoot(folder->parent);
    if (parent == nullptr || !RemoveEntry(*parent, folder->id)) {
        // A folder without its entry still goes, with everything below it.
        m_store.PurgeSubfolders(*folder);
        m_store.RemoveFromFlatList({ folder.get() });
        m_store.IndexesChanged();
    }
    m_store.SetCurrentFolder(parent != nullptr ? *parent : m_store.Root());
    m_store.LinkFolders();
    outcome.deleted = true;
    outcome.refresh = Refresh::Full;
    return outcome;
}

std::optional<ItemProperties> Editing::PropertiesFor(const Selection& selection)
{
    ItemProperties p;
    p.pane = selection.pane;
    if (selection.pane == Pane::ListView1) {
        const auto rows = rowsById(m_store.CurrentFolder());
        const auto row = selection.rowIds.empty() ? rows.end() : rows.find(selection.rowIds.front());
        if (row == rows.end()) {
            m_messages.beep();
            return std::nullopt;
        }
        p.key = row->second.ID;
        p.Caption = row->second.Name;
        p.URL = row->second.URL;
        p.Description = row->second.Description;
        p.MDate = row->second.MDate;
        p.picture = row->second.Icon;
        p.clientIndex = entryClientIndex(row->second.Client);
        p.clientEnabled = row->second.Type != "Folder";
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

    if (edited.pane == Pane::ListView1) {
        Folder& current = m_store.CurrentFolder();
        const std::optional<size_t> index = indexOf(current, edited.key);
        if (!index) {
            return Refresh::None;
        }
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
                folder->Caption = caption;
                folder->Description = description;
            }
            refresh = Refresh::Full;
        }
        return refresh;
    }

    if (edited.key == RootFolderId) {
        m_store.Root().Caption = caption;
        m_store.Root().Description = description;
        return Refresh::Full;
    }
    Folder* folder = m_store.FindFolder(edited.key);
    if (folder == nullptr) {
        return Refresh::None;
    }
    folder->Caption = caption;
    folder->Description = description;
    if (Folder* parent = m_store.FindFolderOrRoot(folder->parent)) {
        if (const std::optional<size_t> index = indexOf(*parent, edited.key)) {
            parent->FolderItems[*index]->Caption = caption;
            parent->FolderItems[*index]->Description = description;
        }
    }
    return Refresh::Full;
}

bool Editing::Cut(const Selection& selection)
{
    size_t marked = 0;
    if (selection.pane == Pane::ListView1) {
        Folder& current = m_store.CurrentFolder();
        for (const std::string& id : selection.rowIds) {
            if (const std::optional<size_t> index = indexOf(current, id)) {
                current.FolderItems[*index]->Cut = true;
                m_cutMarks.push_back(current.FolderItems[*index]);
                ++marked;
            }
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
        const auto rows = rowsById(current);
        for (const std::string& id : selection.rowIds) {
            const auto found = rows.find(id);
            if (found == rows.end()) {
                continue;
            }
            const ListRow& row = found->second;
            auto entry = std::make_shared<FolderItem>();
            entry->Caption = row.Name;
            entry->URL = row.URL;
            entry->IsFolder = row.Icon == Image::Folder;
            entry->IID = row.ID;
            entry->Client = row.Client;
            entry->Icon = row.Icon;
            entry->URLType = row.Type;
            entry->MDate = row.MDate;
            entry->Description = row.Description;
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
    return paste(lastFocus == Pane::TreeView1);
}

PasteOutcome Editing::paste(bool parentCounts)
{
    if (m_pasteCounter > 10) {
        m_pasteCounter = 0;
    }
    PasteOutcome outcome;
    const std::string text = m_systemClipboard.text();
    if (m_clipboard.empty()) {
        if (ClassifyURL(text) != "Unknown") {
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
    for (const auto& entry : m_clipboard.FolderItems) {
        Folder* sourceFolder = nullptr;
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
            auto item = std::make_shared<FolderItem>(*entry);
            item->IID = newId;
            item->Cut = false;
            destination.FolderItems.push_back(item);
        } else {
            auto item = std::make_shared<FolderItem>();
            item->Caption = entry->Caption;
            item->URL = entry->URL;
            item->IsFolder = false;
            item->Icon = entry->Icon;
            item->URLType = entry->URLType;
            item->MDate = entry->MDate;
            item->Client = entry->Client;
            item->Description = entry->Description;
            item->IID = m_store.NewId(m_pasteCounter);
            destination.FolderItems.push_back(item);
        }
        outcome.addedIds.push_back(destination.FolderItems.back()->IID);
        outcome.pasted = true;
        if (entry->Cut) {
            if (m_clipboard.SourceFolderId == destination.id) {
                sourceFolder = &destination;
            } else {
                sourceFolder = m_store.FindFolderOrRoot(m_clipboard.SourceFolderId);
            }
            if (sourceFolder != nullptr) {
                RemoveEntry(*sourceFolder, entry->IID);
            }
        }
    }

    m_clipboard.clear();
    m_systemClipboard.clear();
    ClearCutMarks();
    m_store.LinkFolders();
    m_store.IndexesChanged();
    return outcome;
}

PasteOutcome Editing::Drop(const Selection& dragged, const std::string& destinationId)
{
    Folder* destination = m_store.FindFolderOrRoot(destinationId);
    if (destination == nullptr) {
        return {};
    }
    if (dragged.pane == Pane::ListView1) {
        const auto rows = rowsById(m_store.CurrentFolder());
        for (const std::string& id : dragged.rowIds) {
            const auto row = rows.find(id);
            if (row != rows.end() && row->second.Icon == Image::Folder && refuseMove(id, destinationId, true)) {
                return {};
            }
        }
    } else if (refuseMove(dragged.nodeKey, destinationId, true)) {
        return {};
    }
    if (!Cut(dragged)) {
        return {};
    }
    const std::string remembered = m_store.CurrentFolder().id;
    m_store.SetCurrentFolder(*destination);
    PasteOutcome outcome = paste(true);
    Folder* back = m_store.FindFolderOrRoot(remembered);
    m_store.SetCurrentFolder(back != nullptr ? *back : m_store.Root());
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
