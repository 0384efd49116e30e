#include "framework/core/LineRule.h"

#include <bit>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

const char* FindLineEndPlain(const char* from, const char* end) noexcept
{
    while (from != end && *from != '\n' && *from != '\r')
        ++from;
    return from;
}

#if defined(__SSE2__)

// SSE2 is part of the x86-64 baseline, so this needs no run-time check.
const char* FindLineEnd(const char* from, const char* end) noexcept
{
    const __m128i lf = _mm_set1_epi8('\n');
    const __m128i cr = _mm_set1_epi8('\r');
    while (end - from >= 16) {
        const __m128i bytes = _mm_loadu_si128(reinterpret_cast<const __m128i*>(from));
        const __m128i hits = _mm_or_si128(_mm_cmpeq_epi8(bytes, lf), _mm_cmpeq_epi8(bytes, cr));
        const auto mask = static_cast<unsigned>(_mm_movemask_epi8(hits));
        if (mask != 0)
            return from + std::countr_zero(mask);
        from += 16;
    }
    return FindLineEndPlain(from, end);
}

#else

const char* FindLineEnd(const char* from, const char* end) noexcept
{
    return FindLineEndPlain(from, end);
}

#endif

std::size_t CountLines(std::string_view text) noexcept
{
    if (text.empty())
        return 0;
    // Every LF ends a line, and every CR that no LF follows. The last byte
    // adds one line whatever it is: either it ends the last line, or the
    // last line has no line end and counts all the same.
    const auto* bytes = reinterpret_cast<const unsigned char*>(text.data());
    const std::size_t last = text.size() - 1;
    std::size_t ends = 0;
    for (std::size_t i = 0; i < last; ++i)
        ends += static_cast<std::size_t>((bytes[i] == '\n') | ((bytes[i] == '\r') & (bytes[i + 1] != '\n')));
    return ends + 1;
}
