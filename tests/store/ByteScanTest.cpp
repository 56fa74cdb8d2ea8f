#include "store/ByteScan.h"

#include <gtest/gtest.h>

#include <string>

namespace brindlex {
namespace {

size_t naiveFind(std::string_view text, size_t from, char a, char b, char c)
{
    for (size_t i = from; i < text.size(); ++i) {
        if (text[i] == a || text[i] == b || text[i] == c) {
            return i;
        }
    }
    return std::string_view::npos;
}

// The search goes by blocks of sixteen bytes and then byte by byte: a hit must be found
// wherever it stands against the blocks, from wherever the search starts, and nothing past
// the end of the text may count.
TEST(ByteScanTest, FindsTheFirstOfThreeBytesAtEveryPosition)
{
    for (size_t length = 0; length <= 70; ++length) {
        for (size_t hit = 0; hit <= length; ++hit) {
            std::string text(length, 'x');
            if (hit < length) {
                text[hit] = '"';
            }
            // A second hit later on must never be taken for the first.
            if (hit + 5 < length) {
                text[hit + 5] = '\n';
            }
            for (size_t from = 0; from <= length + 1; ++from) {
                ASSERT_EQ(findAnyOf3(text, from, '"', '\r', '\n'), naiveFind(text, from, '"', '\r', '\n'))
                    << "length " << length << " hit " << hit << " from " << from;
            }
        }
    }
    // A view into a longer text stops at its own end.
    const std::string longer = std::string(20, 'a') + "\"";
    EXPECT_EQ(findAnyOf3(std::string_view(longer).substr(0, 20), 0, '"', '"', '"'), std::string_view::npos);
    // Bytes above 0x7F are bytes like any other.
    EXPECT_EQ(findAnyOf3("caf\xC3\xA9 \xFF", 0, '\xFF', '\xFF', '\xFF'), 6u);
    EXPECT_EQ(findAnyOf3("caf\xC3\xA9", 0, '\xE9', '\xE9', '\xE9'), std::string_view::npos);
}

// Counted by lanes of sixteen bytes that are summed every 255 blocks: long texts, texts of
// every length around a block and texts made of nothing else must all count right.
TEST(ByteScanTest, CountsEveryByteOfAKind)
{
    for (size_t length = 0; length <= 40; ++length) {
        std::string text;
        size_t expected = 0;
        for (size_t i = 0; i < length; ++i) {
            const bool hit = i % 3 == 0;
            text += hit ? '"' : 'a';
            expected += hit ? 1 : 0;
        }
        EXPECT_EQ(countByte(text, '"'), expected) << length;
    }
    EXPECT_EQ(countByte(std::string(16 * 255, '"'), '"'), 16u * 255);
    EXPECT_EQ(countByte(std::string(16 * 255 * 3 + 7, '"'), '"'), 16u * 255 * 3 + 7);
    EXPECT_EQ(countByte(std::string(100000, '\xFF'), '\xFF'), 100000u);
    EXPECT_EQ(countByte(std::string(100000, 'x'), '"'), 0u);
}

TEST(ByteScanTest, FindsSeparatorsOnlyWhole)
{
    EXPECT_EQ(findSeparator("\"a\",\"b\"", 1, "\",\""), 2u);
    // A first byte that starts no separator is passed over.
    EXPECT_EQ(findSeparator("\"a\"b\",\"c\"", 1, "\",\""), 4u);
    // A separator cut off by the end of the text is none.
    EXPECT_EQ(findSeparator("\"abc\",", 1, "\",\""), std::string_view::npos);
    EXPECT_EQ(findSeparator("#TRUE#,\"", 1, "#,\""), 5u);
    const std::string far = std::string(40, 'y') + "\",#" + std::string(3, 'z');
    EXPECT_EQ(findSeparator(far, 0, "\",#"), 40u);
    EXPECT_EQ(findSeparator(far, 41, "\",#"), std::string_view::npos);
}

}  // namespace
}  // namespace brindlex
