#include <gtest/gtest.h>

#include <climits>
#include <istream>
#include <sstream>
#include <string>
#include <sys/stat.h>
#include <vector>

#include "fakes/FailingStreamBuf.h"
#include "fakes/TempFolder.h"
#include "store/LineStream.h"
#include "store/OutputBuffer.h"
#include "store/TextFile.h"

namespace brindlex {
namespace {

class TextFileTest : public ::testing::Test
{
protected:
    test::TempFolder folder;

    // The text of `bytes` as a reader's stream gives it.
    std::string streamed(const std::string& bytes, bool htmlCharset = false)
    {
        TextFileBuf buf;
        EXPECT_TRUE(buf.open(folder.write("f.txt", bytes), htmlCharset).ok());
        std::istream in(&buf);
        std::ostringstream out;
        out << in.rdbuf();
        return out.str();
    }
    // The lines of `bytes` as LineStream gives them over a TextFileBuf.
    std::vector<std::string> lines(const std::string& bytes)
    {
        TextFileBuf buf;
        EXPECT_TRUE(buf.open(folder.write("f.txt", bytes), false).ok());
        std::istream in(&buf);
        LineStream stream(in);
        std::vector<std::string> out;
        std::string_view line;
        while (stream.next(line)) {
            out.emplace_back(line);
        }
        return out;
    }
};

// Lines of every length from 0 to 299, each with a two-byte character at its end, so that
// over a few megabytes characters and line ends fall on every position of a block.
std::string manyLines(size_t count)
{
    std::string text;
    for (size_t i = 0; i < count; ++i) {
        text += std::to_string(i) + ":" + std::string(i % 300, 'x') + "\xC3\xA9\r\n";
    }
    return text;
}

TEST_F(TextFileTest, UtfEightTextComesThroughUnchangedAcrossBlocks)
{
    const std::string text = manyLines(20000);
    ASSERT_GT(text.size(), size_t { 3 } << 20);
    EXPECT_EQ(streamed(text), text);
    const std::vector<std::string> read = lines(text);
    ASSERT_EQ(read.size(), 20000u);
    for (size_t i = 0; i < read.size(); i += 997) {
        SCOPED_TRACE(i);
        EXPECT_EQ(read[i], std::to_string(i) + ":" + std::string(i % 300, 'x') + "\xC3\xA9");
    }
    EXPECT_EQ(lines("").size(), 0u);
    EXPECT_EQ(lines("one\nlast without end"), (std::vector<std::string> { "one", "last without end" }));
    EXPECT_EQ(lines("\n\r\n\n"), (std::vector<std::string> { "", "", "" }));
}

TEST_F(TextFileTest, LinesThatAreNotUtfEightAreReadAsWindows1252ByThemselves)
{
    // A single byte of an old file used to make every line of it Windows-1252, turning
    // all the valid UTF-8 names into mojibake.
    const std::string text = manyLines(3000) + "Caf\xE9 \x80\n" + manyLines(3000);
    const std::string expected = manyLines(3000) + "Caf\xC3\xA9 \xE2\x82\xAC\n" + manyLines(3000);
    EXPECT_EQ(streamed(text), expected);
    EXPECT_EQ(streamed("\xC3\xA9\n\xE9\n\xC3\xA9"), "\xC3\xA9\n\xC3\xA9\n\xC3\xA9");
    // A two-byte character cut by the end of the file is not UTF-8.
    EXPECT_EQ(streamed("ok\n\xC3"), "ok\n\xC3\x83");
}

TEST_F(TextFileTest, ByteOrderMarkIsDroppedAndDeclaredCharsetsDecodeEveryLine)
{
    EXPECT_EQ(streamed("\xEF\xBB\xBFline\n"), "line\n");
    EXPECT_EQ(streamed("\xEF\xBB\xBF"), "");
    EXPECT_EQ(lines("\xEF\xBB\xBF\nx"), (std::vector<std::string> { "", "x" }));
    // Only the first bytes of the file can be a byte-order mark.
    EXPECT_EQ(streamed("a\n\xEF\xBB\xBF"), "a\n\xEF\xBB\xBF");

    const std::string mac = "<META HTTP-EQUIV=\"Content-Type\" CONTENT=\"text/html; charset=x-mac-roman\">\n"
                            "Caf\x8E\n"
                            "\xC3\xA9\n";  // valid UTF-8, but the file says Mac Roman
    EXPECT_EQ(streamed(mac, true),
        "<META HTTP-EQUIV=\"Content-Type\" CONTENT=\"text/html; charset=x-mac-roman\">\n"
        "Caf\xC3\xA9\n"
        "\xE2\x88\x9A\xC2\xA9\n");
    // The declaration counts only when the reader asks for it (HTML-based files).
    EXPECT_EQ(streamed(mac, false).substr(mac.size() - 8), "Caf\xC5\xBD\n\xC3\xA9\n");
    EXPECT_EQ(streamed("<meta charset=\"windows-1252\">\n\x93q\x94\n", true),
        "<meta charset=\"windows-1252\">\n\xE2\x80\x9Cq\xE2\x80\x9D\n");
}

TEST_F(TextFileTest, LineLongerThanABlockIsReadWhole)
{
    const std::string longLine = std::string(700000, 'a') + "\xC3\xA9" + std::string(300000, 'b');
    const std::string text = "first\n" + longLine + "\nlast\n";
    EXPECT_EQ(streamed(text), text);
    EXPECT_EQ(lines(text), (std::vector<std::string> { "first", longLine, "last" }));
    EXPECT_EQ(lines(longLine), (std::vector<std::string> { longLine }));
}

TEST_F(TextFileTest, OnlyRegularFilesOpen)
{
    TextFileBuf missing;
    const Status none = missing.open(folder / "none.txt", false);
    ASSERT_FALSE(none.ok());
    EXPECT_EQ(none.error().message, "No such file or directory");

    TextFileBuf directory;
    const Status dir = directory.open(folder.path().string(), false);
    ASSERT_FALSE(dir.ok());
    EXPECT_EQ(dir.error().message, "not a regular file");

    // A FIFO would block the open until a writer came; it is refused at once.
    const std::string fifo = folder / "fifo";
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    TextFileBuf pipe;
    const Status refused = pipe.open(fifo, true);
    ASSERT_FALSE(refused.ok());
    EXPECT_EQ(refused.error().message, "not a regular file");
}

TEST(OutputBufferTest, PiecesReachTheStreamInOrderAndFailuresAreSeen)
{
    std::ostringstream out;
    {
        OutputBuffer buffer(out, 16);
        buffer.put("abc");
        buffer.put(',');
        buffer.putNumber(0);
        buffer.put(',');
        buffer.putNumber(-42);
        buffer.put(',');
        buffer.putNumber(LLONG_MIN);
        buffer.put(std::string(40, 'z'));  // more than the whole buffer
        buffer.put("end");
    }
    EXPECT_EQ(out.str(), "abc,0,-42,-9223372036854775808" + std::string(40, 'z') + "end");

    test::FailingStreamBuf failing(10);
    std::ostream broken(&failing);
    OutputBuffer buffer(broken, 8);
    buffer.put("0123456789");
    EXPECT_TRUE(buffer.flush());
    buffer.put("x");
    EXPECT_FALSE(buffer.flush());
    EXPECT_EQ(failing.written(), "0123456789");
}

}  // namespace
}  // namespace brindlex
