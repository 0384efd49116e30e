#include "stockdata/NameCharacterIndex.h"

#include "NamePattern.h"
#include "ViewOrderPass.h"

#include <algorithm>
#include <bit>
#include <limits>
#include <utility>

namespace {

constexpr std::uint32_t NoRow = std::numeric_limits<std::uint32_t>::max();
constexpr std::uint32_t Many = std::uint32_t{1} << 31;
// Rows a bucket lists at most, each read to check it: a few milliseconds.
constexpr std::uint32_t MostListed = std::uint32_t{1} << 16;

// A character's bytes, an ASCII capital as its small letter; never 0, as no
// name holds a 0 byte.
std::uint32_t CharacterKey(std::string_view bytes)
{
    if (bytes.size() == 1 && bytes[0] >= 'A' && bytes[0] <= 'Z')
        return static_cast<std::uint32_t>(bytes[0] - 'A' + 'a');
    std::uint32_t key = 0;
    for (const char c : bytes.substr(0, 4))
        key = key << 8 | static_cast<unsigned char>(c);
    return key;
}

std::uint32_t BucketOf(std::uint64_t key, unsigned bits)
{
    key *= 0x9E3779B97F4A7C15U;
    key ^= key >> 32;
    key *= 0xD6E8FEB86659FD93U;
    return static_cast<std::uint32_t>(key >> (64 - bits));
}

}  // namespace

template <class Each>
void NameCharacterIndex::ForEachBucket(std::string_view text, Each each) const
{
    std::uint64_t before = 0;
    for (std::size_t at = 0; at < text.size();) {
        // ASCII is one byte in every set read here, and reading it inline
        // spares a call a byte (BM_BuildCharacterIndex, 1M lines: 330 ->
        // 263 ms; 10M: 4.7 -> 4.6 s).
        const std::size_t length = static_cast<unsigned char>(text[at]) < 0x80 ? 1
                                                                               : reader_->At(text.substr(at)).length;
        const std::uint64_t key = CharacterKey(text.substr(at, length));
        each(BucketOf(key, bucketBits_));
        if (before != 0)
            each(BucketOf(before << 32 | key, bucketBits_));
        before = key;
        at += length;
    }
}

NameCharacterIndex::NameCharacterIndex(std::span<const STData* const> byPosition, const std::string& charset,
                                       const Parallelism& parallelism, LoadProgress* progress)
    : reader_(charset)
{
    const std::size_t n = byPosition.size();
    // A bucket for every 8 names or so, 4,096 at least: 0.5-1 byte a line
    // for each of the two tables of buckets.
    const std::size_t buckets = std::max<std::size_t>(std::bit_ceil(std::max<std::size_t>(n / 8, 1)), 4096);
    bucketBits_ = static_cast<unsigned>(std::countr_zero(buckets));
    const std::size_t parts = std::min<std::size_t>(parallelism.PartsFor(n), 4);
    Begin(progress, LoadStage::IndexingNames, 2 * n);

    // Per part and bucket, the part's rows there, which become the rows
    // that parts before it have there, and the last row counted, so that a
    // name counts once however often it reaches a bucket (instead of a sort
    // of each name's buckets: BM_BuildCharacterIndex, 10M lines, 15.2 ->
    // 4.7 s).
    struct Count {
        std::uint32_t rows = 0;
        std::uint32_t lastRow = NoRow;
    };
    std::vector<std::vector<Count>> before(parts, std::vector<Count>(buckets));
    ForEachInViewOrderByPart(byPosition, parts, progress, [&](std::size_t part, std::size_t i, const STData& record) {
        const auto row = static_cast<std::uint32_t>(i);
        ForEachBucket(NameOf(record), [&counts = before[part], row](std::uint32_t bucket) {
            Count& count = counts[bucket];
            count.rows += count.lastRow != row ? 1 : 0;
            count.lastRow = row;
        });
    });
    std::vector<std::uint32_t> total(buckets);
    for (std::size_t bucket = 0; bucket < buckets; ++bucket) {
        for (std::vector<Count>& counts : before) {
            total[bucket] += std::exchange(counts[bucket].rows, total[bucket]);
            counts[bucket].lastRow = NoRow;
        }
    }

    // The rarest buckets are listed, in all a row for every 4 names at
    // most, 1 byte a line, or 65,536 rows in a small list.
    std::vector<std::uint64_t> bucketsOfSize(MostListed + 1);
    for (const std::uint32_t rows : total)
        if (rows > 0 && rows <= MostListed)
            ++bucketsOfSize[rows];
    std::uint32_t mostListed = 0;
    for (std::uint64_t listed = 0; mostListed < MostListed;) {
        listed += bucketsOfSize[mostListed + 1] * (mostListed + 1);
        if (listed > std::max<std::size_t>(n / 4, MostListed))
            break;
        ++mostListed;
    }
    rowsStart_.resize(buckets + 1);
    std::uint32_t start = 0;
    for (std::size_t bucket = 0; bucket < buckets; ++bucket) {
        const bool listed = total[bucket] <= mostListed;
        rowsStart_[bucket] = start | (listed ? 0 : Many);
        start += listed ? total[bucket] : 0;
    }
    rowsStart_[buckets] = start;
    total = {};
    rows_.resize(start);
    firstRow_.assign(buckets, NoRow);

    ForEachInViewOrderByPart(byPosition, parts, progress, [&](std::size_t part, std::size_t i, const STData& record) {
        std::vector<Count>& next = before[part];
        const auto row = static_cast<std::uint32_t>(i);
        ForEachBucket(NameOf(record), [&](std::uint32_t bucket) {
            Count& count = next[bucket];
            if ((rowsStart_[bucket] & Many) == 0) {
                if (count.lastRow != row)
                    rows_[rowsStart_[bucket] + count.rows++] = row;
            } else if (count.rows == 0 && firstRow_[bucket] == NoRow) {
                firstRow_[bucket] = row;  // only the first part to reach the bucket writes it
            }
            count.lastRow = row;
        });
    });
    for (std::size_t bucket = 0; bucket < buckets; ++bucket)
        if (const std::span<const std::uint32_t> listed = ListedRows(bucket); !listed.empty())
            firstRow_[bucket] = listed.front();
}

std::span<const std::uint32_t> NameCharacterIndex::ListedRows(std::size_t bucket) const
{
    // The next bucket's start is where these end, whether it lists its rows or not.
    const std::uint32_t start = rowsStart_[bucket] & ~Many;
    return std::span<const std::uint32_t>(rows_).subspan(start, (rowsStart_[bucket + 1] & ~Many) - start);
}

NameCharacterIndex::Rows NameCharacterIndex::Candidates(std::string_view text) const
{
    Rows rows;
    if (!reader_)
        return rows;
    ForEachBucket(text, [&](std::uint32_t bucket) {
        if (firstRow_[bucket] == NoRow) {
            rows.none = true;
            return;
        }
        rows.from = std::max(rows.from, firstRow_[bucket]);
        if ((rowsStart_[bucket] & Many) != 0)
            return;
        if (const std::span<const std::uint32_t> listed = ListedRows(bucket);
            !rows.among || listed.size() < rows.among->size())
            rows.among = listed;
    });
    if (rows.none)
        return {.none = true, .among = {}, .from = 0};
    return rows;
}
