#include "FixedRowListAccessible.h"
#include "FixedRowListView.h"

#include <QAbstractListModel>
#include <QAccessible>
#include <QApplication>
#include <QScrollBar>

#include <gtest/gtest.h>

#include <climits>

namespace {

// Rows without storage, as many as asked for: a view of INT_MAX rows reads
// only those it shows.
class CountedRows : public QAbstractListModel {
public:
    explicit CountedRows(int rows) : rows_(rows) {}
    int rowCount(const QModelIndex& parent) const override { return parent.isValid() ? 0 : rows_; }
    QVariant data(const QModelIndex& index, int role) const override
    {
        return role == Qt::DisplayRole ? QVariant(QString::number(index.row())) : QVariant();
    }

private:
    int rows_;
};

constexpr int LastRow = INT_MAX - 1;

struct ScrollCase {
    const char* name;
    int rowHeight;
    int target;  // the row scrolled to
    QAbstractItemView::ScrollHint hint;
    int top;  // the scroll bar's value after it, in rows
    int asked;
    int rectY;  // visualRect(asked)
    int rectHeight;
    int probeY;    // a viewport y
    int probeRow;  // indexAt it, -1 for none
};

void PrintTo(const ScrollCase& c, std::ostream* out)
{
    *out << c.name;
}

class FixedRowListOfIntMaxRows : public testing::TestWithParam<ScrollCase> {};

// A viewport 100 pixels high with no frame: six rows of 16 pixels, or one of 500.
TEST_P(FixedRowListOfIntMaxRows, ScrollsAndFindsRowsWithoutOverflowingAnInt)
{
    const ScrollCase& c = GetParam();
    CountedRows model(INT_MAX);
    FixedRowListView view;
    view.setFrameShape(QFrame::NoFrame);
    view.setModel(&model);
    view.SetRowHeight(c.rowHeight);
    view.resize(120, 100);
    view.show();
    QApplication::processEvents();
    ASSERT_EQ(view.viewport()->height(), 100);

    view.scrollTo(model.index(c.target), c.hint);
    EXPECT_EQ(view.verticalScrollBar()->value(), c.top);
    const QRect rect = view.visualRect(model.index(c.asked));
    EXPECT_EQ(rect.y(), c.rectY);
    EXPECT_EQ(rect.height(), c.rectHeight);
    EXPECT_EQ(view.indexAt(QPoint(1, c.probeY)).row(), c.probeRow);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, FixedRowListOfIntMaxRows,
    testing::Values(ScrollCase{"the_last_row_shows_at_the_bottom_of_the_last_page", 16, LastRow,
                               QAbstractItemView::EnsureVisible, LastRow - 5, LastRow, 80, 16, 95, LastRow},
                    ScrollCase{"the_row_just_below_the_page_scrolls_it_by_one", 16, 6, QAbstractItemView::EnsureVisible,
                               1, 6, 80, 16, 95, 6},
                    ScrollCase{"below_the_last_row_is_no_row", 16, LastRow, QAbstractItemView::EnsureVisible,
                               LastRow - 5, LastRow, 80, 16, 96, -1},
                    ScrollCase{"positioned_at_the_bottom_it_is_the_same_page", 16, LastRow,
                               QAbstractItemView::PositionAtBottom, LastRow - 5, LastRow - 5, 0, 16, 15, LastRow - 5},
                    ScrollCase{"a_row_500_pixels_high_is_a_page_of_its_own", 500, LastRow,
                               QAbstractItemView::EnsureVisible, LastRow, LastRow, 0, 500, 99, LastRow},
                    ScrollCase{"the_first_row_seen_from_the_end_stays_far_off_above", 500, LastRow,
                               QAbstractItemView::EnsureVisible, LastRow, 0, -FixedRowListView::FarOff, 0, 0, LastRow},
                    ScrollCase{"a_row_seen_from_the_start_stays_far_off_below", 16, 0, QAbstractItemView::PositionAtTop,
                               0, LastRow, FixedRowListView::FarOff, 0, 0, 0},
                    ScrollCase{"a_row_in_the_middle_positioned_at_the_center", 16, 1000000000,
                               QAbstractItemView::PositionAtCenter, 1000000000 - 3, 1000000000, 48, 16, 48, 1000000000},
                    ScrollCase{"a_row_past_the_last_page_cannot_be_the_top", 16, LastRow,
                               QAbstractItemView::PositionAtTop, LastRow - 5, LastRow - 1, 64, 16, 79, LastRow - 1}),
    [](const testing::TestParamInfo<ScrollCase>& row) { return row.param.name; });

struct PointCase {
    const char* name;
    QPoint inViewport;  // where the reader asks, from the viewport's top left
    int row;            // -1 for none
};

void PrintTo(const PointCase& c, std::ostream* out)
{
    *out << c.name;
}

class FixedRowListAccessibleInAFrame : public testing::TestWithParam<PointCase> {};

// Rows of 16 pixels inside a 3-pixel frame: a point is a row by where it lies
// in the viewport, not in the view around it.
TEST_P(FixedRowListAccessibleInAFrame, ChildAtFindsTheRowUnderAScreenPoint)
{
    const PointCase& c = GetParam();
    CountedRows model(100);
    FixedRowListView view;
    view.setFrameStyle(QFrame::Box | QFrame::Plain);
    view.setLineWidth(3);
    view.setModel(&model);
    view.SetRowHeight(16);
    view.resize(120, 100);
    view.show();
    QApplication::processEvents();
    ASSERT_EQ(view.frameWidth(), 3);
    QAccessibleInterface* list = QAccessible::queryAccessibleInterface(&view);
    ASSERT_NE(list, nullptr);
    const QPoint global = view.viewport()->mapToGlobal(c.inViewport);
    QAccessibleInterface* child = list->childAt(global.x(), global.y());
    EXPECT_EQ(child != nullptr ? list->indexOfChild(child) : -1, c.row);
}

INSTANTIATE_TEST_SUITE_P(Cases, FixedRowListAccessibleInAFrame,
                         testing::Values(PointCase{"the_first_pixel_inside_the_frame_is_the_first_row", {0, 0}, 0},
                                         PointCase{"the_last_pixel_of_the_first_row_is_still_it", {0, 15}, 0},
                                         PointCase{"the_next_pixel_down_is_the_second_row", {0, 16}, 1},
                                         PointCase{"the_frame_above_the_first_row_is_no_row", {0, -1}, -1},
                                         PointCase{"the_frame_left_of_the_rows_is_no_row", {-1, 5}, -1}),
                         [](const testing::TestParamInfo<PointCase>& row) { return row.param.name; });

}  // namespace
