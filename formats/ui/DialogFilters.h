#pragma once
#include <string>
#include <string_view>

namespace brindlex {

// The import and export tables give file-dialog filters as "Description|patterns" pairs
// ("HTML Files (*.HTM,*.HTML)|*.HTM;*.HTML"). The file dialogs take Qt's form, one entry
// per pair separated by ";;", the patterns in parentheses at the end. The description is
// kept as it stands; the patterns are appended unless the description already ends with
// them (letter case aside: the dialogs match names without regard to case).
std::string qtFilter(std::string_view pairs);

// A default extension as the tables write it (".bdx", "*.htm") in the dialogs' form
// ("bdx", "htm").
std::string dialogSuffix(std::string_view extension);

}  // namespace brindlex
