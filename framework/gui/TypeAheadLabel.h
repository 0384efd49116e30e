#pragma once

#include <QLabel>

#include <optional>

// The text of a type-to-find search, shown in a small box beside the list
// while the search lasts, as GTK's tree views show theirs: the syllable an
// input method is still composing is underlined, as input methods mark it.
// Text searched as another is followed by what it was read as
// ("tkatjd → 삼성"); a text that matches nothing, by a word that says so;
// where the list is narrowed to its matches, by their count ("전자 · 214"),
// in the user's language, which screen readers hear too. Screen
// readers read it as its name. It takes no input and never the focus.
class TypeAheadLabel : public QLabel {
public:
    enum class Found { Yes, No };
    // How many match, as far as they are counted yet.
    struct Count {
        int matches;
        bool complete;
    };

    TypeAheadLabel();
    // Shows `committed` then `composing`, and `readAs` unless it is empty,
    // then `count` unless none, just below `beside`'s right end, or above it
    // where the screen ends.
    void Show(const QString& committed, const QString& composing, const QString& readAs, Found found,
              const QWidget& beside, std::optional<Count> count = std::nullopt);
};
