#pragma once

#include "SharedTasks.h"
#include "stockdata/Parallel.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cstdint>
#include <cstring>
#include <utility>
#include <vector>

// The one sort behind the name-ordered view and the code index: records,
// numbered 0 to n - 1, sorted stably by key bytes that lie in the records,
// compared as unsigned bytes. It is a radix sort of small entries, not a
// sort by comparing records: each entry holds 8 key bytes as one big-endian
// number and the record's number. Entries are sorted on those bytes; runs
// still equal load the next 8 bytes and are sorted on them, and so on to the
// key's end. Every pass is stable and starts from number order, so records
// with equal keys keep that order.

struct SortEntry {
    std::uint64_t key;
    std::uint32_t index;
};

namespace keysort {

constexpr std::size_t ChunkBytes = sizeof(SortEntry::key);
// Below this many entries a run is sorted by insertion, which costs less
// than the radix passes' counting.
constexpr std::size_t SmallRun = 24;
// A range larger than this is split on its highest byte first, so the
// passes over each part stay within the processor's caches.
constexpr std::size_t CachedEntries = std::size_t{1} << 14;
// How far ahead of their turn records are asked for: they lie anywhere.
constexpr std::size_t Ahead = 32;

inline std::uint64_t BigEndian(const unsigned char* bytes, std::size_t count) noexcept
{
    std::uint64_t value = 0;
    if (count == ChunkBytes) {
        std::memcpy(&value, bytes, ChunkBytes);
        if constexpr (std::endian::native == std::endian::little)
            value = __builtin_bswap64(value);
        return value;
    }
    for (std::size_t i = 0; i < ChunkBytes; ++i)
        value = (value << 8) | (i < count ? bytes[i] : 0U);
    return value;
}

inline unsigned DigitOf(std::uint64_t key, unsigned digit) noexcept
{
    return static_cast<unsigned>(key >> (8 * digit)) & 0xFFU;
}

// The bits of key in which the entries of data[0, n) differ.
inline std::uint64_t VaryingBits(const SortEntry* data, std::size_t n) noexcept
{
    std::uint64_t varying = 0;
    for (std::size_t i = 1; i < n; ++i)
        varying |= data[i].key ^ data[0].key;
    return varying;
}

// Where the buckets of one byte of the key begin and how many entries each
// holds, after a stable scatter of from[0, n) into to[0, n) by that byte.
struct Buckets {
    std::array<std::size_t, 256> count{};
    std::array<std::size_t, 256> start{};
};

Buckets ScatterByDigit(const SortEntry* from, SortEntry* to, std::size_t n, unsigned digit) noexcept;

// Sorts data[0, n) stably by key with least significant byte passes, using
// tmp[0, n) as scratch; the result is in data. `varying` has the bits in
// which the keys differ: bytes in which they all agree cost no pass. Few
// entries are sorted by insertion instead.
void SortEntriesByKey(SortEntry* data, SortEntry* tmp, std::size_t n, std::uint64_t varying) noexcept;

// The key bytes of the records, 8 at a time; keyOf(index) gives where the
// key of record `index` starts.
template <class KeyOf>
class KeyBytes {
public:
    KeyBytes(KeyOf keyOf, std::size_t length) noexcept : keyOf_(std::move(keyOf)), length_(length) {}

    std::size_t Chunks() const noexcept { return (length_ + ChunkBytes - 1) / ChunkBytes; }

    std::uint64_t Chunk(std::uint32_t index, std::size_t chunk) const noexcept
    {
        const std::size_t from = chunk * ChunkBytes;
        return BigEndian(keyOf_(index) + from, std::min(ChunkBytes, length_ - from));
    }

    void Prefetch(std::uint32_t index, std::size_t chunk) const noexcept
    {
        __builtin_prefetch(keyOf_(index) + std::min(chunk * ChunkBytes, length_));
    }

    // memcmp of the key bytes from chunk `chunk` on.
    int CompareFrom(std::uint32_t a, std::uint32_t b, std::size_t chunk) const noexcept
    {
        const std::size_t from = std::min(chunk * ChunkBytes, length_);
        return std::memcmp(keyOf_(a) + from, keyOf_(b) + from, length_ - from);
    }

private:
    KeyOf keyOf_;
    std::size_t length_;
};

// Whether the entries, whose key bytes up to chunk `chunk` are equal, have
// equal keys throughout: then their number order is already their order.
// Most names in a real master file repeat, and this costs one look at each
// record instead of one for every 8 key bytes left.
template <class Keys>
bool SameTails(const SortEntry* data, std::size_t n, std::size_t chunk, const Keys& keys) noexcept
{
    for (std::size_t i = 1; i < std::min(n, Ahead); ++i)
        keys.Prefetch(data[i].index, chunk + 1);
    for (std::size_t i = 1; i < n; ++i) {
        if (i + Ahead < n)
            keys.Prefetch(data[i + Ahead].index, chunk + 1);
        if (keys.CompareFrom(data[i].index, data[0].index, chunk + 1) != 0)
            return false;
    }
    return true;
}

// A range of entries whose key bytes before chunk `chunk` are all equal, to
// be sorted by the rest of their key; `loaded` when their keys already hold
// that chunk. tmp is scratch of the same size.
struct SortTask {
    SortEntry* data;
    SortEntry* tmp;
    std::size_t n;
    std::size_t chunk;
    bool loaded;
};

// Sorts a range, handing parts of it to `queue` (a SharedTasks of them).
template <class Keys, class Queue>
void SortRange(const SortTask& task, const Keys& keys, Queue& queue) noexcept
{
    const auto [data, tmp, n, chunk, loaded] = task;
    if (n < 2)
        return;
    if (!loaded) {
        for (std::size_t i = 0; i < std::min(n, Ahead); ++i)
            keys.Prefetch(data[i].index, chunk);
        for (std::size_t i = 0; i < n; ++i) {
            if (i + Ahead < n)
                keys.Prefetch(data[i + Ahead].index, chunk);
            data[i].key = keys.Chunk(data[i].index, chunk);
        }
    }
    const std::uint64_t varying = VaryingBits(data, n);
    if (varying != 0) {
        const auto top = static_cast<unsigned>(63 - std::countl_zero(varying)) / 8;
        const std::uint64_t below = top == 0 ? 0 : varying & ((std::uint64_t{1} << (8 * top)) - 1);
        if (n > CachedEntries && below != 0) {
            // Split on the highest byte that varies, so the passes over
            // each part stay within the processor's caches.
            const Buckets buckets = ScatterByDigit(data, tmp, n, top);
            std::copy(tmp, tmp + n, data);
            for (unsigned b = 0; b < 256; ++b)
                queue.Add({data + buckets.start[b], tmp + buckets.start[b], buckets.count[b], chunk, true});
            return;
        }
        SortEntriesByKey(data, tmp, n, varying);
    }
    if (chunk + 1 >= keys.Chunks())
        return;
    for (std::size_t runStart = 0; runStart < n;) {
        std::size_t runEnd = runStart + 1;
        while (runEnd < n && data[runEnd].key == data[runStart].key)
            ++runEnd;
        const std::size_t run = runEnd - runStart;
        if (run > 1 && !SameTails(data + runStart, run, chunk, keys))
            queue.Add({data + runStart, tmp + runStart, run, chunk + 1, false});
        runStart = runEnd;
    }
}

}  // namespace keysort

// Sorts records 0 to n - 1 (n < 2^32) stably by their keys into upper[0, n),
// with lower[0, n) as scratch; keyOf(index) gives where the `length` key
// bytes of record `index` start. Spread over threads as `parallelism`
// allows; every thread has ended when it returns. Throws std::bad_alloc.
template <class KeyOf>
void SortByKeys(KeyOf keyOf, std::size_t length, std::size_t n, const Parallelism& parallelism, SortEntry* lower,
                SortEntry* upper)
{
    using namespace keysort;
    const KeyBytes<KeyOf> keys(std::move(keyOf), length);
    const std::size_t parts = parallelism.PartsFor(n);
    // Each part makes its entries and counts their first bytes, then places
    // them by those counts: a split on the first byte, on every thread.
    std::vector<std::array<std::size_t, 256>> counts(parts);
    const auto partBegin = [n, parts](std::size_t part) { return n * part / parts; };
    RunParts(parts, [&](std::size_t part) {
        std::array<std::size_t, 256>& count = counts[part];
        count.fill(0);
        for (std::size_t i = partBegin(part); i < partBegin(part + 1); ++i) {
            const auto index = static_cast<std::uint32_t>(i);
            if (i + Ahead < partBegin(part + 1))
                keys.Prefetch(static_cast<std::uint32_t>(i + Ahead), 0);
            lower[i] = {keys.Chunk(index, 0), index};
            ++count[DigitOf(lower[i].key, ChunkBytes - 1)];
        }
    });
    std::array<std::size_t, 256> start{};
    std::array<std::size_t, 256> total{};
    for (unsigned b = 0; b < 256; ++b) {
        for (const auto& count : counts)
            total[b] += count[b];
        if (b > 0)
            start[b] = start[b - 1] + total[b - 1];
    }
    RunParts(parts, [&](std::size_t part) {
        std::array<std::size_t, 256> next = start;
        for (std::size_t earlier = 0; earlier < part; ++earlier)
            for (unsigned b = 0; b < 256; ++b)
                next[b] += counts[earlier][b];
        for (std::size_t i = partBegin(part); i < partBegin(part + 1); ++i)
            upper[next[DigitOf(lower[i].key, ChunkBytes - 1)]++] = lower[i];
    });

    const auto sortRange = [&keys](const SortTask& task, auto& queue) { SortRange(task, keys, queue); };
    SharedTasks<SortTask, decltype(sortRange)> tasks(parts, std::max<std::size_t>(2, parallelism.minimumPerThread / 16),
                                                     sortRange);
    for (unsigned b = 0; b < 256; ++b)
        tasks.Add({upper + start[b], lower + start[b], total[b], 0, true});
    RunParts(parts, [&tasks](std::size_t) { tasks.Work(); });
}
