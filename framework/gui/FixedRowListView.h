#pragma once

#include <QAbstractItemView>

// A list of rows all ItemHeight pixels high, the drop-down list of a
// TComboBox. Unlike QListView it lays nothing out: a row's place follows from
// its number, so opening, scrolling and moving through millions of rows costs
// what it costs through ten. One column, no hidden rows, no editing; the
// vertical scroll bar counts rows, not pixels, so its int range holds every
// row whatever their height. Screen readers see it through
// FixedRowListAccessible.
class FixedRowListView : public QAbstractItemView {
public:
    explicit FixedRowListView(QWidget* parent = nullptr);

    // Rows are `height` pixels high; heights below 1 count as 1.
    void SetRowHeight(int height);

    void setModel(QAbstractItemModel* model) override;
    // A row far from the viewport is placed no farther than FarOff from it,
    // so its rect stays within int.
    QRect visualRect(const QModelIndex& index) const override;
    void scrollTo(const QModelIndex& index, ScrollHint hint = EnsureVisible) override;
    QModelIndex indexAt(const QPoint& point) const override;
    int sizeHintForRow(int row) const override;
    // The widest of the rows in view; measuring every row would read them all.
    int sizeHintForColumn(int column) const override;

    static constexpr int FarOff = 1 << 24;

protected:
    QModelIndex moveCursor(CursorAction action, Qt::KeyboardModifiers modifiers) override;
    int horizontalOffset() const override;
    int verticalOffset() const override;
    bool isIndexHidden(const QModelIndex& index) const override;
    void setSelection(const QRect& rect, QItemSelectionModel::SelectionFlags command) override;
    QRegion visualRegionForSelection(const QItemSelection& selection) const override;
    void updateGeometries() override;
    void paintEvent(QPaintEvent* event) override;
    void rowsInserted(const QModelIndex& parent, int start, int end) override;
    void currentChanged(const QModelIndex& current, const QModelIndex& previous) override;

private:
    int RowCount() const;
    int TopRow() const;
    // Rows wholly inside the viewport, at least 1.
    int PageRows() const;
    // The row at viewport y, which may be before the first or past the last.
    qint64 RowAtY(int y) const;
    // The viewport rect of rows first..last, kept within FarOff.
    QRect RowsRect(qint64 first, qint64 last) const;
    QModelIndex Row(int row) const;

    int rowHeight_ = 16;
};
