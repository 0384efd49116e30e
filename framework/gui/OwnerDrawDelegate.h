#pragma once

#include <QAbstractItemDelegate>

class OpenListRows;
class TComboBox;

// Paints the rows of a drop-down list through TComboBox::OnDrawItem, each
// the combo box's ItemHeight high.
class OwnerDrawDelegate : public QAbstractItemDelegate {
public:
    // Paints the items that `rows` shows.
    OwnerDrawDelegate(TComboBox& combo, const OpenListRows& rows) : combo_(combo), rows_(rows) {}
    void paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const override;
    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override;

private:
    TComboBox& combo_;
    const OpenListRows& rows_;
};
