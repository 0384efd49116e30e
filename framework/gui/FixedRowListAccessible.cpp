#include "FixedRowListAccessible.h"

#include "FixedRowListView.h"

#include <QPointer>

namespace {

// One row of a FixedRowListView. It reads the row afresh on each question,
// so it stays true while rows are added after it.
class RowAccessible : public QAccessibleInterface, public QAccessibleTableCellInterface {
public:
    RowAccessible(FixedRowListView& view, int row) : view_(&view), row_(row) {}

    void* interface_cast(QAccessible::InterfaceType type) override
    {
        return type == QAccessible::TableCellInterface ? static_cast<QAccessibleTableCellInterface*>(this) : nullptr;
    }
    bool isValid() const override { return View() != nullptr; }
    QObject* object() const override { return nullptr; }
    QWindow* window() const override;
    QAccessibleInterface* parent() const override { return QAccessible::queryAccessibleInterface(view_.data()); }
    QAccessibleInterface* child(int) const override { return nullptr; }
    int childCount() const override { return 0; }
    int indexOfChild(const QAccessibleInterface*) const override { return -1; }
    QAccessibleInterface* childAt(int, int) const override { return nullptr; }
    void setText(QAccessible::Text, const QString&) override {}
    QAccessible::Role role() const override { return QAccessible::ListItem; }
    QString text(QAccessible::Text t) const override;
    QRect rect() const override;
    QAccessible::State state() const override;

    bool isSelected() const override { return state().selected; }
    int columnExtent() const override { return 1; }
    QList<QAccessibleInterface*> columnHeaderCells() const override { return {}; }
    int columnIndex() const override { return 0; }
    int rowExtent() const override { return 1; }
    QList<QAccessibleInterface*> rowHeaderCells() const override { return {}; }
    int rowIndex() const override { return row_; }
    QAccessibleInterface* table() const override { return parent(); }

    bool IsRowOf(const FixedRowListView& view) const noexcept { return view_ == &view; }

private:
    // The view while it lives and has this row, else null.
    FixedRowListView* View() const;
    QModelIndex Index(const FixedRowListView& view) const { return view.model()->index(row_, 0, view.rootIndex()); }

    QPointer<FixedRowListView> view_;
    int row_;
};

FixedRowListView* RowAccessible::View() const
{
    FixedRowListView* view = view_.data();
    return view != nullptr && row_ < view->model()->rowCount(view->rootIndex()) ? view : nullptr;
}

QWindow* RowAccessible::window() const
{
    const FixedRowListView* view = view_.data();
    return view != nullptr ? view->window()->windowHandle() : nullptr;
}

QString RowAccessible::text(QAccessible::Text t) const
{
    const FixedRowListView* view = View();
    if (view == nullptr)
        return {};
    const QModelIndex index = Index(*view);
    switch (t) {
    case QAccessible::Name: {
        const QVariant name = index.data(Qt::AccessibleTextRole);
        return name.isValid() ? name.toString() : index.data(Qt::DisplayRole).toString();
    }
    case QAccessible::Description:
        return index.data(Qt::AccessibleDescriptionRole).toString();
    default:
        return {};
    }
}

QRect RowAccessible::rect() const
{
    const FixedRowListView* view = View();
    if (view == nullptr)
        return {};
    const QRect inViewport = view->visualRect(Index(*view));
    return {view->viewport()->mapToGlobal(inViewport.topLeft()), inViewport.size()};
}

QAccessible::State RowAccessible::state() const
{
    QAccessible::State state;
    const FixedRowListView* view = View();
    if (view == nullptr) {
        state.invalid = true;
        return state;
    }
    const QModelIndex index = Index(*view);
    state.selectable = true;
    state.focusable = true;
    state.selected = view->selectionModel()->isSelected(index);
    state.focused = view->hasFocus() && view->currentIndex() == index;
    state.offscreen = !view->visualRect(index).intersects(view->viewport()->rect());
    return state;
}

QAccessibleInterface* MakeFixedRowListAccessible(const QString&, QObject* object)
{
    // The view has no meta-object of its own, so it is found by its type.
    auto* view = dynamic_cast<FixedRowListView*>(object);
    return view != nullptr ? new FixedRowListAccessible(*view) : nullptr;
}

}  // namespace

FixedRowListAccessible::FixedRowListAccessible(FixedRowListView& view) : QAccessibleWidget(&view, QAccessible::List) {}

FixedRowListAccessible::~FixedRowListAccessible()
{
    ForgetRowsFrom(0);
}

FixedRowListView& FixedRowListAccessible::View() const
{
    return *static_cast<FixedRowListView*>(widget());
}

void* FixedRowListAccessible::interface_cast(QAccessible::InterfaceType type)
{
    if (type == QAccessible::TableInterface)
        return static_cast<QAccessibleTableInterface*>(this);
    return QAccessibleWidget::interface_cast(type);
}

int FixedRowListAccessible::childCount() const
{
    return View().model()->rowCount(View().rootIndex());
}

QAccessibleInterface* FixedRowListAccessible::child(int index) const
{
    if (index < 0 || index >= childCount())
        return nullptr;
    // The same interface each time: Qt's cache owns it and readers know it by its id.
    if (const auto known = rows_.find(index); known != rows_.end())
        return QAccessible::accessibleInterface(known->second);
    auto* row = new RowAccessible(View(), index);
    rows_.emplace(index, QAccessible::registerAccessibleInterface(row));
    return row;
}

int FixedRowListAccessible::indexOfChild(const QAccessibleInterface* child) const
{
    const auto* row = dynamic_cast<const RowAccessible*>(child);
    return row != nullptr && row->IsRowOf(View()) ? row->rowIndex() : -1;
}

QAccessibleInterface* FixedRowListAccessible::childAt(int x, int y) const
{
    const QModelIndex index = View().indexAt(View().viewport()->mapFromGlobal(QPoint(x, y)));
    return index.isValid() ? child(index.row()) : nullptr;
}

QAccessibleInterface* FixedRowListAccessible::focusChild() const
{
    const QModelIndex current = View().currentIndex();
    return View().hasFocus() && current.isValid() ? child(current.row()) : nullptr;
}

QAccessibleInterface* FixedRowListAccessible::cellAt(int row, int column) const
{
    return column == 0 ? child(row) : nullptr;
}

QList<int> FixedRowListAccessible::selectedRows() const
{
    // The popup selects one row at a time, so this is no walk over millions.
    QList<int> rows;
    for (const QModelIndex& index : View().selectionModel()->selectedRows())
        rows.append(index.row());
    return rows;
}

int FixedRowListAccessible::selectedRowCount() const
{
    return static_cast<int>(selectedRows().size());
}

QList<QAccessibleInterface*> FixedRowListAccessible::selectedCells() const
{
    QList<QAccessibleInterface*> cells;
    for (const int row : selectedRows())
        cells.append(child(row));
    return cells;
}

bool FixedRowListAccessible::isRowSelected(int row) const
{
    return View().selectionModel()->isRowSelected(row, View().rootIndex());
}

bool FixedRowListAccessible::selectRow(int row)
{
    const QModelIndex index = View().model()->index(row, 0, View().rootIndex());
    if (!index.isValid())
        return false;
    View().setCurrentIndex(index);
    return true;
}

bool FixedRowListAccessible::unselectRow(int row)
{
    const QModelIndex index = View().model()->index(row, 0, View().rootIndex());
    if (!index.isValid())
        return false;
    View().selectionModel()->select(index, QItemSelectionModel::Deselect);
    return true;
}

void FixedRowListAccessible::modelChange(QAccessibleTableModelChangeEvent* event)
{
    // Rows after an insertion or removal have moved; after a reset all have.
    switch (event->modelChangeType()) {
    case QAccessibleTableModelChangeEvent::RowsInserted:
    case QAccessibleTableModelChangeEvent::RowsRemoved:
        ForgetRowsFrom(event->firstRow());
        break;
    case QAccessibleTableModelChangeEvent::ColumnsInserted:
    case QAccessibleTableModelChangeEvent::ColumnsRemoved:
    case QAccessibleTableModelChangeEvent::DataChanged:
        break;
    case QAccessibleTableModelChangeEvent::ModelReset:
        ForgetRowsFrom(0);
        break;
    }
}

void FixedRowListAccessible::ForgetRowsFrom(int first)
{
    for (auto it = rows_.begin(); it != rows_.end();) {
        if (it->first < first) {
            ++it;
            continue;
        }
        QAccessible::deleteAccessibleInterface(it->second);
        it = rows_.erase(it);
    }
}

void InstallFixedRowListAccessible()
{
    static const bool installed = (QAccessible::installFactory(MakeFixedRowListAccessible), true);
    (void)installed;
}
