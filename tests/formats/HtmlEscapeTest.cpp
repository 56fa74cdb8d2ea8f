#include <sstream>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "formats/FormatText.h"

namespace {

using namespace brindlex;

// Every text of up to five characters over the ones that matter (markup, quotes, both line
// breaks, a plain letter and a byte of UTF-8) is written as the string functions make it.
TEST(HtmlEscapeTest, WritersGiveWhatTheStringFunctionsMake)
{
    const std::string alphabet = "a&<>\"\r\n\xc3";
    std::vector<std::string> texts { "" };
    for (size_t from = 0; texts.back().size() < 5;) {
        const size_t to = texts.size();
        for (size_t i = from; i < to; ++i) {
            for (char c : alphabet) {
                texts.push_back(texts[i] + c);
            }
        }
        from = to;
    }
    for (const std::string& text : texts) {
        std::ostringstream asText;
        std::ostringstream asAttribute;
        putHtmlTextLine(asText, text);
        putHtmlAttributeLine(asAttribute, text);
        ASSERT_EQ(asText.str(), escapeHtmlText(oneLine(text))) << testing::PrintToString(text);
        ASSERT_EQ(asAttribute.str(), escapeHtmlAttribute(oneLine(text))) << testing::PrintToString(text);
    }
    std::ostringstream out;
    putHtmlTextLine(out, "A & B\r\n\r\n<i>\"x\"</i>\n");
    putHtmlAttributeLine(out, "|a=1&b=\"2\"<>\r");
    EXPECT_EQ(out.str(), "A &amp; B &lt;i&gt;\"x\"&lt;/i&gt; |a=1&amp;b=&quot;2&quot;<> ");
}

}  // namespace
