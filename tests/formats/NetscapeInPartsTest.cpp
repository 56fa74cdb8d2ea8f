#include <gtest/gtest.h>

#include <sstream>

#include "fakes/TempFolder.h"
#include "formats/FormatsTestSupport.h"
#include "formats/NetscapeFormat.h"
#include "store/DatabaseFile.h"
#include "store/TextFile.h"

namespace brindlex::test {
namespace {

// What an import of the file at `path` leaves: the error (with its line) or the saved
// model, read in two parts from the first line at or after `splitAt` (0: as the size
// decides), into a store that holds a folder and a link already.
std::string imported(const std::string& path, uint64_t splitAt, int autoAssign = 0)
{
    FormatsWorld w;
    w.store.SetAutoAssign(autoAssign);
    w.store.SetDefaultClient("Firefox");
    Folder& held = w.addFolder(w.store.Root(), "Held");
    w.addLink(held, "Before", "http://before/");
    w.store.SetCurrentFolder(held);
    TextFileBuf text;
    EXPECT_TRUE(text.open(path, true).ok());
    const Status read = ImportNetscapeText(text, path, w.store, w.context, splitAt);
    std::string result = read.ok() ? "" : "error: " + read.error().message + "\n";
    if (text.readFailed()) {
        result += "read error: " + text.readError() + "\n";
    }
    // The model itself, whose texts a save cleans, and the saved text.
    result += describeDated(w.store);
    std::ostringstream out;
    EXPECT_TRUE(writeDatabase(out, w.store).ok());
    result += out.str();
    for (const std::string& label : w.progress.labels) {
        result += label + "\n";
    }
    return result + std::to_string(w.progress.values.size()) + " steps\n";
}

// A bookmark file with a line of every kind the reader tells apart, in `end` line ends:
// headings with dates and descriptions over several lines, links with and without
// descriptions, on the next line or their own, quotes and references in names, a link
// without HREF, one without a name, blanks and text before the <DT>, an empty folder,
// iCab's heading without a list, and a run of plain links.
std::string everyKindOfLine(const std::string& end)
{
    std::string text = "\xEF\xBB\xBF<!DOCTYPE NETSCAPE-Bookmark-file-1>" + end
        + "<META HTTP-EQUIV=\"Content-Type\" CONTENT=\"text/html; charset=UTF-8\">" + end + "<TITLE>Bookmarks</TITLE>"
        + end + "<H1>Bookmarks</H1>" + end + "<DL><p>" + end;
    for (int i = 0; i < 6; ++i) {
        const std::string n = std::to_string(i);
        text += "    <DT><H3 ADD_DATE=\"160000000" + n + "\" LAST_MODIFIED=\"1600000100\">Folder " + n + "</H3>" + end;
        if (i % 3 == 1) {
            text += "    <DD>About folder " + n + end + "      and on &amp; on" + end;
        }
        text += "    <DL><p>" + end;
        text += "        <DT><A HREF=\"http://plain.example/" + n + "\" ADD_DATE=\"1600000200\">Plain " + n + "</A>"
            + end;
        text += "        <DD>Said of plain " + n + end;
        text += "\t<DT><A HREF=\"https://tab.example/?a=1&amp;b=" + n + "\">Tab &amp; caf\xC3\xA9 " + n + "</A>" + end;
        text += "        <DT><A HREF=\"ftp://files.example/" + n + "\" ADD_DATE=\"1600000300000\">Desc over</A>" + end;
        text += "        <DD>first line" + end + "second line" + end;
        if (i % 2 == 0) {
            // Ends the description: what stands before its <DT> is the description's.
            text += "   x<DT><A HREF=\"http://prefixed.example/\">Prefixed</A>" + end;
        }
        text += "        <DT><A HREF=\"mailto:me@example.org\">Own line</A><DD>described here" + end;
        text += "        <DT><A HREF=\"http://q.example/\">Say &quot;hi&quot; " + n + "</A>" + end;
        text += "        <DT><A HREF=\"http://empty.example/\"></A>" + end;
        text += "        <DT><A ID=\"x\" \"http://nohref.example/" + n + "\">No href</A>" + end;
        text += "   x<DT><A HREF=\"http://prefixed.example/\">Prefixed</A>" + end;
        text += "        <DT><A href=\"http://lower.example/\" add_date=\"1600000400\">Lower</A>" + end;
        text += "        <DT><H3>Empty</H3>" + end + "        <DL><p></DL><p>" + end;
        text += "        <DT><H3>iCab</H3>" + end;
        for (int k = 0; k < 8; ++k) {
            text += "        <DT><A HREF=\"http://run.example/" + n + "/" + std::to_string(k)
                + "\" ADD_DATE=\"1600000500\" ICON_URI=\"http://run.example/i\">Run " + std::to_string(k) + "</A>"
                + end;
        }
        text += "    </DL><p>" + end;
    }
    text += "    <DT><A HREF=\"news:comp.lang\">Last</A>" + end + "</DL><p>" + end;
    text += "<DT><A HREF=\"http://after.example/\">After the outer list</A>" + end;
    return text;
}

// A file read in two parts gives what it gives read in one, wherever it is split: the
// thread's links are the reader's own.
TEST(NetscapeInPartsTest, EverySplitGivesWhatOnePartGives)
{
    TempFolder dir;
    for (const std::string end : { "\n", "\r\n" }) {
        const std::string text = everyKindOfLine(end);
        const std::string path = dir.write("bookmarks.html", text);
        const std::string whole = imported(path, text.size() + 1);
        ASSERT_EQ(whole.find("error"), std::string::npos) << whole;
        ASSERT_NE(whole.find("Run 7"), std::string::npos);
        // Every offset of one file; of the other, enough to split each kind of line.
        const uint64_t step = end.size() == 1 ? 1 : 7;
        for (uint64_t at = 1; at <= text.size(); at += step) {
            ASSERT_EQ(imported(path, at), whole) << "split at " << at;
        }
        // The thread leaves the clients to the store, as CreateEntry gives them.
        ASSERT_EQ(imported(path, text.size() / 2, 1), imported(path, text.size() + 1, 1));
    }
}

// What the thread does not take (a line that is not UTF-8, read as Windows-1252) or a
// malformed line in the back part leaves the result, and the error's line, as in one part.
TEST(NetscapeInPartsTest, LinesTheThreadCannotTakeAndErrorsComeOutAsInOnePart)
{
    TempFolder dir;
    std::string text = everyKindOfLine("\n");
    const size_t cp1252 = text.find("Run 3");
    text.replace(cp1252, 5, "R\xE9sum\xE9");
    const std::string path = dir.write("latin.html", text);
    const std::string whole = imported(path, text.size() + 1);
    ASSERT_NE(whole.find("R\xC3\xA9sum\xC3\xA9"), std::string::npos);
    for (const uint64_t at : { uint64_t { 1 }, cp1252 - 300, cp1252 - 1, cp1252 + 1, uint64_t { text.size() - 40 } }) {
        EXPECT_EQ(imported(path, at), whole) << "split at " << at;
    }

    std::string broken = everyKindOfLine("\n");
    broken.replace(broken.rfind("Run 5</A>"), 9, "Run 5");
    const std::string brokenPath = dir.write("broken.html", broken);
    const std::string failed = imported(brokenPath, broken.size() + 1);
    ASSERT_NE(failed.find("error: A link without its closing tag (line "), std::string::npos) << failed;
    for (uint64_t at = 1; at < broken.size(); at += 97) {
        ASSERT_EQ(imported(brokenPath, at), failed) << "split at " << at;
    }
}

// From its size on, a file is read in two parts by itself and still gives the same.
TEST(NetscapeInPartsTest, ALargeFileIsSplitByItself)
{
    TempFolder dir;
    std::string text = "<DL><p>\n";
    for (int i = 0; static_cast<uint64_t>(text.size()) < NetscapeSplitSize + 1000; ++i) {
        text += "    <DT><A HREF=\"http://big.example/" + std::to_string(i) + "\" ADD_DATE=\"1600000000\">Big "
            + std::to_string(i) + "</A>\n";
        if (i % 1000 == 0) {
            text += "    <DT><H3>F" + std::to_string(i) + "</H3>\n    <DL><p>\n    </DL><p>\n";
        }
    }
    text += "</DL><p>\n";
    const std::string path = dir.write("big.html", text);
    EXPECT_EQ(imported(path, 0), imported(path, text.size() + 1));
}

}  // namespace
}  // namespace brindlex::test
