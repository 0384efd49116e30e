#pragma once

// A plain twin of StockSearch::Find, written from the rules its header
// states: every kind a linear scan over the rows, each name decoded one
// character at a time. Slow on purpose; the reference the search must match.

#include "framework/core/Hangul.h"
#include "framework/core/TypedText.h"
#include "stockdata/StockRecord.h"
#include "support/PlainReference.h"

#include <iconv.h>

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace plain_search {

inline bool IsDigit(char c) noexcept
{
    return c >= '0' && c <= '9';
}
inline char Upper(char c) noexcept
{
    return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c;
}

// `text` converted by iconv from `from` to `to`; none when it does not convert whole.
inline std::optional<std::string> Convert(std::string_view text, const char* to, const char* from)
{
    iconv_t cd = iconv_open(to, from);  // not const: a pointer typedef
    if (cd == reinterpret_cast<iconv_t>(-1))
        throw std::runtime_error("iconv_open");
    std::string in(text);
    std::string out(in.size() * 4 + 8, '\0');
    char* inPtr = in.data();
    char* outPtr = out.data();
    std::size_t inLeft = in.size();
    std::size_t outLeft = out.size();
    const std::size_t done = iconv(cd, &inPtr, &inLeft, &outPtr, &outLeft);
    iconv_close(cd);
    if (done == static_cast<std::size_t>(-1) || inLeft != 0)
        return std::nullopt;
    out.resize(out.size() - outLeft);
    return out;
}

// Every CP949 pair of bytes that is a character, as its code point; 0 for
// none. Made once by asking iconv about each pair.
inline const std::vector<char32_t>& Cp949Pairs()
{
    static const std::vector<char32_t> pairs = [] {
        std::vector<char32_t> table(65536, 0);
        for (int lead = 0x81; lead <= 0xFE; ++lead) {
            for (int trail = 0x41; trail <= 0xFE; ++trail) {
                const char bytes[2] = {static_cast<char>(lead), static_cast<char>(trail)};
                const auto utf32 = Convert(std::string_view(bytes, 2), "UTF-32LE", "CP949");
                if (!utf32 || utf32->size() != 4)
                    continue;
                const auto* u = reinterpret_cast<const unsigned char*>(utf32->data());
                table[lead * 256 + trail] = u[0] | (u[1] << 8) | (u[2] << 16) | (static_cast<char32_t>(u[3]) << 24);
            }
        }
        return table;
    }();
    return pairs;
}

struct Character {
    char32_t codePoint;  // 0xFFFD for bytes that are no character
    std::size_t length;
};

// The character `text` (not empty) starts with. UTF-8: a well-formed
// sequence, else one byte; CP949: a pair that is a character, else one byte.
inline Character CharacterAt(std::string_view text, bool cp949)
{
    const auto byte = [&](std::size_t i) { return static_cast<unsigned char>(text[i]); };
    const unsigned char first = byte(0);
    if (first < 0x80)
        return {first, 1};
    if (cp949) {
        if (text.size() >= 2) {
            const char32_t pair = Cp949Pairs()[first * 256 + byte(1)];
            if (pair != 0)
                return {pair, 2};
        }
        return {0xFFFD, 1};
    }
    std::size_t length = 0;
    char32_t cp = 0;
    char32_t least = 0;
    if (first >= 0xC2 && first <= 0xDF) {
        length = 2, cp = first & 0x1F, least = 0x80;
    } else if (first >= 0xE0 && first <= 0xEF) {
        length = 3, cp = first & 0x0F, least = 0x800;
    } else if (first >= 0xF0 && first <= 0xF4) {
        length = 4, cp = first & 0x07, least = 0x10000;
    } else {
        return {0xFFFD, 1};
    }
    if (text.size() < length)
        return {0xFFFD, 1};
    for (std::size_t i = 1; i < length; ++i) {
        if ((byte(i) & 0xC0) != 0x80)
            return {0xFFFD, 1};
        cp = (cp << 6) | (byte(i) & 0x3F);
    }
    if (cp < least || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF))
        return {0xFFFD, 1};
    return {cp, length};
}

// Where each character of `name` starts.
inline std::vector<std::size_t> CharacterStarts(std::string_view name, bool cp949)
{
    std::vector<std::size_t> starts;
    for (std::size_t at = 0; at < name.size(); at += CharacterAt(name.substr(at), cp949).length)
        starts.push_back(at);
    return starts;
}

// What a name must hold from a character start on: the typed characters in
// the list's bytes, then, for a composing syllable, one character of `next`.
struct Pattern {
    std::vector<std::string> characters;
    std::vector<hangul::CodePoints> next;  // empty: nothing follows
};

// Whether `name` holds `pattern` from `at`, a character start; `fold`: ASCII
// letters that are characters of their own in either case.
inline bool HoldsAt(std::string_view name, std::size_t at, const Pattern& pattern, bool fold, bool cp949)
{
    for (const std::string& wanted : pattern.characters) {
        if (at >= name.size())
            return false;
        const Character got = CharacterAt(name.substr(at), cp949);
        const std::string_view bytes = name.substr(at, got.length);
        if (bytes != wanted) {
            const bool letter = wanted.size() == 1 && IsAsciiLetterPlain(wanted[0]);
            if (!(fold && letter && bytes.size() == 1 && IsAsciiLetterPlain(bytes[0]) &&
                  Upper(bytes[0]) == Upper(wanted[0])))
                return false;
        }
        at += got.length;
    }
    if (pattern.next.empty())
        return true;
    if (at >= name.size())
        return false;
    const Character got = CharacterAt(name.substr(at), cp949);
    for (const hangul::CodePoints& range : pattern.next)
        if (got.codePoint != 0xFFFD && got.codePoint >= range.first && got.codePoint <= range.last)
            return true;
    return false;
}

// The characters of UTF-8 `text`, each in the list's bytes; none when one
// has no bytes there.
inline std::optional<std::vector<std::string>> ListCharacters(std::string_view text, bool cp949)
{
    std::vector<std::string> characters;
    for (std::size_t at = 0; at < text.size();) {
        const Character c = CharacterAt(text.substr(at), false);
        const std::string_view utf8 = text.substr(at, c.length);
        if (!cp949) {
            characters.emplace_back(utf8);
        } else {
            auto bytes = Convert(utf8, "CP949", "UTF-8");
            if (!bytes)
                return std::nullopt;
            characters.push_back(*bytes);
        }
        at += c.length;
    }
    return characters;
}

// The patterns a typed text stands for: one, or one per completion of the
// syllable still composing.
inline std::vector<Pattern> PatternsOf(const TypedText& typed, bool cp949)
{
    std::vector<Pattern> patterns;
    const auto committed = ListCharacters(typed.committed, cp949);
    if (!committed)
        return patterns;
    if (typed.composing.empty()) {
        patterns.push_back({*committed, {}});
        return patterns;
    }
    const Character composing = CharacterAt(typed.composing, false);
    for (const hangul::Completion& completion : hangul::Completions(composing.codePoint)) {
        auto before = ListCharacters(completion.before, cp949);
        if (!before)
            continue;
        Pattern pattern{*committed, completion.next};
        pattern.characters.insert(pattern.characters.end(), before->begin(), before->end());
        patterns.push_back(std::move(pattern));
    }
    return patterns;
}

// A typed code: an optional ASCII letter, a digit, then digits and letters.
inline std::optional<TypedCode> CodeOf(std::string_view text)
{
    TypedCode code;
    if (!text.empty() && IsAsciiLetterPlain(text[0])) {
        code.letter = text[0];
        text.remove_prefix(1);
    }
    if (text.empty() || !IsDigit(text[0]))
        return std::nullopt;
    for (const char c : text)
        if (!IsDigit(c) && !IsAsciiLetterPlain(c))
            return std::nullopt;
    code.body = text;
    return code;
}

// A typed text read once for every row it is matched against.
struct Query {
    Query(const TypedText& text, bool cp949)
        : typed(text), whole(text.Whole()), patterns(PatternsOf(text, cp949)), initials(hangul::TypedInitials(whole))
    {
        if (text.composing.empty())
            code = CodeOf(whole);
    }
    Query(const Query&) = delete;

    TypedText typed;
    std::string whole;
    std::vector<Pattern> patterns;
    std::vector<std::uint8_t> initials;
    std::optional<TypedCode> code;  // its body within `whole`
};

// The kinds of match, in the order they are tried.
enum class Kind { Code, Initials, Starts, StartsFolded, Contains, ContainsFolded, None };

// How the last Find got its answer, to tell which rules a run reached.
struct Trace {
    Kind kind = Kind::None;
    bool stepped = false;
    bool composing = false;
    bool readAs = false;
};

class Search {
public:
    Search(std::span<const STData* const> byPosition, bool cp949) : byPosition_(byPosition), cp949_(cp949) {}

    FoundItem Find(const TypedText& typed, int startIndex, int picked) const
    {
        trace_ = {};
        if (Count() == 0 || typed.Whole().empty())
            return {};
        trace_.composing = !typed.composing.empty();
        FoundItem found{FindText(typed, startIndex, picked), {}};
        if (found.index < 0 && typed.composing.empty()) {
            if (const auto reading = hangul::ReadTwoSetKeys(typed.committed)) {
                // Said only when the reading leads somewhere.
                const TypedText read{reading->committed, reading->composing};
                if (const int row = FindText(read, startIndex, picked); row >= 0) {
                    found = {row, read.Whole()};
                    trace_.readAs = true;
                }
            }
        }
        return found;
    }
    const Trace& LastTrace() const noexcept { return trace_; }

    // Every row matching the whole text, as the narrowed list shows them:
    // each kind in turn, in list order, then the same for the 2-set
    // keyboard's reading; each row once, with the first kind that finds it.
    std::vector<int> Matches(const TypedText& typed) const
    {
        std::vector<TypedText> texts;
        if (typed.Whole().empty())
            return {};
        texts.push_back(typed);
        if (typed.composing.empty())
            if (const auto reading = hangul::ReadTwoSetKeys(typed.committed))
                texts.push_back({reading->committed, reading->composing});
        std::vector<int> rows;
        std::vector<bool> listed(byPosition_.size());
        for (const TypedText& text : texts) {
            const Query query(text, cp949_);
            for (const Kind kind : KindsOf(query))
                for (int row = 0; row < Count(); ++row)
                    if (!listed[static_cast<std::size_t>(row)] && Matches(kind, query, row)) {
                        listed[static_cast<std::size_t>(row)] = true;
                        rows.push_back(row);
                    }
        }
        return rows;
    }

    // The kind that decides for `typed`, as Find would search it with no stepping.
    Kind DecidingKind(const Query& typed, bool startsOnly = false) const
    {
        for (const Kind kind : KindsOf(typed)) {
            if (startsOnly && (kind == Kind::Contains || kind == Kind::ContainsFolded))
                continue;
            for (int row = 0; row < Count(); ++row)
                if (Matches(kind, typed, row))
                    return kind;
        }
        return Kind::None;
    }

private:
    int Count() const noexcept { return static_cast<int>(byPosition_.size()); }

    static std::vector<Kind> KindsOf(const Query& typed)
    {
        const std::string& whole = typed.whole;
        std::vector<Kind> kinds;
        const bool code = typed.code.has_value();
        if (code && IsDigit(whole[0]))
            kinds.push_back(Kind::Code);
        // "Otherwise a name": jamo alone are initials and nothing else.
        if (!typed.initials.empty()) {
            kinds.push_back(Kind::Initials);
            return kinds;
        }
        for (const Kind kind : {Kind::Starts, Kind::StartsFolded, Kind::Contains, Kind::ContainsFolded})
            kinds.push_back(kind);
        if (code && !IsDigit(whole[0]))
            kinds.push_back(Kind::Code);
        return kinds;
    }

    bool Matches(Kind kind, const Query& typed, int row) const
    {
        const STData& record = *byPosition_[static_cast<std::size_t>(row)];
        const std::string_view name(record.name);
        switch (kind) {
        case Kind::Code:
            return TypedCodeFindsPlain(*typed.code, record);
        case Kind::Initials: {
            std::size_t at = 0;
            for (const std::uint8_t initial : typed.initials) {
                if (at >= name.size())
                    return false;
                const Character c = CharacterAt(name.substr(at), cp949_);
                const auto syllable = hangul::Decompose(c.codePoint);
                if (!syllable || syllable->initial != initial)
                    return false;
                at += c.length;
            }
            return true;
        }
        case Kind::Starts:
        case Kind::StartsFolded:
        case Kind::Contains:
        case Kind::ContainsFolded: {
            const bool fold = kind == Kind::StartsFolded || kind == Kind::ContainsFolded;
            const bool anywhere = kind == Kind::Contains || kind == Kind::ContainsFolded;
            for (const Pattern& pattern : typed.patterns) {
                if (!anywhere) {
                    if (HoldsAt(name, 0, pattern, fold, cp949_))
                        return true;
                    continue;
                }
                for (const std::size_t at : CharacterStarts(name, cp949_))
                    if (HoldsAt(name, at, pattern, fold, cp949_))
                        return true;
            }
            return false;
        }
        case Kind::None:
            break;
        }
        return false;
    }

    // Rows of `kind` in the order a search visits them: codes in code order,
    // the rest cyclically from `from`.
    std::vector<int> Visits(Kind kind, const Query& typed, int from) const
    {
        std::vector<int> rows;
        if (kind == Kind::Code)
            return CodeOrderPlain(byPosition_, *typed.code);
        for (int i = 0; i < Count(); ++i) {
            const int row = (from + i) % Count();
            if (Matches(kind, typed, row))
                rows.push_back(row);
        }
        return rows;
    }

    int StartOf(Kind kind, int startIndex, int picked) const
    {
        if (kind == Kind::Initials && startIndex == 0)
            return picked > 0 ? picked : 0;
        return startIndex;
    }

    int FindText(const TypedText& text, int startIndex, int picked) const
    {
        const Query typed(text, cp949_);
        const std::string& whole = typed.whole;
        const Character first = CharacterAt(whole, false);
        bool repeated = whole.size() > first.length;
        for (std::size_t at = 0; repeated && at < whole.size(); at += first.length)
            repeated = whole.substr(at, first.length) == whole.substr(0, first.length);
        if (!repeated) {
            const Kind kind = trace_.kind = DecidingKind(typed);
            if (kind == Kind::None)
                return -1;
            return Visits(kind, typed, StartOf(kind, startIndex, picked)).front();
        }
        // Something that starts with the whole text wins over stepping.
        if (const Kind kind = trace_.kind = DecidingKind(typed, true); kind != Kind::None)
            return Visits(kind, typed, StartOf(kind, startIndex, picked)).front();
        const Query one(TypedText{whole.substr(0, first.length), {}}, cp949_);
        const Kind kind = trace_.kind = DecidingKind(one);
        if (kind == Kind::None)
            return -1;
        trace_.stepped = true;
        const std::size_t steps = whole.size() / first.length;
        if (kind == Kind::Code) {
            const std::vector<int> order = Visits(kind, one, 0);
            return order[(steps - 1) % order.size()];
        }
        int row = Visits(kind, one, StartOf(kind, startIndex, picked)).front();
        for (std::size_t step = 1; step < steps; ++step)
            row = Visits(kind, one, (row + 1) % Count()).front();
        return row;
    }

    std::span<const STData* const> byPosition_;
    bool cp949_;
    mutable Trace trace_;
};

}  // namespace plain_search
