#pragma once
#include <string>
#include <string_view>

namespace brindlex {

bool isValidUtf8(std::string_view bytes);
// Decodes file bytes to UTF-8. A UTF-8 byte-order mark is dropped. With no charset (or
// "utf-8") the bytes are taken as UTF-8 when valid, else as Windows-1252. A declared
// charset is honoured: "utf-8", "iso-8859-1"/"latin1", "windows-1252", and Mac Roman as
// "x-mac-roman", "macintosh" or "x-mac-system" (any letter case). An unknown charset is
// treated as if none were given.
std::string decodeText(std::string_view bytes, std::string_view charset = {});
// The charset an HTML document declares in a <meta> tag within its first bytes, or "".
std::string declaredCharset(std::string_view html);

}  // namespace brindlex
