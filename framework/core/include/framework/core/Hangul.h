#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

// Hangul as Korean users type it, in one place: Unicode's syllable
// arithmetic, the initial consonants that jamo stand for, what a syllable
// still being composed can become, and Latin keys read as the 2-set keyboard
// types them. Texts are UTF-8. It composes nothing for a window: an input
// method does that.
namespace hangul {

// A syllable's parts, as Unicode numbers them: 19 initials from 0 (ㄱ) to 18
// (ㅎ) in the order ㄱ ㄲ ㄴ ㄷ ㄸ ㄹ ㅁ ㅂ ㅃ ㅅ ㅆ ㅇ ㅈ ㅉ ㅊ ㅋ ㅌ ㅍ ㅎ, 21
// vowels, 28 finals with 0 for none.
inline constexpr int InitialCount = 19;
inline constexpr int VowelCount = 21;
inline constexpr int FinalCount = 28;
struct Syllable {
    int initial;
    int vowel;
    int final;
};

// Unicode orders the syllables by initial, vowel and final from 가 on.
// Inline: the keying pass before a list shows decomposes every name's
// leading syllables.
inline constexpr char32_t FirstSyllable = 0xAC00;

// `c` taken apart, when it is a syllable (가 U+AC00 to 힣 U+D7A3).
inline std::optional<Syllable> Decompose(char32_t c) noexcept
{
    if (c < FirstSyllable || c >= FirstSyllable + InitialCount * VowelCount * FinalCount)
        return std::nullopt;
    const auto offset = static_cast<int>(c - FirstSyllable);
    return Syllable{offset / (VowelCount * FinalCount), offset / FinalCount % VowelCount, offset % FinalCount};
}

// The syllable of those parts, each within its count.
inline char32_t Compose(const Syllable& syllable) noexcept
{
    return FirstSyllable +
           static_cast<char32_t>((syllable.initial * VowelCount + syllable.vowel) * FinalCount + syllable.final);
}

// The initial that compatibility jamo `c` (ㄱ U+3131 to ㅎ U+314E) stands
// for; none for a vowel, a cluster that no syllable begins with (ㄳ), or
// anything else.
std::optional<int> InitialOfJamo(char32_t c) noexcept;

// The initials that `typed` spells in compatibility jamo; empty when it is
// empty or holds anything else, such as a vowel, a cluster, a letter or a
// syllable: jamo alone are initials, as Korean search boxes read them
// (ㅅㅅㅈㅈ for 삼성전자).
std::vector<std::uint8_t> TypedInitials(std::string_view typed);

// Code points from `first` to `last`, both included.
struct CodePoints {
    char32_t first;
    char32_t last;
    bool operator==(const CodePoints&) const = default;
};

// One shape of what a composing syllable can become: the characters
// `before`, then one character of `next`.
struct Completion {
    std::string before;
    std::vector<CodePoints> next;
    bool operator==(const Completion&) const = default;
};

// What a syllable that a Hangul input method is still composing can become
// as more keys of the 2-set keyboard are typed, so that a search treats it
// as all of them: a lone ㅅ as itself and every syllable that begins with ㅅ;
// 사 as 사 and 삭, 산, 삼 ...; 오 as 오, 와, 왜, 외 and their finals; 삼 as
// itself, and as 사 followed by any syllable that begins with ㅁ (the final
// moves on to the next syllable when a vowel follows); 닭 as itself, and as
// 달 followed by any syllable that begins with ㄱ. Anything else, a vowel
// alone included, becomes only itself.
std::vector<Completion> Completions(char32_t composing);

// Latin letters read as keys of the 2-set keyboard, as typed with the input
// method off: "tkatjd" is 삼성, "Q" (Shift) ㅃ. `committed` is what an input
// method would have committed, `composing` the syllable it would still be
// composing. None when `keys` is empty or holds anything but ASCII letters.
struct KeyReading {
    std::string committed;
    std::string composing;
    bool operator==(const KeyReading&) const = default;
};
std::optional<KeyReading> ReadTwoSetKeys(std::string_view keys);

}  // namespace hangul
