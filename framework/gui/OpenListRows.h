#pragma once

#include "framework/gui/StdCtrls.h"

#include <QAbstractListModel>
#include <QTimer>

#include <functional>
#include <memory>

class ItemListModel;

// The rows the open list shows: every item, or, while a search narrows the
// list, only the items that match it, in the search's order. Rows are
// items read through it, never copies: the view, its delegate and screen
// readers see the narrowed list as a list of its own. Beyond the first
// screenful, matches are counted a step at a time from the event loop, each
// step adding the rows it found.
class OpenListRows : public QAbstractListModel {
public:
    // What counting throws is reported as `combo`'s event's.
    OpenListRows(ItemListModel& items, TComboBox& combo, QObject* parent);

    // Shows only the items of `matches`, the first `rows` of them found at once.
    void Narrow(std::unique_ptr<TItemMatches> matches, int rows);
    // Every item again.
    void Widen();
    bool Narrowed() const noexcept { return matches_ != nullptr; }
    // What the list is narrowed to; null when it shows every item.
    const TItemMatches* Matches() const noexcept { return matches_.get(); }
    // The item that `row` shows, -1 for none.
    int ItemAt(int row) const;
    // Called after each step that counted more matches.
    std::function<void()> onCounted;

    int rowCount(const QModelIndex& parent) const override;
    QVariant data(const QModelIndex& index, int role) const override;

private:
    void CountMore();
    // Adds the matches found since the last call as rows.
    void ShowFound();

    ItemListModel& items_;
    TComboBox& combo_;
    std::unique_ptr<TItemMatches> matches_;
    // Matches shown as rows.
    int shown_ = 0;
    QTimer counting_;
    bool paintFirst_ = false;
};
