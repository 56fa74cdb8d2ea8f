#include "store/LinkStore.h"

#include <algorithm>
#include <charconv>
#include <utility>

#include "platform/Clock.h"
#include "store/Clients.h"
#include "store/TextRules.h"
#include "store/UndoHistory.h"

namespace brindlex {

namespace {

std::shared_ptr<Folder> makeRoot()
{
    auto root = std::make_shared<Folder>();
    root->Caption = "NewDB";
    root->id = RootFolderId;
    root->parent = RootFolderId;
    root->MDate = DateTime { 1905, 4, 10 };
    return root;
}

bool startsWith(std::string_view text, std::string_view prefix)
{
    return text.substr(0, prefix.size()) == prefix;
}

}  // namespace

LinkStore::LinkStore(Clock& clock)
    : m_clock(clock)
    , m_history(std::make_unique<UndoHistory>())
    , m_root(makeRoot())
    , m_current(m_root)
{
}

// Folders whose parents loop hold each other in their SubFolders; the lists are emptied
// so that the model is freed all the same.
LinkStore::~LinkStore()
{
    m_history->Clear();
    releaseModel();
}

void LinkStore::releaseModel()
{
    for (const auto& folder : m_root->SubFolders) {
        folder->SubFolders.clear();
    }
}

void LinkStore::SetCurrentFolder(Folder& folder)
{
    m_current = folder.shared_from_this();
}

void LinkStore::SetDatabasePath(std::string path)
{
    const size_t slash = path.find_last_of('/');
    m_databaseTitle = slash == std::string::npos ? path : path.substr(slash + 1);
    m_databasePath = std::move(path);
}

const std::string& LinkStore::CreateEntry(bool IsFolder, std::string_view URL, int Icon, std::string_view Caption,
    std::string_view URLType, std::string_view Description)
{
    if (m_entryCounter > 1000) {
        m_entryCounter = 0;
    }
    // One reading of the clock gives both the id's date-time and the entry's date.
    const DateTime now = m_clock.now();
    const DateTime today = now.dateOnly();
    auto item = std::make_shared<FolderItem>();
    item->IID = issueId(m_entryCounter, now);
    item->IsFolder = IsFolder;
    item->MDate = today;
    if (Caption.empty()) {
        item->Caption = DefaultCaption(IsFolder);
    } else {
        item->Caption = QuotesToApostrophes(Caption);
    }
    std::string description = Description.empty() ? std::string() : StripLineBreaks(QuotesToApostrophes(Description));
    if (!IsFolder) {
        item->URL = QuotesToApostrophes(URL);
        assignClient(*item, Icon);
        item->URLType = URLType;
        item->Description = std::move(description);  // only a folder uses it again below
    }
    Folder& current = *m_current;
    current.FolderItems.push_back(std::move(item));
    const FolderItem& made = *current.FolderItems.back();

    if (IsFolder) {
        auto folder = std::make_shared<Folder>();
        folder->Caption = made.Caption;
        folder->id = made.IID;
        folder->parent = current.id;
        folder->MDate = today;
        folder->Description = std::move(description);
        AppendToFlatList(folder);
        if (&current != m_root.get()) {
            current.SubFolders.push_back(std::move(folder));
        }
    }
    return made.IID;
}

// The client (and with it the icon) a new link gets under the AutoAssign mode.
void LinkStore::assignClient(FolderItem& item, int Icon)
{
    if (m_autoAssign == 1 && Icon != Image::Folder) {
        item.Client = m_defaultClient;
        item.Icon = ClientIcon(m_defaultClient);
    } else if (m_autoAssign >= 2 && m_autoAssign <= 7) {
        const ClientRow& assigned = entryClient(m_autoAssign - 2);
        item.Client = assigned.Service;
        item.Icon = imageNumber(assigned.EntryIcon);
    } else {
        item.Client = "None";
        item.Icon = Icon;
    }
}

FolderItem& LinkStore::AdoptLink(std::shared_ptr<FolderItem> link, int Icon)
{
    if (m_entryCounter > 1000) {
        m_entryCounter = 0;
    }
    const DateTime now = m_clock.now();
    link->IID = issueId(m_entryCounter, now);
    link->IsFolder = false;
    if (link->MDate.isNull()) {
        link->MDate = now.dateOnly();
    }
    assignClient(*link, Icon);
    m_current->FolderItems.push_back(std::move(link));
    return *m_current->FolderItems.back();
}

std::string LinkStore::DefaultCaption(bool isFolder) const
{
    const std::string_view base = isFolder ? "New Folder" : "New Item";
    size_t count = 0;
    if (isFolder) {
        for (const auto& folder : m_root->SubFolders) {
            count += startsWith(folder->Caption, base) ? 1 : 0;
        }
    } else {
        for (const auto& item : m_current->FolderItems) {
            count += startsWith(item->Caption, base) ? 1 : 0;
        }
    }
    return std::string(base) + " " + std::to_string(count);
}

size_t LinkStore::AddLoadedFolder(
    std::string Caption, std::string id, std::string parent, DateTime MDate, std::string Description)
{
    auto folder = std::make_shared<Folder>();
    folder->Caption = std::move(Caption);
    folder->id = std::move(id);
    folder->parent = std::move(parent);
    folder->MDate = MDate;
    folder->Description = std::move(Description);
    AppendToFlatList(std::move(folder));
    return m_root->SubFolders.size();
}

FolderItem& LinkStore::AddLoadedItem(std::string Caption, std::string URL, bool IsFolder, std::string IID, int Icon,
    DateTime MDate, std::string URLType, std::string Description, std::string Client, std::string Cache)
{
    auto item = std::make_shared<FolderItem>();
    item->Caption = std::move(Caption);
    item->URL = std::move(URL);
    item->IsFolder = IsFolder;
    item->IID = std::move(IID);
    item->Icon = Icon;
    item->MDate = MDate;
    item->URLType = std::move(URLType);
    item->Description = std::move(Description);
    item->Client = std::move(Client);
    item->Cache = std::move(Cache);
    if (m_idSetValid) {
        noteId(item->IID);
    }
    m_current->FolderItems.push_back(item);
    return *item;
}

void LinkStore::LinkFolders()
{
    auto& flat = m_root->SubFolders;
    for (const auto& folder : flat) {
        folder->SubFolders.clear();
    }
    // A walk that comes back to a folder it has already passed has met a loop of parent
    // ids (one that need not include the folder itself); it ends there.
    std::unordered_set<const Folder*> passed;
    for (const auto& folder : flat) {
        passed.clear();
        passed.insert(folder.get());
        std::string_view p = folder->parent;
        while (p != RootFolderId) {
            Folder* ancestor = FindFolder(p);
            if (ancestor == nullptr || !passed.insert(ancestor).second) {
                break;
            }
            ancestor->SubFolders.push_back(folder);
            p = ancestor->parent;
        }
    }
}

size_t LinkStore::AttachStrayFolders(const std::vector<FolderEntryRef>* folderEntries)
{
    auto& flat = m_root->SubFolders;
    std::vector<char> changed(flat.size(), 0);

    // Ids that repeat: only the first folder with an id can ever be found by it. The
    // folder index is made on the way, one id at a time.
    m_folderIndex.clear();
    m_folderIndex.reserve(flat.size());
    for (size_t i = 0; i < flat.size(); ++i) {
        Folder& folder = *flat[i];
        if (folder.id == RootFolderId || !m_folderIndex.emplace(folder.id, i).second) {
            int counter = 0;
            folder.id = NewId(counter);  // never an id of the database
            m_folderIndex.emplace(folder.id, i);
            changed[i] = 1;
        }
    }
    m_indexedSize = flat.size();
    m_appendedSize = flat.size();
    m_folderIndexValid = true;

    // Parent chains must end at the root. Each folder is looked at once: a chain stops at
    // the first folder already known to be sound. Ids are unique by now, so the index
    // gives each parent's position in the flat list.
    enum : char { Unseen, OnPath, Sound };
    std::vector<char> state(flat.size(), Unseen);
    std::vector<size_t> path;
    for (size_t i = 0; i < flat.size(); ++i) {
        if (state[i] != Unseen) {
            continue;
        }
        path.clear();
        size_t j = i;
        bool reachesRoot = false;
        while (true) {
            state[j] = OnPath;
            path.push_back(j);
            const std::string& p = flat[j]->parent;
            if (p == RootFolderId) {
                reachesRoot = true;
                break;
            }
            const auto up = m_folderIndex.find(p);
            if (up == m_folderIndex.end()) {
                break;
            }
            const size_t k = up->second;
            if (state[k] == Sound) {
                reachesRoot = true;
                break;
            }
            if (state[k] == OnPath) {
                break;  // a loop
            }
            j = k;
        }
        if (!reachesRoot) {
            flat[path.back()]->parent = RootFolderId;
            changed[path.back()] = 1;
        }
        for (const size_t done : path) {
            state[done] = Sound;
        }
    }

    // Every folder has its entry in its parent. Ids are unique by now, so the entry of a
    // folder is one whose IID is the folder's id, in the folder whose id is its parent.
    std::vector<char> hasEntry(flat.size(), 0);
    const auto noteEntry = [&](const Folder& holder, const FolderItem& item) {
        const auto it = m_folderIndex.find(item.IID);
        if (it != m_folderIndex.end() && flat[it->second]->parent == holder.id) {
            hasEntry[it->second] = 1;
        }
    };
    if (folderEntries != nullptr) {
        for (const FolderEntryRef& ref : *folderEntries) {
            noteEntry(*ref.holder, *ref.entry);
        }
    } else {
        const auto noteEntries = [&](const Folder& folder) {
            for (const auto& item : folder.FolderItems) {
                if (item->IsFolder) {
                    noteEntry(folder, *item);
                }
            }
        };
        noteEntries(*m_root);
        for (const auto& folder : flat) {
            noteEntries(*folder);
        }
    }
    for (size_t i = 0; i < flat.size(); ++i) {
        if (hasEntry[i]) {
            continue;
        }
        Folder& folder = *flat[i];
        Folder* parent = FindFolderOrRoot(folder.parent);
        auto item = std::make_shared<FolderItem>();
        item->Caption = folder.Caption;
        item->IsFolder = true;
        item->IID = folder.id;
        item->MDate = folder.MDate;
        parent->FolderItems.push_back(std::move(item));
        changed[i] = 1;
    }
    m_itemIndexFolder = nullptr;
    return static_cast<size_t>(std::count(changed.begin(), changed.end(), 1));
}

size_t LinkStore::PlaceDeepFolders(int maxDepth)
{
    if (maxDepth < 1) {
        return 0;
    }
    struct Move
    {
        Folder* folder;
        Folder* holder;  // the folder whose entry the walk found it through
        Folder* target;  // the folder of level maxDepth - 1 above it
    };
    std::vector<Move> moves;
    std::vector<Folder*> chain;  // chain[d]: the folder of level d the walk is in
    WalkFolders(*m_root, [&](Folder& folder, int depth) {
        chain.resize(static_cast<size_t>(depth));
        chain.push_back(&folder);
        if (depth > maxDepth) {
            moves.push_back(
                { &folder, chain[static_cast<size_t>(depth) - 1], chain[static_cast<size_t>(maxDepth) - 1] });
        }
        return true;
    });
    if (moves.empty()) {
        return 0;
    }
    // Each holder gives up the entries of its moved folders in one pass.
    std::unordered_map<Folder*, std::unordered_map<std::string_view, const Folder*>> leaving;
    for (const Move& move : moves) {
        leaving[move.holder].emplace(move.folder->id, move.folder);
    }
    std::unordered_map<const Folder*, std::shared_ptr<FolderItem>> entryOf;
    for (auto& leavingOne : leaving) {
        Folder* holder = leavingOne.first;
        const auto& folders = leavingOne.second;
        std::erase_if(holder->FolderItems, [&](const std::shared_ptr<FolderItem>& item) {
            if (!item->IsFolder) {
                return false;
            }
            const auto it = folders.find(item->IID);
            // Only the first entry of an id led the walk down; a later one stays.
            if (it == folders.end() || entryOf.count(it->second) != 0) {
                return false;
            }
            entryOf.emplace(it->second, item);
            return true;
        });
        std::erase_if(holder->SubFolders, [&](const std::shared_ptr<Folder>& f) { return folders.count(f->id) != 0; });
    }
    std::unordered_map<const Folder*, std::unordered_set<std::string_view>> targetEntries;
    for (const Move& move : moves) {
        auto [known, first] = targetEntries.try_emplace(move.target);
        if (first) {
            for (const auto& item : move.target->FolderItems) {
                if (item->IsFolder) {
                    known->second.insert(item->IID);
                }
            }
        }
        move.folder->parent = move.target->id;
        if (move.target != m_root.get()) {
            move.target->SubFolders.push_back(move.folder->shared_from_this());
        }
        if (!known->second.insert(move.folder->id).second) {
            continue;  // the target already holds an entry for it
        }
        std::shared_ptr<FolderItem>& entry = entryOf[move.folder];
        if (!entry) {
            entry = std::make_shared<FolderItem>();
            entry->Caption = move.folder->Caption;
            entry->IsFolder = true;
            entry->IID = move.folder->id;
            entry->MDate = move.folder->MDate;
        }
        move.target->FolderItems.push_back(entry);
    }
    m_itemIndexFolder = nullptr;
    return moves.size();
}

int LinkStore::FolderDepth(const Folder& folder)
{
    int depth = 0;
    std::unordered_set<const Folder*> passed;
    for (const Folder* at = &folder; at != m_root.get() && passed.insert(at).second;) {
        ++depth;
        if (at->parent == RootFolderId) {
            break;
        }
        at = FindFolder(at->parent);
        if (at == nullptr) {
            break;
        }
    }
    return depth;
}

void LinkStore::PurgeSubfolders(Folder& folder)
{
    std::unordered_set<const Folder*> below;
    WalkFolders(folder, [&](Folder& f, int depth) {
        if (depth > 0) {
            below.insert(&f);
        }
        return true;
    });
    RemoveFromFlatList(below);
}

void LinkStore::Clear()
{
    m_history->Clear();
    releaseModel();
    m_root->FolderItems.clear();
    m_root->SubFolders.clear();
    m_current = m_root;
    IndexesChanged();
}

void LinkStore::NewDatabase(const std::string& programDir)
{
    m_history->Clear();
    releaseModel();
    m_root = makeRoot();
    m_current = m_root;
    m_databasePath = programDir + "/NewDB.BDX";
    m_databaseTitle = "NewDB.BDX";
    m_folderIndexValid = false;
    m_itemIndexFolder = nullptr;
    m_itemIndex.clear();
    m_idSetValid = false;
    m_usedIds.clear();
    m_foreignPrefixes.clear();
}

void LinkStore::ensureFolderIndex() const
{
    const auto& flat = m_root->SubFolders;
    if (m_folderIndexValid && m_indexedSize == flat.size()) {
        return;
    }
    size_t from = 0;
    if (m_folderIndexValid && m_appendedSize == flat.size() && m_indexedSize < flat.size()) {
        from = m_indexedSize;  // only appended since: the index takes in the new ones
    } else {
        m_folderIndex.clear();
    }
    m_folderIndex.reserve(flat.size());
    for (size_t i = from; i < flat.size(); ++i) {
        m_folderIndex.emplace(flat[i]->id, i);  // keeps the first of equal ids
    }
    m_indexedSize = flat.size();
    m_appendedSize = flat.size();
    m_folderIndexValid = true;
}

Folder* LinkStore::FindFolder(std::string_view id)
{
    return const_cast<Folder*>(std::as_const(*this).FindFolder(id));
}

const Folder* LinkStore::FindFolder(std::string_view id) const
{
    const auto& flat = m_root->SubFolders;
    for (int attempt = 0; attempt < 2; ++attempt) {
        ensureFolderIndex();
        const auto it = m_folderIndex.find(id);
        if (it == m_folderIndex.end()) {
            if (attempt == 0 && !m_folderIndexValid) {
                continue;
            }
            return nullptr;
        }
        if (it->second < flat.size() && flat[it->second]->id == id) {
            return flat[it->second].get();
        }
        // The list changed behind the index (an id edited in place): build it again.
        m_folderIndexValid = false;
    }
    for (const auto& folder : flat) {
        if (folder->id == id) {
            return folder.get();
        }
    }
    return nullptr;
}

std::shared_ptr<Folder> LinkStore::FindFolderPtr(std::string_view id)
{
    Folder* folder = FindFolder(id);
    return folder == nullptr ? nullptr : folder->shared_from_this();
}

Folder* LinkStore::FindFolderOrRoot(std::string_view id)
{
    return id == RootFolderId ? m_root.get() : FindFolder(id);
}

FolderItem* LinkStore::FindItem(Folder& folder, std::string_view iid)
{
    auto& items = folder.FolderItems;
    if (items.size() >= 32) {
        if (m_itemIndexFolder != &folder || m_itemIndexSize != items.size()) {
            m_itemIndex.clear();
            m_itemIndex.reserve(items.size());
            for (size_t i = 0; i < items.size(); ++i) {
                m_itemIndex.emplace(items[i]->IID, i);
            }
            m_itemIndexFolder = &folder;
            m_itemIndexSize = items.size();
        }
        const auto it = m_itemIndex.find(iid);
        if (it != m_itemIndex.end() && it->second < items.size() && items[it->second]->IID == iid) {
            return items[it->second].get();
        }
        // Entries were replaced or reordered behind the index: answer from a scan and
        // build the index again next time.
        m_itemIndexFolder = nullptr;
    }
    for (const auto& item : items) {
        if (item->IID == iid) {
            return item.get();
        }
    }
    return nullptr;
}

FolderItem* LinkStore::FolderEntry(const Folder& folder)
{
    Folder* parent = FindFolderOrRoot(folder.parent);
    if (parent == nullptr) {
        return nullptr;
    }
    for (const auto& item : parent->FolderItems) {
        if (item->IsFolder && item->IID == folder.id) {
            return item.get();
        }
    }
    return nullptr;
}

void LinkStore::ensureIdSet()
{
    if (m_idSetValid) {
        return;
    }
    m_usedIds.clear();
    m_foreignPrefixes.clear();
    for (IssuedIds& ids : m_issued) {
        ids.foreign = false;
    }
    noteId(RootFolderId);
    for (const auto& item : m_root->FolderItems) {
        noteId(item->IID);
    }
    for (const auto& folder : m_root->SubFolders) {
        noteId(folder->id);
        for (const auto& item : folder->FolderItems) {
            noteId(item->IID);
        }
    }
    m_idSetValid = true;
}

bool LinkStore::IdInUse(std::string_view id)
{
    ensureIdSet();
    if (m_usedIds.count(id) != 0) {
        return true;
    }
    int counter = 0;
    const IssuedIds* ids = issuedEntryOf(id, counter);
    return ids != nullptr && issued(*ids, counter);
}

void LinkStore::RegisterId(std::string_view id)
{
    if (m_idSetValid) {
        noteId(id);
    }
}

// The entry of m_issued an id of NewId's form belongs to: its date text followed by the
// counter in plain decimal.
LinkStore::IssuedIds* LinkStore::issuedEntryOf(std::string_view id, int& counter)
{
    for (auto it = m_issued.rbegin(); it != m_issued.rend(); ++it) {
        const std::string& dateText = it->dateText;
        if (id.size() <= dateText.size() || id.size() > dateText.size() + 9
            || id.compare(0, dateText.size(), dateText) != 0) {
            continue;
        }
        const std::string_view digits = id.substr(dateText.size());
        if (digits[0] == '0') {
            return nullptr;
        }
        counter = 0;
        for (const char c : digits) {
            if (c < '0' || c > '9') {
                return nullptr;
            }
            counter = counter * 10 + (c - '0');
        }
        return &*it;
    }
    return nullptr;
}

// Adds an id that NewId did not issue to the ids in use.
void LinkStore::noteId(std::string_view id)
{
    int counter = 0;
    IssuedIds* ids = issuedEntryOf(id, counter);
    if (ids != nullptr && issued(*ids, counter)) {
        return;
    }
    m_usedIds.emplace(id);
    size_t end = id.size();
    while (end > 0 && id[end - 1] >= '0' && id[end - 1] <= '9') {
        --end;
    }
    m_foreignPrefixes.emplace(id.substr(0, end));
    if (ids != nullptr) {
        ids->foreign = true;
    }
}

LinkStore::IssuedIds& LinkStore::issuedFor(const std::string& dateText)
{
    for (auto it = m_issued.rbegin(); it != m_issued.rend(); ++it) {
        if (it->dateText == dateText) {
            return *it;
        }
    }
    // Seconds long past are kept as plain ids, so that the clock going back (the end of
    // summer time) still finds them taken.
    if (m_issued.size() >= 32) {
        const IssuedIds& oldest = m_issued.front();
        for (size_t word = 0; word < oldest.bits.size(); ++word) {
            for (int bit = 0; bit < 64; ++bit) {
                if ((oldest.bits[word] >> bit) & 1) {
                    m_usedIds.insert(oldest.dateText + std::to_string(word * 64 + static_cast<size_t>(bit)));
                }
            }
        }
        m_foreignPrefixes.insert(oldest.dateText);
        m_issued.erase(m_issued.begin());
    }
    m_issued.push_back(IssuedIds { dateText, {}, 0, m_foreignPrefixes.count(dateText) != 0 });
    return m_issued.back();
}

bool LinkStore::issued(const IssuedIds& ids, int counter) const
{
    const auto c = static_cast<size_t>(counter);
    return counter >= 0 && c / 64 < ids.bits.size() && ((ids.bits[c / 64] >> (c % 64)) & 1) != 0;
}

bool LinkStore::idTaken(const IssuedIds& ids, int counter)
{
    if (issued(ids, counter)) {
        return true;
    }
    if (!ids.foreign) {
        return false;
    }
    m_candidate.assign(ids.dateText);
    m_candidate += std::to_string(counter);
    return m_usedIds.count(m_candidate) != 0;
}

std::string LinkStore::NewId(int& counter)
{
    return issueId(counter, m_clock.now());
}

std::string LinkStore::issueId(int& counter, const DateTime& now)
{
    ensureIdSet();
    if (m_dateText.empty() || now != m_dateTextTime) {
        m_dateText = idDateText(now);
        m_dateTextTime = now;
    }
    IssuedIds& ids = issuedFor(m_dateText);
    ++counter;
    if (idTaken(ids, counter)) {
        // Move on past everything this second has already handed out.
        if (ids.highest >= counter) {
            counter = ids.highest + 1;
        }
        while (idTaken(ids, counter)) {
            ++counter;
        }
    }
    char digits[16];
    const char* const end = std::to_chars(digits, digits + sizeof digits, counter).ptr;
    std::string id;
    id.reserve(m_dateText.size() + static_cast<size_t>(end - digits));  // to size: one per entry
    id += m_dateText;
    id.append(digits, static_cast<size_t>(end - digits));
    if (counter < 0) {
        noteId(id);  // callers count up from zero; this only keeps the rule whole
        return id;
    }
    const auto c = static_cast<size_t>(counter);
    if (c / 64 >= ids.bits.size()) {
        ids.bits.resize(std::max(c / 64 + 1, ids.bits.size() * 2));
    }
    ids.bits[c / 64] |= uint64_t { 1 } << (c % 64);
    ids.highest = std::max(ids.highest, counter);
    return id;
}

void LinkStore::WalkFolders(Folder& start, const std::function<bool(Folder&, int depth)>& enter,
    const std::function<void(Folder&, int depth)>& leave)
{
    struct Frame
    {
        Folder* folder;
        size_t next;  // index of the next entry to look at
        int depth;
    };
    std::unordered_set<const Folder*> seen;
    std::vector<Frame> stack;
    seen.insert(&start);
    if (!enter(start, 0)) {
        return;
    }
    stack.push_back({ &start, 0, 0 });
    while (!stack.empty()) {
        Frame& top = stack.back();
        auto& items = top.folder->FolderItems;
        Folder* child = nullptr;
        while (top.next < items.size() && child == nullptr) {
            const FolderItem& item = *items[top.next++];
            if (item.IsFolder) {
                Folder* candidate = FindFolder(item.IID);
                if (candidate != nullptr && seen.insert(candidate).second) {
                    child = candidate;
                }
            }
        }
        if (child == nullptr) {
            Folder* done = top.folder;
            const int depth = top.depth;
            stack.pop_back();
            if (leave) {
                leave(*done, depth);
            }
            continue;
        }
        const int depth = top.depth + 1;
        if (enter(*child, depth)) {
            stack.push_back({ child, 0, depth });
        }
    }
}

void LinkStore::AppendToFlatList(std::shared_ptr<Folder> folder)
{
    // The folder index takes the folder in at the next lookup: an import that makes
    // thousands of folders and looks none up fills it once, at the end, in one go.
    if (m_folderIndexValid && m_appendedSize == m_root->SubFolders.size()) {
        ++m_appendedSize;
    } else {
        m_folderIndexValid = false;
    }
    if (m_idSetValid) {
        noteId(folder->id);
    }
    m_root->SubFolders.push_back(std::move(folder));
}

void LinkStore::RemoveFromFlatList(const std::unordered_set<const Folder*>& folders)
{
    if (folders.empty()) {
        return;
    }
    auto& flat = m_root->SubFolders;
    std::erase_if(flat, [&](const std::shared_ptr<Folder>& f) { return folders.count(f.get()) != 0; });
    if (m_current != m_root && folders.count(m_current.get()) != 0) {
        m_current = m_root;
    }
    m_folderIndexValid = false;
}

void LinkStore::IndexesChanged()
{
    IndexesChangedKeepingIds();
    m_idSetValid = false;
}

void LinkStore::IndexesChangedKeepingIds()
{
    m_folderIndexValid = false;
    m_itemIndexFolder = nullptr;
}

}  // namespace brindlex
