#pragma once

#include "framework/gui/StdCtrls.h"

#include <QString>

#include <functional>

// One type-to-find search of a list: what the user has typed into it so far,
// the text an input method committed followed by the syllable it is still
// composing (its preedit), and where that text leads. It keeps no time and
// shows nothing and decides nothing of what matches: ComboBoxWidget decides
// when a search ends and shows its text, the list's finder where it leads.
class TypeAheadSearch {
public:
    using Finder = std::function<FoundItem(const TypedText& typed, int startIndex, TFindStep step)>;

    // Whether a search is under way: begun and not yet ended, even if
    // Backspace has emptied its text.
    bool IsActive() const noexcept { return active_; }
    QString Text() const { return committed_ + composing_; }
    const QString& Committed() const noexcept { return committed_; }
    const QString& Composing() const noexcept { return composing_; }
    // The text as the list's finder reads it.
    TypedText Typed() const { return {committed_.toStdString(), composing_.toStdString()}; }

    // Begins a search that goes on from row `start` (0 for the list's own
    // starting point), unless one is under way already.
    void Begin(int start);
    // Text typed with keys, no input method involved.
    void Type(const QString& typed);
    // An input method's event: `commit` is final, `preedit` replaces what was
    // being composed, so a commit of the syllable already searched as preedit
    // does not add it twice. The syllable left composing when the last
    // search ended belongs to no search: a commit that begins with it drops it.
    void Compose(const QString& commit, const QString& preedit);
    // Takes the last character off the text; false when it was empty.
    bool Backspace();
    // Ends the search; the syllable still composing is left over (see Compose).
    void End();

    // Where the whole text leads, as the finder says, from where the search
    // began; nowhere (-1) for an empty text.
    FoundItem Find(const Finder& find);

private:
    bool active_ = false;
    // Whether the finder has been asked in this search yet.
    bool found_ = false;
    int start_ = 0;
    QString committed_;
    QString composing_;
    QString leftOver_;
};
