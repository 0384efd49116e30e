#pragma once

#include <QFrame>

#include <functional>

class QAbstractItemView;

// The window a combo box's list opens in, in place of Qt's own popup. It
// never takes the keyboard focus: the box keeps it, and with it the input
// method's state, so that Hangul typed into the open list is composed as in
// the box (fcitx5 keeps a state per window; Qt sends keys to an open
// Qt::Popup). The box hands it the keys that move the highlight. A click on
// a row picks it; a click anywhere else, in this program or another, closes
// the list without picking, and a click on the box itself only closes it.
class DropDownList : public QFrame {
public:
    // Shows `view` below `box`, which it belongs to; it is a child of `box`
    // for its lifetime, though a window of its own.
    DropDownList(QWidget& box, QAbstractItemView& view);
    ~DropDownList() override;

    // Opens below the box, `rows` rows of `rowHeight` high at most (fewer
    // when the list is shorter), or above it where the screen ends there.
    void Open(int rows, int rowHeight);
    // Fits the list to the view's rows as they are now, as Open places it.
    void Fit(int rows, int rowHeight);
    void Close();

    // A row clicked, before the list closes.
    std::function<void(int row)> onPicked;
    // The list has closed, however.
    std::function<void()> onClosed;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void hideEvent(QHideEvent* event) override;

private:
    // Whether a press at `widget` is outside the list; a press on the box
    // is eaten, so that it does not open the list again.
    bool ClosesOn(const QWidget& widget, bool& eat) const;

    QWidget& box_;
    QAbstractItemView& view_;
};
