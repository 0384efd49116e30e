#include "framework/core/HangulInitials.h"

#include "framework/core/TextCodec.h"
#include "framework/core/Utf8.h"

#include <array>
#include <optional>

namespace {

constexpr char32_t FirstSyllable = 0xAC00;  // 가
constexpr char32_t LastSyllable = 0xD7A3;   // 힣
// 21 vowels times 28 finals share each initial, in Unicode's syllable order.
constexpr char32_t SyllablesPerInitial = 21 * 28;

// The character that three UTF-8 bytes at the start of `text` spell, or
// nothing: every Hangul syllable and jamo takes three bytes.
std::optional<char32_t> ThreeByteCharacter(std::string_view text) noexcept
{
    if (text.empty())
        return std::nullopt;
    const Utf8Sequence sequence = NextUtf8Sequence(text);
    if (!sequence.wellFormed || sequence.length != 3)
        return std::nullopt;
    return sequence.codePoint;
}

// 1 + the initial of a syllable, 0 for anything else.
std::uint8_t SyllableInitialPlusOne(char32_t c) noexcept
{
    if (c < FirstSyllable || c > LastSyllable)
        return 0;
    return static_cast<std::uint8_t>(1 + (c - FirstSyllable) / SyllablesPerInitial);
}

// Compatibility jamo from U+3131, each with 1 + its initial, 0 where the jamo
// is a cluster that begins no syllable.
constexpr std::array<std::uint8_t, 30> JamoInitialPlusOne = {
    1, 2, 0, 3, 0,  0,  4,  5,  6,  0,  0,  0,  0,  0,  0, 0,  // ㄱ ㄲ ㄳ ㄴ ㄵ ㄶ ㄷ ㄸ ㄹ ㄺ..ㅀ
    7, 8, 9, 0, 10, 11, 12, 13, 14, 15, 16, 17, 18, 19,  // ㅁ ㅂ ㅃ ㅄ ㅅ ㅆ ㅇ ㅈ ㅉ ㅊ ㅋ ㅌ ㅍ ㅎ
};
constexpr char32_t FirstJamo = 0x3131;

}  // namespace

std::vector<std::uint8_t> TypedInitials(std::string_view typed)
{
    std::vector<std::uint8_t> initials;
    while (!typed.empty()) {
        const std::optional<char32_t> c = ThreeByteCharacter(typed);
        if (!c || *c < FirstJamo || *c >= FirstJamo + JamoInitialPlusOne.size())
            return {};
        const std::uint8_t plusOne = JamoInitialPlusOne[*c - FirstJamo];
        if (plusOne == 0)
            return {};
        initials.push_back(static_cast<std::uint8_t>(plusOne - 1));
        typed.remove_prefix(3);
    }
    return initials;
}

InitialsMatcher::InitialsMatcher(const std::string& charset)
{
    // A decoder of its own: the display's may change while a worker builds.
    CharsetDecoder decoder(charset);
    utf8_ = decoder.Charset() == "UTF-8";
    if (utf8_)
        return;
    twoByte_.assign(128 * 256, 0);
    for (unsigned lead = 0x80; lead <= 0xFF; ++lead) {
        for (unsigned trail = 0; trail <= 0xFF; ++trail) {
            const char bytes[2] = {static_cast<char>(lead), static_cast<char>(trail)};
            const std::string decoded = decoder.Decode(std::string_view(bytes, 2));
            // Exactly one character from both bytes: a lone lead byte would
            // decode to a mark and the trail byte after it.
            if (decoded.size() != 3)
                continue;
            if (const std::optional<char32_t> c = ThreeByteCharacter(decoded))
                twoByte_[(lead - 0x80) * 256 + trail] = SyllableInitialPlusOne(*c);
        }
    }
}

std::uint8_t InitialsMatcher::FirstInitialPlusOne(std::string_view name) const noexcept
{
    if (utf8_) {
        const std::optional<char32_t> c = ThreeByteCharacter(name);
        return c ? SyllableInitialPlusOne(*c) : 0;
    }
    if (twoByte_.empty() || name.size() < 2)
        return 0;
    const auto lead = static_cast<unsigned char>(name[0]);
    return lead >= 0x80 ? twoByte_[(lead - 0x80) * 256 + static_cast<unsigned char>(name[1])] : 0;
}

bool InitialsMatcher::Matches(std::string_view name, std::span<const std::uint8_t> initials) const noexcept
{
    if (initials.empty())
        return false;
    for (const std::uint8_t initial : initials) {
        // A syllable found is whole, so its bytes are there to pass.
        if (FirstInitialPlusOne(name) != initial + 1)
            return false;
        name.remove_prefix(SyllableBytes());
    }
    return true;
}

std::size_t InitialsMatcher::LeadingInitials(std::string_view name, std::span<std::uint8_t> initials) const noexcept
{
    std::size_t count = 0;
    for (; count < initials.size(); ++count) {
        const std::uint8_t plusOne = FirstInitialPlusOne(name);
        if (plusOne == 0)
            break;
        initials[count] = static_cast<std::uint8_t>(plusOne - 1);
        name.remove_prefix(SyllableBytes());
    }
    return count;
}
