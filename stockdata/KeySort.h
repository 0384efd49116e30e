#pragma once

#include "SharedTasks.h"
#include "stockdata/LoadProgress.h"
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
// with equal keys keep that order. Given a LoadProgress, it counts each
// record three times (made into an entry, placed by its first byte, sorted)
// and stops soon after a stop is asked for.

// Packed to 12 bytes, the key at a 4-byte boundary, so that two entries take
// the room of one 24-byte list node: the view's nodes are made in the very
// block the sort used. 10M lines: stockdump's peak RSS 1003 -> 925 MB.
#pragma pack(push, 4)
struct SortEntry {
    std::uint64_t key;
    std::uint32_t index;
};
#pragma pack(pop)
static_assert(sizeof(SortEntry) == 12, "two entries take the room of a list node");

namespace keysort {

constexpr std::size_t ChunkBytes = sizeof(SortEntry::key);
// Below this many entries a run is sorted by insertion, which costs less
// than the radix passes' counting. 1M lines, mixed, MakeSortedST in
// process: 125 -> 79 ms, RSS same.
constexpr std::size_t SmallRun = 24;
// A range larger than this is split on its highest byte first, so that no
// pass is too long to look for a stop. Kept for that alone: it buys no speed
// (1M lines, mixed, MakeSortedST in process: 74.3 ms without, 75.2 with).
constexpr std::size_t CachedEntries = std::size_t{1} << 14;
// How often a long pass looks for a stop: 16K records read out of order
// through the view's pointers, as the code index reads them, take a few
// milliseconds on a busy machine.
constexpr std::size_t StopCheckEntries = std::size_t{1} << 14;
// Sorted ranges smaller than this are counted by the task that made them,
// so that few tasks touch the shared figure.
constexpr std::size_t ReportedFrom = std::size_t{1} << 12;
// How many times SortByKeys counts each record.
constexpr std::uint64_t ProgressSteps = 3;

// Calls pass(begin, end) over [from, to) in blocks of StopCheckEntries
// while no stop is asked for; false when one was.
template <class Pass>
bool InBlocks(std::size_t from, std::size_t to, const LoadProgress* progress, Pass&& pass)
{
    for (std::size_t begin = from; begin < to; begin += StopCheckEntries) {
        if (StopRequested(progress))
            return false;
        pass(begin, std::min(to, begin + StopCheckEntries));
    }
    return true;
}

inline std::size_t Reported(std::size_t entries) noexcept
{
    return entries >= ReportedFrom ? entries : 0;
}

inline std::uint64_t BigEndian(const unsigned char* bytes, std::size_t count) noexcept
{
    std::uint64_t value = 0;
    // 1M lines, mixed, MakeSortedST in process: 81 -> 71 ms, RSS same.
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

// Where the buckets of one byte of the key begin and how many entries each
// holds, after a stable scatter of from[0, n) into to[0, n) by that byte.
// Once a stop is asked for, it returns with the scatter unfinished.
struct Buckets {
    std::array<std::size_t, 256> count{};
    std::array<std::size_t, 256> start{};
};

Buckets ScatterByDigit(const SortEntry* from, SortEntry* to, std::size_t n, unsigned digit,
                       const LoadProgress* progress) noexcept;

// Sorts data[0, n) stably by key with least significant byte passes, using
// tmp[0, n) as scratch; the result is in data. `varying` has the bits in
// which the keys differ: bytes in which they all agree cost no pass. Few
// entries are sorted by insertion instead. n is at most CachedEntries: it
// is too short to look for a stop.
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
// record instead of one for every 8 key bytes left. 10M lines, vocabulary,
// stockdump: 704 -> 664 ms, RSS same. Once a stop is asked for, the answer
// is of no use.
template <class Keys>
bool SameTails(const SortEntry* data, std::size_t n, std::size_t chunk, const Keys& keys,
               const LoadProgress* progress) noexcept
{
    bool same = true;
    InBlocks(1, n, progress, [&](std::size_t begin, std::size_t end) {
        for (std::size_t i = begin; same && i < end; ++i)
            same = keys.CompareFrom(data[i].index, data[0].index, chunk + 1) == 0;
    });
    return same;
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
// Returns how many of its entries it leaves sorted, of those Reported
// counts; once a stop is asked for, it returns with its range unsorted.
template <class Keys, class Queue>
std::size_t SortRange(const SortTask& task, const Keys& keys, Queue& queue, const LoadProgress* progress) noexcept
{
    // Named one by one: lambdas below use them, which clang 14 refuses for
    // structured bindings.
    SortEntry* const data = task.data;
    SortEntry* const tmp = task.tmp;
    const std::size_t n = task.n;
    const std::size_t chunk = task.chunk;
    const bool loaded = task.loaded;
    std::size_t sorted = Reported(n);
    if (n < 2)
        return sorted;
    if (!loaded) {
        const bool whole = InBlocks(0, n, progress, [&](std::size_t begin, std::size_t end) {
            for (std::size_t i = begin; i < end; ++i)
                data[i].key = keys.Chunk(data[i].index, chunk);
        });
        if (!whole)
            return 0;
    }
    std::uint64_t varying = 0;
    if (!InBlocks(1, n, progress, [&](std::size_t begin, std::size_t end) {
            for (std::size_t i = begin; i < end; ++i)
                varying |= data[i].key ^ data[0].key;
        }))
        return 0;
    if (varying != 0) {
        if (n > CachedEntries) {
            // Split on the highest byte that varies, so that no pass is
            // too long to look for a stop.
            const auto top = static_cast<unsigned>(63 - std::countl_zero(varying)) / 8;
            const Buckets buckets = ScatterByDigit(data, tmp, n, top, progress);
            if (!InBlocks(0, n, progress,
                          [&](std::size_t begin, std::size_t end) { std::copy(tmp + begin, tmp + end, data + begin); }))
                return 0;
            for (unsigned b = 0; b < 256; ++b) {
                queue.Add({data + buckets.start[b], tmp + buckets.start[b], buckets.count[b], chunk, true});
                sorted -= Reported(buckets.count[b]);
            }
            return sorted;
        }
        SortEntriesByKey(data, tmp, n, varying);
    }
    if (chunk + 1 >= keys.Chunks())
        return sorted;
    // Runs of entries still equal go on to the key's next chunk.
    std::size_t runStart = 0;
    const auto endRun = [&](std::size_t runEnd) {
        const std::size_t run = runEnd - runStart;
        if (run > 1 && !SameTails(data + runStart, run, chunk, keys, progress)) {
            queue.Add({data + runStart, tmp + runStart, run, chunk + 1, false});
            sorted -= Reported(run);
        }
        runStart = runEnd;
    };
    if (!InBlocks(1, n, progress, [&](std::size_t begin, std::size_t end) {
            for (std::size_t i = begin; i < end; ++i)
                if (data[i].key != data[runStart].key)
                    endRun(i);
        }))
        return 0;
    endRun(n);
    return sorted;
}

}  // namespace keysort

// Sorts records 0 to n - 1 (n < 2^32) stably by their keys into upper[0, n),
// with lower[0, n) as scratch; keyOf(index) gives where the `length` key
// bytes of record `index` start. Spread over threads as `parallelism`
// allows; every thread has ended when it returns. Throws std::bad_alloc, and
// LoadCancelled once `progress` is asked to stop, with every thread ended.
template <class KeyOf>
void SortByKeys(KeyOf keyOf, std::size_t length, std::size_t n, const Parallelism& parallelism, SortEntry* lower,
                SortEntry* upper, LoadProgress* progress = nullptr)
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
        const std::size_t end = partBegin(part + 1);
        InBlocks(partBegin(part), end, progress, [&](std::size_t from, std::size_t to) {
            for (std::size_t i = from; i < to; ++i) {
                const auto index = static_cast<std::uint32_t>(i);
                lower[i] = {keys.Chunk(index, 0), index};
                ++count[DigitOf(lower[i].key, ChunkBytes - 1)];
            }
            Advance(progress, to - from);
        });
    });
    ThrowIfStopped(progress);
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
        InBlocks(partBegin(part), partBegin(part + 1), progress, [&](std::size_t from, std::size_t to) {
            for (std::size_t i = from; i < to; ++i)
                upper[next[DigitOf(lower[i].key, ChunkBytes - 1)]++] = lower[i];
            Advance(progress, to - from);
        });
    });
    ThrowIfStopped(progress);

    // Once a stop is asked for, tasks are dropped undone: the queue empties
    // at once. Most tasks are small and report nothing: they leave the
    // shared figure alone. 10M lines, load with a progress: +4% -> +1%.
    const auto sortRange = [&keys, progress](const SortTask& task, auto& queue) {
        if (StopRequested(progress))
            return;
        if (const std::size_t sorted = SortRange(task, keys, queue, progress); sorted != 0)
            Advance(progress, sorted);
    };
    // Ranges too small to be worth the queue's lock are sorted by the thread
    // that finds them. stockdump, 10M lines: 921 ms queueing from a
    // sixteenth of a thread's least work, 1421 ms queueing every range of 2
    // or more; 1M lines: 94 and 124 ms. Medians of 5 and 7 pairs, each way
    // in turn, 2 cores, 2026-12-10.
    SharedTasks<SortTask, decltype(sortRange)> tasks(parts, std::max<std::size_t>(2, parallelism.minimumPerThread / 16),
                                                     sortRange);
    std::size_t unreported = 0;
    for (unsigned b = 0; b < 256; ++b) {
        tasks.Add({upper + start[b], lower + start[b], total[b], 0, true});
        unreported += total[b] - Reported(total[b]);
    }
    Advance(progress, unreported);
    RunParts(parts, [&tasks](std::size_t) { tasks.Work(); });
    ThrowIfStopped(progress);
}
