#include <gtest/gtest.h>

#include "browser/DDEBrowser.h"

namespace brindlex {
namespace {

TEST(WindowInfo, TakesTheFirstTwoQuotedValues)
{
    const struct
    {
        std::string reply;
        const char* url;
        const char* title;
    } cases[] = {
        { "\"http://a/\",\"Title\"", "http://a/", "Title" },
        { "\"http://a/\",\"Title\",\"more\",1", "http://a/", "Title" },
        { "\"\",\"\"", "", "" },
        { "junk \"http://a/\" \"T\"", "http://a/", "T" },
        // The title is looked for from two past the URL's closing quote, whatever the separator.
        { "\"http://a/\";\"T\"", "http://a/", "T" },
        { "\"http://a/\"\"x\",\"T\"", "http://a/", "," },
        { "\"http://ä/\",\"Zürich\"", "http://ä/", "Zürich" },
    };
    for (const auto& c : cases) {
        const auto info = ParseWindowInfo(c.reply);
        ASSERT_TRUE(info.has_value()) << c.reply;
        EXPECT_EQ(info->url, c.url) << c.reply;
        EXPECT_EQ(info->title, c.title) << c.reply;
    }
}

TEST(WindowInfo, RefusesRepliesOfAnotherShape)
{
    const std::string cases[] = {
        "",
        "no quotes",
        "\"",
        "\"http://a/",
        "\"http://a/\"",
        "\"http://a/\",",
        "\"http://a/\",\"unterminated",
        "\"http://a/\xff\",\"T\"",
        "\"http://a/" + std::string(MaxWindowInfoBytes, 'a') + "\",\"T\"",
    };
    for (const std::string& reply : cases) {
        EXPECT_FALSE(ParseWindowInfo(reply).has_value()) << reply.substr(0, 40);
    }
}

TEST(WindowInfo, TitlesAndFileURLs)
{
    EXPECT_EQ(BrowserTitle("Netscape - [Docs]"), "Docs");
    EXPECT_EQ(BrowserTitle("netscape - [a [b] c]"), "a [b");
    EXPECT_EQ(BrowserTitle("Netscape - [cut short"), "cut short");
    EXPECT_EQ(BrowserTitle("Docs - Netscape"), "Docs - Netscape");

    EXPECT_EQ(NormaliseFilePath("C|/web/a|b.htm"), "C:\\web\\a|b.htm");
    const struct
    {
        const char* in;
        const char* out;
    } urls[] = {
        { "file:C|/docs/a.htm", "file:///C:\\docs\\a.htm" }, { "file:///C|/docs/a.htm", "file:///C:\\docs\\a.htm" },
        { "file:", "file:///" }, { "http://a/b|c", "http://a/b|c" },
        { "FILE:C|/x", "FILE:C|/x" },  // the search is case-sensitive
    };
    for (const auto& u : urls) {
        EXPECT_EQ(FileURL(u.in), u.out) << u.in;
    }
}

}  // namespace
}  // namespace brindlex
