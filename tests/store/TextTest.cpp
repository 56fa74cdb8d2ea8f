#include "store/Text.h"

#include <gtest/gtest.h>

#include <sstream>
#include <streambuf>
#include <string>
#include <vector>

namespace brindlex {
namespace {

// A stream that cannot seek: readAll must read it to its end all the same.
class UnseekableBuf : public std::stringbuf
{
public:
    using std::stringbuf::stringbuf;

protected:
    pos_type seekoff(off_type, std::ios_base::seekdir, std::ios_base::openmode) override { return pos_type(-1); }
    pos_type seekpos(pos_type, std::ios_base::openmode) override { return pos_type(-1); }
};

std::vector<std::string> linesOf(std::string_view text)
{
    std::vector<std::string> out;
    LineCursor lines(text);
    std::string_view line;
    while (lines.next(line)) {
        out.emplace_back(line);
    }
    EXPECT_EQ(lines.number(), out.size());
    EXPECT_TRUE(lines.atEnd());
    return out;
}

TEST(TextTest, BlanksAndAsciiCase)
{
    EXPECT_EQ(trimBlanks("  a b  "), "a b");
    EXPECT_EQ(trimBlanks("\ta\t"), "\ta\t");  // tabs are not blanks
    EXPECT_EQ(trimBlanks("   "), "");
    EXPECT_EQ(upperAscii("Straße é"), "STRAßE é");
    EXPECT_EQ(lowerAscii("ÉCOLE Net"), "École net");
    EXPECT_TRUE(equalsNoCase("IExplorerPath", "iexplorerpath"));
    EXPECT_FALSE(equalsNoCase("True", "Tru"));
    EXPECT_FALSE(equalsNoCase("É", "é"));
    EXPECT_EQ(findNoCase("<a HrEf=x href=y>", "href"), 3u);
    EXPECT_EQ(findNoCase("<a HrEf=x href=y>", "href", 4), 10u);
    EXPECT_EQ(findNoCase("abc", "abcd"), std::string_view::npos);
    EXPECT_EQ(findNoCase("abc", "", 3), 3u);
    EXPECT_EQ(findNoCase("abc", "", 4), std::string_view::npos);
}

TEST(TextTest, LinesEndAtLfOrCrLf)
{
    EXPECT_EQ(linesOf("a\r\nb\nc"), (std::vector<std::string> { "a", "b", "c" }));
    EXPECT_EQ(linesOf("a\n\nb\n"), (std::vector<std::string> { "a", "", "b" }));
    EXPECT_EQ(linesOf("a\rb\r\n"), (std::vector<std::string> { "a\rb" }));  // a lone CR ends nothing
    EXPECT_EQ(linesOf(""), std::vector<std::string> {});
}

TEST(TextTest, Utf8AndWholeStreams)
{
    std::string out;
    for (const char32_t c : { U'a', U'é', U'€', U'😀', char32_t(0xD800), char32_t(0x110000), char32_t(0) }) {
        appendUtf8(out, c);
    }
    EXPECT_EQ(out, "aé€😀\uFFFD\uFFFD\uFFFD");

    std::istringstream seekable("skip this|the rest");
    seekable.ignore(10);
    EXPECT_EQ(readAll(seekable), "the rest");
    const std::string big(200000, 'x');
    UnseekableBuf buffer(big + "end");
    std::istream unseekable(&buffer);
    EXPECT_EQ(readAll(unseekable), big + "end");
}

}  // namespace
}  // namespace brindlex
