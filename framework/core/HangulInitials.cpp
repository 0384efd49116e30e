#include "framework/core/HangulInitials.h"

#include "framework/core/Hangul.h"

#include <optional>

bool InitialsMatcher::Matches(std::string_view name, std::span<const std::uint8_t> initials) const noexcept
{
    if (initials.empty())
        return false;
    for (const std::uint8_t initial : initials) {
        if (name.empty())
            return false;
        const CharacterReader::Character c = reader_.At(name);
        const std::optional<hangul::Syllable> syllable = hangul::Decompose(c.codePoint);
        if (!syllable || syllable->initial != initial)
            return false;
        name.remove_prefix(c.length);
    }
    return true;
}

std::size_t InitialsMatcher::LeadingInitials(std::string_view name, std::span<std::uint8_t> initials) const noexcept
{
    std::size_t count = 0;
    for (; count < initials.size() && !name.empty(); ++count) {
        const CharacterReader::Character c = reader_.At(name);
        const std::optional<hangul::Syllable> syllable = hangul::Decompose(c.codePoint);
        if (!syllable)
            break;
        initials[count] = static_cast<std::uint8_t>(syllable->initial);
        name.remove_prefix(c.length);
    }
    return count;
}
