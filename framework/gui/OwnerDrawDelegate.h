#pragma once

#include <QAbstractItemDelegate>

class TComboBox;

// Paints the rows of a drop-down list through TComboBox::OnDrawItem, each
// the combo box's ItemHeight high.
class OwnerDrawDelegate : public QAbstractItemDelegate {
public:
    explicit OwnerDrawDelegate(TComboBox& combo) : combo_(combo) {}
    void paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const override;
    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override;

private:
    TComboBox& combo_;
};
