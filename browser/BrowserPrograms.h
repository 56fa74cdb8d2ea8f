#pragma once
#include <string_view>

namespace brindlex {

// The path box of Set Paths that a browser program belongs in, told by its file name
// alone (no folder, any letter case): 0 Netscape Navigator, 1 MS Internet Explorer,
// 2 Spyglass Mosaic, 3 Spry Mosaic; -1 for a program of no known browser. Besides the
// programs of the old desktop, the Firefox family's Linux programs go into the Netscape
// box and the Chromium family's into the Internet Explorer box, the two clients that
// the browser bridge serves for those families.
int BrowserPathBox(std::string_view fileName);

// The file name of `path`: what follows its last "/" or "\".
std::string_view ProgramFileName(std::string_view path);

}  // namespace brindlex
