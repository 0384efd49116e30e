#include "framework/core/QuotedName.h"

#include <cstdio>
#include <cstdlib>
#include <memory>
#include <unistd.h>

namespace {

// The length of the valid UTF-8 sequence at the start of `bytes`, or 0.
std::size_t Utf8SequenceLength(std::string_view bytes) noexcept
{
    const auto lead = static_cast<unsigned char>(bytes[0]);
    std::size_t length = 0;
    unsigned char low = 0x80, high = 0xBF;  // the second byte's range
    if (lead < 0x80)
        return 1;
    if (lead >= 0xC2 && lead <= 0xDF)
        length = 2;
    else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3;
        low = lead == 0xE0 ? 0xA0 : 0x80;  // no overlong forms
        high = lead == 0xED ? 0x9F : 0xBF;  // no surrogates
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4;
        low = lead == 0xF0 ? 0x90 : 0x80;
        high = lead == 0xF4 ? 0x8F : 0xBF;
    } else {
        return 0;
    }
    if (bytes.size() < length)
        return 0;
    for (std::size_t i = 1; i < length; ++i) {
        const auto byte = static_cast<unsigned char>(bytes[i]);
        if (byte < (i == 1 ? low : 0x80) || byte > (i == 1 ? high : 0xBF))
            return 0;
    }
    return length;
}

bool IsControl(unsigned char byte) noexcept
{
    return byte < 0x20 || byte == 0x7F;
}

bool IsPlain(std::string_view name) noexcept
{
    for (std::size_t at = 0; at < name.size();) {
        const std::size_t length = Utf8SequenceLength(name.substr(at));
        const auto byte = static_cast<unsigned char>(name[at]);
        if (length == 0 || IsControl(byte) || byte == '"' || byte == '\\')
            return false;
        // C1 controls, U+0080 to U+009F, move terminals too.
        if (byte == 0xC2 && static_cast<unsigned char>(name[at + 1]) < 0xA0)
            return false;
        at += length;
    }
    return true;
}

std::string ShellQuoted(std::string_view name)
{
    std::string quoted = "$'";
    for (std::size_t at = 0; at < name.size();) {
        const std::size_t length = Utf8SequenceLength(name.substr(at));
        const auto byte = static_cast<unsigned char>(name[at]);
        const bool c1 = byte == 0xC2 && length == 2 && static_cast<unsigned char>(name[at + 1]) < 0xA0;
        if (length > 1 && !c1) {
            quoted.append(name.substr(at, length));
            at += length;
            continue;
        }
        if (byte == '\'' || byte == '\\') {
            quoted += '\\';
            quoted += static_cast<char>(byte);
        } else if (byte == '\n') {
            quoted += "\\n";
        } else if (byte == '\t') {
            quoted += "\\t";
        } else if (length == 1 && !IsControl(byte)) {
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
    return shown.append(" in ").append(ShownFolder(folder.get()));
}
