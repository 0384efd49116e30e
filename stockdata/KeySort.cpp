#include "KeySort.h"

namespace keysort {

Buckets ScatterByDigit(const SortEntry* from, SortEntry* to, std::size_t n, unsigned digit,
                       const LoadProgress* progress) noexcept
{
    Buckets buckets;
    if (!InBlocks(0, n, progress, [&](std::size_t begin, std::size_t end) {
            for (std::size_t i = begin; i < end; ++i)
                ++buckets.count[DigitOf(from[i].key, digit)];
        }))
        return buckets;
    for (unsigned b = 1; b < 256; ++b)
        buckets.start[b] = buckets.start[b - 1] + buckets.count[b - 1];
    std::array<std::size_t, 256> next = buckets.start;
    InBlocks(0, n, progress, [&](std::size_t begin, std::size_t end) {
        for (std::size_t i = begin; i < end; ++i)
            to[next[DigitOf(from[i].key, digit)]++] = from[i];
    });
    return buckets;
}

void SortEntriesByKey(SortEntry* data, SortEntry* tmp, std::size_t n, std::uint64_t varying) noexcept
{
    if (n <= SmallRun) {
        // Ties stay in order for the next chunk, as the radix passes leave them.
        for (std::size_t i = 1; i < n; ++i) {
            const SortEntry entry = data[i];
            std::size_t j = i;
            for (; j > 0 && entry.key < data[j - 1].key; --j)
                data[j] = data[j - 1];
            data[j] = entry;
        }
        return;
    }
    std::array<std::array<std::uint32_t, 256>, ChunkBytes> counts{};
    // Bytes that never vary are skipped. 1M lines, funds, stockdump: 96.9 ->
    // 92.4 ms, RSS same.
    const auto varies = [varying](unsigned digit) { return DigitOf(varying, digit) != 0; };
    for (std::size_t i = 0; i < n; ++i)
        for (unsigned d = 0; d < ChunkBytes; ++d)
            if (varies(d))
                ++counts[d][DigitOf(data[i].key, d)];
    SortEntry* from = data;
    SortEntry* to = tmp;
    for (unsigned d = 0; d < ChunkBytes; ++d) {
        if (!varies(d))
            continue;  // every entry has this byte: nothing to order
        std::uint32_t sum = 0;
        for (std::uint32_t& slot : counts[d])
            sum += std::exchange(slot, sum);
        for (std::size_t i = 0; i < n; ++i)
            to[counts[d][DigitOf(from[i].key, d)]++] = from[i];
        std::swap(from, to);
    }
    if (from != data)
        std::copy(from, from + n, data);
}

}  // namespace keysort
