#include <gtest/gtest.h>

#include <filesystem>
#include <map>
#include <sstream>
#include <sys/stat.h>

#include "fakes/StoreHelpers.h"
#include "fakes/TempFolder.h"
#include "formats/FormatsTestSupport.h"
#include "formats/ImportExport.h"
#include "formats/InternetShortcut.h"
#include "formats/MosaicHotlist.h"
#include "formats/NetscapeFormat.h"
#include "formats/SpryHotlist.h"
#include "store/AtomicFile.h"
#include "store/Limits.h"
#include "store/TextEncoding.h"

namespace brindlex::test {
namespace {

namespace fs = std::filesystem;

// A Netscape file nested `depth` lists deep, one link in the deepest.
std::string deepNetscape(int depth)
{
    std::string text = "<DL><p>\n";
    for (int i = 0; i < depth; ++i) {
        text += "<DT><H3>F" + std::to_string(i) + "</H3>\n<DL><p>\n";
    }
    text += "<DT><A HREF=\"http://deep/\">Deep</A>\n";
    for (int i = 0; i < depth; ++i) {
        text += "</DL><p>\n";
    }
    return text + "<DT><A HREF=\"http://after/\">After</A>\n</DL><p>\n";
}

// The deepest level the walk reaches, and how many folders it passes.
std::pair<int, size_t> shape(LinkStore& store)
{
    int deepest = 0;
    size_t folders = 0;
    store.WalkFolders(store.Root(), [&](Folder&, int depth) {
        deepest = std::max(deepest, depth);
        folders += depth > 0 ? 1 : 0;
        return true;
    });
    return { deepest, folders };
}

size_t longestLine(const std::string& text)
{
    size_t longest = 0;
    std::istringstream lines(text);
    for (std::string line; std::getline(lines, line);) {
        longest = std::max(longest, line.size());
    }
    return longest;
}

class ReaderBoundsTest : public ::testing::Test
{
protected:
    TempFolder dir;
    FormatsWorld w;
    FakeMessageBoxes messages;

    ImportServices services() { return ImportServices { w.progress, w.events, messages, dir.path().string() }; }
    std::vector<std::string> shownTexts() const
    {
        std::vector<std::string> out;
        for (const ShownMessage& m : messages.shown) {
            out.push_back(m.title + ": " + m.text);
        }
        return out;
    }
};

TEST_F(ReaderBoundsTest, DeepNetscapeFileIsPlacedAtTheLimitWithOneNotice)
{
    const int depth = 1000;
    const std::string path = dir.write("deep.htm", deepNetscape(depth));
    ASSERT_TRUE(importFile(w.store, ImportKind::Netscape, path, services()).ok());
    EXPECT_EQ(shownTexts(), std::vector<std::string> { "Nesting Limit: " + nestingLimitMessage(path) });
    EXPECT_EQ(
        nestingLimitMessage(path), "Folders of " + path + " nested deeper than 256 levels were placed at level 256.");
    // Every folder and link is kept; none is deeper than the limit.
    EXPECT_EQ(shape(w.store), (std::pair<int, size_t> { MaxFolderDepth, static_cast<size_t>(depth) }));
    expectInvariants(w.store);
    const std::string tree = describe(w.store);
    EXPECT_NE(tree.find("\\F253\\F254\\F999|Deep|http://deep/"), std::string::npos) << tree.substr(tree.size() - 300);
    EXPECT_NE(tree.find("\n|After|http://after/"), std::string::npos);
    EXPECT_EQ(&w.store.CurrentFolder(), &w.store.Root());

    // The reader on its own counts what it placed.
    FormatsWorld fresh;
    size_t placed = 0;
    ReadContext context { fresh.progress, fresh.events, &placed };
    std::istringstream in(deepNetscape(300));
    ASSERT_TRUE(ImportNetscapeFile(in, fresh.store, context).ok());
    EXPECT_EQ(placed, 300u - MaxFolderDepth);
    EXPECT_EQ(shape(fresh.store).first, MaxFolderDepth);
}

TEST_F(ReaderBoundsTest, ImportIntoADeepFolderKeepsTheLimitToo)
{
    Folder* at = &w.store.Root();
    for (int i = 0; i < 250; ++i) {
        at = &w.addFolder(*at, "L" + std::to_string(i));
    }
    w.store.SetCurrentFolder(*at);
    const std::string path = dir.write(
        "deep.hot", "Hotlist\nTop\n{\n" + [] {
            std::string lists;
            for (int i = 0; i < 20; ++i) {
                lists += "Sublist\nS" + std::to_string(i) + "\n{\n";
            }
            lists += "Item\nX\nhttp://x/\n";
            for (int i = 0; i < 21; ++i) {
                lists += "}\n";
            }
            return lists;
        }());
    ASSERT_TRUE(importFile(w.store, ImportKind::Spry, path, services()).ok());
    EXPECT_EQ(shownTexts(), std::vector<std::string> { "Nesting Limit: " + nestingLimitMessage(path) });
    EXPECT_EQ(shape(w.store), (std::pair<int, size_t> { MaxFolderDepth, 270u }));
    expectInvariants(w.store);
    EXPECT_EQ(&w.store.CurrentFolder(), at);

    // A Netscape file imported into a folder already past the limit (editing can nest
    // that deep) is placed by the pass over the whole model, as the reader cannot.
    FormatsWorld past;
    Folder* below = &past.store.Root();
    for (int i = 0; i < MaxFolderDepth + 4; ++i) {
        below = &past.addFolder(*below, "P" + std::to_string(i));
    }
    past.store.SetCurrentFolder(*below);
    const std::string netscape = dir.write("past.htm", deepNetscape(3));
    ASSERT_TRUE(importFile(past.store, ImportKind::Netscape, netscape, services()).ok());
    EXPECT_EQ(shape(past.store), (std::pair<int, size_t> { MaxFolderDepth, MaxFolderDepth + 7u }));
    expectInvariants(past.store);
}

TEST_F(ReaderBoundsTest, ExportIndentationStopsGrowingAtTheLimit)
{
    // Built by hand: editing can nest deeper than any reader does.
    Folder* at = &w.store.Root();
    for (int i = 0; i < 3000; ++i) {
        at = &w.addFolder(*at, "D");
    }
    w.addLink(*at, "bottom", "http://bottom/");
    std::ostringstream netscape, spry;
    ASSERT_TRUE(ExportNetscapeFile(netscape, "t", ExportRange::EntireDatabase, w.store, {}).ok());
    ASSERT_TRUE(ExportSpryHotlist(spry, "t", ExportRange::EntireDatabase, w.store, {}).ok());
    // At 4 blanks a level a 3000-deep export used to have lines of 12,000 blanks.
    EXPECT_LE(longestLine(netscape.str()), (MaxFolderDepth + 3) * 4 + 100u);
    EXPECT_LE(longestLine(spry.str()), (MaxFolderDepth + 3) * 2 + 100u);
    EXPECT_NE(netscape.str().find("http://bottom/"), std::string::npos);
}

TEST_F(ReaderBoundsTest, FilesWithNoneOfTheirFormatsMarksAddNothing)
{
    const std::string noise("\x8f\x01zq\xff,\x9c\xe2\x10mm3\xc8", 13);
    struct Case
    {
        ImportKind kind;
        const char* name;
        std::string bytes;
        const char* refusal;
    };
    const std::vector<Case> cases = {
        { ImportKind::Netscape, "noise.htm", noise, "not a Netscape bookmark file" },
        { ImportKind::Netscape, "empty.htm", "", "not a Netscape bookmark file" },
        { ImportKind::Netscape, "binary.htm", std::string("<DL><p>\0<DT><A HREF=\"http://x/\">x</A>", 34),
            "not a Netscape bookmark file" },
        { ImportKind::Mosaic, "noise.hot", noise, "not an NCSA Mosaic hotlist file" },
        { ImportKind::Spry, "noise.hot", noise, "not a Spry Mosaic hotlist file" },
        { ImportKind::Spyglass, "noise.htm", noise, "not a Spyglass Mosaic hotlist file" },
        { ImportKind::Html, "noise.htm", noise + "<3", "not an HTML file" },
        { ImportKind::Shortcuts, "noise.url", std::string("[InternetShortcut]\nURL=\0x", 26),
            "not an Internet shortcut file" },
    };
    w.addLink(w.store.Root(), "Kept", "http://kept/");
    const std::string before = describe(w.store);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        messages.shown.clear();
        const std::string path = dir.write(c.name, c.bytes);
        EXPECT_FALSE(importFile(w.store, c.kind, path, services()).ok());
        EXPECT_EQ(shownTexts(), std::vector<std::string> { "Error: Error importing " + path + ": " + c.refusal });
        EXPECT_EQ(describe(w.store), before);
    }
}

TEST_F(ReaderBoundsTest, EmptyExportsStillImportAsEmpty)
{
    FormatsWorld empty;
    const std::pair<ExportKind, ImportKind> kinds[] = { { ExportKind::Netscape, ImportKind::Netscape },
        { ExportKind::Mosaic, ImportKind::Mosaic }, { ExportKind::Spry, ImportKind::Spry },
        { ExportKind::Spyglass, ImportKind::Spyglass }, { ExportKind::Html, ImportKind::Html } };
    for (const auto& [writer, reader] : kinds) {
        const std::string path = dir
            / ("empty" + std::to_string(static_cast<int>(writer)) + (exportTypeText(writer).defaultExtension + 1));
        ASSERT_TRUE(exportFile(empty.store, writer, path, ExportRange::EntireDatabase, {}, messages).ok());
        EXPECT_TRUE(importFile(w.store, reader, path, services()).ok()) << path;
    }
    EXPECT_EQ(shownTexts(), std::vector<std::string> {});
}

TEST_F(ReaderBoundsTest, OnlyRegularFilesWithBoundedLinesAreImported)
{
    const std::string fifo = dir / "fifo.htm";
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    fs::create_symlink("/dev/zero", dir.path() / "zero.hot");
    std::string huge = "Hotlist\n";
    huge.append(MaxLineBytes + 1, 'x');
    const std::string longLine = dir.write("long.hot", huge + "\nmore\n");
    EXPECT_FALSE(importFile(w.store, ImportKind::Netscape, fifo, services()).ok());
    EXPECT_FALSE(importFile(w.store, ImportKind::Spry, dir / "zero.hot", services()).ok());
    EXPECT_FALSE(importFile(w.store, ImportKind::Spry, longLine, services()).ok());
    EXPECT_EQ(shownTexts(),
        (std::vector<std::string> { "Error: Error importing " + fifo + ": not a regular file",
            "Error: Error importing " + (dir / "zero.hot") + ": not a regular file",
            "Error: Error importing " + longLine + ": line 2 is longer than 64 MiB" }));
    EXPECT_EQ(describe(w.store), "");
}

TEST_F(ReaderBoundsTest, ItemErrorsQuoteAShortCleanFragment)
{
    // A 5 MB item name used to come back whole, escape sequences and all.
    const std::string name = "\x1b[31mred" + std::string(5 << 20, 'n');
    const std::string mosaic = dir.write("cut.hot", "[User Menu0]\nMenu_Name=M\nMenu_Type=TOPLEVEL\nItem0=" + name);
    const std::string spry = dir.write("cut2.hot", "Hotlist\nT\n{\nItem\n" + name + "\n");
    EXPECT_FALSE(importFile(w.store, ImportKind::Mosaic, mosaic, services()).ok());
    EXPECT_FALSE(importFile(w.store, ImportKind::Spry, spry, services()).ok());
    const std::string shown = "?[31mred" + std::string(77 - 8, 'n') + "...";
    EXPECT_EQ(shownTexts(),
        (std::vector<std::string> { "Error: Error importing " + mosaic + ": The file ends inside the item " + shown,
            "Error: Error importing " + spry + ": The file ends inside the item " + shown }));
}

TEST_F(ReaderBoundsTest, OneBadByteDoesNotGarbleTheOtherLines)
{
    // "Café" in UTF-8 on one line, "Naïve" in Windows-1252 on the next: only that line
    // is read as Windows-1252, where the whole file used to be.
    const std::string path = dir.write("mixed.htm",
        "<DL><p>\n<DT><A HREF=\"http://a/\">Caf\xC3\xA9</A>\n<DT><A HREF=\"http://b/\">Na\xEFve</A>\n</DL><p>\n");
    ASSERT_TRUE(importFile(w.store, ImportKind::Netscape, path, services()).ok());
    EXPECT_EQ(describe(w.store), "|Caf\xC3\xA9|http://a/\n|Na\xC3\xAFve|http://b/\n");
    EXPECT_EQ(
        decodeText("ok \xE2\x82\xAC\r\nbad \x80\r\nok \xC3\xA9"), "ok \xE2\x82\xAC\r\nbad \xE2\x82\xAC\r\nok \xC3\xA9");
}

TEST_F(ReaderBoundsTest, ShortcutNamesAreUniqueVisibleAndFitTheFileSystem)
{
    const std::string longName = [] {
        std::string text;
        while (text.size() < 250) {
            text += "\xC3\xA9";  // two bytes a character: the cut must not split one
        }
        return text;
    }();
    const std::vector<ListRow> rows = { linkRow("Same", "http://1/", true), linkRow("Same", "http://2/", true),
        linkRow("same", "http://3/", true), linkRow("", "http://empty/", true), linkRow(".", "http://dot/", true),
        linkRow("..", "http://dots/", true), linkRow(longName, "http://long1/", true),
        linkRow(longName, "http://long2/", true) };
    const fs::path out = dir.path() / "out";
    fs::create_directory(out);
    ASSERT_TRUE(ExportShortcutFiles(rows, out.string(), messages).ok());
    std::map<std::string, std::string> files;
    for (const auto& entry : fs::directory_iterator(out)) {
        const std::string name = entry.path().filename().string();
        files[name] = TempFolder::read(entry.path().string());
        EXPECT_LE(name.size() + TemporarySuffixLength, MaxFileNameBytes) << name;
        EXPECT_TRUE(isValidUtf8(name)) << name;
    }
    ASSERT_EQ(files.size(), rows.size());
    EXPECT_EQ(files["Same.url"], "[InternetShortcut]\r\nURL=http://1/\r\n");
    EXPECT_EQ(files["Same (2).url"], "[InternetShortcut]\r\nURL=http://2/\r\n");
    EXPECT_EQ(files["same (3).url"], "[InternetShortcut]\r\nURL=http://3/\r\n");
    EXPECT_EQ(files["Untitled.url"], "[InternetShortcut]\r\nURL=http://empty/\r\n");
    EXPECT_EQ(files["_.url"], "[InternetShortcut]\r\nURL=http://dot/\r\n");
    EXPECT_EQ(files["__.url"], "[InternetShortcut]\r\nURL=http://dots/\r\n");
    const std::string cut = shortcutFileName(longName);
    EXPECT_EQ(cut.size(), 238u);  // 117 characters of two bytes and ".url"
    EXPECT_EQ(files[cut], "[InternetShortcut]\r\nURL=http://long1/\r\n");
    EXPECT_EQ(files[shortcutFileName(longName, 2)], "[InternetShortcut]\r\nURL=http://long2/\r\n");
    EXPECT_EQ(shortcutFileName(longName, 2).substr(230), " (2).url");
}

}  // namespace
}  // namespace brindlex::test
