#include "Form1Fixture.h"
#include "support/PickingStocks.h"

#include <QAccessible>
#include <QAccessibleInterface>
#include <QApplication>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QElapsedTimer>
#include <QHelpEvent>
#include <QInputMethodEvent>
#include <QKeyEvent>
#include <QMenu>
#include <QMouseEvent>
#include <QThread>
#include <QTimer>
#include <QToolTip>

namespace {

class Form1Picking : public Form1Fixture {
protected:
    void SetUp() override
    {
        Form1Fixture::SetUp();
        dir_.Write("fmast.dat", PickingMaster);
        previousInterval_ = QApplication::keyboardInputInterval();
        QApplication::setKeyboardInputInterval(KeyInterval);
    }
    void TearDown() override
    {
        QApplication::setKeyboardInputInterval(previousInterval_);
        Form1Fixture::TearDown();
    }

    // Types `text` into `target` one character at a time, as quickly as a
    // person who means one search.
    static void Type(QWidget* target, const QString& text)
    {
        for (const QChar c : text) {
            QKeyEvent press(QEvent::KeyPress, 0, Qt::NoModifier, QString(c));
            QApplication::sendEvent(target, &press);
            QKeyEvent release(QEvent::KeyRelease, 0, Qt::NoModifier, QString(c));
            QApplication::sendEvent(target, &release);
        }
    }
    // Lets the keyboard interval pass, so the next key starts a new search.
    static void Pause() { QThread::msleep(KeyInterval + 50); }

    static void PressCopy(QWidget* target)
    {
        QKeyEvent press(QEvent::KeyPress, Qt::Key_C, Qt::ControlModifier, QStringLiteral("\x03"));
        QApplication::sendEvent(target, &press);
    }

    static constexpr int KeyInterval = 150;
    int previousInterval_ = 0;
};

// Where typing goes: the closed box picks, the open list moves its current row.
enum class Target { ClosedBox, OpenList };

struct Typing {
    const char* means;
    int picked;                                     // before typing, -1 for none
    std::vector<std::pair<QString, int>> searches;  // each after a pause, and the row it leads to
};

const Typing Typings[] = {
    {"keys typed quickly are one search, a space too; a pause starts a new one",
     -1,
     {{"LG E", LgEnergy}, {"Sam", Samsung005930}}},
    {"a search that finds nothing leaves the row alone", -1, {{"Samx", Samsung005930}, {"Zeta", Samsung005930}}},
    {"the same letter again steps on past equal names and wraps", -1, {{QString(6, 'S'), Samsung005930}}},
    {"the same digit again steps on in code order and wraps", -1, {{QString(10, '0'), SkHynix}}},
    {"the same initial again steps on", -1, {{"ㅅㅅ", Celltrion}}},
    {"new initials go on from the picked stock", Celltrion, {{"ㅅ", Celltrion}}},
};

class Form1PickingByTyping : public Form1Picking, public testing::WithParamInterface<Target> {
protected:
    // The widget typing goes to, the list opened first if it is the target.
    QWidget* Opened(TForm1& form)
    {
        if (GetParam() == Target::ClosedBox)
            return &Box(form.ComboBox1);
        form.ComboBox1->SetDroppedDown(true);
        Settle();
        return Box(form.ComboBox1).view();
    }
    int Current(TForm1& form)
    {
        return GetParam() == Target::ClosedBox ? form.ComboBox1->ItemIndex()
                                               : Box(form.ComboBox1).view()->currentIndex().row();
    }
};

TEST_P(Form1PickingByTyping, EachSearchLeadsToTheRowItFinds)
{
    for (const Typing& typing : Typings) {
        SCOPED_TRACE(typing.means);
        const auto form = OpenForm();
        form->ComboBox1->SetItemIndex(typing.picked);
        QWidget* target = Opened(*form);
        for (std::size_t i = 0; i < typing.searches.size(); ++i) {
            if (i > 0)
                Pause();
            const auto& [typed, row] = typing.searches[i];
            Type(target, typed);
            EXPECT_EQ(Current(*form), row) << typed.toStdString();
        }
        EXPECT_EQ(form->ComboBox1->Items->Strings(0).View(), "NULL") << "the items stay placeholders";
    }
}

INSTANTIATE_TEST_SUITE_P(Into, Form1PickingByTyping, testing::Values(Target::ClosedBox, Target::OpenList),
                         [](const testing::TestParamInfo<Target>& target) {
                             return target.param == Target::ClosedBox ? "TheClosedBox" : "TheOpenList";
                         });

TEST_F(Form1Picking, HangulCommittedByAnInputMethodFindsItsName)
{
    const auto form = OpenForm();
    QComboBox& box = Box(form->ComboBox1);
    EXPECT_TRUE(box.testAttribute(Qt::WA_InputMethodEnabled)) << "the layout names an input method";
    QInputMethodEvent composing(QStringLiteral("ㅅ"), {});
    QApplication::sendEvent(&box, &composing);
    EXPECT_EQ(form->ComboBox1->ItemIndex(), -1) << "text still being composed searches nothing";
    QInputMethodEvent committed;
    committed.setCommitString(QStringLiteral("삼성"));
    QApplication::sendEvent(&box, &committed);
    EXPECT_EQ(form->ComboBox1->ItemIndex(), SamsungHangul);
}

TEST_F(Form1Picking, TypingInTheOpenListMovesItsCurrentRowIntoView)
{
    std::vector<std::string> names;
    for (int i = 0; i < 5000; ++i)
        names.push_back("Fund " + std::to_string(10000 + i));
    names.push_back("Zeta Holdings");
    WriteMaster("fmast.dat", names);
    const auto form = OpenForm();
    form->ComboBox1->SetDroppedDown(true);
    Settle();
    QAbstractItemView* view = Box(form->ComboBox1).view();
    Type(view, "Ze");
    Settle();
    const QModelIndex zeta = view->currentIndex();
    EXPECT_EQ(zeta.row(), 5000);
    EXPECT_TRUE(view->viewport()->rect().contains(view->visualRect(zeta))) << "scrolled into view";
    EXPECT_TRUE(form->ComboBox1->DroppedDown()) << "the list stays open";
}

TEST_F(Form1Picking, TooltipsShowTheCodeOfEachOfTwoEqualNames)
{
    const auto form = OpenForm();
    QComboBox& box = Box(form->ComboBox1);
    QAbstractItemModel* model = box.model();
    EXPECT_EQ(model->index(Samsung005930, 0).data(Qt::ToolTipRole).toString(), "005930  Samsung Electronics");
    EXPECT_EQ(model->index(Samsung005935, 0).data(Qt::ToolTipRole).toString(), "005935  Samsung Electronics");
    EXPECT_EQ(model->index(Celltrion, 0).data(Qt::ToolTipRole).toString(), "068270  셀트리온");

    form->ComboBox1->SetItemIndex(Samsung005935);
    QHelpEvent help(QEvent::ToolTip, QPoint(10, 10), box.mapToGlobal(QPoint(10, 10)));
    QApplication::sendEvent(&box, &help);
    EXPECT_EQ(QToolTip::text(), "005935  Samsung Electronics") << "over the closed box";
    QToolTip::hideText();
}

TEST_F(Form1Picking, CopyPutsCodeTabNameOnTheClipboard)
{
    const auto form = OpenForm();
    QComboBox& box = Box(form->ComboBox1);
    QClipboard* clipboard = QGuiApplication::clipboard();
    clipboard->setText("before");
    PressCopy(&box);
    EXPECT_EQ(clipboard->text(), "before") << "nothing picked, nothing copied";

    form->ComboBox1->SetItemIndex(Samsung005935);
    PressCopy(&box);
    EXPECT_EQ(clipboard->text(), "005935\tSamsung Electronics");

    form->ComboBox1->SetDroppedDown(true);
    Settle();
    QAbstractItemView* view = box.view();
    view->setCurrentIndex(view->model()->index(Samsung005930, 0));
    PressCopy(view);
    EXPECT_EQ(clipboard->text(), "005930\tSamsung Electronics") << "the open list's current row";
    form->ComboBox1->SetDroppedDown(false);

    form->ComboBox1->SetItemIndex(SamsungHangul);
    QString entry;
    QTimer::singleShot(0, [&] {
        auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
        ASSERT_NE(menu, nullptr);
        QAction* copy = menu->actions().value(0);
        ASSERT_NE(copy, nullptr);
        entry = copy->text();
        copy->trigger();
        menu->close();
    });
    QContextMenuEvent context(QContextMenuEvent::Mouse, QPoint(5, 5), box.mapToGlobal(QPoint(5, 5)));
    QApplication::sendEvent(&box, &context);
    EXPECT_EQ(entry, "Copy");
    EXPECT_EQ(clipboard->text(), "005930\t삼성전자") << "from the context menu";
}

TEST_F(Form1Picking, ScreenReadersReadThePaintedNames)
{
    const auto form = OpenForm();
    QComboBox& box = Box(form->ComboBox1);
    QAccessibleInterface* window = QAccessible::queryAccessibleInterface(form->Widget());
    ASSERT_NE(window, nullptr);
    EXPECT_EQ(window->role(), QAccessible::Window);
    EXPECT_EQ(window->text(QAccessible::Name), "Form1");

    form->ComboBox1->SetItemIndex(Samsung005935);
    QAccessibleInterface* combo = QAccessible::queryAccessibleInterface(&box);
    ASSERT_NE(combo, nullptr);
    EXPECT_EQ(combo->text(QAccessible::Value), "Samsung Electronics");

    form->ComboBox1->SetDroppedDown(true);
    Settle();
    QAccessibleInterface* list = QAccessible::queryAccessibleInterface(box.view());
    ASSERT_NE(list, nullptr);
    ASSERT_NE(list->tableInterface(), nullptr);
    for (int row = 0; row < PickingRows; ++row) {
        QAccessibleInterface* cell = list->tableInterface()->cellAt(row, 0);
        ASSERT_NE(cell, nullptr) << "row " << row;
        EXPECT_NE(cell->text(QAccessible::Name), "NULL") << "row " << row;
    }
    EXPECT_EQ(list->tableInterface()->cellAt(Kia, 0)->text(QAccessible::Name), "Kia");
    EXPECT_EQ(list->tableInterface()->cellAt(Celltrion, 0)->text(QAccessible::Name), "셀트리온");
}

TEST_F(Form1Picking, ClicksGivenWhileALoadRunsDoNothing)
{
    std::string big;
    for (int i = 0; i < 300000; ++i)
        big += MasterLine(std::to_string(100000 + i), "Fund " + std::to_string(i));
    dir_.Write("omast.dat", big);
    const auto form = OpenForm();
    form->BitBtn1->Click();
    ASSERT_TRUE(form->Loading());
    form->BitBtn1->Click();
    form->BitBtn1->Click();
    WaitForLoad(*form);
    EXPECT_FALSE(form->Loading()) << "a click during the load started another";
    EXPECT_EQ(form->ComboBox1->Items->Count(), 300000);
    EXPECT_TRUE(reports_.empty());
}

}  // namespace
