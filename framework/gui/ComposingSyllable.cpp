#include "ComposingSyllable.h"

#include <array>
#include <optional>
#include <span>

namespace {

// Unicode composes a syllable from 19 initials, 21 vowels and 28 finals
// (0 for none): 가 + (initial * 21 + vowel) * 28 + final.
constexpr char16_t FirstSyllable = 0xAC00;
constexpr int Vowels = 21;
constexpr int Finals = 28;
constexpr int SyllableCount = 19 * Vowels * Finals;

struct Syllable {
    int initial;
    int vowel;
    int final;
};

std::optional<Syllable> Decompose(QChar c)
{
    const int offset = c.unicode() - FirstSyllable;
    if (offset < 0 || offset >= SyllableCount)
        return std::nullopt;
    return Syllable{offset / (Vowels * Finals), offset / Finals % Vowels, offset % Finals};
}

QChar Compose(int initial, int vowel, int final)
{
    return QChar(static_cast<char16_t>(FirstSyllable + (initial * Vowels + vowel) * Finals + final));
}

// The initial each compatibility consonant from U+3131 (ㄱ) stands for, -1
// for the clusters no syllable begins with.
constexpr char16_t FirstJamo = 0x3131;
constexpr std::array<int, 30> JamoInitial = {
    0, 1, -1, 2, -1, -1, 3, 4, 5, -1, -1, -1, -1, -1, -1, -1, 6, 7, 8, -1, 9, 10, 11, 12, 13, 14, 15, 16, 17, 18,
};

// Vowels that a further vowel key turns into others: ㅗ into ㅘ, ㅙ, ㅚ;
// ㅘ into ㅙ; ㅜ into ㅝ, ㅞ, ㅟ; ㅝ into ㅞ; ㅡ into ㅢ.
std::span<const int> LongerVowels(int vowel)
{
    static constexpr std::array<int, 3> afterO = {9, 10, 11};
    static constexpr std::array<int, 1> afterWa = {10};
    static constexpr std::array<int, 3> afterU = {14, 15, 16};
    static constexpr std::array<int, 1> afterWo = {15};
    static constexpr std::array<int, 1> afterEu = {19};
    switch (vowel) {
    case 8:
        return afterO;
    case 9:
        return afterWa;
    case 13:
        return afterU;
    case 14:
        return afterWo;
    case 18:
        return afterEu;
    default:
        return {};
    }
}

// Finals that a further consonant key turns into clusters: ㄱ into ㄳ; ㄴ
// into ㄵ, ㄶ; ㄹ into ㄺ to ㅀ; ㅂ into ㅄ.
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
constexpr std::array<Split, Finals> SplitFinal = {{
    {0, -1}, {0, 0},  {0, 1},  {1, 9},  {0, 2},  {4, 12}, {4, 18}, {0, 3},  {0, 5},  {8, 0},
    {8, 6},  {8, 7},  {8, 9},  {8, 16}, {8, 17}, {8, 18}, {0, 6},  {0, 7},  {17, 9}, {0, 9},
    {0, 10}, {0, 11}, {0, 12}, {0, 14}, {0, 15}, {0, 16}, {0, 17}, {0, 18},
}};

void AddEverySyllableBeginningWith(int initial, const QString& before, QStringList& texts)
{
    for (int vowel = 0; vowel < Vowels; ++vowel)
        for (int final = 0; final < Finals; ++final)
            texts.append(before + Compose(initial, vowel, final));
}

}  // namespace

QStringList ComposingCompletions(const QString& composing)
{
    QStringList texts{composing};
    if (composing.size() != 1)
        return texts;
    const QChar c = composing.front();
    if (c.unicode() >= FirstJamo && c.unicode() < FirstJamo + JamoInitial.size()) {
        if (const int initial = JamoInitial[c.unicode() - FirstJamo]; initial >= 0)
            AddEverySyllableBeginningWith(initial, {}, texts);
        return texts;
    }
    const std::optional<Syllable> syllable = Decompose(c);
    if (!syllable)
        return texts;
    const auto [initial, vowel, final] = *syllable;
    if (final == 0) {
        for (int f = 1; f < Finals; ++f)
            texts.append(Compose(initial, vowel, f));
        for (const int longer : LongerVowels(vowel))
            for (int f = 0; f < Finals; ++f)
                texts.append(Compose(initial, longer, f));
        return texts;
    }
    for (const int longer : LongerFinals(final))
        texts.append(Compose(initial, vowel, longer));
    const Split split = SplitFinal[static_cast<std::size_t>(final)];
    AddEverySyllableBeginningWith(split.movedInitial, Compose(initial, vowel, split.keptFinal), texts);
    return texts;
}
