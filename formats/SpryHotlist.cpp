#include "formats/SpryHotlist.h"

#include <algorithm>
#include <memory>
#include <ostream>
#include <unordered_map>
#include <vector>

#include "platform/EventPump.h"
#include "platform/Progress.h"
#include "store/Limits.h"
#include "store/LinkStore.h"
#include "store/ListRow.h"
#include "store/MessageText.h"
#include "store/TextRules.h"

namespace brindlex {

namespace {

constexpr size_t npos = std::string_view::npos;

bool contains(std::string_view line, std::string_view what)
{
    return line.find(what) != npos;
}

Status writeResult(std::ostream& out)
{
    out.flush();
    if (!out) {
        return Error { ErrorKind::Io, "Writing the hotlist failed" };
    }
    return Status::Ok();
}

void writeSpyglassLink(std::ostream& out, std::string_view url, std::string_view name)
{
    out << "<a href=\"";
    putHtmlAttributeLine(out, url);
    out << "\">";
    putHtmlTextLine(out, name);
    out << "</a><p>\r\n";
}

// The folders below `top` at any depth, in the order of the root's flat list, found by
// following each folder's parent ids. A folder's own SubFolders index is not used: it
// misses folders made inside its subfolders since the index was last rebuilt.
std::vector<const Folder*> foldersBelow(LinkStore& store, const Folder& top)
{
    std::unordered_map<const Folder*, bool> below;  // settled folders: under `top` or not
    std::vector<const Folder*> chain;
    std::vector<const Folder*> found;
    for (const auto& folder : store.Root().SubFolders) {
        chain.clear();
        bool under = false;
        const Folder* at = folder.get();
        // A chain of parents never has more links than there are folders; a longer one loops.
        for (size_t steps = 0; steps <= store.Root().SubFolders.size(); ++steps) {
            chain.push_back(at);
            const Folder* up = store.FindFolder(at->parent);
            if (up == nullptr) {
                break;
            }
            if (up == &top) {
                under = true;
                break;
            }
            if (const auto known = below.find(up); known != below.end()) {
                under = known->second;
                break;
            }
            at = up;
        }
        for (const Folder* passed : chain) {
            below.emplace(passed, under);
        }
        if (under && folder.get() != &top) {
            found.push_back(folder.get());
        }
    }
    return found;
}

void writeSpyglassLinks(std::ostream& out, const Folder& folder)
{
    for (const auto& item : folder.FolderItems) {
        if (!item->IsFolder) {
            writeSpyglassLink(out, item->URL, item->Caption);
        }
    }
}

}  // namespace

Status ImportSpryHotlist(std::istream& in, LinkStore& store, const ReadContext& context)
{
    const std::string text = readAll(in);
    LineCursor lines(text);
    const std::shared_ptr<Folder> start = store.CurrentFolderPtr();

    // Each nested list is a frame: the line its heading left behind, the test to go on
    // with once the list ends, and the folder to make current again (none for "Hotlist").
    struct Frame
    {
        std::string_view line;
        int resume;
        std::shared_ptr<Folder> restore;
    };
    std::vector<Frame> frames;
    std::string_view line;
    int step = 1;
    auto fail = [&](const std::string& what) -> Status {
        store.SetCurrentFolder(*start);
        return formatError(what);
    };
    auto nextTrimmed = [&](std::string& out) {
        std::string_view next;
        if (!lines.next(next)) {
            return false;
        }
        line = next;
        out = trimBlanks(next);
        return true;
    };
    // Ends the current list; false when it was the outermost one.
    auto endList = [&] {
        if (frames.empty()) {
            return false;
        }
        Frame frame = std::move(frames.back());
        frames.pop_back();
        if (frame.restore) {
            store.SetCurrentFolder(*frame.restore);
        }
        line = frame.line;
        step = frame.resume;
        return true;
    };

    while (true) {
        if (step == 1) {
            if (!lines.next(line)) {
                if (!endList()) {
                    break;
                }
                continue;
            }
            step = 2;
        }
        if (step == 2) {
            step = 3;
            if (contains(line, "Hotlist")) {
                context.progress.setValue(33);
                std::string name;
                if (!nextTrimmed(name)) {
                    return fail("The file ends after a hotlist heading");
                }
                context.progress.setLabel("Importing Spry Hotlist " + name);
                context.events.processEvents();
                context.progress.setValue(66);
                context.progress.setValue(100);
                frames.push_back({ line, 3, nullptr });
                step = 1;
                continue;
            }
        }
        if (step == 3) {
            step = 4;
            if (contains(line, "Sublist")) {
                context.progress.setValue(33);
                std::string name;
                if (!nextTrimmed(name)) {
                    return fail("The file ends after a sublist heading");
                }
                context.progress.setLabel("Creating Folder " + name);
                context.events.processEvents();
                const std::string iid = store.CreateEntry(true, "", 6, name, "Folder", "");
                frames.push_back({ line, 4, store.CurrentFolderPtr() });
                context.progress.setValue(66);
                if (Folder* folder = store.FindFolder(iid)) {
                    store.SetCurrentFolder(*folder);
                }
                context.progress.setValue(100);
                step = 1;
                continue;
            }
        }
        if (step == 4) {
            step = 5;
            if (contains(line, "Item")) {
                context.progress.setValue(33);
                std::string name;
                if (!nextTrimmed(name)) {
                    return fail("The file ends inside an item");
                }
                context.progress.setLabel("Importing URL " + name);
                context.events.processEvents();
                context.progress.setValue(66);
                std::string url;
                if (!nextTrimmed(url)) {
                    return fail("The file ends inside the item " + quotedInput(name));
                }
                store.CreateEntry(false, url, 5, name, ClassifyURL(url), "");
                context.progress.setValue(100);
            }
        }
        // step 5
        step = 1;
        if (contains(line, "}") && !endList()) {
            break;
        }
    }
    store.SetCurrentFolder(*start);
    return Status::Ok();
}

void WriteSpryList(std::ostream& out, LinkStore& store, Folder& folder, int level)
{
    // Indentation stops growing past the nesting limit (a deep tree would otherwise grow
    // the file with the square of its depth).
    auto blanks
        = [](int runs) { return std::string(static_cast<size_t>(std::clamp(runs, 0, MaxFolderDepth + 2)) * 2, ' '); };
    store.WalkFolders(
        folder,
        [&](Folder& f, int depth) {
            const int d = level + depth;
            const std::string i = blanks(d + 1);
            const std::string s = blanks(d);
            const std::string caption = oneLine(f.Caption);
            if (d == 0) {
                out << "Hotlist\r\n" << caption << "\r\n{\r\n";
            } else {
                out << s << "Sublist\r\n" << s << caption << "\r\n" << s << "{\r\n";
            }
            for (const auto& item : f.FolderItems) {
                if (!item->IsFolder) {
                    out << i << "Item\r\n"
                        << i << "  " << oneLine(item->Caption) << "\r\n"
                        << i << "  " << oneLine(item->URL) << "\r\n";
                }
            }
            return true;
        },
        [&](Folder&, int depth) { out << blanks(level + depth) << "}\r\n"; });
}

Status ExportSpryHotlist(
    std::ostream& out, const std::string& title, ExportRange range, LinkStore& store, std::span<const ListRow> rows)
{
    switch (range) {
    case ExportRange::SelectedItems:
    case ExportRange::ImmediateFolderItems:
        out << "Hotlist\r\n" << oneLine(title) << "\r\n{\r\n";
        for (const ListRow& row : rows) {
            if (row.Icon != 6 && (range == ExportRange::ImmediateFolderItems || row.Selected)) {
                out << "  Item\r\n    " << oneLine(row.Name) << "\r\n    " << oneLine(row.URL) << "\r\n";
            }
        }
        out << "}\r\n";
        break;
    case ExportRange::FolderItemsAndSubFolders:
        WriteSpryList(out, store, store.CurrentFolder(), 0);
        break;
    case ExportRange::EntireDatabase:
        WriteSpryList(out, store, store.Root(), 0);
        break;
    }
    return writeResult(out);
}

Status ImportSpyglassHotlist(std::istream& in, LinkStore& store, const ReadContext& context)
{
    const std::string text = readAll(in);
    LineCursor lines(text);
    std::string_view line;
    while (lines.next(line)) {
        const std::string upper = upperAscii(line);
        const size_t p = upper.find("<TITLE>");
        if (p != npos) {
            // A title that goes on past its line is shown up to the line's end.
            const size_t close = upper.find("</TITLE>", p + 7);
            const std::string title = decodeHtml(line.substr(p + 7, close == npos ? npos : close - p - 7));
            context.progress.setValue(33);
            context.progress.setValue(66);
            context.progress.setLabel("Creating Folder " + title);
            context.events.processEvents();
        }
        const std::string lower = lowerAscii(line);
        size_t s = 0;
        while (true) {
            context.progress.setValue(25);
            const size_t href = lower.find("href", s);
            if (href == npos) {
                break;
            }
            const size_t q1 = line.find('"', href + 1);
            const size_t q2 = q1 == npos ? npos : line.find('"', q1 + 1);
            if (q2 == npos) {
                return formatError("An address without its closing quote");
            }
            const std::string url = decodeHtml(line.substr(q1 + 1, q2 - q1 - 1));
            context.progress.setValue(50);
            const size_t gt = line.find('>', q2);
            const size_t end = gt == npos ? npos : lower.find("</a>", gt + 1);
            if (end == npos) {
                return formatError("A link without its closing tag");
            }
            const std::string name = decodeHtml(line.substr(gt + 1, end - gt - 1));
            context.progress.setLabel("Importing URL " + name);
            context.events.processEvents();
            context.progress.setValue(75);
            store.CreateEntry(false, url, 5, name, ClassifyURL(url), "");
            s = end + 1;
        }
        context.progress.setValue(100);
    }
    return Status::Ok();
}

Status ExportSpyglassHotlist(
    std::ostream& out, const std::string&, ExportRange range, LinkStore& store, std::span<const ListRow> rows)
{
    out << "<title>Hotlist</title>\r\n\r\n<h1>Hotlist Page</h1>\r\n";
    switch (range) {
    case ExportRange::SelectedItems:
    case ExportRange::ImmediateFolderItems:
        for (const ListRow& row : rows) {
            if (row.Icon != 6 && (range == ExportRange::ImmediateFolderItems || row.Selected)) {
                writeSpyglassLink(out, row.URL, row.Name);
            }
        }
        break;
    case ExportRange::FolderItemsAndSubFolders:
        writeSpyglassLinks(out, store.CurrentFolder());
        for (const Folder* folder : foldersBelow(store, store.CurrentFolder())) {
            writeSpyglassLinks(out, *folder);
        }
        break;
    case ExportRange::EntireDatabase:
        writeSpyglassLinks(out, store.Root());
        for (const auto& folder : store.Root().SubFolders) {
            writeSpyglassLinks(out, *folder);
        }
        break;
    }
    return writeResult(out);
}

}  // namespace brindlex
