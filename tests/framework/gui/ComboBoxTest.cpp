#include "framework/core/TStringList.h"
#include "framework/gui/StdCtrls.h"

#include <QAbstractItemView>
#include <QAccessible>
#include <QApplication>
#include <QComboBox>
#include <QKeyEvent>

#include <gtest/gtest.h>

#include <algorithm>
#include <limits>
#include <string>
#include <vector>

namespace {

QComboBox& Box(TComboBox& combo)
{
    return *static_cast<QComboBox*>(combo.Widget());
}

// Gives `combo` `rows` items in one AddStrings, as a load made elsewhere does.
void Fill(TComboBox& combo, int rows)
{
    TStringList items;
    for (int i = 0; i < rows; ++i)
        items.Add("x");
    combo.Items->AddStrings(std::move(items));
    QApplication::processEvents();
}

struct ListKeysCase {
    const char* name;
    int rows;
    int itemHeight;
    std::vector<Qt::Key> keys;
    int current;  // negative: counted back from the end, -1 the last row
};

void PrintTo(const ListKeysCase& c, std::ostream* out)
{
    *out << c.name;
}

class OpenList : public testing::TestWithParam<ListKeysCase> {};

// The keys move the current row to where QListView would, and the row is then
// in view: its rect lies in the viewport, and the point in its middle is it.
TEST_P(OpenList, KeysMoveTheCurrentRowAndScrollItIntoView)
{
    const ListKeysCase& c = GetParam();
    TComboBox combo(nullptr);
    combo.SetStyle(TComboBoxStyle::csOwnerDrawFixed);
    combo.SetItemHeight(c.itemHeight);
    Fill(combo, c.rows);
    combo.SetDroppedDown(true);
    QAbstractItemView& view = *Box(combo).view();
    // The box keeps the keyboard focus while its list is open.
    for (const Qt::Key key : c.keys) {
        QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier);
        QApplication::sendEvent(&Box(combo), &press);
    }
    const int expected = c.current >= 0 ? c.current : c.rows + c.current;
    const QModelIndex current = view.currentIndex();
    ASSERT_EQ(current.row(), expected);
    const QRect rect = view.visualRect(current);
    EXPECT_EQ(rect.height(), c.itemHeight);
    EXPECT_TRUE(view.viewport()->rect().contains(rect))
        << "row rect " << rect.y() << "+" << rect.height() << " in " << view.viewport()->height();
    EXPECT_EQ(view.indexAt(rect.center()), current);
    // Where the row after the last would be, or as far down as an int goes.
    const auto below = static_cast<int>(std::min<qint64>(qint64{c.rows + 1} * c.itemHeight,
                                                         std::numeric_limits<int>::max()));
    EXPECT_FALSE(view.indexAt(QPoint(0, below)).isValid()) << "below the last row";
    combo.SetDroppedDown(false);
}

// The popup shows 8 rows of 16 pixels; 5 million rows of 500 pixels, one
// in view, are more pixels than an int holds.
INSTANTIATE_TEST_SUITE_P(
    Keys, OpenList,
    testing::Values(
        ListKeysCase{"down_moves_one_row", 100, 16, {Qt::Key_Home, Qt::Key_Down, Qt::Key_Down}, 2},
        ListKeysCase{"up_at_the_first_row_stays", 100, 16, {Qt::Key_Home, Qt::Key_Up}, 0},
        ListKeysCase{"down_at_the_last_row_stays", 100, 16, {Qt::Key_End, Qt::Key_Down}, -1},
        ListKeysCase{"page_down_moves_by_the_rows_in_view", 100, 16, {Qt::Key_Home, Qt::Key_PageDown}, 8},
        ListKeysCase{"page_down_stops_at_the_last_row", 100, 16, {Qt::Key_End, Qt::Key_Up, Qt::Key_PageDown}, -1},
        ListKeysCase{"page_up_from_the_end", 100, 16, {Qt::Key_End, Qt::Key_PageUp}, -9},
        ListKeysCase{"end_of_a_million_rows", 1000000, 16, {Qt::Key_End}, -1},
        ListKeysCase{"end_of_more_pixels_than_an_int", 5000000, 500, {Qt::Key_End}, -1}),
    [](const testing::TestParamInfo<ListKeysCase>& param) { return param.param.name; });

std::vector<std::string> ItemsOf(const TComboBox& combo)
{
    std::vector<std::string> items;
    for (TStrings::Index i = 0; i < combo.Items->Count(); ++i)
        items.emplace_back(combo.Items->Strings(i).View());
    return items;
}

// The first list is taken over, the second appended, and the views hear of
// all of them in one batch.
TEST(ComboBoxItems, AddStringsTakesAListOverAndAppendsTheNextInOneBatch)
{
    TComboBox combo(nullptr);
    int batches = 0;
    QObject::connect(Box(combo).model(), &QAbstractItemModel::rowsInserted, [&] { ++batches; });
    TStringList first;
    first.LoadFromBytes("a\nb\n");
    combo.Items->AddStrings(std::move(first));
    TStringList second;
    second.Add("c");
    combo.Items->AddStrings(std::move(second));
    EXPECT_EQ(ItemsOf(combo), (std::vector<std::string>{"a", "b", "c"}));
    QApplication::processEvents();
    EXPECT_EQ(Box(combo).count(), 3);
    EXPECT_EQ(batches, 1);
}

// A screen reader reads the description on the item's row and, while the
// item is picked, on the closed box; an empty description is none.
TEST(ComboBoxItems, RowsAndTheClosedBoxCarryTheItemsDescription)
{
    TComboBox combo(nullptr);
    combo.OnItemDescription = [](TComboBox*, int index) { return index == 1 ? ByteString("000660") : ByteString(); };
    Fill(combo, 2);
    QAbstractItemView& view = *Box(combo).view();
    EXPECT_EQ(view.model()->index(1, 0).data(Qt::AccessibleDescriptionRole).toString(), "000660");
    EXPECT_FALSE(view.model()->index(0, 0).data(Qt::AccessibleDescriptionRole).isValid());
    QAccessibleInterface* list = QAccessible::queryAccessibleInterface(&view);
    ASSERT_NE(list, nullptr);
    ASSERT_NE(list->tableInterface(), nullptr);
    EXPECT_EQ(list->tableInterface()->cellAt(1, 0)->text(QAccessible::Description), "000660");

    combo.SetItemIndex(1);
    EXPECT_EQ(Box(combo).accessibleDescription(), "000660");
    combo.SetItemIndex(0);
    EXPECT_EQ(Box(combo).accessibleDescription(), "");
}

}  // namespace
