#pragma once
#include <iosfwd>

#include "formats/BookmarkTree.h"
#include "store/Result.h"

namespace brindlex {

// Reads the bookmark tree of a Chromium-family profile's "Bookmarks" file (JSON): the
// bookmarks bar, other bookmarks and mobile ("synced") bookmarks as folders of their own
// (those that hold anything), each entry with the date it was added (microseconds since
// 1601 in the file). Text that is not JSON, or JSON without the "roots" of a bookmarks
// file, is an error that says where; entries of unknown kinds are left out.
[[nodiscard]] Result<BookmarkTree> readChromiumBookmarks(std::istream& in);

}  // namespace brindlex
