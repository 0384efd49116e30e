#include "NamePattern.h"

#include "CodeOrder.h"

#include "framework/core/Utf8.h"

#include <algorithm>
#include <cstring>
#include <optional>
#include <utility>

namespace {

// Whether `a` and `b`, codes of one length, follow each other as numbers.
bool Follows(const std::string& a, const std::string& b)
{
    std::string next = a;
    for (std::size_t i = next.size(); i-- > 0;) {
        if (++next[i] != '\0')
            break;
    }
    return next == b;
}

}  // namespace

std::string_view NameOf(const STData& record) noexcept
{
    return {record.name, strnlen(record.name, sizeof(STData::name))};
}

NameMatcher::NameMatcher(const std::string& charset) : codec_(charset), reader_(charset) {}

NamePattern NameMatcher::Pattern(std::string literal, const std::vector<hangul::CodePoints>& next)
{
    NamePattern pattern{.literal = std::move(literal), .caseBits = {}, .next = next, .nextCodes = {}};
    pattern.caseBits.assign(pattern.literal.size(), '\0');
    for (std::size_t at = 0; at < pattern.literal.size();) {
        const std::size_t length = reader_.At(std::string_view(pattern.literal).substr(at)).length;
        if (length == 1 && codeorder::IsAsciiLetter(pattern.literal[at]))
            pattern.caseBits[at] = 0x20;
        at += length;
    }
    std::vector<std::string> codes;
    for (const hangul::CodePoints& range : next) {
        for (char32_t c = range.first; c <= range.last; ++c) {
            std::string utf8;
            AppendUtf8(utf8, c);
            if (std::optional<std::string> bytes = codec_.Encode(utf8); bytes && !bytes->empty())
                codes.push_back(std::move(*bytes));
        }
    }
    std::ranges::sort(codes);
    for (std::string& code : codes) {
        if (!pattern.nextCodes.empty() && pattern.nextCodes.back().last.size() == code.size() &&
            Follows(pattern.nextCodes.back().last, code))
            pattern.nextCodes.back().last = std::move(code);
        else
            pattern.nextCodes.push_back({code, code});
    }
    return pattern;
}

std::vector<NamePattern> NameMatcher::Patterns(const TypedText& typed)
{
    std::vector<NamePattern> patterns;
    const auto add = [&](const std::string& text, const std::vector<hangul::CodePoints>& next) {
        std::optional<std::string> bytes = codec_.Encode(text);
        if (!bytes || bytes->find('\0') != std::string::npos || (bytes->empty() && next.empty()))
            return;
        NamePattern pattern = Pattern(std::move(*bytes), next);
        if (pattern.next.empty() || !pattern.nextCodes.empty())
            patterns.push_back(std::move(pattern));
    };
    const Utf8Sequence composing = typed.composing.empty() ? Utf8Sequence{0, false, 0}
                                                           : NextUtf8Sequence(typed.composing);
    if (!composing.wellFormed || composing.length != typed.composing.size()) {
        // No syllable, or more than one character: only itself.
        add(typed.Whole(), {});
        return patterns;
    }
    for (const hangul::Completion& shape : hangul::Completions(composing.codePoint))
        add(typed.committed + shape.before, shape.next);
    return patterns;
}

bool NameMatcher::MatchesAt(std::string_view name, std::size_t at, const NamePattern& pattern,
                            LetterCase letterCase) const
{
    const std::string& literal = pattern.literal;
    if (at > name.size() || name.size() - at < literal.size())
        return false;
    if (letterCase == LetterCase::Exact) {
        if (name.compare(at, literal.size(), literal) != 0)
            return false;
    } else {
        for (std::size_t i = 0; i < literal.size(); ++i)
            if ((name[at + i] | pattern.caseBits[i]) != (literal[i] | pattern.caseBits[i]))
                return false;
    }
    if (pattern.next.empty())
        return true;
    const std::size_t after = at + literal.size();
    if (after == name.size())
        return false;
    const char32_t c = reader_.At(name.substr(after)).codePoint;
    return std::ranges::any_of(pattern.next,
                               [c](const hangul::CodePoints& range) { return range.first <= c && c <= range.last; });
}

bool NameMatcher::IsCharacterStart(std::string_view name, std::size_t at) const
{
    // In UTF-8 a pattern's first byte is never a continuation byte, so every
    // place it matches starts a character.
    if (reader_.IsUtf8())
        return true;
    std::size_t start = 0;
    while (start < at)
        start += reader_.At(name.substr(start)).length;
    return start == at;
}

bool NameMatcher::HoldsAt(std::string_view name, std::size_t at, const NamePattern& pattern,
                          LetterCase letterCase) const
{
    return MatchesAt(name, at, pattern, letterCase) && IsCharacterStart(name, at);
}

bool NameMatcher::Contains(std::string_view name, const NamePattern& pattern, LetterCase letterCase) const
{
    for (std::size_t at = 0; at < name.size(); ++at)
        if (HoldsAt(name, at, pattern, letterCase))
            return true;
    return false;
}
