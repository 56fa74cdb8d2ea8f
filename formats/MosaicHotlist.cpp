#include "formats/MosaicHotlist.h"

#include <memory>
#include <ostream>
#include <unordered_map>
#include <unordered_set>
#include <vector>

#include "platform/Clock.h"
#include "platform/EventPump.h"
#include "platform/Progress.h"
#include "store/LinkStore.h"
#include "store/ListRow.h"
#include "store/MessageText.h"
#include "store/TextRules.h"

namespace brindlex {

namespace {

constexpr size_t npos = std::string_view::npos;

// Reads comma-delimited fields: a field ends at a comma or at the end of its line.
class FieldReader
{
public:
    explicit FieldReader(std::string_view text)
        : m_text(text)
    {
    }

    // The next field, or false at the end of the text.
    bool next(std::string_view& field)
    {
        if (m_pos >= m_text.size()) {
            return false;
        }
        const size_t end = m_text.find_first_of(",\n", m_pos);
        const size_t stop = end == npos ? m_text.size() : end;
        field = m_text.substr(m_pos, stop - m_pos);
        m_endedLine = end == npos || m_text[end] == '\n';
        if (m_endedLine && !field.empty() && field.back() == '\r') {
            field.remove_suffix(1);
        }
        m_pos = end == npos ? m_text.size() : end + 1;
        return true;
    }
    // Whether the last field ended its line (rather than at a comma).
    bool endedLine() const { return m_endedLine; }
    // What is left of the line the last field came from, commas included; the next
    // field starts on the following line.
    std::string_view restOfLine()
    {
        if (m_endedLine) {
            return {};
        }
        const size_t end = m_text.find('\n', m_pos);
        std::string_view rest = m_text.substr(m_pos, end == npos ? npos : end - m_pos);
        if (!rest.empty() && rest.back() == '\r') {
            rest.remove_suffix(1);
        }
        m_pos = end == npos ? m_text.size() : end + 1;
        m_endedLine = true;
        return rest;
    }
    // Drops what is left of the line the last field came from.
    void skipRestOfLine()
    {
        if (m_endedLine) {
            return;
        }
        const size_t end = m_text.find('\n', m_pos);
        m_pos = end == npos ? m_text.size() : end + 1;
        m_endedLine = true;
    }

private:
    std::string_view m_text;
    size_t m_pos = 0;
    bool m_endedLine = true;
};

std::string afterFirstEquals(std::string_view field)
{
    const size_t eq = field.find('=');
    return std::string(eq == npos ? field : field.substr(eq + 1));
}

// The representative of a folder's set; sets are the trees formed while submenus are placed.
Folder* findSet(std::unordered_map<Folder*, Folder*>& sets, Folder* folder)
{
    Folder* top = folder;
    for (auto it = sets.find(top); it != sets.end() && it->second != top; it = sets.find(top)) {
        top = it->second;
    }
    while (folder != top) {
        auto it = sets.find(folder);
        if (it == sets.end()) {
            break;
        }
        Folder* up = it->second;
        it->second = top;
        folder = up;
    }
    return top;
}

// The name of an item line cannot hold a comma (the fields of an item are separated by
// commas) nor a line break. A menu name is the whole rest of its line and keeps its commas.
std::string itemName(std::string_view text)
{
    std::string out = oneLine(text);
    std::erase(out, ',');
    return out;
}

}  // namespace

Status ImportMosaicHotlist(std::istream& in, LinkStore& store, Folder& target, const ReadContext& context)
{
    const std::string text = readAll(in);
    FieldReader fields(text);
    int& counter = store.EntryCounter();
    if (counter > 1000) {
        counter = 0;
    }
    bool pending = false;
    std::string pendingName;
    std::string sectionKey;
    std::vector<std::shared_ptr<Folder>> made;  // folders this import made, in order
    std::unordered_set<const FolderItem*> placeholders;

    // First folder of the flat list with a given Path, kept up to date as folders are made.
    std::unordered_map<std::string, Folder*> byPath;
    bool byPathValid = false;
    auto folderWithPath = [&](const std::string& path) -> Folder* {
        if (!byPathValid) {
            byPath.clear();
            for (const auto& f : store.Root().SubFolders) {
                byPath.emplace(f->Path, f.get());
            }
            byPathValid = true;
        }
        const auto it = byPath.find(path);
        return it == byPath.end() ? nullptr : it->second;
    };
    auto createPending = [&] {
        auto folder = std::make_shared<Folder>();
        folder->Caption = pendingName;
        folder->id = store.NewId(counter);
        folder->parent = RootFolderId;
        folder->MDate = store.clock().now().dateOnly();
        folder->Path = sectionKey;
        folderWithPath(sectionKey);  // make sure the index exists before adding to it
        byPath.emplace(folder->Path, folder.get());
        store.AppendToFlatList(folder);
        made.push_back(folder);
    };

    Status result = Status::Ok();
    std::string_view field;
    while (fields.next(field)) {
        if (field.empty()) {
            if (pending) {
                createPending();
                pending = false;
            }
            store.SetCurrentFolder(target);
            continue;
        }
        if (field.find("[User Menu") != npos) {
            context.progress.setValue(25);
            std::string key(field);
            key.erase(key.find(' '), 1);
            sectionKey = key.substr(1, key.size() - 2);
            continue;
        }
        if (field.find("Menu_Name=") != npos) {
            context.progress.setValue(50);
            // A menu name is the rest of its line: a name with a comma must not make
            // its second half an item.
            pendingName = afterFirstEquals(field);
            if (!fields.endedLine()) {
                pendingName += ',';
                pendingName += fields.restOfLine();
            }
            context.progress.setLabel("Creating subfolder " + pendingName);
            context.events.processEvents();
            pending = true;
            continue;
        }
        if (field == "Menu_Type=TOPLEVEL") {
            store.SetCurrentFolder(target);
            target.Path = "TOPLEVEL";
            byPathValid = false;
            pending = false;
            continue;
        }
        if (pending) {
            createPending();
            context.progress.setValue(75);
            if (Folder* folder = folderWithPath(sectionKey)) {
                store.SetCurrentFolder(*folder);
            }
            pending = false;
            context.progress.setValue(100);
        }
        if (field.find("=MENU") != npos) {
            std::string_view key;
            if (!fields.next(key)) {
                result = formatError("The file ends inside a submenu item");
                break;
            }
            store.CreateEntry(false, "", 5, key, "Folder", "");
            // CreateEntry appends, so the new entry is the last of CurrentFolder.
            FolderItem& item = *store.CurrentFolder().FolderItems.back();
            item.IsFolder = true;
            item.Icon = 6;
            item.Description.clear();
            item.Client = "None";
            placeholders.insert(&item);
            continue;
        }
        const std::string name = afterFirstEquals(field);
        context.progress.setValue(33);
        context.progress.setLabel("Importing " + name);
        context.events.processEvents();
        std::string_view url;
        if (!fields.next(url)) {
            result = formatError("The file ends inside the item " + quotedInput(name));
            break;
        }
        // The rest of the line is the item's date and time, which is not kept. Taking it
        // as a whole lets a date with a blank in it, or a missing date, read correctly.
        fields.skipRestOfLine();
        const std::string address = trimBlanks(url);
        const std::string kind = ClassifyURL(address);
        context.progress.setValue(66);
        store.CreateEntry(false, address, 5, name, kind, "");
        context.progress.setValue(100);
    }
    if (!result.ok()) {
        return result;
    }
    // A last menu without items still becomes its folder.
    if (pending) {
        createPending();
    }

    // Each submenu item becomes the entry of the folder of the menu it names. Only the
    // items this import made are placed; a menu is placed once, and never inside itself,
    // so submenus that name each other cannot make a loop.
    std::unordered_map<Folder*, Folder*> sets;
    for (const auto& f : made) {
        sets.emplace(f.get(), f.get());
    }
    std::unordered_set<const Folder*> placed;
    auto resolveIn = [&](Folder& holder) {
        for (const auto& item : holder.FolderItems) {
            if (placeholders.count(item.get()) == 0 || item->URLType != "Folder"
                || item->Caption.compare(0, 8, "UserMenu") != 0) {
                continue;
            }
            Folder* folder = folderWithPath(item->Caption);
            if (folder == nullptr || sets.count(folder) == 0 || placed.count(folder) != 0) {
                continue;
            }
            if (sets.count(&holder) != 0 && findSet(sets, &holder) == findSet(sets, folder)) {
                continue;  // the menu would end up inside itself
            }
            folder->parent = holder.id;
            item->Caption = folder->Caption;
            item->IID = folder->id;
            placeholders.erase(item.get());
            placed.insert(folder);
            if (sets.count(&holder) != 0) {
                sets[findSet(sets, folder)] = findSet(sets, &holder);
            }
        }
    };
    resolveIn(target);
    for (size_t i = 0; i < store.Root().SubFolders.size(); ++i) {
        resolveIn(*store.Root().SubFolders[i]);
    }
    // A menu that no submenu item names keeps its place under the root, with its entry there.
    const std::shared_ptr<Folder> keep = store.CurrentFolderPtr();
    store.SetCurrentFolder(store.Root());
    for (const auto& f : made) {
        if (placed.count(f.get()) == 0) {
            store.AddLoadedItem(f->Caption, "", true, f->id, 0, f->MDate, "", "", "", "");
        }
    }
    store.SetCurrentFolder(*keep);
    store.IndexesChanged();  // placeholder IIDs changed in place
    return Status::Ok();
}

void WriteMosaicMenu(std::ostream& out, LinkStore& store, Folder& folder, int& menuNumber)
{
    // Sections are numbered depth first, so a submenu item can name its section before
    // that section is written.
    std::vector<Folder*> order;
    std::unordered_map<const Folder*, int> section;
    const int first = menuNumber;
    store.WalkFolders(folder, [&](Folder& f, int) {
        section.emplace(&f, first + static_cast<int>(order.size()));
        order.push_back(&f);
        return true;
    });
    int unplaced = first + static_cast<int>(order.size());  // names for entries whose folder is missing
    for (Folder* f : order) {
        const int n = section[f];
        if (n == 0) {
            out << "[User Menu0]\r\nMenu_Name=" << oneLine(f->Caption) << "\r\nMenu_Type=TOPLEVEL\r\n";
        } else {
            out << "\r\n[User Menu" << n << "]\r\nMenu_Name=" << oneLine(f->Caption) << "\r\n";
        }
        int item = 0;
        for (const auto& entry : f->FolderItems) {
            if (entry->IsFolder) {
                const Folder* sub = store.FindFolder(entry->IID);
                const auto it = sub == nullptr ? section.end() : section.find(sub);
                const int s = it == section.end() ? unplaced++ : it->second;
                out << "Item" << item++ << "=MENU,UserMenu" << s << "\r\n";
            }
        }
        for (const auto& entry : f->FolderItems) {
            if (!entry->IsFolder) {
                out << "Item" << item++ << "=" << itemName(entry->Caption) << "," << oneLine(entry->URL)
                    << ",10-Oct-95 10:10:10\r\n";
            }
        }
    }
    menuNumber = first + static_cast<int>(order.size()) - 1;
}

Status ExportMosaicHotlist(
    std::ostream& out, const std::string& title, ExportRange range, LinkStore& store, std::span<const ListRow> rows)
{
    int menuNumber = 0;
    switch (range) {
    case ExportRange::SelectedItems:
    case ExportRange::ImmediateFolderItems: {
        std::string now = idDateText(store.clock().now());
        now.resize(now.size() > 3 ? now.size() - 3 : 0);
        out << "[User Menu0]\r\nMenu_Name=" << oneLine(title) << "\r\nMenu_Type=TOPLEVEL\r\n";
        for (size_t i = 0; i < rows.size(); ++i) {
            const ListRow& row = rows[i];
            if (row.Icon != 6 && (range == ExportRange::ImmediateFolderItems || row.Selected)) {
                out << "Item" << i << "=" << itemName(row.Name) << "," << oneLine(row.URL) << "," << now << "\r\n";
            }
        }
        break;
    }
    case ExportRange::FolderItemsAndSubFolders:
        WriteMosaicMenu(out, store, store.CurrentFolder(), menuNumber);
        break;
    case ExportRange::EntireDatabase:
        WriteMosaicMenu(out, store, store.Root(), menuNumber);
        break;
    }
    out.flush();
    if (!out) {
        return Error { ErrorKind::Io, "Writing the hotlist failed" };
    }
    return Status::Ok();
}

}  // namespace brindlex
