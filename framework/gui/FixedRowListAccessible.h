#pragma once

#include <QAccessibleWidget>

#include <unordered_map>

class FixedRowListView;

// What screen readers see of a FixedRowListView: a list, and a one-column
// table, whose cells are its rows, each named by the model's
// AccessibleTextRole (else DisplayRole) and described by its
// AccessibleDescriptionRole. Qt's own accessible item views serve only Qt's
// view classes. A row's interface is made when a reader first asks for it
// and kept until the rows change.
class FixedRowListAccessible : public QAccessibleWidget, public QAccessibleTableInterface {
public:
    explicit FixedRowListAccessible(FixedRowListView& view);
    ~FixedRowListAccessible() override;
    FixedRowListAccessible(const FixedRowListAccessible&) = delete;
    FixedRowListAccessible& operator=(const FixedRowListAccessible&) = delete;

    void* interface_cast(QAccessible::InterfaceType type) override;
    int childCount() const override;
    QAccessibleInterface* child(int index) const override;
    int indexOfChild(const QAccessibleInterface* child) const override;
    QAccessibleInterface* childAt(int x, int y) const override;
    QAccessibleInterface* focusChild() const override;

    QAccessibleInterface* caption() const override { return nullptr; }
    QAccessibleInterface* summary() const override { return nullptr; }
    QAccessibleInterface* cellAt(int row, int column) const override;
    int selectedCellCount() const override { return selectedRowCount(); }
    QList<QAccessibleInterface*> selectedCells() const override;
    QString columnDescription(int) const override { return {}; }
    QString rowDescription(int) const override { return {}; }
    int selectedColumnCount() const override { return 0; }
    int selectedRowCount() const override;
    int columnCount() const override { return 1; }
    int rowCount() const override { return childCount(); }
    QList<int> selectedColumns() const override { return {}; }
    QList<int> selectedRows() const override;
    bool isColumnSelected(int) const override { return false; }
    bool isRowSelected(int row) const override;
    bool selectRow(int row) override;
    bool selectColumn(int) override { return false; }
    bool unselectRow(int row) override;
    bool unselectColumn(int) override { return false; }
    void modelChange(QAccessibleTableModelChangeEvent* event) override;

private:
    FixedRowListView& View() const;
    // Drops the row interfaces handed out for rows from `first` on.
    void ForgetRowsFrom(int first);

    mutable std::unordered_map<int, QAccessible::Id> rows_;
};

// Makes Qt's accessibility use FixedRowListAccessible for every
// FixedRowListView; calls after the first do nothing.
void InstallFixedRowListAccessible();
