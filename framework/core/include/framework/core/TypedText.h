#pragma once

#include <string>

// What a user has typed into a search of a list so far, in UTF-8: the text
// typed with keys or committed by an input method, and the syllable an input
// method is still composing after it (its preedit), which a search counts as
// every syllable it can still become.
struct TypedText {
    std::string committed;
    std::string composing;

    std::string Whole() const { return committed + composing; }
    bool operator==(const TypedText&) const = default;
};

// Where a typed text leads in a list: the row found, -1 for none, and when
// the text was searched as another, that text in UTF-8 (Latin keys read as
// Hangul: "tkatjd" as 삼성), so that the search can show what it searched.
struct FoundItem {
    int index = -1;
    std::string readAs;

    bool operator==(const FoundItem&) const = default;
};
