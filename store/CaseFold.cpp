#include "store/CaseFold.h"

#include <unicode/uchar.h>
#include <unicode/utf8.h>

#include <cstdint>

namespace brindlex {
namespace {

// One step through UTF-8 text: the folded character at `at`, moving `at` past it.
// An ill-formed byte comes back as the negative of its value plus one and is stepped
// over alone, so that it never equals a character and equal bad bytes compare equal.
int32_t nextFolded(std::string_view text, size_t& at)
{
    const auto* bytes = reinterpret_cast<const uint8_t*>(text.data());
    const size_t length = text.size();
    const size_t start = at;
    UChar32 c = 0;
    U8_NEXT(bytes, at, length, c);  // the macro only compares `at` with `length`, so size_t is fine
    if (c < 0) {
        at = start + 1;
        return -1 - static_cast<int32_t>(bytes[start]);
    }
    return u_foldCase(c, U_FOLD_CASE_DEFAULT);
}

}  // namespace

std::string foldCase(std::string_view text)
{
    std::string out;
    out.reserve(text.size());
    size_t at = 0;
    while (at < text.size()) {
        const size_t start = at;
        const int32_t folded = nextFolded(text, at);
        if (folded < 0) {
            out.push_back(text[start]);
            continue;
        }
        uint8_t buffer[U8_MAX_LENGTH];
        int32_t written = 0;
        U8_APPEND_UNSAFE(buffer, written, folded);
        out.append(reinterpret_cast<const char*>(buffer), static_cast<size_t>(written));
    }
    return out;
}

int compareFolded(std::string_view a, std::string_view b)
{
    size_t atA = 0;
    size_t atB = 0;
    while (atA < a.size() && atB < b.size()) {
        const int32_t ca = nextFolded(a, atA);
        const int32_t cb = nextFolded(b, atB);
        if (ca != cb) {
            return ca < cb ? -1 : 1;
        }
    }
    if (atA < a.size()) {
        return 1;
    }
    return atB < b.size() ? -1 : 0;
}

}  // namespace brindlex
