#pragma once

#include "TypeAheadLabel.h"
#include "TypeAheadSearch.h"

#include <QElapsedTimer>
#include <QTimer>

class ComboBoxWidget;
class QInputMethodEvent;
class QKeyEvent;

// Where text was typed: the closed box, or its open list.
enum class TypedInto { Box, OpenList };

// Type-to-find in a combo box, closed or open: which keys and input method
// events make up one search, when it ends, and where it leads. In the closed
// box the whole text leads to a row, or to none: then the row picked before
// the search began is picked again and the search's box says that nothing
// matched, so that no row is left picked that matches only part of what was
// typed; it says so for a while after the search has ended, which a pause
// ends. In the open list, where the box can, the list is narrowed to the
// text's matches, and the search's box says how many: the search lasts
// until Escape, a pick or the list's closing, and its end brings back every
// item. The box does the moving and finding; this decides.
class ListTyping {
public:
    explicit ListTyping(ComboBoxWidget& box);

    // Each takes one change of the search typed into `where`, searches again
    // and says whether it took the event.
    bool TakeKey(const QKeyEvent& key, TypedInto where);
    bool TakeInputMethod(const QInputMethodEvent& event, TypedInto where);
    // Whether `key` edits the search under way in `where` (Backspace,
    // Escape), which shortcuts must then leave alone.
    bool EditsSearch(const QKeyEvent& key, TypedInto where) const;

    // Ends the search, wherever it was typed, or only one typed into `where`.
    void End();
    void EndIn(TypedInto where);
    // The list has opened: a search in the box goes on in it, any other ends.
    void ListOpened();
    // More of the open list's matches are counted.
    void ShowCount();

private:
    bool TypeKey(const QKeyEvent& key, TypedInto where);
    bool EditSearch(const QKeyEvent& key, TypedInto where);
    // Whether input into `where` goes on with the search under way.
    bool Continues(TypedInto where) const;
    void Begin(TypedInto where);
    // Moves the pick to where the search's text leads, or back to where it
    // was before the search, and shows the search.
    void SearchAgain();
    // Narrows the open list to the search's text, or widens it when the
    // text is empty; false where the list is not narrowed.
    bool NarrowList();
    // Shows the search's text and what it found, and waits for the next key.
    void ShowSearch();

    ComboBoxWidget& box_;
    TypeAheadSearch search_;
    TypedInto searchIn_ = TypedInto::Box;
    // The row picked when the search began, -1 for none.
    int pickedBefore_ = -1;
    TypeAheadLabel shown_;
    // Whether the last text searched matched, or was empty, and what it was
    // searched as.
    bool matched_ = true;
    QString readAs_;
    // The syllable the last input method event stopped composing without
    // committing it, and where the pick and the match were with it.
    QString cleared_;
    int rowWithCleared_ = -1;
    bool matchedWithCleared_ = true;
    QElapsedTimer lastTyped_;
    QTimer searchEnds_;
    QTimer compositionEnds_;
    QTimer noMatchShown_;
};
