#include "formats/InternetShortcut.h"

#include <istream>
#include <ostream>
#include <unordered_set>

#include "formats/FormatText.h"
#include "platform/MessageBoxes.h"
#include "store/AtomicFile.h"
#include "store/LinkStore.h"
#include "store/ListRow.h"
#include "store/TextRules.h"

namespace brindlex {

Status ImportShortcutFile(std::istream& in, LinkStore& store, const std::string& name)
{
    const std::string text = readAll(in);
    LineCursor lines(text);
    std::string_view line;
    std::string_view second;
    int count = 0;
    bool inSection = false;
    bool found = false;
    std::string address;
    // Windows writes another section and an IDList= line before the address, so the
    // address is looked up by its key; only a file without one falls back to line 2.
    while (lines.next(line)) {
        ++count;
        if (count == 2) {
            second = line;
        }
        const std::string trimmed = trimBlanks(line);
        if (!trimmed.empty() && trimmed.front() == '[') {
            inSection = upperAscii(trimmed) == "[INTERNETSHORTCUT]";
        } else if (inSection && !found && trimmed.size() >= 4 && upperAscii(trimmed.substr(0, 4)) == "URL=") {
            address = trimmed.substr(4);
            found = true;
        }
    }
    if (!found) {
        if (count < 2) {
            return Error { ErrorKind::Format, "The shortcut file has no address" };
        }
        address = std::string(second.size() > 4 ? second.substr(4) : std::string_view());
    }
    store.CreateEntry(false, address, 5, name, ClassifyURL(address), "");
    return Status::Ok();
}

std::string shortcutFileName(std::string_view rowText, int number)
{
    std::string name;
    name.reserve(rowText.size());
    for (char c : rowText) {
        const auto u = static_cast<unsigned char>(c);
        const bool bad = u < 0x20 || u == 0x7F || c == '/' || c == '\\' || c == ':' || c == '*' || c == '?' || c == '"'
            || c == '<' || c == '>' || c == '|';
        name += bad ? '_' : c;
    }
    // A leading dot would hide the file (and "." or ".." name no file at all).
    for (char& c : name) {
        if (c != '.') {
            break;
        }
        c = '_';
    }
    if (name.empty()) {
        name = "Untitled";
    }
    const std::string suffix = (number > 1 ? " (" + std::to_string(number) + ")" : std::string()) + ".url";
    // The name and its temporary's suffix must fit in the longest file name; the cut
    // falls before a UTF-8 continuation byte never.
    const size_t room = MaxFileNameBytes - TemporarySuffixLength - suffix.size();
    if (name.size() > room) {
        size_t cut = room;
        while (cut > 0 && (static_cast<unsigned char>(name[cut]) & 0xC0) == 0x80) {
            --cut;
        }
        name.resize(cut);
    }
    return name + suffix;
}

Status ExportShortcutFiles(std::span<const ListRow> rows, const std::string& directory, MessageBoxes& messages)
{
    bool any = false;
    for (const ListRow& row : rows) {
        any = any || row.Selected;
    }
    if (!any) {
        messages.beep();
        return Status::Ok();
    }
    // Names taken by this export, in lower case: rows named alike (or alike but for case,
    // which many file systems do not tell apart) each get their own file.
    std::unordered_set<std::string> taken;
    const auto lower = [](std::string text) {
        for (char& c : text) {
            c = c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
        }
        return text;
    };
    for (const ListRow& row : rows) {
        if (!row.Selected) {
            continue;
        }
        std::string name = shortcutFileName(row.Name);
        for (int number = 2; !taken.insert(lower(name)).second; ++number) {
            name = shortcutFileName(row.Name, number);
        }
        const std::string path = directory + "/" + name;
        const Status written = writeFileAtomically(path, [&](std::ostream& out) -> Status {
            out << "[InternetShortcut]\r\nURL=" << oneLine(row.URL) << "\r\n";
            return Status::Ok();
        });
        if (!written.ok()) {
            return written;
        }
    }
    return Status::Ok();
}

}  // namespace brindlex
