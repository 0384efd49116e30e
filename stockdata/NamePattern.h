#pragma once

#include "framework/core/CharacterReader.h"
#include "framework/core/Hangul.h"
#include "framework/core/TextCodec.h"
#include "framework/core/TypedText.h"
#include "stockdata/StockRecord.h"

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

// Whether Latin letters match in either case: A-Z and a-z only, never a
// byte above ASCII nor a byte inside a character of two (CP949's trail bytes
// include ASCII letters), so Hangul is never changed by it.
enum class LetterCase { Exact, Either };

// Codes of one length from `first` to `last`, compared as bytes: every code
// between them is one of a set's characters.
struct CodeRun {
    std::string first;
    std::string last;
};

// One text a search looks for in names, in the names' bytes: `literal`, then,
// when `next` is not empty, one character of `next` right after it (a
// composing syllable's completions).
struct NamePattern {
    std::string literal;
    // Per byte of `literal`: 0x20 where it is a whole ASCII letter, which
    // with the bit set on both sides compares in either case, else 0.
    std::string caseBits;
    std::vector<hangul::CodePoints> next;
    // `next` in the names' bytes, in byte order.
    std::vector<CodeRun> nextCodes;
};

// The name of a record: its field up to the first 0.
std::string_view NameOf(const STData& record) noexcept;

// Reads typed texts as patterns and matches names with them, in one
// character set. One thread at a time reads patterns; any number may match.
class NameMatcher {
public:
    // Throws the framework's Exception when iconv does not know `charset`.
    explicit NameMatcher(const std::string& charset);

    // The patterns `typed` stands for: one, or one a shape of what its
    // composing syllable can become. None for what the names' character set
    // cannot hold, an empty text, or one with a 0 byte, which is no name's.
    std::vector<NamePattern> Patterns(const TypedText& typed);

    // Whether `pattern` matches `name` at byte `at`, a character's start.
    bool MatchesAt(std::string_view name, std::size_t at, const NamePattern& pattern, LetterCase letterCase) const;
    // Whether `pattern` matches `name` at byte `at` and a character starts there.
    bool HoldsAt(std::string_view name, std::size_t at, const NamePattern& pattern, LetterCase letterCase) const;
    // Whether `pattern` matches `name` at the start of any of its characters.
    bool Contains(std::string_view name, const NamePattern& pattern, LetterCase letterCase) const;

    const CharacterReader& Reader() const noexcept { return reader_; }

private:
    NamePattern Pattern(std::string literal, const std::vector<hangul::CodePoints>& next);
    bool IsCharacterStart(std::string_view name, std::size_t at) const;

    DisplayCodec codec_;
    CharacterReader reader_;
};
