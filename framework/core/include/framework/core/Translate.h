#pragma once

#include <initializer_list>
#include <string>
#include <string_view>

// Our own messages in the user's language, as GNU programs give theirs: from
// the gettext catalog of the text domain "stockpicker" for the environment's
// LC_MESSAGES, in the character set of its LC_CTYPE, which is also the display
// character set, so the same bytes suit the terminal and DecodeForDisplay. The
// process's locale is left as it is. A message the catalog lacks, and every
// message under the C locale, comes back as written, in English.
// Not for what the system names: file names, captions that are file names,
// item texts.
const char* Translate(const char* message) noexcept;

// ngettext's choice of `singular` or `plural` for `count`, translated.
const char* TranslatePlural(const char* singular, const char* plural, unsigned long count) noexcept;

// The system's reason for the errno value `error`, as strerror gives it, in the
// same language and character set as Translate's messages (glibc's own catalog).
std::string ErrorText(int error);

// `pattern` with each {N} replaced by args[N] (zero based), so a translator can
// put the placeholders in the order the language wants. A {N} past the
// arguments, and any other brace, stays as written.
std::string FormatMessage(std::string_view pattern, std::initializer_list<std::string_view> args);

// The form every message is written in; xgettext finds the messages by these
// names (po/CMakeLists.txt), with the TRANSLATORS: comment just above each.
template <class... Args>
std::string Tr(const char* message, const Args&... args)
{
    return FormatMessage(Translate(message), {std::string_view(args)...});
}

template <class... Args>
std::string TrPlural(const char* singular, const char* plural, unsigned long count, const Args&... args)
{
    return FormatMessage(TranslatePlural(singular, plural, count), {std::string_view(args)...});
}
