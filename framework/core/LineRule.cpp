#include "framework/core/LineRule.h"

#include <algorithm>
#include <bit>
#include <utility>

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

namespace {

// The line ends among bytes[0, last): every LF, and every CR that no LF
// follows. Plain loops, which the compiler turns into vector code: a byte
// counter for each block of 255 bytes lets it count 16 bytes at a time.
std::size_t CountLineEndsBefore(const unsigned char* bytes, std::size_t last) noexcept
{
    constexpr std::size_t block = 255;
    std::size_t ends = 0;
    for (std::size_t from = 0; from < last; from += block) {
        const std::size_t to = std::min(last, from + block);
        unsigned char inBlock = 0;
        for (std::size_t i = from; i < to; ++i)
            inBlock += static_cast<unsigned char>((bytes[i] == '\n') | ((bytes[i] == '\r') & (bytes[i + 1] != '\n')));
        ends += inBlock;
    }
    return ends;
}

}  // namespace

std::size_t CountLines(std::string_view text) noexcept
{
    if (text.empty())
        return 0;
    // The last byte adds one line whatever it is: either it ends the last
    // line, or the last line has no line end and counts all the same.
    return CountLineEndsBefore(reinterpret_cast<const unsigned char*>(text.data()), text.size() - 1) + 1;
}

void ChunkedLineCount::Feed(std::string_view chunk) noexcept
{
    if (chunk.empty())
        return;
    if (std::exchange(endedInCr_, false) && chunk.front() == '\n') {
        chunk.remove_prefix(1);  // the LF of a CR LF, counted with its CR
        if (chunk.empty())
            return;
    }
    const auto* bytes = reinterpret_cast<const unsigned char*>(chunk.data());
    const std::size_t last = chunk.size() - 1;
    ends_ += CountLineEndsBefore(bytes, last);
    // Whatever follows, a CR that ends the chunk ends a line.
    const bool lineEnd = bytes[last] == '\n' || bytes[last] == '\r';
    ends_ += lineEnd ? 1 : 0;
    endedInCr_ = bytes[last] == '\r';
    inLine_ = !lineEnd;
}
