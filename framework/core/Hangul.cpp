#include "framework/core/Hangul.h"

#include "framework/core/Utf8.h"

#include <hangul.h>

#include <algorithm>
#include <array>
#include <memory>
#include <span>

namespace hangul {
namespace {

// Unicode's conjoining initials, in the order of the syllables' parts.
constexpr ucschar FirstInitialJamo = 0x1100;

// The 2-set keyboard's combinations, which libhangul applies but does not
// list: vowels that a further vowel key turns into others (ㅗ into ㅘ, ㅙ,
// ㅚ, which follow it in Unicode's order); finals that a further consonant
// key turns into clusters (ㄱ into ㄳ; ㄴ into ㄵ, ㄶ; ㄹ into ㄺ to ㅀ; ㅂ
// into ㅄ).
int LastLongerVowel(int vowel)
{
    switch (vowel) {
    case 8:  // ㅗ
        return 11;
    case 9:  // ㅘ
        return 10;
    case 13:  // ㅜ
        return 16;
    case 14:  // ㅝ
        return 15;
    case 18:  // ㅡ
        return 19;
    default:
        return vowel;
    }
}

std::span<const int> LongerFinals(int final)
{
    static constexpr std::array<int, 1> afterG = {3};
    static constexpr std::array<int, 2> afterN = {5, 6};
    static constexpr std::array<int, 7> afterR = {9, 10, 11, 12, 13, 14, 15};
    static constexpr std::array<int, 1> afterB = {18};
    switch (final) {
    case 1:
        return afterG;
    case 4:
        return afterN;
    case 8:
        return afterR;
    case 17:
        return afterB;
    default:
        return {};
    }
}

// What is left of a final, and the initial that moves on to the next
// syllable, when a vowel follows it: 삼 + ㅓ is 사머, 닭 + ㅏ is 달가.
struct Split {
    int keptFinal;
    int movedInitial;
};
constexpr std::array<Split, FinalCount> SplitFinal = {{
    {0, -1}, {0, 0},  {0, 1},  {1, 9},  {0, 2},  {4, 12}, {4, 18}, {0, 3},  {0, 5},  {8, 0},
    {8, 6},  {8, 7},  {8, 9},  {8, 16}, {8, 17}, {8, 18}, {0, 6},  {0, 7},  {17, 9}, {0, 9},
    {0, 10}, {0, 11}, {0, 12}, {0, 14}, {0, 15}, {0, 16}, {0, 17}, {0, 18},
}};

CodePoints EverySyllableBeginningWith(int initial)
{
    return {Compose({initial, 0, 0}), Compose({initial, VowelCount - 1, FinalCount - 1})};
}

std::string Utf8Of(std::u32string_view text)
{
    std::string utf8;
    for (const char32_t c : text)
        AppendUtf8(utf8, c);
    return utf8;
}

std::u32string TextOf(const ucschar* text)
{
    std::u32string copy;
    for (; text != nullptr && *text != 0; ++text)
        copy.push_back(static_cast<char32_t>(*text));
    return copy;
}

struct DeleteInputContext {
    void operator()(HangulInputContext* context) const noexcept { hangul_ic_delete(context); }
};

}  // namespace

std::optional<int> InitialOfJamo(char32_t c) noexcept
{
    if (!hangul_is_cjamo(c))
        return std::nullopt;
    for (int initial = 0; initial < InitialCount; ++initial)
        if (hangul_jamo_to_cjamo(FirstInitialJamo + static_cast<ucschar>(initial)) == c)
            return initial;
    return std::nullopt;
}

std::vector<std::uint8_t> TypedInitials(std::string_view typed)
{
    std::vector<std::uint8_t> initials;
    while (!typed.empty()) {
        const Utf8Sequence sequence = NextUtf8Sequence(typed);
        const std::optional<int> initial = sequence.wellFormed ? InitialOfJamo(sequence.codePoint) : std::nullopt;
        if (!initial)
            return {};
        initials.push_back(static_cast<std::uint8_t>(*initial));
        typed.remove_prefix(sequence.length);
    }
    return initials;
}

std::vector<Completion> Completions(char32_t composing)
{
    std::vector<Completion> shapes{{{}, {{composing, composing}}}};
    if (const std::optional<int> initial = InitialOfJamo(composing)) {
        shapes.front().next.push_back(EverySyllableBeginningWith(*initial));
        return shapes;
    }
    const std::optional<Syllable> syllable = Decompose(composing);
    if (!syllable)
        return shapes;
    const auto [initial, vowel, final] = *syllable;
    std::vector<CodePoints>& next = shapes.front().next;
    if (final == 0) {
        next = {{composing, Compose({initial, LastLongerVowel(vowel), FinalCount - 1})}};
        return shapes;
    }
    for (const int longer : LongerFinals(final)) {
        const char32_t c = Compose({initial, vowel, longer});
        if (next.back().last + 1 == c)
            next.back().last = c;
        else
            next.push_back({c, c});
    }
    const Split split = SplitFinal[static_cast<std::size_t>(final)];
    std::string kept;
    AppendUtf8(kept, Compose({initial, vowel, split.keptFinal}));
    shapes.push_back({std::move(kept), {EverySyllableBeginningWith(split.movedInitial)}});
    return shapes;
}

std::optional<KeyReading> ReadTwoSetKeys(std::string_view keys)
{
    if (keys.empty() ||
        !std::ranges::all_of(keys, [](char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'); }))
        return std::nullopt;
    // "2" is libhangul's name for the standard 2-set (두벌식) keyboard.
    const std::unique_ptr<HangulInputContext, DeleteInputContext> context(hangul_ic_new("2"));
    if (!context)
        return std::nullopt;
    std::u32string committed;
    for (const char key : keys) {
        hangul_ic_process(context.get(), key);
        committed += TextOf(hangul_ic_get_commit_string(context.get()));
    }
    return KeyReading{Utf8Of(committed), Utf8Of(TextOf(hangul_ic_get_preedit_string(context.get())))};
}

}  // namespace hangul
