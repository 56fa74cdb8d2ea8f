#pragma once
#include <functional>
#include <iosfwd>
#include <string>

#include "store/Result.h"

namespace brindlex {

// Writes a file through `write` into a temporary file beside `path`, and renames it over
// `path` only when everything was written and flushed. On any failure the old file is
// left as it was, the temporary file is removed, and the error names the path.
Status writeFileAtomically(const std::string& path, const std::function<Status(std::ostream&)>& write);

}  // namespace brindlex
