#include "formats/HtmlLinks.h"

#include <ostream>

#include "platform/EventPump.h"
#include "platform/Progress.h"
#include "store/LinkStore.h"
#include "store/ListRow.h"
#include "store/TextRules.h"

namespace brindlex {

namespace {

constexpr size_t npos = std::string_view::npos;

bool endsWithNoCase(const std::string& text, std::string_view tail)
{
    return text.size() >= tail.size() && findNoCase(text, tail, text.size() - tail.size()) != npos;
}

std::string indentation(int runs)
{
    return std::string(static_cast<size_t>(runs) * 4, ' ');
}

void writeLinkLine(std::ostream& out, const std::string& indent, std::string_view url, std::string_view name)
{
    out << indent << "<LI><A HREF=\"" << escapeHtmlAttribute(url)
        << "\" ADD_DATE=\"0\" LAST_VISIT=\"0\" LAST_MODIFIED=\"0\">" << escapeHtmlText(name) << "</A>\r\n";
}

void writeHeading(std::ostream& out, const std::string& indent, std::string_view caption)
{
    out << indent << "<H3>" << escapeHtmlText(caption) << "</H3>\r\n";
}

}  // namespace

Status ExtractHtmlLinks(std::istream& in, LinkStore& store, const ReadContext& context)
{
    const std::string text = readAll(in);
    size_t pos = 0;
    // Reads characters into `buffer` until it ends with `tail` (any letter case) or the
    // text ends; true when the tail was found.
    auto readUntil = [&](std::string& buffer, std::string_view tail) {
        while (pos < text.size()) {
            buffer += text[pos++];
            if (buffer.back() == tail.back() || buffer.back() == (tail.back() ^ 0x20)) {
                if (endsWithNoCase(buffer, tail)) {
                    return true;
                }
            }
        }
        return false;
    };
    std::string buffer;
    while (pos < text.size()) {
        // One tag: what stands before its "<" is dropped.
        buffer.clear();
        const size_t lt = text.find('<', pos);
        if (lt == npos) {
            break;
        }
        const size_t gt = text.find('>', lt);
        const size_t end = gt == npos ? text.size() : gt + 1;
        buffer.assign(text, lt, end - lt);
        pos = end;

        if (findNoCase(buffer, "<TITLE>") != npos) {
            buffer.clear();
            const bool closed = readUntil(buffer, "</TITLE>");
            const std::string title = QuotesToApostrophes(
                decodeHtml(closed ? std::string_view(buffer).substr(0, buffer.size() - 8) : buffer));
            store.CurrentFolder().Caption = title;
            buffer.clear();
            context.progress.setLabel("Importing HTML file '" + title + "'");
            context.events.processEvents();
        }
        if (findNoCase(buffer, "HREF=") == npos) {
            continue;
        }
        context.progress.setValue(33);
        const size_t q1 = buffer.find('"');
        const size_t q2 = q1 == npos ? npos : buffer.find('"', q1 + 1);
        if (q2 == npos) {
            return formatError("A link tag without a double-quoted address");
        }
        const std::string url = decodeHtml(std::string_view(buffer).substr(q1 + 1, q2 - q1 - 1));
        buffer.clear();
        context.progress.setValue(66);
        const bool closed = readUntil(buffer, "</A>");
        const std::string_view linkText = closed ? std::string_view(buffer).substr(0, buffer.size() - 4) : buffer;

        std::string name;
        if (findNoCase(linkText, "IMG") != npos) {
            const size_t alt = findNoCase(linkText, "ALT=");
            const size_t a1 = alt == npos ? npos : linkText.find('"', alt);
            const size_t a2 = a1 == npos ? npos : linkText.find('"', a1 + 1);
            if (a2 != npos) {
                name = decodeHtml(linkText.substr(a1 + 1, a2 - a1 - 1));
            } else {
                const size_t slash = url.rfind('/');
                name = slash == npos ? url : url.substr(slash + 1);
            }
        } else {
            name = decodeHtml(linkText);
        }
        store.CreateEntry(false, url, 5, name, ClassifyURL(url), "");
        context.progress.setValue(99);
        context.progress.setLabel("Adding item '" + name + "'");
        context.events.processEvents();
        buffer.clear();
    }
    return Status::Ok();
}

void WriteHtmlFolder(std::ostream& out, LinkStore& store, Folder& folder, int level)
{
    store.WalkFolders(
        folder,
        [&](Folder& f, int depth) {
            const std::string indent = indentation(level + depth + 1);
            if (f.id != RootFolderId) {
                writeHeading(out, indent, f.Caption);
                out << indent << "<UL TYPE=disc><p>\r\n";
            }
            const std::string linkIndent = "    " + indent;
            for (const auto& item : f.FolderItems) {
                if (!item->IsFolder) {
                    writeLinkLine(out, linkIndent, item->URL, item->Caption);
                }
            }
            return true;
        },
        [&](Folder&, int depth) { out << indentation(level + depth + 1) << "</UL><p>\r\n"; });
}

Status ExportHtmlFile(
    std::ostream& out, const std::string& title, ExportRange range, LinkStore& store, std::span<const ListRow> rows)
{
    const std::string shownTitle = escapeHtmlText(title);
    out << "<!--This file generated by Brindlex-->\r\n"
        << "<TITLE>" << shownTitle << "</TITLE>\r\n"
        << "<H1>" << shownTitle << "</H1>\r\n"
        << "\r\n"
        << "<UL TYPE=disc><p>\r\n";
    switch (range) {
    case ExportRange::SelectedItems:
        for (const ListRow& row : rows) {
            if (row.Selected && row.Icon != 6) {
                writeLinkLine(out, indentation(2), row.URL, row.Name);
            }
        }
        out << "</UL><p>\r\n";
        break;
    case ExportRange::ImmediateFolderItems:
        writeHeading(out, indentation(1), store.CurrentFolder().Caption);
        out << indentation(1) << "<UL TYPE=disc><p>\r\n";
        for (const ListRow& row : rows) {
            if (row.Icon != 6) {
                writeLinkLine(out, indentation(2), row.URL, row.Name);
            }
        }
        out << indentation(1) << "</UL><p>\r\n";
        out << "</UL><p>\r\n";
        break;
    case ExportRange::FolderItemsAndSubFolders:
        WriteHtmlFolder(out, store, store.CurrentFolder(), 0);
        if (store.CurrentFolder().id != RootFolderId) {
            out << "</UL><p>\r\n";
        }
        break;
    case ExportRange::EntireDatabase:
        WriteHtmlFolder(out, store, store.Root(), 0);
        break;
    }
    out.flush();
    if (!out) {
        return Error { ErrorKind::Io, "Writing the HTML file failed" };
    }
    return Status::Ok();
}

}  // namespace brindlex
