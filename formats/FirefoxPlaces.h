#pragma once
#include <string>

#include "formats/BookmarkTree.h"
#include "store/Result.h"

namespace brindlex {

// Reads the bookmark tree of a Firefox places database (places.sqlite): the Bookmarks
// Menu, Toolbar, Other and Mobile Bookmarks folders as folders of their own (those that
// hold anything), with titles, URLs, the dates they were added and the descriptions older
// versions kept. Separators, "place:" queries and the tags are left out.
//
// The profile is never written to and a running Firefox is not disturbed: a database with
// nothing waiting beside it is read as it stands, without taking a lock. Firefox keeps its
// latest changes in places.sqlite-wal while it runs (and a crash can leave that file, or
// a -journal of a write that did not finish); then a private copy of the database and
// those files is read, taken while none of them changes, so that nothing added lately is
// missed. Errors are one line: a damaged or cut-short file, a database that kept changing
// under every copy, a file that is not Firefox's.
[[nodiscard]] Result<BookmarkTree> readFirefoxPlaces(const std::string& path);

}  // namespace brindlex
