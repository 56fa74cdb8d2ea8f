#include "store/DatabaseFile.h"

#include <algorithm>
#include <climits>
#include <cstdint>
#include <cstring>
#include <istream>
#include <iterator>
#include <memory>
#include <new>
#include <optional>
#include <sstream>
#include <unordered_map>
#include <vector>

#include "platform/EventPump.h"
#include "platform/MessageBoxes.h"
#include "store/AtomicFile.h"
#include "store/ByteScan.h"
#include "store/FileAccess.h"
#include "store/Limits.h"
#include "store/LineStream.h"
#include "store/LinesAhead.h"
#include "store/LinkStore.h"
#include "store/MessageText.h"
#include "store/OutputBuffer.h"
#include "store/Text.h"
#include "store/TextEncoding.h"
#include "store/TextRules.h"
#include "store/UndoHistory.h"

namespace brindlex {

namespace {

constexpr std::string_view VersionRecord = "\"Version: 1.1\"";
// A file this large is read in two parts at once, each by a thread of its own.
constexpr uint64_t SplitReadMinimum = uint64_t { 4 } << 20;
// How far past the middle the first line start is looked for, in blocks of 64 KB.
constexpr int SplitSearchBlocks = 16;

Error formatError(std::string message)
{
    return Error { ErrorKind::Format, std::move(message) };
}

// Cuts a record line at its fixed separators. Every search starts at the line's second
// character unless said otherwise; after each field the line is shortened so that it
// starts with the separator's last character.
class LineCutter
{
public:
    explicit LineCutter(std::string_view line)
        : m_rest(line)
    {
    }

    // The text from the second character up to `separator`; the rest then starts with
    // the separator's last character.
    bool cut(std::string_view separator, std::string_view& field)
    {
        if (m_rest.size() < 2) {
            return false;
        }
        const size_t at = find(separator, 1);
        if (at == std::string_view::npos) {
            return false;
        }
        field = m_rest.substr(1, at - 1);
        m_rest.remove_prefix(at + separator.size() - 1);
        return true;
    }
    // As cut, but searching from the first character and keeping the field from there.
    bool cutFromStart(std::string_view separator, std::string_view& field)
    {
        const size_t at = find(separator, 0);
        if (at == std::string_view::npos) {
            return false;
        }
        field = m_rest.substr(0, at);
        m_rest.remove_prefix(at + separator.size() - 1);
        return true;
    }
    bool startsWith(std::string_view text) const { return m_rest.substr(0, text.size()) == text; }
    void skip(size_t n) { m_rest.remove_prefix(std::min(n, m_rest.size())); }
    std::string_view rest() const { return m_rest; }

private:
    size_t find(std::string_view separator, size_t from) const { return findSeparator(m_rest, from, separator); }

    std::string_view m_rest;
};

// A number as the classic BASIC Val reads it: leading blanks, a sign and digits; the
// first other character ends it, and no digits give 0. Too large a value is clamped.
long long basicVal(std::string_view text)
{
    size_t i = 0;
    while (i < text.size() && (text[i] == ' ' || text[i] == '\t')) {
        ++i;
    }
    bool negative = false;
    if (i < text.size() && (text[i] == '-' || text[i] == '+')) {
        negative = text[i] == '-';
        ++i;
    }
    long long value = 0;
    for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) {
        const int digit = text[i] - '0';
        if (value > (LLONG_MAX - digit) / 10) {
            value = LLONG_MAX;
            break;
        }
        value = value * 10 + digit;
    }
    return negative ? -value : value;
}

int clampToInt(long long value)
{
    return static_cast<int>(std::clamp<long long>(value, INT_MIN, INT_MAX));
}

Status parseBoolean(std::string_view text, bool& out)
{
    if (text == "TRUE" || equalsNoCase(text, "TRUE")) {
        out = true;
    } else if (text == "FALSE" || equalsNoCase(text, "FALSE")) {
        out = false;
    } else {
        return formatError("not a boolean: " + quotedInput(text));
    }
    return Status::Ok();
}

Status parseDate(std::string_view text, DateTime& out)
{
    const std::optional<DateTime> date = parseFileDate(text);
    if (!date) {
        return formatError("not a date: " + quotedInput(text));
    }
    out = *date;
    return Status::Ok();
}

bool isBlank(std::string_view line)
{
    return std::all_of(line.begin(), line.end(), [](char c) { return c == ' ' || c == '\t' || c == '\r'; });
}

// One field of a comma-delimited record as the classic BASIC Input statement reads it.
struct Field
{
    enum class Kind { Quoted, Hashed, Plain } kind;
    std::string_view text;
};

// Splits a line into comma-delimited fields: quoted strings (no escapes), #...# values
// and plain text up to the next comma, with blanks around them ignored.
bool splitFields(std::string_view line, std::vector<Field>& fields)
{
    fields.clear();
    size_t i = 0;
    while (true) {
        while (i < line.size() && line[i] == ' ') {
            ++i;
        }
        Field field { Field::Kind::Plain, {} };
        if (i < line.size() && (line[i] == '"' || line[i] == '#')) {
            const char mark = line[i];
            const size_t close = line.find(mark, i + 1);
            if (close == std::string_view::npos) {
                return false;
            }
            field.kind = mark == '"' ? Field::Kind::Quoted : Field::Kind::Hashed;
            field.text = line.substr(i + 1, close - i - 1);
            i = close + 1;
            while (i < line.size() && line[i] == ' ') {
                ++i;
            }
            if (i < line.size() && line[i] != ',') {
                return false;
            }
        } else {
            const size_t comma = std::min(line.find(',', i), line.size());
            std::string_view text = line.substr(i, comma - i);
            while (!text.empty() && text.back() == ' ') {
                text.remove_suffix(1);
            }
            field.text = text;
            i = comma;
        }
        fields.push_back(field);
        if (i >= line.size()) {
            return true;
        }
        ++i;  // the comma
    }
}

Status fieldShapes(const std::vector<Field>& fields, std::string_view shape, std::string_view record)
{
    if (fields.size() != shape.size()) {
        return formatError(std::string(record) + " record with " + std::to_string(fields.size()) + " fields");
    }
    for (size_t i = 0; i < shape.size(); ++i) {
        const bool wantQuoted = shape[i] == 's';
        const bool wantHashed = shape[i] == 'd' || shape[i] == 'b';
        if ((fields[i].kind == Field::Kind::Quoted) != wantQuoted
            || (fields[i].kind == Field::Kind::Hashed) != wantHashed) {
            return formatError(std::string(record) + " record with a malformed field " + std::to_string(i + 1));
        }
    }
    return Status::Ok();
}

// A folder record of the older layout: 7 fields for the root, 6 for the others.
Status parseOlderFolderLine(std::string_view line, bool root, Folder& out)
{
    std::vector<Field> fields;
    if (!splitFields(line, fields)) {
        return formatError("folder record that does not parse");
    }
    if (Status shape = fieldShapes(fields, root ? "sssdsnn" : "sssdsn", "folder"); !shape.ok()) {
        return shape;
    }
    out.Caption = std::string(fields[0].text);
    out.id = std::string(fields[1].text);
    out.parent = std::string(fields[2].text);
    if (Status date = parseDate(fields[3].text, out.MDate); !date.ok()) {
        return date;
    }
    out.Description = std::string(fields[4].text);
    out.NumItems = basicVal(fields[5].text);
    out.NumFldrs = root ? basicVal(fields[6].text) : 0;
    return Status::Ok();
}

// An entry record of the older layout: 8 fields, no Client and no Cache.
Status parseOlderItemLine(std::string_view line, FolderItem& out)
{
    std::vector<Field> fields;
    if (!splitFields(line, fields)) {
        return formatError("entry record that does not parse");
    }
    if (Status shape = fieldShapes(fields, "ssbsndss", "entry"); !shape.ok()) {
        return shape;
    }
    out.Caption = std::string(fields[0].text);
    out.URL = std::string(fields[1].text);
    if (Status b = parseBoolean(fields[2].text, out.IsFolder); !b.ok()) {
        return b;
    }
    out.IID = std::string(fields[3].text);
    out.Icon = clampToInt(basicVal(fields[4].text));
    if (Status date = parseDate(fields[5].text, out.MDate); !date.ok()) {
        return date;
    }
    out.URLType = std::string(fields[6].text);
    out.Description = std::string(fields[7].text);
    out.Client = "None";
    out.Cache.clear();
    return Status::Ok();
}

// The whole file, parsed, before anything reaches the store: a file that fails half way
// leaves the store as it was.
struct ParsedDatabase
{
    DatabaseLayout layout = DatabaseLayout::Current;
    Folder root;
    std::vector<std::shared_ptr<Folder>> folders;
    // Every folder entry as it was read, so that placing the folders need not look at
    // every entry again; a null holder stands for the root record.
    std::vector<FolderEntryRef> folderEntries;
};

template <typename Lines> Error lineError(const Lines& lines, const Error& error)
{
    return formatError("line " + std::to_string(lines.number()) + ": " + error.message);
}

// True when the lines stopped at one too long to read (a file's lines, not a text held).
template <typename Lines> bool stoppedTooLong(const Lines& lines)
{
    if constexpr (requires { lines.tooLong(); }) {
        return lines.tooLong();
    }
    return false;
}

template <typename Lines> Error endError(const Lines& lines)
{
    if (stoppedTooLong(lines)) {
        return formatError("line " + std::to_string(lines.number() + 1) + " is longer than 64 MiB");
    }
    return formatError("the file ends early, after line " + std::to_string(lines.number()));
}

// The entry of one entry record line, as the model holds it.
Status readEntryLine(std::string_view line, DatabaseLayout layout, std::shared_ptr<FolderItem>& entry)
{
    auto item = std::make_shared<FolderItem>();
    const Status parsed
        = layout == DatabaseLayout::Current ? ParseItemLine(line, *item) : parseOlderItemLine(line, *item);
    if (!parsed.ok()) {
        return parsed;
    }
    if (item->URL.find("%!%") != std::string::npos) {
        item->URL = DecodeQuoteMarks(item->URL);
    }
    entry = std::move(item);
    return Status::Ok();
}

template <typename Lines>
Status readEntries(
    Lines& lines, DatabaseLayout layout, long long count, Folder& into, bool root, std::vector<FolderEntryRef>& folders)
{
    into.FolderItems.reserve(static_cast<size_t>(std::clamp<long long>(count, 0, 1 << 16)));
    std::string_view line;
    for (long long i = 0; i < count; ++i) {
        std::shared_ptr<FolderItem> item;
        bool made = false;
        if constexpr (requires { lines.nextEntry(item); }) {
            made = lines.nextEntry(item);
        }
        if (!made) {
            if (!lines.next(line)) {
                return endError(lines);
            }
            if (const Status parsed = readEntryLine(line, layout, item); !parsed.ok()) {
                return lineError(lines, parsed.error());
            }
        }
        if (item->IsFolder) {
            folders.push_back({ root ? nullptr : &into, item.get() });
        }
        into.FolderItems.push_back(std::move(item));
    }
    return Status::Ok();
}

// The first field of the file, read as a string field.
std::string_view firstField(std::string_view text)
{
    const size_t end = std::min(text.find_first_of("\r\n"), text.size());
    std::string_view line = text.substr(0, end);
    while (!line.empty() && line.front() == ' ') {
        line.remove_prefix(1);
    }
    if (!line.empty() && line.front() == '"') {
        const size_t close = line.find('"', 1);
        return line.substr(1, close == std::string_view::npos ? std::string_view::npos : close - 1);
    }
    return line.substr(0, std::min(line.find(','), line.size()));
}

}  // namespace

DatabaseLayout detectLayout(std::string_view text)
{
    if (text.substr(0, 3) == "\xEF\xBB\xBF") {
        text.remove_prefix(3);
    }
    const std::string_view first = firstField(text);
    return first.size() > 8 && first.substr(0, 8) == "Version:" ? DatabaseLayout::Current : DatabaseLayout::Older;
}

namespace {

// True when every byte is below 0x80; eight bytes at a time.
bool isAscii(std::string_view text)
{
    size_t i = 0;
    for (; i + 8 <= text.size(); i += 8) {
        uint64_t word;
        std::memcpy(&word, text.data() + i, 8);
        if ((word & 0x8080808080808080ULL) != 0) {
            return false;
        }
    }
    for (; i < text.size(); ++i) {
        if (static_cast<unsigned char>(text[i]) >= 0x80) {
            return false;
        }
    }
    return true;
}

// The lines of a database file as they stream by. Each line must be UTF-8; at the first
// one that is not, next() answers false and notUtf8() says why, so that the caller can
// read the file again as a whole with the Windows-1252 fallback. A UTF-8 byte-order mark
// before the first line is dropped.
class StreamLines
{
public:
    explicit StreamLines(std::istream& in)
        : m_lines(in)
    {
    }

    bool next(std::string_view& line)
    {
        if (m_notUtf8 || !m_lines.next(line)) {
            return false;
        }
        if (++m_number == 1 && line.substr(0, 3) == "\xEF\xBB\xBF") {
            line.remove_prefix(3);
        }
        if (!isAscii(line) && !isValidUtf8(line)) {
            m_notUtf8 = true;
            return false;
        }
        return true;
    }
    size_t number() const { return m_number; }
    bool notUtf8() const { return m_notUtf8; }
    bool tooLong() const { return m_lines.tooLong(); }

private:
    LineStream m_lines;
    bool m_notUtf8 = false;
    size_t m_number = 0;
};

// What the thread reading the back of a file makes of a line: the entry of an entry
// record; any other line of UTF-8 is kept as text; the first that is not ends the back.
LinesAhead::Verdict entryAhead(std::string_view line, std::shared_ptr<FolderItem>& entry)
{
    if (!isAscii(line) && !isValidUtf8(line)) {
        return LinesAhead::Verdict::Stop;
    }
    return readEntryLine(line, DatabaseLayout::Current, entry).ok() ? LinesAhead::Verdict::Entry
                                                                    : LinesAhead::Verdict::Text;
}

// The lines of a database file read in two parts at once: the front by this thread, as
// StreamLines reads them, the back by a LinesAhead, which makes every entry record it meets
// into its entry. It is used in order as StreamLines is; nextEntry() hands over an entry
// the other thread made. When what that thread guessed is not what the reader wants (a line
// made into an entry where the reader wants the line itself, a back it could not read to
// the end), the lines end there and mismatch() says so: the file is then read again in
// one part, which tells exactly what is wrong.
class SplitLines
{
public:
    // `back` is where a line starts, past the first one.
    SplitLines(const InputFile& file, uint64_t back)
        : m_file(file)
        , m_back(back)
        , m_frontPart(file, 0, back)
        , m_frontStream(&m_frontPart)
        , m_front(m_frontStream)
    {
    }

    bool next(std::string_view& line)
    {
        if (!m_inBack) {
            if (m_pending) {
                m_pending = false;
                line = m_pendingLine;
                return true;
            }
            if (nextInFront(line)) {
                return true;
            }
            if (!enterBack()) {
                return false;
            }
        }
        auto& entries = m_ahead->entries();
        if (m_at == entries.size()) {
            m_mismatch = !m_ahead->complete();
            return false;
        }
        if (entries[m_at] != nullptr) {
            m_mismatch = true;
            return false;
        }
        line = m_ahead->texts()[m_text++];
        ++m_at;
        return true;
    }

    // The entry of the next line when the other thread made it, taken; false leaves that
    // line to next().
    bool nextEntry(std::shared_ptr<FolderItem>& entry)
    {
        if (!m_inBack) {
            if (m_pending) {
                return false;
            }
            if (nextInFront(m_pendingLine)) {
                m_pending = true;
                return false;
            }
            if (!enterBack()) {
                return false;
            }
        }
        auto& entries = m_ahead->entries();
        if (m_at == entries.size() || entries[m_at] == nullptr) {
            return false;
        }
        entry = std::move(entries[m_at++]);
        return true;
    }

    size_t number() const { return m_front.number() - (m_pending ? 1 : 0) + m_at; }
    bool tooLong() const { return !m_inBack && m_front.tooLong(); }
    // True when the lines ended where the file does not: read it again in one part.
    bool mismatch() const { return m_mismatch; }

private:
    bool nextInFront(std::string_view& line)
    {
        if (!m_front.next(line)) {
            return false;
        }
        if (m_front.number() == 1) {
            // The back is read for entry records of the current layout only; an older file
            // is read in one part.
            if (detectLayout(line) == DatabaseLayout::Current) {
                m_ahead = std::make_unique<LinesAhead>(m_file, m_back, entryAhead);
            }
        }
        return true;
    }

    // Past the front, which ended at the back's first line unless it could not be read.
    bool enterBack()
    {
        if (m_front.notUtf8() || m_front.tooLong() || m_frontPart.failed() || m_ahead == nullptr) {
            m_mismatch = true;
            return false;
        }
        m_ahead->finish();
        m_inBack = true;
        return true;
    }

    const InputFile& m_file;
    uint64_t m_back;
    FilePart m_frontPart;
    std::istream m_frontStream;
    StreamLines m_front;
    std::unique_ptr<LinesAhead> m_ahead;
    std::string_view m_pendingLine;  // a front line read by nextEntry() for next()
    bool m_pending = false;
    bool m_inBack = false;
    bool m_mismatch = false;
    size_t m_at = 0;  // the next line of the back
    size_t m_text = 0;  // the next of the back's lines kept as text
};

template <typename Lines> Result<ParsedDatabase> parseDatabase(Lines& lines)
{
    ParsedDatabase db;
    std::string_view line;
    if (!lines.next(line)) {
        return endError(lines);
    }
    db.layout = detectLayout(line);
    const bool current = db.layout == DatabaseLayout::Current;
    // The current layout's root record follows the version record; the older layout starts with it.
    if (current && !lines.next(line)) {
        return endError(lines);
    }
    const Status rootRead = current ? ParseFolderLine(line, db.root) : parseOlderFolderLine(line, true, db.root);
    if (!rootRead.ok()) {
        return lineError(lines, rootRead.error());
    }
    if (db.root.id != RootFolderId) {
        return formatError("line " + std::to_string(lines.number()) + ": the first folder record is not the root");
    }
    if (Status entries = readEntries(lines, db.layout, db.root.NumItems, db.root, true, db.folderEntries);
        !entries.ok()) {
        return entries.error();
    }
    // The line between the root's entries and the folders: always empty in files of this
    // program; anything else there means the entry count was wrong.
    if (!lines.next(line)) {
        return endError(lines);
    }
    if (current && !isBlank(line)) {
        return formatError("line " + std::to_string(lines.number()) + ": more root entries than the root record says");
    }
    for (long long i = 0; i < db.root.NumFldrs; ++i) {
        if (!lines.next(line)) {
            return endError(lines);
        }
        auto folder = std::make_shared<Folder>();
        const Status read = current ? ParseFolderLine(line, *folder) : parseOlderFolderLine(line, false, *folder);
        if (!read.ok()) {
            return lineError(lines, read.error());
        }
        if (Status entries = readEntries(lines, db.layout, folder->NumItems, *folder, false, db.folderEntries);
            !entries.ok()) {
            return entries.error();
        }
        db.folders.push_back(std::move(folder));
    }
    // Records past the last counted folder mean a count was wrong; reading on would lose them.
    while (lines.next(line)) {
        if (!isBlank(line)) {
            return formatError("line " + std::to_string(lines.number()) + ": more records than the counts say");
        }
    }
    if (stoppedTooLong(lines)) {
        return endError(lines);
    }
    return db;
}

// Returns the root, which now holds the file's root entries.
const Folder* installDatabase(ParsedDatabase& db, LinkStore& store)
{
    store.History().Clear();  // its steps belong to the database being replaced
    Folder& root = store.Root();
    root.Caption = std::move(db.root.Caption);
    root.id = RootFolderId;
    root.parent = std::move(db.root.parent);
    root.MDate = db.root.MDate;
    root.Description = std::move(db.root.Description);
    root.NumItems = db.root.NumItems;
    root.NumFldrs = db.root.NumFldrs;
    root.FolderItems = std::move(db.root.FolderItems);
    for (const auto& old : root.SubFolders) {
        old->SubFolders.clear();  // folders of a looping old model hold each other
    }
    root.SubFolders.clear();
    root.SubFolders.reserve(db.folders.size());
    for (auto& folder : db.folders) {
        store.AppendToFlatList(std::move(folder));
    }
    store.IndexesChanged();
    return &root;
}

// Ids of an imported file that are already used in the database are given new ones, so
// that importing a database twice (or one that shares ids) keeps both copies apart.
class ImportIds
{
public:
    explicit ImportIds(LinkStore& store)
        : m_store(store)
    {
    }

    const std::string& map(const std::string& fileId)
    {
        const auto found = m_ids.find(fileId);
        if (found != m_ids.end()) {
            return found->second;
        }
        std::string id = fileId;
        if (m_store.IdInUse(fileId)) {
            int counter = 0;
            id = m_store.NewId(counter);
        } else {
            m_store.RegisterId(fileId);
        }
        return m_ids.emplace(fileId, std::move(id)).first->second;
    }

private:
    LinkStore& m_store;
    std::unordered_map<std::string, std::string> m_ids;
};

void importDatabase(ParsedDatabase& db, LinkStore& store)
{
    Folder& target = store.CurrentFolder();
    int counter = 1000;
    const std::string newId = store.NewId(counter);
    store.AddLoadedFolder(db.root.Caption, newId, target.id, db.root.MDate, db.root.Description);
    std::shared_ptr<Folder> imported = store.Root().SubFolders.back();
    store.AddLoadedItem(db.root.Caption, "", true, newId, 0, db.root.MDate, "", "", "", "");

    ImportIds ids(store);
    for (auto& item : db.root.FolderItems) {
        item->IID = ids.map(item->IID);
        imported->FolderItems.push_back(std::move(item));
    }
    for (auto& folder : db.folders) {
        folder->id = ids.map(folder->id);
        // The file's top-level folders go into the new folder; the letter case of the
        // root id is not trusted in old files.
        folder->parent = equalsNoCase(folder->parent, RootFolderId) ? newId : ids.map(folder->parent);
        for (auto& item : folder->FolderItems) {
            item->IID = ids.map(item->IID);
        }
        store.AppendToFlatList(std::move(folder));
    }
    store.IndexesChanged();
}

// Whether a field holds a character that cannot stand in it as it is: a double quote or
// a line break.
bool hasSpecial(std::string_view text)
{
    return findAnyOf3(text, 0, '"', '\r', '\n') != std::string_view::npos;
}

// How a value is written so that it reads back the same: a double quote (only possible
// in text that did not pass through the model's rules) becomes an apostrophe, or "%!%"
// in a URL, and each run of line breaks one blank.
void putCleanText(OutputBuffer& out, std::string_view text, bool url)
{
    bool inBreak = false;
    for (const char c : text) {
        if (c == '\r' || c == '\n') {
            if (!inBreak) {
                out.put(' ');
            }
            inBreak = true;
            continue;
        }
        inBreak = false;
        if (c == '"') {
            out.put(url ? std::string_view("%!%") : std::string_view("'"));
        } else {
            out.put(c);
        }
    }
}

// A string field, quotes included.
void putString(OutputBuffer& out, std::string_view text, bool url = false)
{
    out.put('"');
    if (hasSpecial(text)) {
        putCleanText(out, text, url);
    } else {
        out.put(text);
    }
    out.put('"');
}

// The in-memory cleaning a save does, then the field: quotes become apostrophes and line
// breaks blanks. A URL keeps its double quotes, which are written as "%!%".
void putCleanedString(OutputBuffer& out, std::string& text, bool url = false)
{
    if (!hasSpecial(text)) {
        out.put('"');
        out.put(text);
        out.put('"');
        return;
    }
    if (!url && text.find('"') != std::string::npos) {
        text = QuotesToApostrophes(text);
    }
    if (text.find_first_of("\r\n") != std::string::npos) {
        text = LineBreaksToBlank(text);
    }
    putString(out, text, url);
}

bool writableDate(const DateTime& d)
{
    return d.year >= 100 && d.year <= 9999 && d.month >= 1 && d.month <= 12 && d.day >= 1 && d.day <= 31
        && (!d.hasTime
            || (d.hour >= 0 && d.hour <= 23 && d.minute >= 0 && d.minute <= 59 && d.second >= 0 && d.second <= 59));
}

void putDigits(char* at, int value, int count)
{
    for (int i = count - 1; i >= 0; --i) {
        at[i] = static_cast<char>('0' + value % 10);
        value /= 10;
    }
}

// #yyyy-mm-dd# or #yyyy-mm-dd hh:mm:ss# of a writable date at `at` (21 bytes at most);
// returns how many bytes it took.
size_t putDateAt(char* at, const DateTime& date)
{
    at[0] = '#';
    putDigits(at + 1, date.year, 4);
    at[5] = '-';
    putDigits(at + 6, date.month, 2);
    at[8] = '-';
    putDigits(at + 9, date.day, 2);
    size_t used = 11;
    if (date.hasTime) {
        at[11] = ' ';
        putDigits(at + 12, date.hour, 2);
        at[14] = ':';
        putDigits(at + 15, date.minute, 2);
        at[17] = ':';
        putDigits(at + 18, date.second, 2);
        used = 20;
    }
    at[used] = '#';
    return used + 1;
}

// A date field; a missing or impossible date is written as the null date, which reads
// back as none.
void putDate(OutputBuffer& out, const DateTime& date)
{
    if (!writableDate(date)) {
        out.put("#NULL#");
        return;
    }
    out.advance(putDateAt(out.space(21), date));
}

void putFolderRecord(OutputBuffer& out, Folder& folder, bool root, size_t folderCount)
{
    putCleanedString(out, folder.Caption);
    out.put(',');
    putString(out, folder.id);
    out.put(',');
    putString(out, folder.parent);
    out.put(',');
    putDate(out, folder.MDate);
    out.put(',');
    putCleanedString(out, folder.Description);
    out.put(',');
    out.putNumber(static_cast<long long>(folder.FolderItems.size()));
    if (root) {
        out.put(',');
        out.putNumber(static_cast<long long>(folderCount));
    }
    out.put("\r\n");
}

// Appends `text` at `at`; returns where it ends.
char* copyInto(char* at, std::string_view text)
{
    std::memcpy(at, text.data(), text.size());
    return at + text.size();
}

// The record of an entry none of whose fields needs cleaning (the usual case: the model's
// rules keep quotes and line breaks out), made in the buffer in one piece. The fields are
// copied first and looked at afterwards, all in one: the record is plain when it holds no
// line break and no double quotes but its fourteen own. Otherwise nothing is kept and the
// answer is false.
bool putPlainItemRecord(OutputBuffer& out, const FolderItem& item)
{
    if (item.Icon < 0 || item.Icon > 99 || !writableDate(item.MDate)) {
        return false;
    }
    const size_t size = item.Caption.size() + item.URL.size() + item.IID.size() + item.URLType.size()
        + item.Description.size() + item.Client.size() + item.Cache.size();
    // The fields' quotes and commas, the folder mark, the icon, the date and the line end.
    char* const start = out.space(size + 72);
    char* at = start;
    *at++ = '"';
    at = copyInto(at, item.Caption);
    at = copyInto(at, "\",\"");
    at = copyInto(at, item.URL);
    at = copyInto(at, item.IsFolder ? "\",#TRUE#,\"" : "\",#FALSE#,\"");
    at = copyInto(at, item.IID);
    at = copyInto(at, "\",");
    if (item.Icon >= 10) {
        *at++ = static_cast<char>('0' + item.Icon / 10);
    }
    *at++ = static_cast<char>('0' + item.Icon % 10);
    *at++ = ',';
    at += putDateAt(at, item.MDate);
    at = copyInto(at, ",\"");
    at = copyInto(at, item.URLType);
    at = copyInto(at, "\",\"");
    at = copyInto(at, item.Description);
    at = copyInto(at, "\",\"");
    at = copyInto(at, item.Client);
    at = copyInto(at, "\",\"");
    at = copyInto(at, item.Cache);
    *at++ = '"';
    const std::string_view record(start, static_cast<size_t>(at - start));
    if (countByte(record, '"') != 14 || findAnyOf3(record, 0, '\r', '\n', '\n') != std::string_view::npos) {
        return false;
    }
    *at++ = '\r';
    *at++ = '\n';
    out.advance(static_cast<size_t>(at - start));
    return true;
}

void putItemRecord(OutputBuffer& out, FolderItem& item)
{
    if (putPlainItemRecord(out, item)) {
        return;
    }
    putCleanedString(out, item.Caption);
    out.put(',');
    putCleanedString(out, item.URL, true);
    out.put(item.IsFolder ? ",#TRUE#," : ",#FALSE#,");
    putString(out, item.IID);
    out.put(',');
    out.putNumber(item.Icon);
    out.put(',');
    putDate(out, item.MDate);
    out.put(',');
    putString(out, item.URLType);
    out.put(',');
    putCleanedString(out, item.Description);
    out.put(',');
    putString(out, item.Client);
    out.put(',');
    putString(out, item.Cache);
    out.put("\r\n");
}

}  // namespace

Status ParseFolderLine(std::string_view line, Folder& out)
{
    LineCutter cutter(line);
    std::string_view caption, id, parent, date, description;
    if (!cutter.cut("\",\"", caption) || !cutter.cut("\",\"", id) || !cutter.cut("\",#", parent)
        || !cutter.cut("#,\"", date) || !cutter.cut("\",", description)) {
        return formatError("folder record that does not parse");
    }
    DateTime mdate;
    if (Status parsed = parseDate(date, mdate); !parsed.ok()) {
        return parsed;
    }
    out.Caption = std::string(caption);
    out.id = std::string(id);
    out.parent = std::string(parent);
    out.MDate = mdate;
    out.Description = std::string(description);
    // The rest starts with the comma before the counts.
    std::string_view rest = cutter.rest().substr(1);
    out.NumItems = basicVal(rest);
    out.NumFldrs = 0;
    if (out.id == RootFolderId) {
        const size_t comma = rest.find(',');
        out.NumFldrs = comma == std::string_view::npos ? 0 : basicVal(rest.substr(comma + 1));
    }
    return Status::Ok();
}

Status ParseItemLine(std::string_view line, FolderItem& out)
{
    LineCutter cutter(line);
    std::string_view caption, url, isFolder, iid, icon, date, urlType, description;
    if (!cutter.cut("\",\"", caption) || !cutter.cut("\",#", url) || !cutter.cut("#,\"", isFolder)
        || !cutter.cut("\",", iid)) {
        return formatError("entry record that does not parse");
    }
    cutter.skip(1);  // the line continues just after the comma
    if (!cutter.cutFromStart(",#", icon) || !cutter.cut("#,\"", date) || !cutter.cut("\",\"", urlType)
        || !cutter.cut("\",\"", description)) {
        return formatError("entry record that does not parse");
    }
    std::string_view client, cache;
    if (!cutter.cut("\",\"", client)) {
        // Nine fields: the remaining quoted text is the client.
        const std::string_view rest = cutter.rest();
        if (rest.size() < 2 || rest.front() != '"' || rest.back() != '"') {
            return formatError("entry record that does not parse");
        }
        client = rest.substr(1, rest.size() - 2);
    } else {
        const std::string_view rest = cutter.rest();
        if (rest.size() < 2 || rest.front() != '"' || rest.back() != '"') {
            return formatError("entry record that does not parse");
        }
        cache = rest.substr(1, rest.size() - 2);
    }
    bool folder = false;
    if (Status parsed = parseBoolean(isFolder, folder); !parsed.ok()) {
        return parsed;
    }
    DateTime mdate;
    if (Status parsed = parseDate(date, mdate); !parsed.ok()) {
        return parsed;
    }
    // Made to size: assigning a longer text to an empty string would give it room for
    // twice its short-string capacity, and a database holds a million of each.
    out.Caption = std::string(caption);
    out.URL = std::string(url);
    out.IsFolder = folder;
    out.IID = std::string(iid);
    out.Icon = clampToInt(basicVal(icon));
    out.MDate = mdate;
    out.URLType = std::string(urlType);
    out.Description = std::string(description);
    out.Client = std::string(client);
    out.Cache = std::string(cache);
    return Status::Ok();
}

namespace {

Result<DatabaseLayout> applyDatabase(
    Result<ParsedDatabase>& parsed, LinkStore& store, bool import, size_t* placedAtLimit)
{
    if (!parsed.ok()) {
        return parsed.error();
    }
    ParsedDatabase& db = parsed.value();
    if (import) {
        // The open database's own entries are not among those read: all are looked at.
        importDatabase(db, store);
        store.AttachStrayFolders();
    } else {
        const Folder* root = installDatabase(db, store);
        for (FolderEntryRef& entry : db.folderEntries) {
            if (entry.holder == nullptr) {
                entry.holder = root;
            }
        }
        store.AttachStrayFolders(&db.folderEntries);
    }
    const size_t placed = store.PlaceDeepFolders(MaxFolderDepth);
    if (placedAtLimit != nullptr) {
        *placedAtLimit += placed;
    }
    store.SetCurrentFolder(store.Root());
    if (db.layout == DatabaseLayout::Older) {
        store.LinkFolders();
    }
    return db.layout;
}

}  // namespace

Result<DatabaseLayout> readDatabaseText(std::string_view text, LinkStore& store, bool import, size_t* placedAtLimit)
{
    LineCursor lines(text);
    Result<ParsedDatabase> parsed = parseDatabase(lines);
    return applyDatabase(parsed, store, import, placedAtLimit);
}

namespace {

// Text in UTF-8: the bytes themselves when they already are (no copy), else decoded.
Result<DatabaseLayout> readDatabaseBytes(std::string& bytes, LinkStore& store, bool import, size_t* placedAtLimit)
{
    const bool bom = bytes.size() >= 3 && bytes.compare(0, 3, "\xEF\xBB\xBF") == 0;
    if (!bom && isValidUtf8(bytes)) {
        return readDatabaseText(bytes, store, import, placedAtLimit);
    }
    std::string text = decodeText(bytes);
    bytes = std::string();
    return readDatabaseText(text, store, import, placedAtLimit);
}

}  // namespace

std::optional<Result<DatabaseLayout>> readDatabaseInParts(
    const InputFile& in, LinkStore& store, bool import, size_t* placedAtLimit, uint64_t splitAt)
{
    // The back starts at the first line that starts at `splitAt` or after it, past the
    // first line of the file.
    uint64_t at = std::max<uint64_t>(splitAt, 1) - 1;
    uint64_t back = 0;
    std::vector<char> block(1 << 16);
    for (int blocks = 0; back == 0 && blocks < SplitSearchBlocks; ++blocks) {
        const long long n = in.readAt(at, block.data(), block.size());
        if (n <= 0) {
            return std::nullopt;
        }
        const auto* newline = static_cast<const char*>(std::memchr(block.data(), '\n', static_cast<size_t>(n)));
        if (newline != nullptr) {
            back = at + static_cast<uint64_t>(newline - block.data()) + 1;
        }
        at += static_cast<uint64_t>(n);
    }
    if (back == 0) {
        return std::nullopt;
    }
    Result<ParsedDatabase> parsed = Error {};
    {
        SplitLines lines(in, back);
        parsed = parseDatabase(lines);
        if (!parsed.ok() || lines.mismatch()) {
            return std::nullopt;
        }
    }
    return applyDatabase(parsed, store, import, placedAtLimit);
}

Result<DatabaseLayout> readDatabase(std::istream& in, LinkStore& store, bool import, size_t* placedAtLimit)
{
    const std::istream::pos_type start = in.tellg();
    // A large file is read in two parts at once; should that not work out, in one.
    if (const auto* file = dynamic_cast<const InputFile*>(&in);
        file != nullptr && start == std::istream::pos_type(0) && file->size() >= SplitReadMinimum) {
        if (std::optional<Result<DatabaseLayout>> read
            = readDatabaseInParts(*file, store, import, placedAtLimit, file->size() / 2)) {
            return std::move(*read);
        }
    }
    if (start != std::istream::pos_type(-1)) {
        StreamLines lines(in);
        Result<ParsedDatabase> parsed = parseDatabase(lines);
        if (in.bad()) {
            return Error { ErrorKind::Io, "the file cannot be read" };
        }
        if (!lines.notUtf8()) {
            return applyDatabase(parsed, store, import, placedAtLimit);
        }
        // Not UTF-8: a file of the old desktop. Read it whole again and decode it.
        in.clear();
        if (!in.seekg(start)) {
            return Error { ErrorKind::Io, "the file cannot be read" };
        }
    }
    std::string bytes = readAll(in);
    if (in.bad()) {
        return Error { ErrorKind::Io, "the file cannot be read" };
    }
    return readDatabaseBytes(bytes, store, import, placedAtLimit);
}

Status writeDatabase(std::ostream& out, LinkStore& store)
{
    Folder& root = store.Root();
    auto& flat = root.SubFolders;
    OutputBuffer buffer(out, size_t { 1 } << 18);
    buffer.put(VersionRecord);
    buffer.put("\r\n");
    putFolderRecord(buffer, root, true, flat.size());
    for (const auto& item : root.FolderItems) {
        putItemRecord(buffer, *item);
    }
    buffer.put("\r\n");
    for (const auto& folder : flat) {
        putFolderRecord(buffer, *folder, false, 0);
        for (const auto& item : folder->FolderItems) {
            putItemRecord(buffer, *item);
        }
        if (!out) {
            break;  // nothing more can reach the file
        }
    }
    if (!buffer.flush()) {
        return Error { ErrorKind::Io, "writing the database failed" };
    }
    return Status::Ok();
}

Result<std::string> readFileBytes(const std::string& path)
{
    Result<std::string> bytes = readRegularFile(path);
    if (!bytes.ok()) {
        return Error { ErrorKind::NotFound, "cannot open " + path + ": " + bytes.error().message };
    }
    return bytes;
}

bool LoadDatabase(LinkStore& store, const std::string& path, bool import, const DatabaseContext& context)
{
    // An import names another file; the open database keeps its own path.
    if (!import) {
        store.SetDatabasePath(path);
    }
    context.events.processEvents();
    Result<DatabaseLayout> read = Error {};
    InputFile in;
    size_t placed = 0;
    try {
        if (in.open(path).ok()) {
            read = readDatabase(in, store, import, &placed);
        }
    } catch (const std::bad_alloc&) {
        // The file is read whole before it takes the model's place, so memory mostly runs
        // out while nothing has changed yet. An import leaves the open database as it is;
        // an open starts a new database rather than keep the old one under the new path,
        // where a save would overwrite the file that could not be read.
        if (import) {
            // Folders an import had already appended are given their places.
            try {
                store.IndexesChanged();
                store.AttachStrayFolders();
            } catch (const std::bad_alloc&) {
            }
            context.messages.show("Error", "Out of memory loading " + path + "...", MessageIcon::Critical);
            return false;
        }
        store.NewDatabase(context.programDir);
        context.messages.show(
            "Error", "Out of memory loading " + path + "...\nLoading New Database...", MessageIcon::Critical);
        return false;
    }
    if (read.ok()) {
        if (placed > 0) {
            context.messages.show(NestingLimitTitle, nestingLimitMessage(path), MessageIcon::Information);
        }
        // Told only once the file has read as the older layout: a file that is neither
        // layout is an error, not an outdated database.
        if (read.value() == DatabaseLayout::Older) {
            context.messages.show("Outdated Database",
                "This database was created in an older version of Brindlex.\nWhen you exit Brindlex, it will be "
                "updated to the new format.",
                MessageIcon::Information);
        }
        return true;
    }
    if (import) {
        // A file that cannot be imported leaves the open database as it was.
        context.messages.show("Error", "Error loading " + path + "...", MessageIcon::Information);
        return false;
    }
    context.messages.show("Error", "Error loading " + path + "...\nLoading New Database...", MessageIcon::Information);
    store.NewDatabase(context.programDir);
    return false;
}

Status SaveDatabase(LinkStore& store)
{
    if (store.DatabasePath().empty()) {
        return Error { ErrorKind::Io, "the database has no file name" };
    }
    return writeFileAtomically(
        store.DatabasePath(), [&](std::ostream& out) { return writeDatabase(out, store); }, FileRole::Database);
}

}  // namespace brindlex
