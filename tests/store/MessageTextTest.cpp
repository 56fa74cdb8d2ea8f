#include <gtest/gtest.h>

#include "store/MessageText.h"

namespace brindlex {
namespace {

TEST(MessageTextTest, QuotedInputIsShortAndPrintable)
{
    const std::string eighty(80, 'a');
    const std::pair<std::string, std::string> cases[] = {
        { "plain", "plain" },
        { eighty, eighty },  // just fits
        { eighty + "b", std::string(77, 'a') + "..." },
        { "\x1b[2Jbell\x07tab\tnl\n", "?[2Jbell?tab?nl?" },
        { "C1 \xC2\x9B"
          "31m",
            "C1 ?31m" },
        { "bad \xFF\xC3", "bad ??" },
        { std::string(100, '\0'), std::string(77, '?') + "..." },
        // Cut between characters: 79 two-byte characters are 79 characters.
        { [] {
             std::string s;
             for (int i = 0; i < 79; ++i) {
                 s += "\xC3\xA9";
             }
             return s;
         }(),
            [] {
                std::string s;
                for (int i = 0; i < 79; ++i) {
                    s += "\xC3\xA9";
                }
                return s;
            }() },
        { std::string(90, 'x') + "\xC3\xA9", std::string(77, 'x') + "..." },
    };
    for (const auto& [in, out] : cases) {
        EXPECT_EQ(quotedInput(in), out) << in.size();
    }
}

}  // namespace
}  // namespace brindlex
