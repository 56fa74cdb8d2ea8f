#include "formats/NetscapeFormat.h"

#include <algorithm>
#include <cstring>
#include <istream>
#include <memory>
#include <optional>
#include <ostream>
#include <vector>

#include "formats/NestedListFormat.h"
#include "platform/EventPump.h"
#include "platform/Progress.h"
#include "store/DateTime.h"
#include "store/FileAccess.h"
#include "store/Limits.h"
#include "store/LineStream.h"
#include "store/LinesAhead.h"
#include "store/LinkStore.h"
#include "store/ListRow.h"
#include "store/TextEncoding.h"
#include "store/TextFile.h"
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

// The text from just after the first ">" at or after `from` up to the next "</"; `gt`
// is where that ">" stands.
bool textAfterTag(std::string_view line, size_t from, std::string_view& text, size_t& gt)
{
    gt = line.find('>', from);
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

// Where each tag the reader acts on first stands in a line, found in one pass over the
// line's "<" characters rather than in one search of the whole line for each tag.
struct LineTags
{
    size_t description = npos;  // <DD>
    size_t title = npos;  // <TITLE>
    size_t heading = npos;  // <DT><H
    size_t anchor = npos;  // <DT><A
    size_t listEnd = npos;  // </DL>

    explicit LineTags(std::string_view line)
    {
        for (size_t at = line.find('<'); at != npos; at = line.find('<', at + 1)) {
            const std::string_view rest = line.substr(at);
            note(description, rest, "<DD>", at);
            note(title, rest, "<TITLE>", at);
            note(heading, rest, "<DT><H", at);
            note(anchor, rest, "<DT><A", at);
            note(listEnd, rest, "</DL>", at);
        }
    }

private:
    static void note(size_t& first, std::string_view rest, std::string_view tag, size_t at)
    {
        if (first == npos && rest.starts_with(tag)) {
            first = at;
        }
    }
};

// `raw` with its character references decoded; `storage` holds the text when it had any.
std::string_view decoded(std::string_view raw, std::string& storage)
{
    if (raw.find('&') == npos) {
        return raw;
    }
    storage = decodeHtml(raw);
    return storage;
}

// The date of a Unix time stamp as bookmark files write it: seconds, or milliseconds and
// microseconds (as some exports write them), told apart by size. Zero, negative values
// and years beyond 9999 are no date.
std::optional<DateTime> stampDate(long long value, LocalTimes& times)
{
    if (value <= 0) {
        return std::nullopt;
    }
    if (value >= 100000000000000LL) {
        value /= 1000000;
    } else if (value >= 100000000000LL) {
        value /= 1000;
    }
    std::optional<DateTime> date = times.fromUnixSeconds(value);
    // Local midnight is what the writer makes of a date without a time of day; reading it
    // back as such keeps such dates as they were.
    if (date && date->hour == 0 && date->minute == 0 && date->second == 0) {
        date = date->dateOnly();
    }
    return date;
}

// The date of the attribute `name` (ADD_DATE, LAST_MODIFIED) of `tag`, its value quoted
// or not. Browsers write the names in capitals; other letter cases are looked for only
// when that finds nothing.
std::optional<DateTime> dateAttribute(std::string_view tag, std::string_view name, LocalTimes& times)
{
    size_t at = tag.find(name);
    if (at == npos) {
        at = findNoCase(tag, name);
    }
    for (; at != npos; at = findNoCase(tag, name, at + 1)) {
        if (at == 0 || !isBlank(tag[at - 1])) {
            continue;
        }
        size_t i = at + name.size();
        while (i < tag.size() && isBlank(tag[i])) {
            ++i;
        }
        if (i >= tag.size() || tag[i] != '=') {
            continue;
        }
        ++i;
        while (i < tag.size() && isBlank(tag[i])) {
            ++i;
        }
        if (i < tag.size() && (tag[i] == '"' || tag[i] == '\'')) {
            ++i;
        }
        long long value = 0;
        int digits = 0;
        for (; i < tag.size() && tag[i] >= '0' && tag[i] <= '9'; ++i) {
            if (++digits > 18) {
                return std::nullopt;
            }
            value = value * 10 + (tag[i] - '0');
        }
        return digits == 0 ? std::nullopt : stampDate(value, times);
    }
    return std::nullopt;
}

// Where a description ends in `line`: at the next <DT>, <DL> or </DL> (or another
// <DD>); npos when it runs on past the line.
size_t descriptionEnd(std::string_view line)
{
    for (size_t at = line.find('<'); at != npos; at = line.find('<', at + 1)) {
        const std::string_view rest = line.substr(at);
        if (rest.starts_with("<DT>") || rest.starts_with("<DL>") || rest.starts_with("</DL>")
            || rest.starts_with("<DD>")) {
            return at;
        }
    }
    return npos;
}

// The text of a <DD> description as collected (lines joined by one blank), decoded, each
// run of white space (line breaks and tabs too) one blank as HTML shows it, and without
// double quotes like every text field. The decoded copy is cleaned in place: it only
// gets shorter.
std::string descriptionText(std::string_view raw)
{
    std::string text = decodeHtml(raw);
    size_t kept = 0;
    for (size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (isBlank(c) || c == '\f') {
            if (kept > 0 && text[kept - 1] != ' ') {
                text[kept++] = ' ';
            }
        } else {
            text[kept++] = c == '"' ? '\'' : c;
        }
    }
    if (kept > 0 && text[kept - 1] == ' ') {
        --kept;
    }
    text.resize(kept);
    return text;
}

void setDate(FolderItem& item, Folder* folder, const std::optional<DateTime>& date)
{
    if (date) {
        item.MDate = *date;
        if (folder != nullptr) {
            folder->MDate = *date;
        }
    }
}

// What a link line says of its link. The views look into the line, or into the decoded
// copies held here, so the parts are filled in place and never moved.
struct AnchorParts
{
    std::string_view url;
    std::string_view name;
    size_t gt = npos;  // the ">" that ends the anchor's tag
    std::optional<DateTime> date;
    std::string urlText;
    std::string nameText;
};

// Reads the link whose "<DT><A" stands at `p` of `line`; what is wrong with it, or null.
const char* readAnchor(std::string_view line, size_t p, LocalTimes& times, AnchorParts& parts)
{
    std::string_view rawUrl;
    if (!findHrefValue(line, p, rawUrl)) {
        // Without an HREF the URL is the first double-quoted value of the line.
        const size_t q1 = line.find('"');
        const size_t q2 = q1 == npos ? npos : line.find('"', q1 + 1);
        if (q2 == npos) {
            return "A link without a quoted address";
        }
        rawUrl = line.substr(q1 + 1, q2 - q1 - 1);
    }
    parts.url = decoded(rawUrl, parts.urlText);
    std::string_view rawName;
    if (!textAfterTag(line, p + 6, rawName, parts.gt)) {
        return "A link without its closing tag";
    }
    parts.name = decoded(rawName, parts.nameText);
    parts.date = dateAttribute(line.substr(p, parts.gt - p), "ADD_DATE", times);
    return nullptr;
}

// What stands for a link line made into a link ahead of time: the reader finds in it
// all that such a line tells it besides the link (no description, heading or list, and
// nothing but blanks before the "<DT>", which the reader's white-space folding drops).
constexpr std::string_view LinkMadeAhead = "<DT><A";

// Makes the link of `line` on the thread that reads a file's back part, as the reader
// would make it from the same line, when the line is a plain link line (nearly all are);
// other lines are kept as text for the reader. A line that is not UTF-8 would be decoded
// first, which the thread does not do, so it ends the look ahead there.
LinesAhead::Verdict makeLinkAhead(std::string_view line, std::shared_ptr<FolderItem>& entry, LocalTimes& times)
{
    if (!isValidUtf8(line)) {
        return LinesAhead::Verdict::Stop;
    }
    const LineTags tags(line);
    const size_t p = tags.anchor;
    if (p == npos || tags.description != npos || tags.title != npos || tags.heading != npos || tags.listEnd != npos
        || line.find('<') != p || line.find("<DL>") != npos || line.find_first_not_of(" \t") != p) {
        return LinesAhead::Verdict::Text;
    }
    AnchorParts parts;
    if (readAnchor(line, p, times, parts) != nullptr || parts.name.empty() || parts.name.find('"') != npos) {
        return LinesAhead::Verdict::Text;
    }
    entry = std::make_shared<FolderItem>();
    entry->Caption = parts.name;
    entry->URL = QuotesToApostrophes(parts.url);
    entry->URLType = ClassifyURL(parts.url);
    if (parts.date) {
        entry->MDate = *parts.date;
    }
    return LinesAhead::Verdict::Entry;
}

// The lines the reader goes through: those of one stream, or those of a file read in
// two parts, the front one here and the back one by a LinesAhead, which has made most of
// its link lines into links already.
class NetscapeLines
{
public:
    explicit NetscapeLines(std::istream& in)
        : m_in(in)
        , m_front(in)
    {
    }
    // `text` is the stream's buffer, ended where `ahead` starts.
    NetscapeLines(std::istream& in, TextFileBuf& text, LinesAhead& ahead, uint64_t split)
        : m_in(in)
        , m_front(in)
        , m_text(&text)
        , m_ahead(&ahead)
        , m_split(split)
    {
    }

    bool next(std::string_view& line)
    {
        m_link = nullptr;
        switch (m_phase) {
        case Phase::Front:
            if (m_front.next(line)) {
                return true;
            }
            if (m_ahead == nullptr || m_text->readFailed() || m_front.tooLong()) {
                return false;
            }
            m_ahead->finish();
            if (!m_ahead->complete()) {
                // Something in the back part it could not take: the file is read on from
                // there as a whole is.
                m_phase = Phase::Rest;
                if (!m_text->restartAt(m_split, m_text->linesHanded()).ok()) {
                    return false;
                }
                m_rest.emplace(m_in);
                return m_rest->next(line);
            }
            m_phase = Phase::Ahead;
            [[fallthrough]];
        case Phase::Ahead: {
            std::vector<std::shared_ptr<FolderItem>>& entries = m_ahead->entries();
            if (m_entry == entries.size()) {
                return false;
            }
            std::shared_ptr<FolderItem>& entry = entries[m_entry++];
            if (entry) {
                m_link = std::move(entry);
                line = LinkMadeAhead;
            } else {
                line = m_ahead->texts()[m_textLine++];
            }
            return true;
        }
        case Phase::Rest:
            return m_rest->next(line);
        }
        return false;
    }
    // The link made ahead of time from the line next() gave last, or null.
    std::shared_ptr<FolderItem> takeLink() { return std::move(m_link); }

private:
    enum class Phase { Front, Ahead, Rest };

    std::istream& m_in;
    LineStream m_front;
    TextFileBuf* m_text = nullptr;
    LinesAhead* m_ahead = nullptr;
    uint64_t m_split = 0;
    Phase m_phase = Phase::Front;
    size_t m_entry = 0;  // the next of the look ahead's lines
    size_t m_textLine = 0;  // the next of its lines kept as text
    std::shared_ptr<FolderItem> m_link;
    std::optional<LineStream> m_rest;
};

// Reads a Netscape bookmark file's lines into the store (see ImportNetscapeFile).
Status readNetscape(NetscapeLines& lines, LinkStore& store, const ReadContext& context)
{
    const std::shared_ptr<Folder> start = store.CurrentFolderPtr();
    // The folders to make current again as each nested list closes, with their levels.
    std::vector<std::pair<std::shared_ptr<Folder>, int>> open;
    // Folders nested too deep are made in the last folder entered at the level above the
    // limit, so that a file nested 100,000 deep costs no more than a wide one.
    int level = start.get() == &store.Root() ? 0 : store.FolderDepth(*start);
    std::shared_ptr<Folder> limitHolder = level == MaxFolderDepth - 1 ? start : nullptr;
    size_t lineNumber = 0;
    auto fail = [&](const std::string& what) -> Status {
        store.SetCurrentFolder(*start);
        return formatError(what + " (line " + std::to_string(lineNumber) + ")");
    };

    std::string_view line;
    std::string label;  // kept from link to link, so that its buffer is made once
    std::string description;  // the raw text of a <DD> that runs over several lines
    bool haveLine = false;  // a line read ahead, still to be handled
    FolderItem* described = nullptr;  // the link made on the line before, which a <DD> line describes
    LocalTimes times;  // the file's stamps, mostly close together, share the zone's look-ups

    // Reads the lines of a description that goes on past the line it started on, up to
    // the line that ends it, which is then handled as a line of its own.
    auto readDescriptionOn = [&]() {
        std::string_view next;
        while (lines.next(next)) {
            ++lineNumber;
            const size_t end = descriptionEnd(next);
            description += ' ';
            description.append(next.substr(0, end));
            if (end != npos) {
                line = next;
                haveLine = true;
                return;
            }
        }
    };

    // Gives `item` the description whose text starts at `text` (just after its "<DD>");
    // true when the description went on past this line, so that the line ending it has
    // been read ahead and is to be handled next.
    auto describe = [&](FolderItem& item, std::string_view text) -> bool {
        const size_t end = descriptionEnd(text);
        if (end != npos) {
            item.Description = descriptionText(text.substr(0, end));  // no copy of a one-line text first
            return false;
        }
        description.assign(text);
        readDescriptionOn();
        item.Description = descriptionText(description);
        return true;
    };

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
        const LineTags tags(line);

        if (described != nullptr) {
            FolderItem& item = *described;
            described = nullptr;
            const size_t dd = tags.description;
            if (dd != npos && describe(item, line.substr(dd + 4))) {
                continue;
            }
        }

        if (tags.title != npos) {
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

        size_t p = tags.heading;
        if (p != npos) {
            context.progress.setValue(25);
            std::string_view rawName;
            size_t gt = npos;
            if (!textAfterTag(line, p + 6, rawName, gt)) {
                return fail("A folder heading without its closing tag");
            }
            const std::string name = decodeHtml(rawName);
            const std::string_view tag = line.substr(p, gt - p);
            std::optional<DateTime> date = dateAttribute(tag, "ADD_DATE", times);
            if (!date) {
                date = dateAttribute(tag, "LAST_MODIFIED", times);
            }
            context.progress.setValue(50);
            context.progress.setLabel("Creating subfolder " + name);
            context.events.processEvents();
            // The folder's own list opens at the next line that holds <DL>; a <DD>
            // description before it is the folder's, other lines are skipped. A heading
            // followed directly by another entry or a closing list (iCab) is an empty
            // folder, and that line is read normally.
            bool describing = false;
            description.clear();
            if (const size_t dd = line.find("<DD>", gt); dd != npos) {
                const std::string_view text = line.substr(dd + 4);
                const size_t end = descriptionEnd(text);
                description.assign(text.substr(0, end));
                describing = end == npos;
            }
            bool opened = false;
            std::string_view next;
            while (lines.next(next)) {
                ++lineNumber;
                size_t from = 0;
                if (!describing && description.empty()) {
                    if (const size_t dd = next.find("<DD>"); dd != npos) {
                        describing = true;
                        from = dd + 4;
                    }
                } else if (describing) {
                    description += ' ';
                }
                if (describing) {
                    const std::string_view text = next.substr(from);
                    const size_t end = descriptionEnd(text);
                    description.append(text.substr(0, end));
                    describing = end == npos;
                }
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
            const std::shared_ptr<Folder> current = store.CurrentFolderPtr();
            const bool tooDeep = level >= MaxFolderDepth && limitHolder;
            if (tooDeep) {
                store.SetCurrentFolder(*limitHolder);
                if (context.placedAtLimit != nullptr) {
                    ++*context.placedAtLimit;
                }
            }
            store.CreateEntry(true, "", 6, name, "Folder", "");
            Folder* folder = store.Root().SubFolders.back().get();  // CreateEntry puts it last
            setDate(*store.CurrentFolder().FolderItems.back(), folder, date);
            if (folder != nullptr && !description.empty()) {
                folder->Description = descriptionText(description);
            }
            store.SetCurrentFolder(*current);
            context.progress.setValue(75);
            if (opened && folder != nullptr) {
                open.emplace_back(current, level);
                store.SetCurrentFolder(*folder);
                level = tooDeep ? MaxFolderDepth : level + 1;
                if (level == MaxFolderDepth - 1) {
                    limitHolder = store.CurrentFolderPtr();
                }
            }
            context.progress.setValue(100);
            continue;
        }

        p = tags.anchor;
        if (p != npos) {
            context.progress.setValue(25);
            std::shared_ptr<FolderItem> madeAhead = lines.takeLink();
            AnchorParts parts;
            if (!madeAhead) {
                if (const char* wrong = readAnchor(line, p, times, parts)) {
                    return fail(wrong);
                }
            }
            context.progress.setValue(50);
            context.progress.setValue(75);
            label.assign("Importing URL ");
            label += madeAhead ? std::string_view(madeAhead->Caption) : parts.name;
            context.progress.setLabel(label);
            context.events.processEvents();
            if (madeAhead) {
                // Nothing follows the link on its line; a <DD> on the next describes it.
                described = &store.AdoptLink(std::move(madeAhead), 5);
                context.progress.setValue(100);
                continue;
            }
            store.CreateEntry(false, parts.url, 5, parts.name, ClassifyURL(parts.url), "");
            FolderItem& item = *store.CurrentFolder().FolderItems.back();
            setDate(item, nullptr, parts.date);
            context.progress.setValue(100);
            // Most files put the description on the next line; some on the anchor's own.
            const size_t dd = line.find("<DD>", parts.gt);
            if (dd == npos) {
                described = &item;
            } else if (describe(item, line.substr(dd + 4))) {
                continue;
            }
        }

        if (tags.listEnd != npos) {
            if (open.empty()) {
                break;  // the outermost list is closed; the rest of the file is not read
            }
            store.SetCurrentFolder(*open.back().first);
            level = open.back().second;
            open.pop_back();
        }
    }
    store.SetCurrentFolder(*start);
    return Status::Ok();
}

// Where the first line that starts at or after `at` (at least 1) starts, or nullopt when
// none does or the file cannot be read.
std::optional<uint64_t> lineStartFrom(const InputFile& file, uint64_t at)
{
    char block[1 << 16];
    for (uint64_t offset = at - 1; offset < file.size();) {
        const long long got = file.readAt(offset, block, sizeof block);
        if (got <= 0) {
            return std::nullopt;
        }
        const auto* newline = static_cast<const char*>(std::memchr(block, '\n', static_cast<size_t>(got)));
        if (newline != nullptr) {
            return offset + static_cast<uint64_t>(newline - block) + 1;
        }
        offset += static_cast<uint64_t>(got);
    }
    return std::nullopt;
}

}  // namespace

Status ImportNetscapeFile(std::istream& in, LinkStore& store, const ReadContext& context)
{
    NetscapeLines lines(in);
    return readNetscape(lines, store, context);
}

Status ImportNetscapeText(
    TextFileBuf& text, const std::string& path, LinkStore& store, const ReadContext& context, uint64_t splitAt)
{
    std::istream in(&text);
    InputFile file;
    std::optional<uint64_t> split;
    if (text.charset() == Charset::Utf8 && file.open(path).ok()) {
        if (splitAt == 0 && file.size() >= NetscapeSplitSize) {
            splitAt = file.size() / 2;
        }
        if (splitAt > 0) {
            split = lineStartFrom(file, splitAt);
        }
    }
    if (!split || *split >= file.size()) {
        return ImportNetscapeFile(in, store, context);
    }
    text.setEnd(*split);
    LinesAhead ahead(
        file, *split, [times = LocalTimes()](std::string_view line, std::shared_ptr<FolderItem>& entry) mutable {
            return makeLinkAhead(line, entry, times);
        });
    NetscapeLines lines(in, text, ahead, *split);
    return readNetscape(lines, store, context);
}

void WriteNetscapeFolder(std::ostream& out, LinkStore& store, Folder& folder, int level)
{
    writeNestedListFolder(out, NetscapeList, store, folder, level);
}

Status ExportNetscapeFile(
    std::ostream& out, const std::string& title, ExportRange range, LinkStore& store, std::span<const ListRow> rows)
{
    return writeNestedList(out, NetscapeList, title, range, store, rows);
}

}  // namespace brindlex
