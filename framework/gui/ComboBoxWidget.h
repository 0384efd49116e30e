#pragma once

#include "BoxProgress.h"
#include "ItemListModel.h"
#include "KeptInput.h"
#include "ListTyping.h"
#include "OpenListRows.h"
#include "framework/gui/DispatchEvent.h"
#include "framework/gui/StdCtrls.h"

#include <QComboBox>

#include <optional>

class DropDownList;
class QHelpEvent;
class FixedRowListView;
class QStylePainter;

// The Qt widget of a TComboBox; owner-draws its closed box too. It makes
// and keeps the item model and the list view, and opens the list in a
// DropDownList of its own, so that it keeps the keyboard focus while the
// list is open and hands the list the keys that move its highlight. The
// closed box's accessible description is the picked item's
// ItemDescription. Typing, in the box or in its open list, finds items
// through TComboBox::FindItem (ListTyping) rather than Qt's search, which
// reads every item's text; in the open list it narrows the list to
// TComboBox::MatchItems, which the list's rows (OpenListRows) map to items.
class ComboBoxWidget : public QComboBox {
public:
    // Only keeps `combo`, which may still be under construction.
    explicit ComboBoxWidget(TComboBox& combo);
    ItemListModel& Model() noexcept { return model_; }
    void SetOwnerDraw(bool ownerDraw);
    void SetRowHeight(int height);
    void SetTakesInputMethodText(bool takes);
    void showPopup() override;
    void hidePopup() override;
    bool PopupShown() const;
    // Ends a search typed into the box or its open list.
    void EndSearch() { typing_.End(); }
    // A bar `percent` full, with `text` on it, in place of the current item,
    // while the list is being filled: what is typed meanwhile is kept, and
    // answered once the handler that hides the bar has filled the list.
    void ShowProgress(int percent, const QString& text);
    void HideProgress();
    // While held, what is typed is kept as it is while the progress shows.
    void HoldTyping(bool held);
    bool TypingHeld() const noexcept { return typingHeld_; }

    // For ListTyping: the row that typing into `where` moves, -1 for none;
    // moving it (-1 picks nothing); where its search shows; finding a row.
    int TypingRow(TypedInto where) const;
    void MoveTypingRow(TypedInto where, int row);
    const QWidget& TypingShownBeside(TypedInto where) const;
    FoundItem FindItem(const TypedText& typed, int startIndex, TFindStep step);
    // For ListTyping in the open list: whether typing narrows it; narrowing
    // it to what `typed` matches, the first match highlighted; every item
    // again, the one highlighted still highlighted and in view; what it is
    // narrowed to, null for nothing.
    bool NarrowsList() const;
    void NarrowList(const TypedText& typed);
    void WidenList();
    const TItemMatches* ListMatches() const;
    // Runs `handler` as the control's event: what it throws is reported.
    template <class Handler>
    void Dispatch(Handler&& handler)
    {
        model_.Publish();
        DispatchEvent(&combo_, std::forward<Handler>(handler));
    }

protected:
    bool event(QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void inputMethodEvent(QInputMethodEvent* event) override;
    QVariant inputMethodQuery(Qt::InputMethodQuery query) const override;
    void focusOutEvent(QFocusEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;

private:
    // Where typing goes now.
    TypedInto TypingInto() const;
    // The keys of the open list that are not typing: true when taken.
    bool OpenListKey(QKeyEvent& key);
    void Pick(int row);
    void CopyItem(int index);
    void DescribePick(int index);
    bool KeepsInput() const noexcept;
    // Answers what was kept, from the event loop, unless it is still kept.
    void AnswerKeptInputSoon();
    void AnswerKeptInput();
    // Parts of event(): the Escape and Backspace typing keeps from
    // shortcuts, and the tooltip, the picked stock's hint.
    bool ClaimsShortcut(const QKeyEvent& key) const;
    void ShowHint(QHelpEvent& help);

    TComboBox& combo_;
    ItemListModel& model_;
    OpenListRows& rows_;
    FixedRowListView& list_;
    DropDownList& dropDown_;
    bool ownerDraw_ = false;
    ListTyping typing_{*this};
    std::optional<BoxProgress> progress_;
    bool typingHeld_ = false;
    KeptInput keptInput_;
};
