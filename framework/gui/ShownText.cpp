#include "ShownText.h"

#include "QtBridge.h"

namespace {

bool IsHiddenFormatting(char16_t c) noexcept
{
    return (c >= 0x80 && c <= 0x9F) || c == 0x200E || c == 0x200F || (c >= 0x202A && c <= 0x202E) ||
           (c >= 0x2066 && c <= 0x2069);
}

QString WithVisibleControls(QString text)
{
    for (QChar& c : text) {
        const char16_t code = c.unicode();
        if (code < 0x20)
            c = QChar(static_cast<char16_t>(0x2400 + code));
        else if (code == 0x7F)
            c = QChar(u'\u2421');
        else if (IsHiddenFormatting(code))
            c = QChar(u'\u2426');
    }
    return text;
}

}  // namespace

QString Shown(const ByteString& bytes)
{
    return WithVisibleControls(Decoded(bytes));
}
