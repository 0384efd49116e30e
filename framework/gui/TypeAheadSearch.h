#pragma once

#include "framework/gui/StdCtrls.h"

#include <QString>
#include <QStringList>

#include <functional>
#include <vector>

// One type-to-find search of a list: what the user has typed into it so far,
// the text an input method committed followed by the syllable it is still
// composing (its preedit), and where that text leads. It keeps no time and
// shows nothing: ComboBoxWidget decides when a search ends and shows its text.
class TypeAheadSearch {
public:
    // The first row at or after startIndex (0 or more) whose text starts
    // with `prefix` (never empty), else the first such row from the top, or
    // -1 for none.
    using Finder = std::function<int(const QString& prefix, int startIndex, TFindStep step)>;

    // Whether a search is under way: begun and not yet ended, even if
    // Backspace has emptied its text.
    bool IsActive() const noexcept { return active_; }
    QString Text() const { return committed_ + composing_; }
    const QString& Committed() const noexcept { return committed_; }
    const QString& Composing() const noexcept { return composing_; }

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

    // Where the whole text leads, -1 for nowhere (and for an empty text):
    // never to a row that matches only part of it. The syllable still being
    // composed counts as every syllable it can become. The same text from
    // the same start leads to the same row however often it is searched, as
    // each preedit change does. "sss" steps through the rows that start
    // with "s", as Qt's views do, each step on from the last.
    int Find(const Finder& find);

private:
    // The texts the search looks for: the committed text followed by each
    // completion of the syllable still composing.
    QStringList Candidates() const;

    bool active_ = false;
    int start_ = 0;
    QString committed_;
    QString composing_;
    QString leftOver_;
    // The rows "s", "ss", "sss"... lead to, for the one character repeated.
    QString stepped_;
    std::vector<int> steps_;
};
