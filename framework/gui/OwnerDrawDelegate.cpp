#include "OwnerDrawDelegate.h"

#include "CanvasState.h"
#include "OpenListRows.h"
#include "QtBridge.h"
#include "framework/gui/StdCtrls.h"

void OwnerDrawDelegate::paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const
{
    const bool selected = option.state.testFlag(QStyle::State_Selected);
    TOwnerDrawState state;
    if (selected)
        state.Include(TOwnerDrawStateFlag::odSelected);
    if (option.state.testFlag(QStyle::State_HasFocus))
        state.Include(TOwnerDrawStateFlag::odFocused);
    const CanvasSession session(*combo_.Canvas, *painter, *combo_.Widget(), selected);
    combo_.DrawItem(rows_.ItemAt(index.row()), RectOf(option.rect), state);
}

QSize OwnerDrawDelegate::sizeHint(const QStyleOptionViewItem&, const QModelIndex&) const
{
    return {1, combo_.ItemHeight()};
}
