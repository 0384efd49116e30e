#include "framework/core/CharacterReader.h"

#include "framework/core/TextCodec.h"
#include "framework/core/Utf8.h"

namespace {

constexpr char32_t Replacement = 0xFFFD;

// The one character that UTF-8 `decoded` holds, or 0.
char16_t OnlyCharacter(std::string_view decoded)
{
    if (decoded.empty())
        return 0;
    const Utf8Sequence sequence = NextUtf8Sequence(decoded);
    // U+FFFD is how the decoder marks bytes that are no character.
    if (!sequence.wellFormed || sequence.length != decoded.size() || sequence.codePoint == Replacement ||
        sequence.codePoint > 0xFFFF)
        return 0;
    return static_cast<char16_t>(sequence.codePoint);
}

}  // namespace

CharacterReader::CharacterReader(const std::string& charset)
{
    // A decoder of its own: the display's may change while a worker reads.
    CharsetDecoder decoder(charset);
    utf8_ = decoder.Charset() == "UTF-8";
    if (utf8_)
        return;
    oneByte_.assign(128, 0);
    twoByte_.assign(128 * 256, 0);
    for (unsigned lead = 0x80; lead <= 0xFF; ++lead) {
        const char one = static_cast<char>(lead);
        oneByte_[lead - 0x80] = OnlyCharacter(decoder.Decode(std::string_view(&one, 1)));
        for (unsigned trail = 0; trail <= 0xFF; ++trail) {
            const char bytes[2] = {one, static_cast<char>(trail)};
            // Exactly one character from both bytes: a lone lead byte would
            // decode to a mark and the trail byte after it.
            twoByte_[(lead - 0x80) * 256 + trail] = OnlyCharacter(decoder.Decode(std::string_view(bytes, 2)));
        }
    }
}

CharacterReader::Character CharacterReader::At(std::string_view text) const noexcept
{
    if (utf8_) {
        const Utf8Sequence sequence = NextUtf8Sequence(text);
        return {sequence.wellFormed ? sequence.codePoint : Replacement, sequence.length};
    }
    const auto lead = static_cast<unsigned char>(text[0]);
    if (lead < 0x80)
        return {lead, 1};
    if (text.size() >= 2) {
        if (const char16_t c = twoByte_[(lead - 0x80) * 256 + static_cast<unsigned char>(text[1])]; c != 0)
            return {c, 2};
    }
    const char16_t c = oneByte_[lead - 0x80];
    return {c != 0 ? c : Replacement, 1};
}
