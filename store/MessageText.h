#pragma once
#include <string>
#include <string_view>

namespace brindlex {

// A piece of a file's text as a message may quote it: at most MaxQuotedChars characters
// (cut at a character boundary, "..." marking the cut), every control character and every
// byte that is not UTF-8 shown as "?", so that a hostile file can neither fill a message
// box with megabytes nor put escape sequences on a terminal.
std::string quotedInput(std::string_view text);

}  // namespace brindlex
