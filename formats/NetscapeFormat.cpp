#include "formats/NetscapeFormat.h"

#include <memory>
#include <ostream>
#include <vector>

#include "platform/EventPump.h"
#include "platform/Progress.h"
#include "store/LineStream.h"
#include "store/LinkStore.h"
#include "store/ListRow.h"
#include "store/TextRules.h"

namespace brindlex {

namespace {

constexpr size_t npos = std::string_view::npos;

bool isBlank(char c)
{
    return c == ' ' || c == '\t' || c == '\r' || c == '\n';
}

// The double-quoted value of an HREF attribute (any letter case) at or after `from`.
// Firefox, iCab and feed bookmarks do not always put HREF first, so its position is free.
bool findHrefValue(std::string_view line, size_t from, std::string_view& value)
{
    for (size_t at = findNoCase(line, "href", from); at != npos; at = findNoCase(line, "href", at + 4)) {
        if (at > 0 && !isBlank(line[at - 1]) && line[at - 1] != '<') {
            continue;
        }
        size_t i = at + 4;
        while (i < line.size() && isBlank(line[i])) {
            ++i;
        }
        if (i >= line.size() || line[i] != '=') {
            continue;
        }
        ++i;
        while (i < line.size() && isBlank(line[i])) {
            ++i;
        }
        if (i >= line.size() || line[i] != '"') {
            continue;
        }
        const size_t close = line.find('"', i + 1);
        if (close == npos) {
            return false;
        }
        value = line.substr(i + 1, close - i - 1);
        return true;
    }
    return false;
}

// The text from just after the first ">" at or after `from` up to the next "</".
bool textAfterTag(std::string_view line, size_t from, std::string_view& text)
{
    const size_t gt = line.find('>', from);
    if (gt == npos) {
        return false;
    }
    const size_t close = line.find("</", gt + 1);
    if (close == npos) {
        return false;
    }
    text = line.substr(gt + 1, close - gt - 1);
    return true;
}

// `raw` with its character references decoded; `storage` holds the text when it had any.
std::string_view decoded(std::string_view raw, std::string& storage)
{
    if (raw.find('&') == npos) {
        return raw;
    }
    storage = decodeHtml(raw);
    return storage;
}

std::string indentation(int runs)
{
    return std::string(static_cast<size_t>(runs > 0 ? runs : 0) * 4, ' ');
}

void writeLinkLine(std::ostream& out, const std::string& indent, std::string_view url, std::string_view name)
{
    out << indent << "<DT><A HREF=\"" << escapeHtmlAttribute(oneLine(url))
        << "\" ADD_DATE=\"0\" LAST_VISIT=\"0\" LAST_MODIFIED=\"0\">" << escapeHtmlText(oneLine(name)) << "</A>\r\n";
}

void writeHeading(std::ostream& out, const std::string& indent, std::string_view caption)
{
    out << indent << "<DT><H3 FOLDED ADD_DATE=\"0\">" << escapeHtmlText(oneLine(caption)) << "</H3>\r\n";
}

}  // namespace

Status ImportNetscapeFile(std::istream& in, LinkStore& store, const ReadContext& context)
{
    LineStream lines(in);
    const std::shared_ptr<Folder> start = store.CurrentFolderPtr();
    // The folders to make current again as each nested list closes; its size is the depth.
    std::vector<std::shared_ptr<Folder>> open;
    size_t lineNumber = 0;
    auto fail = [&](const std::string& what) -> Status {
        store.SetCurrentFolder(*start);
        return formatError(what + " (line " + std::to_string(lineNumber) + ")");
    };

    std::string_view line;
    std::string label;  // kept from link to link, so that its buffer is made once
    bool haveLine = false;  // a line read ahead after a heading, still to be handled
    while (true) {
        if (!haveLine) {
            if (!lines.next(line)) {
                // Safari writes no outer list, so the end of the file at the outermost
                // level is a normal end; inside a folder the file is cut short.
                if (open.empty()) {
                    break;
                }
                return fail("The file ends inside a folder");
            }
            ++lineNumber;
        }
        haveLine = false;

        if (line.find("<TITLE>") != npos) {
            context.progress.setValue(33);
            const size_t close = line.find("</TITLE>");
            if (close == npos || close < 7) {
                return fail("A title without its closing tag");
            }
            const std::string title = decodeHtml(line.substr(7, close - 7));
            context.progress.setValue(66);
            context.progress.setLabel("Importing " + title);
            context.events.processEvents();
            context.progress.setValue(99);
        }

        size_t p = line.find("<DT><H");
        if (p != npos) {
            context.progress.setValue(25);
            std::string_view rawName;
            if (!textAfterTag(line, p + 6, rawName)) {
                return fail("A folder heading without its closing tag");
            }
            const std::string name = decodeHtml(rawName);
            context.progress.setValue(50);
            context.progress.setLabel("Creating subfolder " + name);
            context.events.processEvents();
            // The folder's own list opens at the next line that holds <DL>; description
            // lines before it are skipped. A heading followed directly by another entry
            // or a closing list (iCab) is an empty folder, and that line is read normally.
            bool opened = false;
            std::string_view next;
            while (lines.next(next)) {
                ++lineNumber;
                const size_t dl = next.find("<DL>");
                if (dl != npos) {
                    opened = next.find("</DL>", dl) == npos;  // "<DL><p></DL>" opens and closes at once
                    break;
                }
                if (next.find("<DT><A") != npos || next.find("<DT><H") != npos || next.find("</DL>") != npos) {
                    line = next;
                    haveLine = true;
                    break;
                }
            }
            const std::string iid = store.CreateEntry(true, "", 6, name, "Folder", "");
            context.progress.setValue(75);
            if (opened) {
                Folder* folder = store.FindFolder(iid);
                if (folder != nullptr) {
                    open.push_back(store.CurrentFolderPtr());
                    store.SetCurrentFolder(*folder);
                }
            }
            context.progress.setValue(100);
            continue;
        }

        p = line.find("<DT><A");
        if (p != npos) {
            context.progress.setValue(25);
            std::string_view rawUrl;
            if (!findHrefValue(line, p, rawUrl)) {
                // Without an HREF the URL is the first double-quoted value of the line.
                const size_t q1 = line.find('"');
                const size_t q2 = q1 == npos ? npos : line.find('"', q1 + 1);
                if (q2 == npos) {
                    return fail("A link without a quoted address");
                }
                rawUrl = line.substr(q1 + 1, q2 - q1 - 1);
            }
            std::string urlText;
            const std::string_view url = decoded(rawUrl, urlText);
            context.progress.setValue(50);
            std::string_view rawName;
            if (!textAfterTag(line, p + 6, rawName)) {
                return fail("A link without its closing tag");
            }
            std::string nameText;
            const std::string_view name = decoded(rawName, nameText);
            context.progress.setValue(75);
            label.assign("Importing URL ");
            label += name;
            context.progress.setLabel(label);
            context.events.processEvents();
            store.CreateEntry(false, url, 5, name, ClassifyURL(url), "");
            context.progress.setValue(100);
        }

        if (line.find("</DL>") != npos) {
            if (open.empty()) {
                break;  // the outermost list is closed; the rest of the file is not read
            }
            store.SetCurrentFolder(*open.back());
            open.pop_back();
        }
    }
    store.SetCurrentFolder(*start);
    return Status::Ok();
}

void WriteNetscapeFolder(std::ostream& out, LinkStore& store, Folder& folder, int level)
{
    store.WalkFolders(
        folder,
        [&](Folder& f, int depth) {
            const std::string indent = indentation(level + depth + 1);
            if (f.id != RootFolderId) {
                writeHeading(out, indent, f.Caption);
                out << indent << "<DL><p>\r\n";
            }
            const std::string linkIndent = "    " + indent;
            for (const auto& item : f.FolderItems) {
                if (!item->IsFolder) {
                    writeLinkLine(out, linkIndent, item->URL, item->Caption);
                }
            }
            return true;
        },
        [&](Folder&, int depth) { out << indentation(level + depth + 1) << "</DL><p>\r\n"; });
}

Status ExportNetscapeFile(
    std::ostream& out, const std::string& title, ExportRange range, LinkStore& store, std::span<const ListRow> rows)
{
    const std::string shownTitle = escapeHtmlText(oneLine(title));
    out << "<!DOCTYPE NETSCAPE-Bookmark-file-1>\r\n"
        << "<!-- This is an automatically generated file.\r\n"
        << "It will be read and overwritten.\r\n"
        << "Do Not Edit! -->\r\n"
        << "<TITLE>" << shownTitle << "</TITLE>\r\n"
        << "<H1>" << shownTitle << "</H1>\r\n"
        << "\r\n"
        << "<DL><p>\r\n";
    switch (range) {
    case ExportRange::SelectedItems:
        for (const ListRow& row : rows) {
            if (row.Selected && row.Icon != 6) {
                writeLinkLine(out, indentation(2), row.URL, row.Name);
            }
        }
        out << "</DL><p>\r\n";
        break;
    case ExportRange::ImmediateFolderItems:
        writeHeading(out, indentation(1), store.CurrentFolder().Caption);
        out << indentation(1) << "<DL><p>\r\n";
        for (const ListRow& row : rows) {
            if (row.Icon != 6) {
                writeLinkLine(out, indentation(2), row.URL, row.Name);
            }
        }
        out << indentation(1) << "</DL><p>\r\n";
        out << "</DL><p>\r\n";
        break;
    case ExportRange::FolderItemsAndSubFolders:
        WriteNetscapeFolder(out, store, store.CurrentFolder(), 0);
        if (store.CurrentFolder().id != RootFolderId) {
            out << "</DL><p>\r\n";
        }
        break;
    case ExportRange::EntireDatabase:
        WriteNetscapeFolder(out, store, store.Root(), 1);
        break;
    }
    out.flush();
    if (!out) {
        return Error { ErrorKind::Io, "Writing the bookmark file failed" };
    }
    return Status::Ok();
}

}  // namespace brindlex
