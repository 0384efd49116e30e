#pragma once

#include "ItemListModel.h"
#include "TypeAheadLabel.h"
#include "TypeAheadSearch.h"
#include "framework/gui/StdCtrls.h"

#include <QAbstractItemDelegate>
#include <QComboBox>
#include <QElapsedTimer>
#include <QProxyStyle>
#include <QTimer>

#include <optional>

class FixedRowListView;
class QStylePainter;

// Paints the rows of the drop-down list through TComboBox::OnDrawItem.
class OwnerDrawDelegate : public QAbstractItemDelegate {
public:
    explicit OwnerDrawDelegate(TComboBox& combo) : combo_(combo) {}
    void paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const override;
    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override;

private:
    TComboBox& combo_;
};

// Opens the list below the box, as a plain list: the menu-like popup of some
// styles positions the current item over the box and visits every row.
class PopupBelowStyle : public QProxyStyle {
public:
    int styleHint(StyleHint hint, const QStyleOption* option, const QWidget* widget,
                  QStyleHintReturn* returnData) const override;
};

// The Qt widget of a TComboBox; owner-draws its closed box too. It makes
// and keeps the item model and the list view. The closed box's accessible
// description is the picked item's ItemDescription. Typing, in the box or in its open list, finds
// items through TComboBox::FindItem rather than Qt's search, which reads
// every item's text; input method events reach it from the open list too,
// and the search's text, preedit included, shows beside the list.
class ComboBoxWidget : public QComboBox {
public:
    // Only keeps `combo`, which may still be under construction.
    explicit ComboBoxWidget(TComboBox& combo);
    ItemListModel& Model() noexcept { return model_; }
    void SetOwnerDraw(bool ownerDraw);
    void SetRowHeight(int height);
    void SetTakesInputMethodText(bool takes);
    void showPopup() override;
    // A bar `fraction` full, with `text` on it, in place of the current item.
    void ShowProgress(int percent, const QString& text);
    void HideProgress();

protected:
    bool event(QEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void inputMethodEvent(QInputMethodEvent* event) override;
    QVariant inputMethodQuery(Qt::InputMethodQuery query) const override;
    void focusOutEvent(QFocusEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;

private:
    // Where text was typed: the closed box, or its open list.
    enum class TypedInto { Box, OpenList };

    // Each takes one change of the search typed into `where`, searches
    // again and says whether it took the event.
    bool TypeKey(const QKeyEvent& key, TypedInto where);
    bool TakeInputMethod(const QInputMethodEvent& event, TypedInto where);
    bool EditSearch(const QKeyEvent& key, TypedInto where);
    bool EditsSearch(const QKeyEvent& key, TypedInto where) const;
    // Whether input into `where` goes on with the search under way.
    bool Continues(TypedInto where) const;
    void BeginSearch(TypedInto where);
    // Moves the box's current item, or the open list's current row, to where
    // the search's text leads, shows the text and waits for the next key.
    void SearchAgain();
    void EndSearch();
    int FindItem(const QString& prefix, int startIndex, TFindStep step);
    // What the open list's view answers an input method, as the box does.
    QVariant ViewInputMethodQuery(Qt::InputMethodQuery query) const;
    void CopyItem(int index);
    void PaintProgress(QStylePainter& painter, const QRect& field) const;
    void DescribePick(int index);

    TComboBox& combo_;
    ItemListModel& model_;
    FixedRowListView& list_;
    bool ownerDraw_ = false;
    bool takesInputMethodText_ = false;
    TypeAheadSearch search_;
    TypedInto searchIn_ = TypedInto::Box;
    TypeAheadLabel searchShown_;
    QElapsedTimer lastTyped_;
    QTimer searchEnds_;
    QTimer compositionEnds_;
    struct Progress {
        int percent;
        QString text;
    };
    std::optional<Progress> progress_;
};
