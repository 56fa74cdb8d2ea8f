#include "store/MessageText.h"

#include "store/Limits.h"

namespace brindlex {

namespace {

// The length of the UTF-8 sequence at text[i], or 0 when none starts there.
size_t sequenceLength(std::string_view text, size_t i)
{
    const auto b = static_cast<unsigned char>(text[i]);
    size_t length = 0;
    if (b < 0x80) {
        return 1;
    }
    if (b >= 0xC2 && b <= 0xDF) {
        length = 2;
    } else if (b >= 0xE0 && b <= 0xEF) {
        length = 3;
    } else if (b >= 0xF0 && b <= 0xF4) {
        length = 4;
    } else {
        return 0;
    }
    if (i + length > text.size()) {
        return 0;
    }
    for (size_t k = 1; k < length; ++k) {
        if ((static_cast<unsigned char>(text[i + k]) & 0xC0) != 0x80) {
            return 0;
        }
    }
    return length;
}

bool isControl(std::string_view character)
{
    const auto b = static_cast<unsigned char>(character[0]);
    if (character.size() == 1) {
        return b < 0x20 || b == 0x7F;
    }
    // C1 controls (U+0080..U+009F), which some terminals also obey.
    return character.size() == 2 && b == 0xC2 && static_cast<unsigned char>(character[1]) < 0xA0;
}

}  // namespace

std::string quotedInput(std::string_view text)
{
    std::string out;
    size_t shown = 0;
    for (size_t i = 0; i < text.size();) {
        if (shown == MaxQuotedChars - 3) {
            // Room for the mark of a cut, unless the rest fits in it.
            size_t left = 0;
            for (size_t k = i; k < text.size() && left <= 3; ++left) {
                const size_t length = sequenceLength(text, k);
                k += length == 0 ? 1 : length;
            }
            if (left > 3) {
                return out + "...";
            }
        }
        const size_t length = sequenceLength(text, i);
        if (length == 0 || isControl(text.substr(i, length))) {
            out += '?';
        } else {
            out.append(text, i, length);
        }
        i += length == 0 ? 1 : length;
        ++shown;
    }
    return out;
}

}  // namespace brindlex
