#include "stockdata/CodeIndex.h"

#include "framework/core/MemoryPages.h"

#include <algorithm>
#include <array>
#include <atomic>
#include <cassert>
#include <climits>
#include <cstring>
#include <iterator>
#include <memory>
#include <utility>
#include <vector>

namespace {

// A code as the sort sees it: its 9 bytes as a number of 8 bytes that orders
// as they do, and the ninth, then the record's position for equal codes.
struct SortEntry {
    std::uint64_t key;
    std::uint32_t position;
    std::uint8_t ninth;
};
static_assert(sizeof(STData::code) == sizeof(SortEntry::key) + 2, "9 code bytes, then the terminator");

static_assert(2 * sizeof(SortEntry) == CodeIndex::BuildBytesPerLine, "the entries and the room to sort them");

constexpr std::size_t CodeBytes = sizeof(SortEntry::key) + 1;

SortEntry EntryOf(const STData& record, std::uint32_t position) noexcept
{
    std::uint64_t key = 0;
    for (std::size_t i = 0; i < sizeof(key); ++i)
        key = (key << 8) | static_cast<unsigned char>(record.code[i]);
    return {key, position, static_cast<std::uint8_t>(record.code[sizeof(key)])};
}

unsigned ByteOf(const SortEntry& entry, std::size_t byte) noexcept
{
    return byte < sizeof(entry.key) ? static_cast<unsigned>(entry.key >> (8 * (sizeof(entry.key) - 1 - byte))) & 0xFFU
                                    : entry.ninth;
}

bool CodeLess(const SortEntry& a, const SortEntry& b) noexcept
{
    return a.key != b.key ? a.key < b.key : a.ninth < b.ninth;
}

// Sorts data[0, n) by code by insertion, which keeps equal codes in order
// and needs no room: for the few entries where counting costs more.
void InsertionSortByCode(SortEntry* data, std::size_t n) noexcept
{
    for (std::size_t i = 1; i < n; ++i) {
        const SortEntry entry = data[i];
        std::size_t j = i;
        for (; j > 0 && CodeLess(entry, data[j - 1]); --j)
            data[j] = data[j - 1];
        data[j] = entry;
    }
}

// Sorts data[0, n) stably by their code bytes from `firstByte` on, with
// scratch[0, n) as room: one pass counts every byte, then a stable pass for
// each byte that varies, last first. Most parts of a split fit in the caches.
void SortBytesFrom(SortEntry* data, SortEntry* scratch, std::size_t n, std::size_t firstByte) noexcept
{
    constexpr std::size_t fewEntries = 64;
    if (n <= fewEntries) {
        InsertionSortByCode(data, n);
        return;
    }
    std::array<std::array<std::size_t, 256>, CodeBytes> counts{};
    for (std::size_t i = 0; i < n; ++i)
        for (std::size_t byte = firstByte; byte < CodeBytes; ++byte)
            ++counts[byte][ByteOf(data[i], byte)];
    SortEntry* from = data;
    SortEntry* to = scratch;
    for (std::size_t byte = CodeBytes; byte-- > firstByte;) {
        std::array<std::size_t, 256>& next = counts[byte];
        if (next[ByteOf(from[0], byte)] == n)
            continue;  // all share this byte
        std::size_t at = 0;
        for (std::size_t& slot : next)
            at += std::exchange(slot, at);
        for (std::size_t i = 0; i < n; ++i)
            to[next[ByteOf(from[i], byte)]++] = from[i];
        std::swap(from, to);
    }
    if (from != data)
        std::copy(from, from + n, data);
}

// Which code byte first differs among data[0, n), CodeBytes if none does;
// in `parts` parts at once.
std::size_t FirstVaryingByte(const SortEntry* data, std::size_t n, std::size_t parts)
{
    std::vector<SortEntry> differences(parts, SortEntry{});
    RunParts(parts, [&](std::size_t part) {
        SortEntry bits{};
        for (std::size_t i = n * part / parts; i < n * (part + 1) / parts; ++i) {
            bits.key |= data[i].key ^ data[0].key;
            bits.ninth |= static_cast<std::uint8_t>(data[i].ninth ^ data[0].ninth);
        }
        differences[part] = bits;
    });
    for (std::size_t part = 1; part < parts; ++part) {
        differences[0].key |= differences[part].key;
        differences[0].ninth |= differences[part].ninth;
    }
    std::size_t byte = 0;
    while (byte < CodeBytes && ByteOf(differences[0], byte) == 0)
        ++byte;
    return byte;
}

// Sorts data[0, n) by code, equal codes in the order they are in, into
// scratch[0, n), on `parts` threads: the entries are split on the first byte
// that varies, every thread placing a slice of them, then each part of the
// split is sorted on its own by whichever thread is free.
SortEntry* SortByCode(SortEntry* data, SortEntry* scratch, std::size_t n, std::size_t parts)
{
    const std::size_t top = FirstVaryingByte(data, n, parts);
    if (top == CodeBytes)
        return data;  // one code throughout
    std::vector<std::array<std::size_t, 256>> next(parts);
    RunParts(parts, [&](std::size_t part) {
        next[part].fill(0);
        for (std::size_t i = n * part / parts; i < n * (part + 1) / parts; ++i)
            ++next[part][ByteOf(data[i], top)];
    });
    std::array<std::size_t, 257> bucketStart{};
    std::size_t at = 0;
    for (unsigned b = 0; b < 256; ++b) {
        bucketStart[b] = at;
        for (auto& slice : next)
            at += std::exchange(slice[b], at);
    }
    bucketStart[256] = n;
    RunParts(parts, [&](std::size_t part) {
        for (std::size_t i = n * part / parts; i < n * (part + 1) / parts; ++i)
            scratch[next[part][ByteOf(data[i], top)]++] = data[i];
    });
    std::atomic<unsigned> nextBucket = 0;
    RunParts(parts, [&](std::size_t) {
        for (unsigned b; (b = nextBucket++) < 256;)
            SortBytesFrom(scratch + bucketStart[b], data + bucketStart[b], bucketStart[b + 1] - bucketStart[b], top + 1);
    });
    return scratch;
}

}  // namespace

CodeIndex::CodeIndex(std::span<const STData* const> byPosition) : CodeIndex(byPosition, Parallelism::OfMachine()) {}

CodeIndex::CodeIndex(std::span<const STData* const> byPosition, const Parallelism& parallelism) : byPosition_(byPosition)
{
    assert(byPosition.size() <= INT_MAX && "positions are ints");
    const std::size_t n = byPosition.size();
    // Two arrays of 16 bytes a line while the index is built, freed before
    // the list's items are made. Left uninitialised: the threads that fill
    // them are the first to touch their pages, all at once.
    auto entries = std::make_unique_for_overwrite<SortEntry[]>(n);
    auto scratch = std::make_unique_for_overwrite<SortEntry[]>(n);
    AdviseHugePages(entries.get(), n * sizeof(SortEntry));
    AdviseHugePages(scratch.get(), n * sizeof(SortEntry));
    // The records lie in file order, not view order: fetching some ahead
    // keeps the loop from waiting on memory for every one of them.
    const std::size_t parts = parallelism.PartsFor(n);
    RunParts(parts, [&](std::size_t part) {
        constexpr std::size_t ahead = 16;
        const std::size_t end = n * (part + 1) / parts;
        for (std::size_t i = n * part / parts; i < end; ++i) {
            if (i + ahead < end)
                __builtin_prefetch(byPosition[i + ahead]->code);
            entries[i] = EntryOf(*byPosition[i], static_cast<std::uint32_t>(i));
        }
    });
    // Entries in position order, sorted stably: equal codes end up ordered
    // by position.
    const SortEntry* const sorted = SortByCode(entries.get(), scratch.get(), n, parts);
    (sorted == entries.get() ? scratch : entries).reset();
    order_.reserve(n);
    std::transform(sorted, sorted + n, std::back_inserter(order_), [](const SortEntry& entry) { return entry.position; });
}

int CodeIndex::Find(std::string_view prefix, int after) const
{
    if (prefix.empty() || prefix.size() >= sizeof(STData::code) || prefix.find('\0') != std::string_view::npos)
        return -1;
    // Codes are 0-filled fields, so those that start with the prefix are one
    // run in code order.
    const auto compare = [&](std::uint32_t position) {
        return std::memcmp(byPosition_[position]->code, prefix.data(), prefix.size());
    };
    auto first = std::partition_point(order_.begin(), order_.end(), [&](std::uint32_t p) { return compare(p) < 0; });
    const auto end = std::partition_point(first, order_.end(), [&](std::uint32_t p) { return compare(p) == 0; });
    if (after >= 0 && static_cast<std::size_t>(after) < byPosition_.size()) {
        const char* afterCode = byPosition_[static_cast<std::size_t>(after)]->code;
        const auto afterKey = static_cast<std::uint32_t>(after);
        first = std::partition_point(first, end, [&](std::uint32_t p) {
            const int byCode = std::memcmp(byPosition_[p]->code, afterCode, sizeof(STData::code));
            return byCode != 0 ? byCode < 0 : p <= afterKey;
        });
    }
    return first < end ? static_cast<int>(*first) : -1;
}
