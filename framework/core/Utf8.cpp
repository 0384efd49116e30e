#include "framework/core/Utf8.h"

Utf8Sequence NextUtf8Sequence(std::string_view bytes) noexcept
{
    const auto lead = static_cast<unsigned char>(bytes[0]);
    if (lead < 0x80)
        return {1, true, lead};
    std::size_t length = 0;
    char32_t codePoint = 0;
    // The second byte's range; later bytes take any continuation byte.
    unsigned char secondLow = 0x80;
    unsigned char secondHigh = 0xBF;
    if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2;
        codePoint = lead & 0x1FU;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3;
        codePoint = lead & 0x0FU;
        if (lead == 0xE0)
            secondLow = 0xA0;  // shorter forms are overlong
        if (lead == 0xED)
            secondHigh = 0x9F;  // surrogates
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4;
        codePoint = lead & 0x07U;
        if (lead == 0xF0)
            secondLow = 0x90;
        if (lead == 0xF4)
            secondHigh = 0x8F;  // beyond U+10FFFF
    } else {
        return {1, false, 0};
    }
    for (std::size_t i = 1; i < length; ++i) {
        if (i >= bytes.size())
            return {i, false, 0};
        const auto byte = static_cast<unsigned char>(bytes[i]);
        const unsigned char low = i == 1 ? secondLow : 0x80;
        const unsigned char high = i == 1 ? secondHigh : 0xBF;
        if (byte < low || byte > high)
            return {i, false, 0};
        codePoint = (codePoint << 6) | (byte & 0x3FU);
    }
    return {length, true, codePoint};
}

bool IsWellFormedUtf8(std::string_view bytes) noexcept
{
    while (!bytes.empty()) {
        const Utf8Sequence sequence = NextUtf8Sequence(bytes);
        if (!sequence.wellFormed)
            return false;
        bytes.remove_prefix(sequence.length);
    }
    return true;
}

void AppendUtf8(std::string& text, char32_t c)
{
    const auto byte = [&](char32_t bits) { text.push_back(static_cast<char>(bits)); };
    if (c < 0x80) {
        byte(c);
    } else if (c < 0x800) {
        byte(0xC0 | c >> 6);
        byte(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
        byte(0xE0 | c >> 12);
        byte(0x80 | (c >> 6 & 0x3F));
        byte(0x80 | (c & 0x3F));
    } else {
        byte(0xF0 | c >> 18);
        byte(0x80 | (c >> 12 & 0x3F));
        byte(0x80 | (c >> 6 & 0x3F));
        byte(0x80 | (c & 0x3F));
    }
}
