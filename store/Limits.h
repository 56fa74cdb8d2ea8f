#pragma once
#include <cstddef>
#include <string>

namespace brindlex {

// Bounds that keep a small hostile file from costing unbounded time or memory.

// The deepest a folder may be nested below the root. A file nested deeper has its deeper
// folders placed at this level, each inside the deepest folder that may still hold one.
inline constexpr int MaxFolderDepth = 256;
// The longest line a reader accepts; a longer one is an error rather than an allocation
// of several times its size.
inline constexpr size_t MaxLineBytes = size_t { 64 } << 20;
// The most characters of a file's text that a message quotes.
inline constexpr size_t MaxQuotedChars = 80;

// The notice a command shows, once per file, when it placed folders at the nesting limit.
inline constexpr const char* NestingLimitTitle = "Nesting Limit";
inline std::string nestingLimitMessage(const std::string& path)
{
    return "Folders of " + path + " nested deeper than " + std::to_string(MaxFolderDepth)
        + " levels were placed at level " + std::to_string(MaxFolderDepth) + ".";
}

}  // namespace brindlex
