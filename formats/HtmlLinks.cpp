#include "formats/HtmlLinks.h"

#include <ostream>

#include "formats/NestedListFormat.h"
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

bool isSpace(char c)
{
    return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\f';
}

bool equalNoCase(std::string_view a, std::string_view b)
{
    return a.size() == b.size() && findNoCase(a, b) == 0;
}

// Walks the attributes of the start tag that opens at text[lt] == '<', as a browser reads
// them: names in any letter case, values quoted with " or ' (a ">" inside stays in the
// value) or bare up to a blank or ">". Returns the position just after the tag's ">"
// (the end of the text if it has none); `value` is the raw value of the attribute
// `wanted`, and the result of `found` says whether the tag has it.
size_t scanTag(std::string_view text, size_t lt, std::string_view wanted, std::string_view& value, bool& found)
{
    found = false;
    size_t i = lt + 1;
    while (i < text.size() && !isSpace(text[i]) && text[i] != '>') {
        ++i;  // the element name
    }
    while (i < text.size()) {
        while (i < text.size() && (isSpace(text[i]) || text[i] == '/')) {
            ++i;
        }
        if (i >= text.size()) {
            break;
        }
        if (text[i] == '>') {
            return i + 1;
        }
        const size_t nameStart = i;
        while (i < text.size() && !isSpace(text[i]) && text[i] != '=' && text[i] != '>' && text[i] != '/') {
            ++i;
        }
        const std::string_view name = text.substr(nameStart, i - nameStart);
        while (i < text.size() && isSpace(text[i])) {
            ++i;
        }
        std::string_view attributeValue;
        if (i < text.size() && text[i] == '=') {
            ++i;
            while (i < text.size() && isSpace(text[i])) {
                ++i;
            }
            if (i < text.size() && (text[i] == '"' || text[i] == '\'')) {
                const size_t close = text.find(text[i], i + 1);
                const size_t end = close == npos ? text.size() : close;
                attributeValue = text.substr(i + 1, end - i - 1);
                i = close == npos ? text.size() : close + 1;
            } else {
                const size_t valueStart = i;
                while (i < text.size() && !isSpace(text[i]) && text[i] != '>') {
                    ++i;
                }
                attributeValue = text.substr(valueStart, i - valueStart);
            }
        }
        if (!found && equalNoCase(name, wanted)) {
            found = true;
            value = attributeValue;
        }
    }
    return text.size();
}

// True when the tag at text[lt] == '<' is an anchor: "<a" followed by a blank, "/" or ">".
bool isAnchorTag(std::string_view text, size_t lt)
{
    if (lt + 2 >= text.size() || (text[lt + 1] != 'a' && text[lt + 1] != 'A')) {
        return false;
    }
    const char after = text[lt + 2];
    return isSpace(after) || after == '>' || after == '/';
}

// The name of an image link: the ALT text of its IMG tag, else the last part of the URL.
std::string imageName(std::string_view linkText, const std::string& url)
{
    for (size_t img = findNoCase(linkText, "<IMG"); img != npos; img = findNoCase(linkText, "<IMG", img + 1)) {
        std::string_view alt;
        bool found = false;
        scanTag(linkText, img, "alt", alt, found);
        if (found) {
            return decodeHtml(alt);
        }
    }
    const size_t slash = url.rfind('/');
    return slash == npos ? url : url.substr(slash + 1);
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
        const size_t lt = text.find('<', pos);
        if (lt == npos) {
            break;
        }
        if (isAnchorTag(text, lt)) {
            std::string_view rawUrl;
            bool hasHref = false;
            pos = scanTag(text, lt, "href", rawUrl, hasHref);
            if (!hasHref) {
                continue;  // a named anchor: a place in the page, not a link
            }
            context.progress.setValue(33);
            const std::string url = decodeHtml(rawUrl);
            buffer.clear();
            context.progress.setValue(66);
            const bool closed = readUntil(buffer, "</A>");
            const std::string_view linkText
                = closed ? std::string_view(buffer).substr(0, buffer.size() - 4) : std::string_view(buffer);
            const std::string name
                = findNoCase(linkText, "IMG") != npos ? imageName(linkText, url) : decodeHtml(linkText);
            store.CreateEntry(false, url, 5, name, ClassifyURL(url), "");
            context.progress.setValue(99);
            context.progress.setLabel("Adding item '" + name + "'");
            context.events.processEvents();
            continue;
        }
        const size_t gt = text.find('>', lt);
        const size_t end = gt == npos ? text.size() : gt + 1;
        pos = end;
        if (findNoCase(std::string_view(text).substr(lt, end - lt), "<TITLE>") != npos) {
            buffer.clear();
            const bool closed = readUntil(buffer, "</TITLE>");
            const std::string title = QuotesToApostrophes(
                decodeHtml(closed ? std::string_view(buffer).substr(0, buffer.size() - 8) : buffer));
            store.CurrentFolder().Caption = title;
            context.progress.setLabel("Importing HTML file '" + title + "'");
            context.events.processEvents();
        }
    }
    return Status::Ok();
}

void WriteHtmlFolder(std::ostream& out, LinkStore& store, Folder& folder, int level)
{
    writeNestedListFolder(out, HtmlList, store, folder, level);
}

Status ExportHtmlFile(
    std::ostream& out, const std::string& title, ExportRange range, LinkStore& store, std::span<const ListRow> rows)
{
    return writeNestedList(out, HtmlList, title, range, store, rows);
}

}  // namespace brindlex
