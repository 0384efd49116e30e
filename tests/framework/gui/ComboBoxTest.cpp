#include "framework/core/TStringList.h"
#include "framework/gui/StdCtrls.h"

#include <QAbstractItemView>
#include <QAccessible>
#include <QApplication>
#include <QComboBox>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QThread>

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

namespace {

// What the open list does with a key the box hands it, or a click, and
// whether the pick changes: rows 0-9, row 2 picked, row 5 highlighted.
struct OpenListAction {
    const char* name;
    void (*act)(QComboBox& box);
    bool staysOpen;
    int picked;
};

void Press(QComboBox& box, int key, Qt::KeyboardModifiers modifiers = Qt::NoModifier)
{
    QKeyEvent press(QEvent::KeyPress, key, modifiers);
    QApplication::sendEvent(&box, &press);
}

void Click(QWidget& widget, QPoint at)
{
    for (const QEvent::Type type : {QEvent::MouseButtonPress, QEvent::MouseButtonRelease}) {
        QMouseEvent event(type, at, widget.mapToGlobal(at), Qt::LeftButton,
                          type == QEvent::MouseButtonPress ? Qt::LeftButton : Qt::NoButton, Qt::NoModifier);
        QApplication::sendEvent(&widget, &event);
    }
}

void PrintTo(const OpenListAction& action, std::ostream* out)
{
    *out << action.name;
}

class OpenListActions : public testing::TestWithParam<OpenListAction> {};

TEST_P(OpenListActions, CloseOrPickAsAListDoes)
{
    TComboBox combo(nullptr);
    combo.SetStyle(TComboBoxStyle::csOwnerDrawFixed);
    Fill(combo, 10);
    QWidget window;
    Box(combo).setParent(&window);
    window.show();
    combo.SetItemIndex(2);
    combo.SetDroppedDown(true);
    QAbstractItemView& view = *Box(combo).view();
    view.setCurrentIndex(view.model()->index(5, 0));
    GetParam().act(Box(combo));
    QApplication::processEvents();
    EXPECT_EQ(combo.DroppedDown(), GetParam().staysOpen);
    EXPECT_EQ(combo.ItemIndex(), GetParam().picked);
    Box(combo).setParent(nullptr);
}

INSTANTIATE_TEST_SUITE_P(
    Keys, OpenListActions,
    testing::Values(
        OpenListAction{"return_picks_the_highlighted_row", [](QComboBox& box) { Press(box, Qt::Key_Return); }, false,
                       5},
        OpenListAction{"keypad_enter_picks_the_highlighted_row",
                       [](QComboBox& box) { Press(box, Qt::Key_Enter, Qt::KeypadModifier); }, false, 5},
        OpenListAction{"escape_closes_without_picking", [](QComboBox& box) { Press(box, Qt::Key_Escape); }, false, 2},
        OpenListAction{"alt_up_closes_without_picking", [](QComboBox& box) { Press(box, Qt::Key_Up, Qt::AltModifier); },
                       false, 2},
        OpenListAction{"tab_does_nothing_while_the_list_is_open", [](QComboBox& box) { Press(box, Qt::Key_Tab); }, true,
                       2},
        OpenListAction{"a_click_on_a_row_picks_it",
                       [](QComboBox& box) {
                           QAbstractItemView& view = *box.view();
                           Click(*view.viewport(), view.visualRect(view.model()->index(7, 0)).center());
                       },
                       false, 7},
        OpenListAction{"a_click_on_the_box_only_closes_the_list",
                       [](QComboBox& box) { Click(box, box.rect().center()); }, false, 2},
        OpenListAction{"a_click_beside_the_box_closes_the_list",
                       [](QComboBox& box) { Click(*box.window(), box.geometry().bottomRight() + QPoint(50, 50)); },
                       false, 2}),
    [](const testing::TestParamInfo<OpenListAction>& param) { return param.param.name; });

struct KeptKeysCase {
    const char* name;
    std::vector<QString> typed;  // each typed at once, with a pause before the next
    int picked;
};

void PrintTo(const KeptKeysCase& c, std::ostream* out)
{
    *out << c.name;
}

class KeysTypedWhileFilling : public testing::TestWithParam<KeptKeysCase> {};

// Keys typed while the list is being filled (its progress shows) are
// answered once the handler that hides the progress has filled it, in
// order, a pause between them ending a search as it would have then.
TEST_P(KeysTypedWhileFilling, AreAnsweredOnceTheListIsFilled)
{
    // Long enough that a busy machine never splits the keys typed at once.
    constexpr int interval = 250;
    const int previousInterval = QApplication::keyboardInputInterval();
    QApplication::setKeyboardInputInterval(interval);
    TComboBox combo(nullptr);
    combo.ShowProgress(50, "Loading");
    for (std::size_t i = 0; i < GetParam().typed.size(); ++i) {
        if (i > 0)
            QThread::msleep(2 * interval);
        for (const QChar c : GetParam().typed[i]) {
            QKeyEvent press(QEvent::KeyPress, 0, Qt::NoModifier, QString(c));
            QApplication::sendEvent(&Box(combo), &press);
        }
    }
    QApplication::processEvents();
    EXPECT_EQ(combo.ItemIndex(), -1) << "nothing to pick yet";
    combo.HideProgress();
    TStringList items;
    for (const char* item : {"kia", "samsung", "sk"})
        items.Add(item);
    combo.Items->AddStrings(std::move(items));
    QApplication::processEvents();
    EXPECT_EQ(combo.ItemIndex(), GetParam().picked);
    QApplication::setKeyboardInputInterval(previousInterval);
}

// A list cleared to be filled again ends the search typed into it: the keys
// typed while it fills begin a new one, however soon they come.
TEST(KeysTypedWhileFillingAgain, BeginANewSearch)
{
    const int previousInterval = QApplication::keyboardInputInterval();
    QApplication::setKeyboardInputInterval(60000);
    TComboBox combo(nullptr);
    const auto fill = [&] {
        TStringList items;
        for (const char* item : {"kia", "samsung", "sk"})
            items.Add(item);
        combo.Items->AddStrings(std::move(items));
        QApplication::processEvents();
    };
    const auto type = [&](QChar c) {
        QKeyEvent press(QEvent::KeyPress, 0, Qt::NoModifier, QString(c));
        QApplication::sendEvent(&Box(combo), &press);
    };
    fill();
    type(u'k');
    ASSERT_EQ(combo.ItemIndex(), 0);
    combo.Clear();
    combo.ShowProgress(0, "Loading");
    type(u's');
    combo.HideProgress();
    fill();
    EXPECT_EQ(combo.ItemIndex(), 1) << "\"s\" alone, not \"ks\"";
    QApplication::setKeyboardInputInterval(previousInterval);
}

// Keys typed into a filled list while its typing is held are kept until it
// is released, and then still while a progress shows.
TEST(KeysTypedWhileHeld, AreAnsweredOnceReleasedAndNoProgressShows)
{
    const int previousInterval = QApplication::keyboardInputInterval();
    QApplication::setKeyboardInputInterval(60000);
    TComboBox combo(nullptr);
    TStringList items;
    for (const char* item : {"kia", "samsung", "sk"})
        items.Add(item);
    combo.Items->AddStrings(std::move(items));
    combo.HoldTyping(true);
    for (const QChar c : QStringLiteral("sk")) {
        QKeyEvent press(QEvent::KeyPress, 0, Qt::NoModifier, QString(c));
        QApplication::sendEvent(&Box(combo), &press);
    }
    QApplication::processEvents();
    EXPECT_EQ(combo.ItemIndex(), -1) << "answered while held";
    combo.ShowProgress(0, "Loading");
    combo.HoldTyping(false);
    QApplication::processEvents();
    EXPECT_EQ(combo.ItemIndex(), -1) << "answered while the progress shows";
    combo.HideProgress();
    QApplication::processEvents();
    EXPECT_EQ(combo.ItemIndex(), 2) << "\"sk\", in order";
    QApplication::setKeyboardInputInterval(previousInterval);
}

INSTANTIATE_TEST_SUITE_P(Typing, KeysTypedWhileFilling,
                         testing::Values(KeptKeysCase{"keys_at_once_are_one_search", {"sk"}, 2},
                                         KeptKeysCase{"a_pause_begins_a_new_search", {"s", "k"}, 0},
                                         KeptKeysCase{"keys_after_a_pause_go_on_from_there", {"k", "sa"}, 1}),
                         [](const testing::TestParamInfo<KeptKeysCase>& param) { return param.param.name; });

}  // namespace
