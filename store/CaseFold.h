#pragma once
#include <string>
#include <string_view>

namespace brindlex {

// Text compared without regard to letter case, in every script: each character is
// replaced by its Unicode simple case folding (one character for one, so a folded text
// keeps its length in characters and a substring of a text folds to a substring of the
// folded text). Bytes that are not valid UTF-8 are kept as they stand.

// The folded form of UTF-8 text: "Хабр" and "хабр", "ŠKODA" and "škoda" fold alike.
std::string foldCase(std::string_view text);

// Compares two UTF-8 texts by their folded forms, character by character in code point
// order: negative when `a` comes first, 0 when they differ at most in letter case,
// positive when `b` comes first. Needs no copy of either text.
int compareFolded(std::string_view a, std::string_view b);

// Whether the two texts differ at most in letter case.
inline bool equalFolded(std::string_view a, std::string_view b)
{
    return compareFolded(a, b) == 0;
}

}  // namespace brindlex
