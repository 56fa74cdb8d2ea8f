#include <gtest/gtest.h>

#include "store/TextEncoding.h"

namespace brindlex {
namespace {

TEST(TextEncodingTest, Utf8KeptWindows1252Fallback)
{
    EXPECT_EQ(decodeText("caf\xC3\xA9"), "caf\xC3\xA9");
    EXPECT_EQ(decodeText("\xEF\xBB\xBF"
                         "abc"),
        "abc");
    // 0xE9 alone is not UTF-8: read as Windows-1252.
    EXPECT_EQ(decodeText("caf\xE9"), "caf\xC3\xA9");
    EXPECT_EQ(decodeText("\x93q\x94 \x80"), "\xE2\x80\x9Cq\xE2\x80\x9D \xE2\x82\xAC");
    EXPECT_FALSE(isValidUtf8("\xC0\xAF"));  // overlong
    EXPECT_FALSE(isValidUtf8("\xED\xA0\x80"));  // surrogate
    EXPECT_FALSE(isValidUtf8("\xE2\x82"));  // truncated
}

TEST(TextEncodingTest, DeclaredCharsetsAreHonoured)
{
    // Mac Roman 0x8E is e-acute, 0x87 a-acute.
    EXPECT_EQ(decodeText("Caf\x8E", "x-mac-roman"), "Caf\xC3\xA9");
    EXPECT_EQ(decodeText("\x87", "MACINTOSH"), "\xC3\xA1");
    EXPECT_EQ(decodeText("\x87", "x-mac-system"), "\xC3\xA1");
    EXPECT_EQ(decodeText("\xE9", "ISO-8859-1"), "\xC3\xA9");
    EXPECT_EQ(declaredCharset("<META HTTP-EQUIV=\"Content-Type\" CONTENT=\"text/html; charset=UTF-8\">"), "utf-8");
    EXPECT_EQ(declaredCharset("<meta charset='x-mac-roman'>"), "x-mac-roman");
    EXPECT_EQ(declaredCharset("<p>no declaration</p>"), "");
}

}  // namespace
}  // namespace brindlex
