#include "Form1TypingFixture.h"

#include <QAccessible>
#include <QAccessibleInterface>
#include <QApplication>
#include <QInputMethodEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QLocale>
#include <QThread>

#include <optional>
#include <string>
#include <vector>

namespace {

// One thing the user does while the list is open, then what the list and
// the search's box show.
struct Step {
    enum { Type, Key, Compose, Pause } what;
    QString text = {};  // typed, or committed by the input method
    int key = 0;
    QString preedit = {};
    // The rows, each its name and code, as screen readers read them; none
    // for the whole list.
    std::optional<std::vector<std::string>> rows = {};
    std::string highlighted = {};
    QString shown = {};   // the search's box, empty: hidden
    QString spoken = {};  // its name to screen readers, unless empty
    bool open = true;
    int times = 1;  // the key pressed so many times
};

struct Narrowing {
    const char* means;
    int picked;
    int pickedAfter;
    std::vector<Step> steps;
};

const std::vector<std::string> SamsungLatin{"Samsung Electronics 005930", "Samsung Electronics 005935",
                                            "Samsung SDI 006400"};

const Narrowing Narrowings[] = {
    {"typing narrows the list to the matches, Backspace widens it, Return picks a match",
     SamsungSdi,
     SamsungHangul,
     {{Step::Type, "sa", 0, {}, SamsungLatin, SamsungLatin[0], "sa · 3", "3 stocks match \"sa\""},
      {Step::Key, {}, Qt::Key_Down, {}, SamsungLatin, SamsungLatin[1], "sa · 3"},
      {Step::Type, "m", 0, {}, SamsungLatin, SamsungLatin[0], "sam · 3"},
      {Step::Type, "x", 0, {}, std::vector<std::string>{}, {}, "samx", "No stock matches \"samx\""},
      {Step::Key, {}, Qt::Key_Backspace, {}, SamsungLatin, SamsungLatin[0], "sam · 3"},
      // The whole list, highlighting the first match of the last text, "s".
      {Step::Key, {}, Qt::Key_Backspace, {}, std::nullopt, "SK Hynix 000660", {}, {}, true, 3},
      {Step::Key, {}, Qt::Key_End, {}, std::nullopt, "셀트리온 068270"},
      {Step::Type,
       "전자",
       0,
       {},
       std::vector<std::string>{"삼성전자 005930"},
       "삼성전자 005930",
       "전자 · 1",
       "1 stock matches \"전자\""},
      {Step::Key, {}, Qt::Key_Return, {}, std::nullopt, {}, {}, {}, false}}},

    {"Escape brings the whole list back with the match highlighted; a second closes it, the pick unchanged",
     Celltrion,
     Celltrion,
     {{Step::Type, "kia", 0, {}, std::vector<std::string>{"kia motors 999001", "Kia 000270"}, "kia motors 999001"},
      {Step::Key, {}, Qt::Key_Down, {}, std::vector<std::string>{"kia motors 999001", "Kia 000270"}, "Kia 000270"},
      {Step::Key, {}, Qt::Key_Escape, {}, std::nullopt, "Kia 000270"},
      {Step::Key, {}, Qt::Key_Escape, {}, std::nullopt, {}, {}, {}, false}}},

    {"a pause never ends the search in the open list: a slow syllable goes on in it",
     Kia,
     Kia,
     {{Step::Compose, {}, 0, "삼", std::vector<std::string>{"삼성전자 005930"}, "삼성전자 005930", "<u>삼</u> · 1"},
      {Step::Pause},
      {Step::Compose, "삼", 0, "ㅅ", std::vector<std::string>{"삼성전자 005930"}, "삼성전자 005930", "삼<u>ㅅ</u> · 1"},
      {Step::Compose, {}, 0, "성", std::vector<std::string>{"삼성전자 005930"}, "삼성전자 005930", "삼<u>성</u> · 1"},
      // ibus commits a syllable in two events: the preedit cleared, then the commit.
      {Step::Compose, {}, 0, {}, std::vector<std::string>{"삼성전자 005930"}},
      {Step::Compose, "성", 0, {}, std::vector<std::string>{"삼성전자 005930"}, "삼성전자 005930", "삼성 · 1"},
      {Step::Type, "x", 0, {}, std::vector<std::string>{}}}},

    {"the 2-set reading is said, and its matches follow",
     Kia,
     Kia,
     {{Step::Type,
       "tkatjd",
       0,
       {},
       std::vector<std::string>{"삼성전자 005930"},
       "삼성전자 005930",
       "tkatjd → 삼성 · 1",
       "1 stock matches \"삼성\""}}},
};

class Form1Narrowing : public Form1TypingFixture {
protected:
    void SetUp() override
    {
        Form1TypingFixture::SetUp();
        QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
    }
    void TearDown() override
    {
        QLocale::setDefault(QLocale::c());
        Form1TypingFixture::TearDown();
    }

    static void Press(QWidget* target, int key, Qt::KeyboardModifiers modifiers = Qt::NoModifier,
                      const QString& text = {})
    {
        QKeyEvent press(QEvent::KeyPress, key, modifiers, text);
        QApplication::sendEvent(target, &press);
    }
    // What the open list shows, row by row, as screen readers read it.
    static std::vector<std::string> Rows(QComboBox& box)
    {
        QAccessibleInterface* list = QAccessible::queryAccessibleInterface(box.view());
        std::vector<std::string> rows;
        for (int row = 0; row < list->tableInterface()->rowCount(); ++row)
            rows.push_back(Said(list->tableInterface()->cellAt(row, 0)));
        return rows;
    }
    static std::string Said(QAccessibleInterface* cell)
    {
        return (cell->text(QAccessible::Name) + " " + cell->text(QAccessible::Description)).toStdString();
    }
    static std::string Highlighted(QComboBox& box)
    {
        const QModelIndex current = box.view()->currentIndex();
        if (!current.isValid())
            return {};
        return (current.data(Qt::AccessibleTextRole).toString() + " " +
                current.data(Qt::AccessibleDescriptionRole).toString())
            .toStdString();
    }
    static const QLabel* ShownSearch()
    {
        for (QWidget* window : QApplication::topLevelWidgets())
            if (auto* label = qobject_cast<QLabel*>(window); label != nullptr && label->isVisible())
                return label;
        return nullptr;
    }
};

TEST_F(Form1Narrowing, TheOpenListShowsOnlyTheMatchesWhileASearchLasts)
{
    for (const Narrowing& narrowing : Narrowings) {
        SCOPED_TRACE(narrowing.means);
        const auto form = OpenForm();
        QComboBox& box = Box(form->ComboBox1);
        form->ComboBox1->SetItemIndex(narrowing.picked);
        form->ComboBox1->SetDroppedDown(true);
        Settle();
        for (const Step& step : narrowing.steps) {
            const std::string trace = (step.text + "|" + step.preedit + "|" + QString::number(step.key)).toStdString();
            switch (step.what) {
            case Step::Type:
                Type(&box, step.text);
                break;
            case Step::Key:
                for (int i = 0; i < step.times; ++i)
                    Press(&box, step.key);
                break;
            case Step::Compose: {
                QInputMethodEvent event(step.preedit, {});
                event.setCommitString(step.text);
                QApplication::sendEvent(&box, &event);
                break;
            }
            case Step::Pause:
                QThread::msleep(3 * KeyInterval);
                Settle();
                continue;
            }
            Settle();
            EXPECT_EQ(form->ComboBox1->DroppedDown(), step.open) << trace;
            if (!step.open)
                continue;
            if (step.rows) {
                EXPECT_EQ(Rows(box), *step.rows) << trace;
            } else {
                EXPECT_EQ(std::ssize(Rows(box)), PickingRows) << trace << ": the whole list";
            }
            if (!step.highlighted.empty()) {
                EXPECT_EQ(Highlighted(box), step.highlighted) << trace;
            }
            if (const QModelIndex current = box.view()->currentIndex(); current.isValid()) {
                EXPECT_TRUE(box.view()->viewport()->rect().contains(box.view()->visualRect(current)))
                    << trace << ": the highlighted row is in view";
            }
            const QLabel* shown = ShownSearch();
            if (!step.shown.isEmpty()) {
                ASSERT_NE(shown, nullptr) << trace;
                EXPECT_EQ(shown->text().section("&nbsp;", 0, 0), step.shown) << trace;
            }
            if (!step.spoken.isEmpty()) {
                EXPECT_EQ(shown->accessibleName(), step.spoken) << trace;
            }
        }
        EXPECT_EQ(form->ComboBox1->ItemIndex(), narrowing.pickedAfter);
        EXPECT_EQ(form->ComboBox1->Items->Strings(0).View(), "NULL") << "the items stay placeholders";
    }
}

TEST_F(Form1Narrowing, TheRowsPaintedAreTheMatchesInAListThatFitsThem)
{
    const auto form = OpenForm();
    QComboBox& box = Box(form->ComboBox1);
    form->ComboBox1->SetDroppedDown(true);
    Settle();
    std::vector<int> painted;
    const TDrawItemEvent draw = form->ComboBox1->OnDrawItem;
    form->ComboBox1->OnDrawItem = [&](TWinControl* control, int index, const TRect& rect, TOwnerDrawState state) {
        painted.push_back(index);
        draw(control, index, rect, state);
    };
    Type(&box, "Samsung");
    Settle();
    painted.clear();
    box.view()->viewport()->repaint();
    EXPECT_EQ(painted, (std::vector<int>{Samsung005930, Samsung005935, SamsungSdi}));
    EXPECT_EQ(box.view()->viewport()->height(), 3 * form->ComboBox1->ItemHeight()) << "the list fits its matches";
    Press(&box, Qt::Key_Escape);
    Settle();
    EXPECT_EQ(box.view()->viewport()->height(), 8 * form->ComboBox1->ItemHeight()) << "8 rows of every item again";
}

TEST_F(Form1Narrowing, AltDownOpensTheListNarrowedToTheSearchInTheBox)
{
    const auto form = OpenForm();
    QComboBox& box = Box(form->ComboBox1);
    form->ComboBox1->SetItemIndex(Kia);
    Type(&box, "sa");
    Press(&box, Qt::Key_Down, Qt::AltModifier);
    Settle();
    ASSERT_TRUE(form->ComboBox1->DroppedDown());
    EXPECT_EQ(Rows(box), SamsungLatin);
    EXPECT_EQ(Highlighted(box), SamsungLatin[0]);
    EXPECT_EQ(form->ComboBox1->ItemIndex(), Samsung005930) << "the closed box picked the first match";
}

TEST_F(Form1Narrowing, ALongListIsCountedBesideTheEventLoopItsCountGroupedAsTheLocaleGroups)
{
    std::vector<std::string> names;
    for (int i = 0; i < 9000; ++i)
        names.push_back("Fund " + std::to_string(10000 + i));
    names.push_back("Zeta Holdings");
    WriteMaster("fmast.dat", names);
    const auto form = OpenForm();
    QComboBox& box = Box(form->ComboBox1);
    form->ComboBox1->SetDroppedDown(true);
    Settle();
    Type(&box, "Fund");
    ASSERT_NE(ShownSearch(), nullptr);
    EXPECT_TRUE(ShownSearch()->text().endsWith("so far, counting")) << ShownSearch()->text().toStdString();
    EXPECT_TRUE(ShownSearch()->accessibleName().endsWith("still counting"));
    EXPECT_LT(box.view()->model()->rowCount(), 9000) << "shown before all are counted";
    while (box.view()->model()->rowCount() < 9000 || ShownSearch()->text().contains("counting"))
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    EXPECT_EQ(ShownSearch()->text(), "Fund · 9,000");
    EXPECT_EQ(ShownSearch()->accessibleName(), "9,000 stocks match \"Fund\"");
    EXPECT_EQ(Rows(box).back(), "Fund 18999 108999");
    Press(&box, Qt::Key_Escape);
    Settle();
    EXPECT_EQ(box.view()->model()->rowCount(), 9001) << "the whole list";
}

}  // namespace
