#include "stockdata/SortedView.h"

#include "framework/core/MemoryPages.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cassert>
#include <condition_variable>
#include <cstdint>
#include <cstring>
#include <limits>
#include <memory>
#include <mutex>
#include <queue>
#include <utility>
#include <vector>

int STKeyOffset = 0;
int STKeyLength = 0;

// The view is built by a radix sort of small entries, not by comparing list
// nodes: each entry holds 8 key bytes as one big-endian number and the
// record's position. Entries are sorted on those bytes; runs still equal
// load the next 8 bytes and are sorted on them, and so on to the key's end.
// Every pass is stable and starts from store order, so records with equal
// keys keep their store order, exactly as a stable sort by LessST gives.
namespace {

struct SortEntry {
    std::uint64_t key;
    std::uint32_t index;
    // A hash of the key bytes after the first 8: where it differs, those
    // bytes differ. It lets a run of equal names skip the later passes.
    std::uint32_t tailHash;
};

constexpr std::size_t ChunkBytes = sizeof(SortEntry::key);
// Below this many entries a run is sorted by insertion, which costs less
// than the radix passes' counting.
constexpr std::size_t SmallRun = 24;
// A range larger than this is split on its highest byte first, so the
// passes over each part stay within the processor's caches.
constexpr std::size_t CachedEntries = std::size_t{1} << 14;
// From this many entries on, a run of equal key bytes whose rests are a few
// names repeated is sorted by grouping the repeats.
constexpr std::size_t GroupedFrom = 1024;

std::uint64_t BigEndian(const unsigned char* bytes, std::size_t count) noexcept
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

// The key bytes of the records of one store, 8 at a time.
class KeyBytes {
public:
    KeyBytes(const vecST& store, std::size_t offset, std::size_t length) noexcept
        : records_(reinterpret_cast<const unsigned char*>(store.data())), offset_(offset), length_(length)
    {
    }

    std::size_t Chunks() const noexcept { return (length_ + ChunkBytes - 1) / ChunkBytes; }

    std::uint64_t Chunk(std::uint32_t index, std::size_t chunk) const noexcept
    {
        const std::size_t from = chunk * ChunkBytes;
        return BigEndian(KeyOf(index) + from, std::min(ChunkBytes, length_ - from));
    }

    std::uint32_t TailHash(std::uint32_t index) const noexcept
    {
        std::uint64_t hash = 0;
        for (std::size_t chunk = 1; chunk < Chunks(); ++chunk)
            hash = (hash ^ Chunk(index, chunk)) * 0x9E3779B97F4A7C15ULL;
        return static_cast<std::uint32_t>(hash >> 32);
    }

    void Prefetch(std::uint32_t index, std::size_t chunk) const noexcept
    {
        __builtin_prefetch(KeyOf(index) + chunk * ChunkBytes);
    }

    // memcmp of the key bytes from chunk `chunk` on.
    int CompareFrom(std::uint32_t a, std::uint32_t b, std::size_t chunk) const noexcept
    {
        const std::size_t from = std::min(chunk * ChunkBytes, length_);
        return std::memcmp(KeyOf(a) + from, KeyOf(b) + from, length_ - from);
    }

private:
    const unsigned char* KeyOf(std::uint32_t index) const noexcept
    {
        return records_ + static_cast<std::size_t>(index) * sizeof(STData) + offset_;
    }

    const unsigned char* records_;
    std::size_t offset_;
    std::size_t length_;
};

unsigned DigitOf(std::uint64_t key, unsigned digit) noexcept
{
    return static_cast<unsigned>(key >> (8 * digit)) & 0xFFU;
}

// The bits of key in which the entries of data[0, n) differ.
std::uint64_t VaryingBits(const SortEntry* data, std::size_t n) noexcept
{
    std::uint64_t varying = 0;
    for (std::size_t i = 1; i < n; ++i)
        varying |= data[i].key ^ data[0].key;
    return varying;
}

bool DigitVaries(std::uint64_t varying, unsigned digit) noexcept
{
    return DigitOf(varying, digit) != 0;
}

// Where the buckets of one byte of the key begin and how many entries each
// holds, after a stable scatter of from[0, n) into to[0, n) by that byte.
struct Buckets {
    std::array<std::size_t, 256> count{};
    std::array<std::size_t, 256> start{};
};

Buckets ScatterByDigit(const SortEntry* from, SortEntry* to, std::size_t n, unsigned digit) noexcept
{
    Buckets buckets;
    for (std::size_t i = 0; i < n; ++i)
        ++buckets.count[DigitOf(from[i].key, digit)];
    for (unsigned b = 1; b < 256; ++b)
        buckets.start[b] = buckets.start[b - 1] + buckets.count[b - 1];
    std::array<std::size_t, 256> next = buckets.start;
    for (std::size_t i = 0; i < n; ++i)
        to[next[DigitOf(from[i].key, digit)]++] = from[i];
    return buckets;
}

// Sorts data[0, n) stably by key with least significant byte passes, using
// tmp[0, n) as scratch; the result is in data. `varying` has the bits in
// which the keys differ: bytes in which they all agree cost no pass.
void RadixSortByKey(SortEntry* data, SortEntry* tmp, std::size_t n, std::uint64_t varying) noexcept
{
    std::array<std::array<std::uint32_t, 256>, ChunkBytes> counts{};
    for (std::size_t i = 0; i < n; ++i)
        for (unsigned d = 0; d < ChunkBytes; ++d)
            if (DigitVaries(varying, d))
                ++counts[d][DigitOf(data[i].key, d)];
    SortEntry* from = data;
    SortEntry* to = tmp;
    for (unsigned d = 0; d < ChunkBytes; ++d) {
        if (!DigitVaries(varying, d))
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

// Whether the entries, whose key bytes up to chunk `chunk` are equal, have
// equal keys throughout: then their store order is already their order. Most
// names in a real master file repeat, and this costs one look at each record
// instead of one for every 8 key bytes left.
bool SameTails(const SortEntry* data, std::size_t n, std::size_t chunk, const KeyBytes& keys) noexcept
{
    for (std::size_t i = 1; i < n; ++i)
        if (data[i].tailHash != data[0].tailHash)
            return false;
    constexpr std::size_t ahead = 32;
    for (std::size_t i = 1; i < std::min(n, ahead); ++i)
        keys.Prefetch(data[i].index, chunk + 1);
    for (std::size_t i = 1; i < n; ++i) {
        if (i + ahead < n)
            keys.Prefetch(data[i + ahead].index, chunk + 1);
        if (keys.CompareFrom(data[i].index, data[0].index, chunk + 1) != 0)
            return false;
    }
    return true;
}

// Whether the tail hashes of data[0, n) look like a few names repeated many
// times: few distinct among 64 spread over the range.
bool FewNames(const SortEntry* data, std::size_t n) noexcept
{
    constexpr std::size_t samples = 64;
    constexpr std::size_t mostDistinct = 48;
    std::array<std::uint32_t, samples> hashes{};
    for (std::size_t i = 0; i < samples; ++i)
        hashes[i] = data[i * n / samples].tailHash;
    std::sort(hashes.begin(), hashes.end());
    return static_cast<std::size_t>(std::unique(hashes.begin(), hashes.end()) - hashes.begin()) <= mostDistinct;
}

// Sorts data[0, n), entries whose key bytes up to chunk `chunk` are equal,
// by the rest of their key when those rests are a few names repeated many
// times: the entries are grouped by tail hash, each group is checked to be
// one name, and only one record of each group is compared with the others.
// That reads each record once instead of once for every 8 key bytes left.
// Returns false when a group holds two names (hashes that collide); the
// entries are then grouped by hash, which the later passes may start from:
// entries of one name are still in store order, and they keep it.
bool SortRepeatedNames(SortEntry* data, SortEntry* tmp, std::size_t n, std::size_t chunk, const KeyBytes& keys) noexcept
{
    // Entries of one name are in store order, as every pass keeps them:
    // grouping by hash with stable passes keeps them so.
    for (std::size_t i = 0; i < n; ++i)
        data[i].key = data[i].tailHash;
    RadixSortByKey(data, tmp, n, VaryingBits(data, n));
    // One entry of tmp for each group: its first entry, record and size.
    std::size_t groups = 0;
    for (std::size_t start = 0; start < n;) {
        std::size_t end = start + 1;
        while (end < n && data[end].tailHash == data[start].tailHash)
            ++end;
        if (!SameTails(data + start, end - start, chunk, keys))
            return false;
        tmp[groups++] = {start, data[start].index, static_cast<std::uint32_t>(end - start)};
        start = end;
    }
    std::sort(tmp, tmp + groups, [&keys, chunk](const SortEntry& a, const SortEntry& b) {
        return keys.CompareFrom(a.index, b.index, chunk + 1) < 0;
    });
    // Each entry's key becomes its group's place in name order.
    for (std::size_t rank = 0; rank < groups; ++rank)
        for (std::size_t i = tmp[rank].key; i < tmp[rank].key + tmp[rank].tailHash; ++i)
            data[i].key = rank;
    RadixSortByKey(data, tmp, n, VaryingBits(data, n));
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

// Shares the sorting among threads: a range worth it is queued for whichever
// thread is free, largest first, so that no thread is left with most of the
// work however the names are spread. Smaller ranges are sorted at once.
class SortTasks {
public:
    SortTasks(const KeyBytes& keys, std::size_t threads, std::size_t sharedFrom) noexcept
        : keys_(keys), threads_(threads), sharedFrom_(sharedFrom)
    {
    }

    void Add(const SortTask& task) noexcept
    {
        if (threads_ > 1 && task.n >= sharedFrom_) {
            try {
                const std::lock_guard lock(mutex_);
                queue_.push(task);
                ready_.notify_one();
                return;
            } catch (const std::bad_alloc&) {
                // no room to queue it: this thread sorts it itself
            }
        }
        Sort(task);
    }

    // Sorts queued ranges until none is left and no thread can add more.
    void Work() noexcept
    {
        std::unique_lock lock(mutex_);
        for (;;) {
            ready_.wait(lock, [this] { return !queue_.empty() || busy_ == 0; });
            if (queue_.empty()) {
                ready_.notify_all();
                return;
            }
            const SortTask task = queue_.top();
            queue_.pop();
            ++busy_;
            lock.unlock();
            Sort(task);
            lock.lock();
            --busy_;
        }
    }

private:
    struct Smaller {
        bool operator()(const SortTask& a, const SortTask& b) const noexcept { return a.n < b.n; }
    };

    void Sort(SortTask task) noexcept;

    const KeyBytes& keys_;
    std::size_t threads_;
    std::size_t sharedFrom_;
    std::mutex mutex_;
    std::condition_variable ready_;
    std::priority_queue<SortTask, std::vector<SortTask>, Smaller> queue_;
    std::size_t busy_ = 0;
};

void SortTasks::Sort(SortTask task) noexcept
{
    auto [data, tmp, n, chunk, loaded] = task;
    if (n < 2)
        return;
    if (!loaded) {
        // The records lie anywhere in the store: ask for them ahead of use.
        constexpr std::size_t ahead = 32;
        for (std::size_t i = 0; i < std::min(n, ahead); ++i)
            keys_.Prefetch(data[i].index, chunk);
        for (std::size_t i = 0; i < n; ++i) {
            if (i + ahead < n)
                keys_.Prefetch(data[i + ahead].index, chunk);
            data[i].key = keys_.Chunk(data[i].index, chunk);
        }
    }
    const std::uint64_t varying = VaryingBits(data, n);
    if (varying != 0) {
        const auto top = static_cast<unsigned>(63 - std::countl_zero(varying)) / 8;
        const std::uint64_t below = top == 0 ? 0 : varying & ((std::uint64_t{1} << (8 * top)) - 1);
        if (n > CachedEntries && below != 0) {
            // Split on the highest byte that varies, so the passes over each
            // part stay within the processor's caches.
            const Buckets buckets = ScatterByDigit(data, tmp, n, top);
            std::copy(tmp, tmp + n, data);
            for (unsigned b = 0; b < 256; ++b)
                Add({data + buckets.start[b], tmp + buckets.start[b], buckets.count[b], chunk, true});
            return;
        }
        if (n <= SmallRun) {
            // Ties stay in order for the next chunk, as the radix passes leave them.
            for (std::size_t i = 1; i < n; ++i) {
                const SortEntry entry = data[i];
                std::size_t j = i;
                for (; j > 0 && entry.key < data[j - 1].key; --j)
                    data[j] = data[j - 1];
                data[j] = entry;
            }
        } else {
            RadixSortByKey(data, tmp, n, varying);
        }
    }
    if (chunk + 1 >= keys_.Chunks())
        return;
    for (std::size_t runStart = 0; runStart < n;) {
        std::size_t runEnd = runStart + 1;
        while (runEnd < n && data[runEnd].key == data[runStart].key)
            ++runEnd;
        const std::size_t run = runEnd - runStart;
        if (run > 1 && !SameTails(data + runStart, run, chunk, keys_) &&
            !(run >= GroupedFrom && FewNames(data + runStart, run) &&
              SortRepeatedNames(data + runStart, tmp + runStart, run, chunk, keys_)))
            Add({data + runStart, tmp + runStart, run, chunk + 1, false});
        runStart = runEnd;
    }
}

// Sorts the entries of `store` by key into upper[0, n), with lower[0, n) as
// scratch.
void SortEntries(const vecST& store, const KeyBytes& keys, const Parallelism& parallelism, SortEntry* lower,
                 SortEntry* upper)
{
    const std::size_t n = store.size();
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
            lower[i] = {keys.Chunk(index, 0), index, keys.TailHash(index)};
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

    SortTasks tasks(keys, parts, std::max<std::size_t>(2, parallelism.minimumPerThread / 16));
    for (unsigned b = 0; b < 256; ++b)
        tasks.Add({upper + start[b], lower + start[b], total[b], 0, true});
    RunParts(parts, [&tasks](std::size_t) { tasks.Work(); });
}

const unsigned char* KeyOf(const STData* record) noexcept
{
    return reinterpret_cast<const unsigned char*>(static_cast<const RecStocks*>(record)) + STKeyOffset;
}

}  // namespace

bool LessST::operator()(const STData* a, const STData* b) const noexcept
{
    return std::memcmp(KeyOf(a), KeyOf(b), static_cast<std::size_t>(STKeyLength)) < 0;
}

lstPST MakeSortedST(const vecST& store, int key)
{
    return MakeSortedST(store, key, Parallelism::OfMachine());
}

lstPST MakeSortedST(const vecST& store, int key, const Parallelism& parallelism)
{
    if (key == SortKeyName) {
        STKeyOffset = static_cast<int>(offsetof(RecStocks, name));
        STKeyLength = static_cast<int>(sizeof(RecStocks::name) - 1);
    }
    assert(STKeyOffset >= 0 && STKeyLength >= 0 &&
           static_cast<std::size_t>(STKeyOffset) + static_cast<std::size_t>(STKeyLength) <= sizeof(RecStocks) &&
           "the key window lies inside the record");

    const auto pool = std::make_shared<ViewNodePool>();
    pool->Reserve(store.size());
    lstPST view{ViewNodeAllocator<const STData*>(pool)};
    if (STKeyLength == 0 || store.size() < 2) {
        for (const STData& record : store)
            view.push_back(&record);
        return view;
    }
    if (store.size() > std::numeric_limits<std::uint32_t>::max()) {
        // Beyond what an entry can number: compare records, stably.
        std::vector<const STData*> records;
        records.reserve(store.size());
        for (const STData& record : store)
            records.push_back(&record);
        std::stable_sort(records.begin(), records.end(), LessST());
        view.assign(records.begin(), records.end());
        return view;
    }

    // The sort's two arrays of entries lie in the block that then holds the
    // list's nodes, so the view costs no memory beyond its nodes. The nodes
    // are made from the block's start in view order while the sorted entries
    // sit in its upper half: node i ends before entry i + 1 begins as long as
    // a node takes no more room than two entries.
    const std::size_t n = store.size();
    auto* const lower = reinterpret_cast<SortEntry*>(pool->ReserveBlock(2 * n * sizeof(SortEntry)));
    SortEntry* const upper = lower + n;
    const KeyBytes keys(store, static_cast<std::size_t>(STKeyOffset), static_cast<std::size_t>(STKeyLength));
    SortEntries(store, keys, parallelism, lower, upper);
    view.push_back(&store[upper[0].index]);
    std::vector<SortEntry> rest;
    const SortEntry* sorted = upper;
    if (pool->NodeSize() > 2 * sizeof(SortEntry)) {
        rest.assign(upper, upper + n);  // a larger node would overtake the entries
        sorted = rest.data();
    }
    for (std::size_t i = 1; i < n; ++i)
        view.push_back(&store[sorted[i].index]);
    return view;
}
