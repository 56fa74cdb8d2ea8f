#pragma once
#include <string>
#include <string_view>
#include <vector>

namespace brindlex {

// Every double quote becomes an apostrophe.
std::string QuotesToApostrophes(std::string_view text);
// Every "%!%" becomes one double quote (URLs read from a database file).
std::string DecodeQuoteMarks(std::string_view text);
// Removes every LF, CR and TAB.
std::string StripLineBreaks(std::string_view text);
// Each run of CR and LF characters becomes one blank, so that a value always stays on
// one line of the database file.
std::string LineBreaksToBlank(std::string_view text);
// The URL kind word: "Http", "Ftp", "File", "Gopher", "Archie", "EMail", "News",
// "Telnet" or "Unknown", by the first scheme the URL contains in any letter case
// ("HTTPS://" counts as "HTTP://").
std::string ClassifyURL(std::string_view url);
// Every word ClassifyURL gives, each once, "Unknown" last.
std::vector<std::string_view> URLKinds();

}  // namespace brindlex
