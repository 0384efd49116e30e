#include "framework/core/Translate.h"

std::string FormatMessage(std::string_view pattern, std::initializer_list<std::string_view> args)
{
    std::string out;
    out.reserve(pattern.size());
    for (std::size_t at = 0; at < pattern.size();) {
        const bool placeholder = pattern[at] == '{' && at + 2 < pattern.size() && pattern[at + 1] >= '0' &&
                                 pattern[at + 1] <= '9' && pattern[at + 2] == '}';
        const auto index = placeholder ? static_cast<std::size_t>(pattern[at + 1] - '0') : args.size();
        if (index < args.size()) {
            out.append(args.begin()[index]);
            at += 3;
        } else {
            out += pattern[at];
            ++at;
        }
    }
    return out;
}
