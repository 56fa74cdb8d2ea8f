#pragma once
#include <string>
#include <string_view>

namespace brindlex {

bool isValidUtf8(std::string_view bytes);

// How the lines of a file are decoded: UTF-8 (a line that is not valid UTF-8 is read as
// Windows-1252), or every line in a declared single-byte charset.
enum class Charset { Utf8, Windows1252, MacRoman };
// The charset a declared name stands for (any letter case); an unknown name or "utf-8" is Utf8.
Charset charsetNamed(std::string_view name);
// Appends `bytes` (no byte-order mark) to `out` decoded from `charset` to UTF-8.
void appendDecoded(std::string& out, std::string_view bytes, Charset charset);
// Decodes file bytes to UTF-8. A UTF-8 byte-order mark is dropped. With no charset (or
// "utf-8") each line is taken as UTF-8 when valid, else as Windows-1252. A declared
// charset is honoured: "utf-8", "iso-8859-1"/"latin1", "windows-1252", and Mac Roman as
// "x-mac-roman", "macintosh" or "x-mac-system" (any letter case). An unknown charset is
// treated as if none were given.
std::string decodeText(std::string_view bytes, std::string_view charset = {});
// The charset an HTML document declares in a <meta> tag within its first bytes, or "".
std::string declaredCharset(std::string_view html);

}  // namespace brindlex
