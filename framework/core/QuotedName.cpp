#include "framework/core/QuotedName.h"

#include "framework/core/Translate.h"
#include "framework/core/Utf8.h"

#include <cstdio>
#include <cstdlib>
#include <memory>
#include <unistd.h>

namespace {

bool IsControl(unsigned char byte) noexcept
{
    return byte < 0x20 || byte == 0x7F;
}

// C1 controls, U+0080 to U+009F, move terminals too.
bool IsC1Control(char32_t c) noexcept
{
    return c >= 0x80 && c <= 0x9F;
}

bool IsPlain(std::string_view name) noexcept
{
    for (std::size_t at = 0; at < name.size();) {
        const Utf8Sequence sequence = NextUtf8Sequence(name.substr(at));
        const auto byte = static_cast<unsigned char>(name[at]);
        if (!sequence.wellFormed || IsControl(byte) || byte == '"' || byte == '\\' || IsC1Control(sequence.codePoint))
            return false;
        at += sequence.length;
    }
    return true;
}

std::string ShellQuoted(std::string_view name)
{
    std::string quoted = "$'";
    for (std::size_t at = 0; at < name.size();) {
        const Utf8Sequence sequence = NextUtf8Sequence(name.substr(at));
        const auto byte = static_cast<unsigned char>(name[at]);
        if (sequence.wellFormed && sequence.length > 1 && !IsC1Control(sequence.codePoint)) {
            quoted.append(name.substr(at, sequence.length));
            at += sequence.length;
            continue;
        }
        if (byte == '\'' || byte == '\\') {
            quoted += '\\';
            quoted += static_cast<char>(byte);
        } else if (byte == '\n') {
            quoted += "\\n";
        } else if (byte == '\t') {
            quoted += "\\t";
        } else if (byte < 0x80 && !IsControl(byte)) {
            quoted += static_cast<char>(byte);
        } else {
            char escaped[8];
            std::snprintf(escaped, sizeof escaped, "\\%03o", byte);
            quoted += escaped;
        }
        ++at;
    }
    return quoted.append(1, '\'');
}

}  // namespace

std::string QuotedName(std::string_view name)
{
    if (!IsPlain(name))
        return ShellQuoted(name);
    std::string quoted;
    quoted.reserve(name.size() + 2);
    return quoted.append(1, '"').append(name).append(1, '"');
}

std::string ShownFolder(std::string_view folder)
{
    return IsPlain(folder) ? std::string(folder) : ShellQuoted(folder);
}

std::string QuotedFileName(std::string_view name)
{
    std::string shown = QuotedName(name);
    if (name.starts_with('/'))
        return shown;
    // getcwd with a null buffer allocates what the path needs, however long.
    const std::unique_ptr<char, decltype(&std::free)> folder(::getcwd(nullptr, 0), &std::free);
    if (folder == nullptr)
        return shown;
    // TRANSLATORS: a file named in a message with the folder it was looked for in, as in
    // "cannot open file {0}: ...". {0}: the file's name in quotes; {1}: the folder, such as /home/user/data.
    return Tr("{0} in {1}", shown, ShownFolder(folder.get()));
}
