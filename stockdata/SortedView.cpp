#include "stockdata/SortedView.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstring>
#include <vector>

int STKeyOffset = 0;
int STKeyLength = 0;

namespace {

const unsigned char* KeyOf(const STData* record) noexcept
{
    return reinterpret_cast<const unsigned char*>(static_cast<const RecStocks*>(record)) + STKeyOffset;
}

// Sorting a million list nodes by memcmp chases a pointer per comparison. We
// sort a temporary index instead: each entry holds the key's first 24 bytes
// as big-endian integers, so most comparisons never touch a record.
// Equal keys fall back to store position (the record's address), which makes
// the order exactly that of a stable sort by LessST.
constexpr std::size_t PrefixWords = 3;

struct IndexEntry {
    std::array<std::uint64_t, PrefixWords> prefix;
    const STData* record;
};

constexpr std::size_t PrefixBytes = sizeof(IndexEntry::prefix);

IndexEntry EntryOf(const STData* record, std::size_t keyLength) noexcept
{
    std::array<unsigned char, PrefixBytes> bytes{};
    std::memcpy(bytes.data(), KeyOf(record), std::min(keyLength, PrefixBytes));
    IndexEntry entry{{}, record};
    for (std::size_t i = 0; i < PrefixBytes; ++i)
        entry.prefix[i / 8] = (entry.prefix[i / 8] << 8) | bytes[i];
    return entry;
}

}  // namespace

bool LessST::operator()(const STData* a, const STData* b) const noexcept
{
    return std::memcmp(KeyOf(a), KeyOf(b), static_cast<std::size_t>(STKeyLength)) < 0;
}

lstPST MakeSortedST(const vecST& store, int key)
{
    if (key == SortKeyName) {
        STKeyOffset = static_cast<int>(offsetof(RecStocks, name));
        STKeyLength = static_cast<int>(sizeof(RecStocks::name) - 1);
    }
    const auto keyLength = static_cast<std::size_t>(STKeyLength);

    std::vector<IndexEntry> index;
    index.reserve(store.size());
    for (const STData& record : store)
        index.push_back(EntryOf(&record, keyLength));

    std::sort(index.begin(), index.end(), [keyLength](const IndexEntry& a, const IndexEntry& b) {
        if (a.prefix != b.prefix)
            return a.prefix < b.prefix;
        if (keyLength > PrefixBytes) {
            const int tail = std::memcmp(KeyOf(a.record) + PrefixBytes, KeyOf(b.record) + PrefixBytes, keyLength - PrefixBytes);
            if (tail != 0)
                return tail < 0;
        }
        return std::less<>()(a.record, b.record);
    });

    lstPST view;
    for (const IndexEntry& entry : index)
        view.push_back(entry.record);
    return view;
}
