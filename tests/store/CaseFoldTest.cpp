#include <gtest/gtest.h>

#include "store/CaseFold.h"

namespace brindlex {
namespace {

TEST(CaseFoldTest, EveryScriptFoldsAlike)
{
    struct Row
    {
        const char* a;
        const char* b;
    };
    const Row same[] = {
        { "News", "NEWS" },
        { "\xD0\xA5\xD0\xB0\xD0\xB1\xD1\x80", "\xD1\x85\xD0\xB0\xD0\xB1\xD1\x80" },  // Хабр / хабр
        { "\xC5\xA0KODA", "\xC5\xA1koda" },  // ŠKODA / škoda (Latin Extended-A)
        { "\xCE\xA3\xCE\x9F\xCE\xA6\xCE\x99\xCE\x91", "\xCF\x83\xCE\xBF\xCF\x86\xCE\xB9\xCE\xB1" },  // ΣΟΦΙΑ / σοφια
        { "\xCF\x82", "\xCF\x83" },  // final sigma folds to sigma
        { "\xD4\xB1\xD5\x80", "\xD5\xA1\xD5\xB0" },  // Armenian Ահ / ահ
        { "\xE1\x83\x90", "\xE1\x83\x90" },  // Georgian without case
        { "\xF0\x90\x90\x80", "\xF0\x90\x90\xA8" },  // Deseret, outside the first plane
        { "\xE2\x84\xAA", "k" },  // KELVIN SIGN
        { "\xC3\x89t\xC3\xA9", "\xC3\xA9T\xC3\x89" },  // Été / éTÉ
        { "", "" },
    };
    for (const Row& r : same) {
        SCOPED_TRACE(std::string(r.a) + " / " + r.b);
        EXPECT_EQ(foldCase(r.a), foldCase(r.b));
        EXPECT_EQ(compareFolded(r.a, r.b), 0);
        EXPECT_TRUE(equalFolded(r.b, r.a));
    }
    EXPECT_EQ(foldCase("\xD0\xA5\xD0\xB0\xD0\xB1\xD1\x80 ABC"), "\xD1\x85\xD0\xB0\xD0\xB1\xD1\x80 abc");
    EXPECT_FALSE(equalFolded("News", "News 2"));
    EXPECT_FALSE(equalFolded("\xD0\xA5", "X"));  // Cyrillic Ha is no Latin X
}

TEST(CaseFoldTest, OrderIsByFoldedCharacters)
{
    EXPECT_LT(compareFolded("apple", "Banana"), 0);
    EXPECT_GT(compareFolded("Banana", "apple"), 0);
    EXPECT_LT(compareFolded("abc", "ABCD"), 0);  // a prefix comes first
    EXPECT_GT(compareFolded("ABCD", "abc"), 0);
    EXPECT_LT(compareFolded("Zebra", "\xC3\xA9t\xC3\xA9"), 0);  // code point order after folding
    EXPECT_LT(compareFolded("\xD0\x90", "\xD0\xB1"), 0);  // А before б
}

// Text that is not UTF-8 (a file from an old desktop read as bytes, or cut in the middle
// of a character) must neither crash nor be lost.
TEST(CaseFoldTest, IllFormedBytesAreKept)
{
    const std::string bad = std::string("A\xFF") + "B\xC3";  // a stray byte and a lead byte at the end
    const std::string folded = std::string("a\xFF") + "b\xC3";
    EXPECT_EQ(foldCase(bad), folded);
    EXPECT_TRUE(equalFolded(bad, folded));
    EXPECT_FALSE(equalFolded(bad, "ab"));
    EXPECT_FALSE(equalFolded("\xFF", "\xFE"));
    EXPECT_NE(compareFolded("\xC3", "\xC3\xA9"), 0);
    const std::string surrogate = "\xED\xA0\x80";  // an encoded surrogate is ill-formed
    EXPECT_EQ(foldCase(surrogate), surrogate);
}

}  // namespace
}  // namespace brindlex
