#include "stockdata/CodeKeys.h"

#include "CodeOrder.h"

#include <algorithm>
#include <cassert>
#include <climits>
#include <utility>
#include <vector>

namespace {

using codeorder::ComesBefore;
using codeorder::DigitsOf;
using codeorder::IsWellFormed;
using codeorder::ToUpper;

// A key's digit bytes: a nibble each, the first highest, above the tag.
constexpr std::size_t KeyDigits = 7;
constexpr std::uint32_t TagBits = 4;
constexpr std::uint32_t TagMask = (1U << TagBits) - 1;
// The tag: no letter, a letter's group, or a key that cannot tell.
constexpr std::uint32_t NoLetter = 0;
constexpr std::uint32_t LetterGroups = 14;
constexpr std::uint32_t Unsure = 15;
// A digit byte's nibble that stands for any byte but 0, space and digits.
constexpr std::uint32_t OtherByte = 15;

// 0 and space sort before the digits, as their bytes do.
std::uint32_t NibbleOf(char byte)
{
    if (byte == '\0')
        return 0;
    if (byte == ' ')
        return 1;
    if (codeorder::IsAsciiDigit(byte))
        return 2 + static_cast<std::uint32_t>(byte - '0');
    return OtherByte;
}

// Letters in one group may differ; the record tells them apart.
std::uint32_t LetterGroup(char letter)
{
    return 1 + static_cast<std::uint32_t>(ToUpper(letter) - 'A') % LetterGroups;
}

}  // namespace

std::uint32_t CodeKeys::KeyOf(const STData& record) noexcept
{
    const char* digits = DigitsOf(record);
    std::uint32_t key = 0;
    bool unsure = false;
    for (std::size_t i = 0; i < KeyDigits; ++i) {
        const std::uint32_t nibble = NibbleOf(digits[i]);
        unsure = unsure || nibble == OtherByte;
        key = key << 4 | nibble;
    }
    const std::uint32_t tag = unsure ? Unsure : digits == record.code ? NoLetter : LetterGroup(record.code[0]);
    return key << TagBits | tag;
}

CodeKeys::CodeKeys(std::span<const STData* const> byPosition, std::unique_ptr<std::uint32_t[]> keys,
                   const Parallelism& parallelism) noexcept
    : byPosition_(byPosition), keys_(std::move(keys)), parallelism_(parallelism)
{
    assert(byPosition.size() <= INT_MAX && "positions are ints");
}

namespace {

// What the keys of records a typed code finds hold, as far as keys tell.
struct KeyTest {
    std::uint32_t bits = 0;
    std::uint32_t mask = 0;
    std::uint32_t typedGroup = NoLetter;

    explicit KeyTest(const TypedCode& code)
    {
        for (std::size_t i = 0; i < std::min(code.body.size(), KeyDigits); ++i) {
            const std::uint32_t shift = TagBits + 4 * static_cast<std::uint32_t>(KeyDigits - 1 - i);
            bits |= NibbleOf(code.body[i]) << shift;
            mask |= 0xFU << shift;
        }
        if (code.letter != '\0')
            typedGroup = LetterGroup(code.letter);
    }

    // False when the key tells that the code cannot find its record.
    bool MayFind(std::uint32_t key) const noexcept
    {
        if ((key & mask) != bits)
            return false;
        const std::uint32_t tag = key & TagMask;
        return tag == Unsure || typedGroup == NoLetter || tag == NoLetter || tag == typedGroup;
    }
};

}  // namespace

int CodeKeys::FindInRows(const TypedCode& code, int from, int to) const
{
    if (!IsWellFormed(code))
        return -1;
    const KeyTest test(code);
    to = std::min(to, static_cast<int>(byPosition_.size()));
    for (int i = std::max(from, 0); i < to; ++i)
        if (test.MayFind(keys_[static_cast<std::size_t>(i)]) &&
            codeorder::Finds(code, *byPosition_[static_cast<std::size_t>(i)]))
            return i;
    return -1;
}

int CodeKeys::Find(const TypedCode& code, int after) const
{
    if (!IsWellFormed(code))
        return -1;
    // Each part's best, then the best of those. On the GUI thread while the
    // code index is built, so shared out: a thread each also takes a fairer
    // share of a machine that other programs keep busy.
    const std::size_t n = byPosition_.size();
    const std::size_t parts = parallelism_.PartsFor(n);
    std::vector<int> found(parts, -1);
    RunParts(parts,
             [&](std::size_t part) { found[part] = FindIn(code, after, n * part / parts, n * (part + 1) / parts); });
    int best = -1;
    for (const int position : found)
        if (position >= 0 &&
            (best < 0 || ComesBefore(byPosition_, static_cast<std::size_t>(position), static_cast<std::size_t>(best))))
            best = position;
    return best;
}

int CodeKeys::FindIn(const TypedCode& code, int after, std::size_t from, std::size_t to) const
{
    const std::size_t n = byPosition_.size();
    const KeyTest test(code);
    // Keys that can tell decide most records alone: a record whose digits
    // come before those stepped from, or after those of the best so far.
    const bool stepping = after >= 0 && static_cast<std::size_t>(after) < n;
    const std::uint32_t afterKey = stepping ? keys_[static_cast<std::size_t>(after)] : 0;
    const bool afterSure = stepping && (afterKey & TagMask) != Unsure;
    int best = -1;
    std::uint32_t bestKey = 0;
    bool bestSure = false;
    for (std::size_t i = from; i < to; ++i) {
        const std::uint32_t key = keys_[i];
        if (!test.MayFind(key))
            continue;
        const std::uint32_t tag = key & TagMask;
        // An unsure key's record alone can tell; rare, so checked in full below.
        if (tag != Unsure &&
            ((afterSure && key >> TagBits < afterKey >> TagBits) || (bestSure && key >> TagBits > bestKey >> TagBits)))
            continue;
        const auto position = static_cast<int>(i);
        if (!codeorder::Finds(code, *byPosition_[i]) ||
            (stepping && !ComesBefore(byPosition_, static_cast<std::size_t>(after), i)) ||
            (best >= 0 && !ComesBefore(byPosition_, i, static_cast<std::size_t>(best))))
            continue;
        best = position;
        bestKey = key;
        bestSure = tag != Unsure;
    }
    return best;
}
