#include "FixedRowListView.h"

#include "FixedRowListAccessible.h"

#include <QAccessible>
#include <QPaintEvent>
#include <QPainter>
#include <QScrollBar>

#include <algorithm>
#include <limits>

FixedRowListView::FixedRowListView(QWidget* parent) : QAbstractItemView(parent)
{
    InstallFixedRowListAccessible();
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
}

void FixedRowListView::SetRowHeight(int height)
{
    rowHeight_ = std::max(height, 1);
    updateGeometries();
    viewport()->update();
}

void FixedRowListView::setModel(QAbstractItemModel* model)
{
    QAbstractItemView::setModel(model);
    // The base class has no virtual for removed rows; the scroll range must shrink.
    if (model != nullptr)
        connect(model, &QAbstractItemModel::rowsRemoved, this, [this] { updateGeometries(); });
}

int FixedRowListView::RowCount() const
{
    return model() != nullptr ? model()->rowCount(rootIndex()) : 0;
}

int FixedRowListView::TopRow() const
{
    return verticalScrollBar()->value();
}

int FixedRowListView::PageRows() const
{
    return std::max(viewport()->height() / rowHeight_, 1);
}

qint64 FixedRowListView::RowAtY(int y) const
{
    // Rounded down, also above the viewport.
    const qint64 offset = y >= 0 ? y / rowHeight_ : -((rowHeight_ - 1 - qint64{y}) / rowHeight_);
    return TopRow() + offset;
}

QRect FixedRowListView::RowsRect(qint64 first, qint64 last) const
{
    const auto place = [this](qint64 row) {
        return std::clamp((row - TopRow()) * rowHeight_, -qint64{FarOff}, qint64{FarOff});
    };
    const qint64 top = place(first);
    const qint64 bottom = place(last + 1);
    return {0, static_cast<int>(top), viewport()->width(), static_cast<int>(std::max<qint64>(bottom - top, 0))};
}

QModelIndex FixedRowListView::Row(int row) const
{
    return model()->index(row, 0, rootIndex());
}

QRect FixedRowListView::visualRect(const QModelIndex& index) const
{
    if (!index.isValid() || index.model() != model() || index.column() != 0 || index.parent() != rootIndex())
        return {};
    return RowsRect(index.row(), index.row());
}

QModelIndex FixedRowListView::indexAt(const QPoint& point) const
{
    if (point.y() < 0 || point.x() < 0 || point.x() >= viewport()->width())
        return {};
    const qint64 row = RowAtY(point.y());
    return row < RowCount() ? Row(static_cast<int>(row)) : QModelIndex();
}

void FixedRowListView::scrollTo(const QModelIndex& index, ScrollHint hint)
{
    if (!index.isValid() || index.model() != model())
        return;
    const int row = index.row();
    const int page = PageRows();
    int top = TopRow();
    switch (hint) {
    case EnsureVisible:
        if (row < top)
            top = row;
        else if (row - top >= page)
            top = row - page + 1;
        break;
    case PositionAtTop:
        top = row;
        break;
    case PositionAtBottom:
        top = row - page + 1;
        break;
    case PositionAtCenter:
        top = row - page / 2;
        break;
    }
    verticalScrollBar()->setValue(top);  // which keeps it within its range
}

QModelIndex FixedRowListView::moveCursor(CursorAction action, Qt::KeyboardModifiers)
{
    const int rows = RowCount();
    if (rows == 0)
        return {};
    const QModelIndex current = currentIndex();
    if (!current.isValid())
        return Row(0);
    // In 64 bits: a page past the last row can be past INT_MAX.
    const qint64 row = current.row();
    qint64 next = row;
    switch (action) {
    case MoveUp:
    case MovePrevious:
        next = row - 1;
        break;
    case MoveDown:
    case MoveNext:
        next = row + 1;
        break;
    case MovePageUp:
        next = row - PageRows();
        break;
    case MovePageDown:
        next = row + PageRows();
        break;
    case MoveHome:
        next = 0;
        break;
    case MoveEnd:
        next = rows - 1;
        break;
    case MoveLeft:
    case MoveRight:
        break;
    }
    return Row(static_cast<int>(std::clamp<qint64>(next, 0, rows - 1)));
}

int FixedRowListView::horizontalOffset() const
{
    return 0;
}

int FixedRowListView::verticalOffset() const
{
    return static_cast<int>(std::min<qint64>(qint64{TopRow()} * rowHeight_, std::numeric_limits<int>::max()));
}

bool FixedRowListView::isIndexHidden(const QModelIndex&) const
{
    return false;
}

void FixedRowListView::setSelection(const QRect& rect, QItemSelectionModel::SelectionFlags command)
{
    const QRect area = rect.normalized();
    const qint64 first = std::max<qint64>(RowAtY(area.top()), 0);
    const qint64 last = std::min<qint64>(RowAtY(area.bottom()), RowCount() - 1);
    QItemSelection rows;
    if (first <= last)
        rows.select(Row(static_cast<int>(first)), Row(static_cast<int>(last)));
    selectionModel()->select(rows, command);
}

QRegion FixedRowListView::visualRegionForSelection(const QItemSelection& selection) const
{
    // Only the rows in view: a selection of millions is one rect, not millions.
    const qint64 top = TopRow();
    const qint64 bottom = top + PageRows();  // and the part-row below
    QRegion region;
    for (const QItemSelectionRange& range : selection) {
        if (!range.isValid() || range.parent() != rootIndex())
            continue;
        const qint64 first = std::max<qint64>(range.top(), top);
        const qint64 last = std::min<qint64>(range.bottom(), bottom);
        if (first <= last)
            region += RowsRect(first, last);
    }
    return region;
}

int FixedRowListView::sizeHintForRow(int) const
{
    return rowHeight_;
}

int FixedRowListView::sizeHintForColumn(int column) const
{
    if (column != 0 || model() == nullptr)
        return -1;
    QStyleOptionViewItem option;
    initViewItemOption(&option);
    int widest = 0;
    const int end = static_cast<int>(std::min<qint64>(qint64{TopRow()} + PageRows() + 1, RowCount()));
    for (int row = TopRow(); row < end; ++row) {
        const QModelIndex index = Row(row);
        widest = std::max(widest, itemDelegateForIndex(index)->sizeHint(option, index).width());
    }
    return widest;
}

void FixedRowListView::updateGeometries()
{
    const int page = PageRows();
    verticalScrollBar()->setRange(0, std::max(RowCount() - page, 0));
    verticalScrollBar()->setPageStep(page);
    verticalScrollBar()->setSingleStep(1);
    QAbstractItemView::updateGeometries();
}

void FixedRowListView::rowsInserted(const QModelIndex& parent, int start, int end)
{
    QAbstractItemView::rowsInserted(parent, start, end);
    updateGeometries();
    viewport()->update();
}

void FixedRowListView::currentChanged(const QModelIndex& current, const QModelIndex& previous)
{
    QAbstractItemView::currentChanged(current, previous);
    // What QListView tells screen readers, so they read the row moved to.
    if (QAccessible::isActive() && current.isValid() && hasFocus()) {
        QAccessibleEvent event(this, QAccessible::Focus);
        event.setChild(current.row());
        QAccessible::updateAccessibility(&event);
    }
}

void FixedRowListView::paintEvent(QPaintEvent* event)
{
    QPainter painter(viewport());
    QStyleOptionViewItem option;
    initViewItemOption(&option);
    const QStyle::State common = option.state;
    const QModelIndex current = currentIndex();
    const bool focused = hasFocus() || viewport()->hasFocus();
    const QRect area = event->rect();
    const qint64 first = std::max<qint64>(RowAtY(area.top()), 0);
    const qint64 last = std::min<qint64>(RowAtY(area.bottom()), RowCount() - 1);
    // The combo's popup makes the row under the mouse the current one, so
    // rows need no hover state of their own.
    for (qint64 row = first; row <= last; ++row) {
        const QModelIndex index = Row(static_cast<int>(row));
        option.rect = RowsRect(row, row);
        option.state = common;
        option.state.setFlag(QStyle::State_Selected, selectionModel()->isSelected(index));
        option.state.setFlag(QStyle::State_HasFocus, focused && index == current);
        option.state.setFlag(QStyle::State_Enabled, common.testFlag(QStyle::State_Enabled) &&
                                                        model()->flags(index).testFlag(Qt::ItemIsEnabled));
        itemDelegateForIndex(index)->paint(&painter, option, index);
    }
}
