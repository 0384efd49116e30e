#pragma once

#include <string>
#include <string_view>

// Texts are bytes everywhere; only the screen needs characters. They are
// read in the display character set: by default that of the process's locale
// (LC_CTYPE), a C or POSIX locale counting as UTF-8, as Qt does.

// Decodes `bytes` to UTF-8. A byte sequence that is invalid in the display
// character set becomes U+FFFD and decoding goes on after its first byte.
std::string DecodeForDisplay(std::string_view bytes);

// The display character set as iconv names it.
std::string DisplayCharset();

// Overrides the display character set ("" returns to the locale's). Throws
// the framework's Exception when iconv does not know `charset`.
void SetDisplayCharset(const std::string& charset);
