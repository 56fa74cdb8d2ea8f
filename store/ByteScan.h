#pragma once
#include <cstddef>
#include <string_view>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace brindlex {

// Position of the first byte of `text` at or after `from` that is `a`, `b` or `c` (give
// one byte three times to look for it alone); npos when there is none. The database
// reader and writer look through every field of every record like this, so it goes
// sixteen bytes at a time where the processor has SSE2 (every x86-64 one does) and is
// inline: the fields are short, and a call per field would cost what the search saves.
inline size_t findAnyOf3(std::string_view text, size_t from, char a, char b, char c)
{
    const char* data = text.data();
    const size_t size = text.size();
    size_t i = from;
#if defined(__SSE2__)
    const __m128i wantA = _mm_set1_epi8(a);
    const __m128i wantB = _mm_set1_epi8(b);
    const __m128i wantC = _mm_set1_epi8(c);
    for (; i + 16 <= size; i += 16) {
        const __m128i block = _mm_loadu_si128(reinterpret_cast<const __m128i*>(data + i));
        const __m128i hits = _mm_or_si128(
            _mm_or_si128(_mm_cmpeq_epi8(block, wantA), _mm_cmpeq_epi8(block, wantB)), _mm_cmpeq_epi8(block, wantC));
        const int mask = _mm_movemask_epi8(hits);
        if (mask != 0) {
            return i + static_cast<size_t>(__builtin_ctz(static_cast<unsigned>(mask)));
        }
    }
#endif
    for (; i < size; ++i) {
        if (data[i] == a || data[i] == b || data[i] == c) {
            return i;
        }
    }
    return std::string_view::npos;
}

// How many bytes of `text` are `c`.
inline size_t countByte(std::string_view text, char c)
{
    const char* data = text.data();
    const size_t size = text.size();
    size_t count = 0;
    size_t i = 0;
#if defined(__SSE2__)
    const __m128i want = _mm_set1_epi8(c);
    const __m128i zero = _mm_setzero_si128();
    while (i + 16 <= size) {
        // Each of the sixteen lanes counts its hits up to 255 times, then they are summed.
        __m128i lanes = zero;
        for (int round = 0; round < 255 && i + 16 <= size; ++round, i += 16) {
            const __m128i block = _mm_loadu_si128(reinterpret_cast<const __m128i*>(data + i));
            lanes = _mm_sub_epi8(lanes, _mm_cmpeq_epi8(block, want));
        }
        const __m128i sums = _mm_sad_epu8(lanes, zero);
        count += static_cast<size_t>(_mm_cvtsi128_si32(sums)) + static_cast<size_t>(_mm_extract_epi16(sums, 4));
    }
#endif
    for (; i < size; ++i) {
        count += data[i] == c ? 1 : 0;
    }
    return count;
}

// Position of `separator` (not empty; a few bytes, its first one rare in `text`) in
// `text` at or after `from`, or npos.
inline size_t findSeparator(std::string_view text, size_t from, std::string_view separator)
{
    const size_t length = separator.size();
    for (size_t at = findAnyOf3(text, from, separator[0], separator[0], separator[0]); at != std::string_view::npos;
         at = findAnyOf3(text, at + 1, separator[0], separator[0], separator[0])) {
        if (at + length > text.size()) {
            return std::string_view::npos;
        }
        size_t same = 1;
        while (same < length && text[at + same] == separator[same]) {
            ++same;
        }
        if (same == length) {
            return at;
        }
    }
    return std::string_view::npos;
}

}  // namespace brindlex
