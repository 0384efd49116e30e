#pragma once

#include "NamePattern.h"
#include "stockdata/CodeIndex.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

// The kinds of match a search tries, in an order a text decides.
enum class MatchKind { Code, Initials, Starting, Containing };

struct KindToTry {
    MatchKind kind;
    LetterCase letterCase = LetterCase::Exact;
};

// A typed text as a search reads it: what each kind of match looks for in
// it, and the kinds in the order they are tried.
struct SearchText {
    // The code the text is, when it is one: its market letter and body.
    char codeLetter = '\0';
    std::optional<std::string> codeBody;
    std::vector<std::uint8_t> initials;
    std::vector<NamePattern> patterns;
    std::vector<KindToTry> kinds;
    // What the text was read as, the 2-set keyboard's Hangul for Latin
    // keys; empty when as typed.
    std::string readAs;
    // Once the code index is read: the rows the code finds, ascending, when
    // few do (CodeIndex::FindAll).
    bool codeRowsRead = false;
    std::optional<std::vector<std::uint32_t>> codeRows;

    TypedCode Code() const { return {codeLetter, codeBody ? std::string_view(*codeBody) : std::string_view()}; }
};
