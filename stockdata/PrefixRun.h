#pragma once

#include <algorithm>
#include <cstddef>
#include <cstring>
#include <string_view>
#include <utility>

// The entries of [first, last), ordered by a 0-filled text field of `width`
// bytes that fieldOf(entry) points at, whose field starts with `prefix`.
// Those are one run, found by two binary searches, since comparing the
// prefix's length of bytes is monotonic along the order. Empty when no such
// field can hold the prefix: empty, as long as the field, or with a 0 byte.
template <class It, class FieldOf>
std::pair<It, It> PrefixRun(It first, It last, std::string_view prefix, std::size_t width, FieldOf fieldOf)
{
    if (prefix.empty() || prefix.size() >= width || prefix.find('\0') != std::string_view::npos)
        return {last, last};
    const auto compare = [&](const auto& entry) { return std::memcmp(fieldOf(entry), prefix.data(), prefix.size()); };
    const It begin = std::partition_point(first, last, [&](const auto& entry) { return compare(entry) < 0; });
    return {begin, std::partition_point(begin, last, [&](const auto& entry) { return compare(entry) == 0; })};
}
