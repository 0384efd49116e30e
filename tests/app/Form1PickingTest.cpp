#include "Form1TypingFixture.h"

#include <QAccessible>
#include <QAccessibleInterface>
#include <QApplication>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QElapsedTimer>
#include <QHelpEvent>
#include <QInputMethodEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QMenu>
#include <QMouseEvent>
#include <QThread>
#include <QTimer>
#include <QToolTip>

namespace {

class Form1Picking : public Form1TypingFixture {
protected:
    static void PressCopy(QWidget* target)
    {
        QKeyEvent press(QEvent::KeyPress, Qt::Key_C, Qt::ControlModifier, QStringLiteral("\x03"));
        QApplication::sendEvent(target, &press);
    }
};

// What the search's box says: what was typed, and whether it matched.
enum class Said { Found, NoMatch };

struct Search {
    QString typed;
    int row;  // where the pick is after it
    Said said = Said::Found;
    QString readAs = {};  // what the search says it searched instead
};

struct Typing {
    const char* means;
    int picked;                    // before typing, -1 for none
    std::vector<Search> searches;  // each after a pause
};

const Typing Typings[] = {
    {"keys typed quickly are one search, a space too; a pause starts a new one",
     -1,
     {{"LG E", LgEnergy}, {"Sam", Samsung005930}}},
    {"a name no stock has picks again what was picked before, and says so",
     Kia,
     {{"Samx", Kia, Said::NoMatch}, {"Zeta", Kia, Said::NoMatch}}},
    {"a code no stock has, though its start found one on the way, picks again what was picked before",
     Kia,
     {{"000661", Kia, Said::NoMatch}}},
    {"a market letter and digits no stock has pick again what was picked before",
     Celltrion,
     {{"Q000661", Celltrion, Said::NoMatch}}},
    {"initials no name has pick again what was picked before", Kia, {{"ㅋㅋ", Kia, Said::NoMatch}}},
    {"the same letter again steps on past equal names and wraps", -1, {{QString(6, 'S'), Samsung005930}}},
    {"sss is a step to the third name starting with s, not a narrowing", -1, {{"SSS", Samsung005935}}},
    {"000 is the smallest code starting with 000, no step", -1, {{"000", Kia}}},
    {"the same digit again steps on in code order and wraps", -1, {{QString(10, '0'), SkHynix}}},
    {"a name whose only match is above the start is found by wrapping to row 0", Samsung005935, {{"Kia", Kia}}},
    {"the same initial again that a name's syllables start with is those initials", -1, {{"ㅅㅅ", SamsungHangul}}},
    {"the same initial again that no name's syllables start with steps on", -1, {{"ㅅㅅㅅㅅ", Celltrion}}},
    {"a name is found inside, in either case, and Latin keys as the Korean keyboard types them",
     Kia,
     {{"전자", SamsungHangul},
      {"samsung", Samsung005930},
      {"hynix", SkHynix},
      {"tkatjd", SamsungHangul, Said::Found, "삼성"}}},
    {"new initials go on from the picked stock", Celltrion, {{"ㅅ", Celltrion}}},
};

// Typing into the closed box, which picks what it finds.
using Form1PickingByTyping = Form1Picking;

// The search's box: its text, the composing part underlined, and what it
// tells screen readers; nothing while no search is shown.
struct Shown {
    QString text;
    QString name;
};

Shown ShownSearch()
{
    for (QWidget* window : QApplication::topLevelWidgets())
        if (auto* label = qobject_cast<QLabel*>(window); label != nullptr && label->isVisible())
            return {label->text(), label->accessibleName()};
    return {};
}

QString SaidFor(const Search& search)
{
    if (search.said == Said::NoMatch)
        return QStringLiteral("No stock matches \"%1\"").arg(search.typed);
    if (!search.readAs.isEmpty())
        return QStringLiteral("Searching for \"%1\" as \"%2\"").arg(search.typed, search.readAs);
    return QStringLiteral("Searching for \"%1\"").arg(search.typed);
}

TEST_F(Form1PickingByTyping, EachSearchLeadsToTheRowItFindsOrBackToThePick)
{
    for (const Typing& typing : Typings) {
        SCOPED_TRACE(typing.means);
        const auto form = OpenForm();
        form->ComboBox1->SetItemIndex(typing.picked);
        QWidget* target = &Box(form->ComboBox1);
        for (std::size_t i = 0; i < typing.searches.size(); ++i) {
            if (i > 0)
                Pause();
            const Search& search = typing.searches[i];
            Type(target, search.typed);
            EXPECT_EQ(form->ComboBox1->ItemIndex(), search.row) << search.typed.toStdString();
            EXPECT_EQ(ShownSearch().name, SaidFor(search)) << search.typed.toStdString();
            EXPECT_EQ(ShownSearch().text.contains(" → " + search.readAs), !search.readAs.isEmpty())
                << "what it searched instead is shown: " << ShownSearch().text.toStdString();
            EXPECT_EQ(ShownSearch().text.contains("no match"), search.said == Said::NoMatch)
                << "a word says so, not colour alone: " << ShownSearch().text.toStdString();
        }
        EXPECT_EQ(form->ComboBox1->Items->Strings(0).View(), "NULL") << "the items stay placeholders";
    }
}

// What an input method sends, or a key that edits the search, then the row
// it leads to and the search text shown, the composing part underlined.
struct Composed {
    enum { Event, Backspace, Escape, Pause } what;
    QString commit, preedit;
    int row;
    QString shown;
    Said said = Said::Found;
};

const Composed PauseStep{Composed::Pause, {}, {}, 0, {}};

struct Composing {
    const char* means;
    int picked;
    std::vector<Composed> steps;
};

// In name order: LG, 삼성전자, 삼성화재, 셀트리온, 카카오, 하겐, 하나금융.
const Composing Compositions[] = {
    {"each preedit change searches as every syllable it can become; a commit of a syllable searched adds nothing",
     3,
     {{Composed::Event, "", "ㅅ", 3, "<u>ㅅ</u>"},
      {Composed::Event, "", "사", 1, "<u>사</u>"},
      {Composed::Event, "", "삼", 1, "<u>삼</u>"},
      {Composed::Event, "삼", "ㅅ", 1, "삼<u>ㅅ</u>"},
      {Composed::Event, "", "성", 1, "삼<u>성</u>"},
      {Composed::Event, "성", "ㅎ", 2, "삼성<u>ㅎ</u>"},
      {Composed::Event, "", "화", 2, "삼성<u>화</u>"},
      {Composed::Event, "화", "", 2, "삼성화"}}},
    {"a syllable left composing by a pause is not in the next search",
     -1,
     {{Composed::Event, "", "ㅋ", 4, "<u>ㅋ</u>"},
      {Composed::Event, "ㅋ", "ㅋ", 4, "ㅋ<u>ㅋ</u>"},
      PauseStep,
      {Composed::Event, "ㅋ", "ㅎ", 5, "<u>ㅎ</u>"},
      {Composed::Event, "ㅎ", "ㄴ", 6, "ㅎ<u>ㄴ</u>"}}},
    {"a syllable still composed after a pause is one, in the next search",
     -1,
     {{Composed::Event, "", "ㅅ", 1, "<u>ㅅ</u>"}, PauseStep, {Composed::Event, "", "셀", 3, "<u>셀</u>"}}},
    {"a new search goes on from the row the last one led to",
     3,
     {{Composed::Event, "", "ㅋ", 4, "<u>ㅋ</u>"}, PauseStep, {Composed::Event, "", "ㅅ", 1, "<u>ㅅ</u>"}}},
    {"Backspace searches again without the last character; Escape ends the search",
     -1,
     {{Composed::Event, "삼성화", "", 2, "삼성화"},
      {Composed::Backspace, "", "", 1, "삼성"},
      {Composed::Escape, "", "", 1, ""},
      {Composed::Event, "셀", "", 3, "셀"}}},
    {"Backspace inside a composition, then a second ㅅ, matches nothing, and the box and the pick agree throughout",
     3,
     {{Composed::Event, "삼", "성", 1, "삼<u>성</u>"},
      {Composed::Event, "", "서", 1, "삼<u>서</u>"},
      {Composed::Event, "", "ㅅ", 1, "삼<u>ㅅ</u>"},
      {Composed::Event, "ㅅ", "ㅅ", 3, "삼ㅅ<u>ㅅ</u>", Said::NoMatch},
      {Composed::Event, "", "", 3, "삼ㅅ", Said::NoMatch},
      {Composed::Backspace, "", "", 1, "삼"}}},
    {"a final still composing counts as the start of the next syllable too: 한 as 하나",
     3,
     {{Composed::Event, "", "하", 5, "<u>하</u>"}, {Composed::Event, "", "한", 6, "<u>한</u>"}}},
    {"the input method's commit of the syllable it composed, as Escape ends the composition, keeps the pick",
     3,
     {{Composed::Event, "삼", "서", 1, "삼<u>서</u>"},
      {Composed::Event, "서", "", 1, "삼서"},
      {Composed::Escape, "", "", 1, ""}}},
    {"the same commit as ibus sends it, the preedit cleared first and an empty event after, keeps the pick",
     3,
     {{Composed::Event, "삼", "서", 1, "삼<u>서</u>"},
      {Composed::Event, "", "", 1, "삼"},
      {Composed::Event, "서", "", 1, "삼서"},
      {Composed::Event, "", "", 1, "삼서"},
      {Composed::Escape, "", "", 1, ""}}},
    {"a typo matches nothing and the pick goes back; taking it back brings the match back",
     3,
     {{Composed::Event, "삼성", "젼", 3, "삼성<u>젼</u>", Said::NoMatch},
      {Composed::Event, "", "져", 3, "삼성<u>져</u>", Said::NoMatch},
      {Composed::Event, "", "ㅈ", 1, "삼성<u>ㅈ</u>"}}},
};

TEST_F(Form1PickingByTyping, InputMethodTextSearchesWhileItIsComposed)
{
    WriteMaster("fmast.dat", {"LG", "삼성전자", "삼성화재", "셀트리온", "카카오", "하겐", "하나금융"});
    for (const Composing& composing : Compositions) {
        SCOPED_TRACE(composing.means);
        const auto form = OpenForm();
        form->ComboBox1->SetItemIndex(composing.picked);
        QWidget* target = &Box(form->ComboBox1);
        for (const Composed& step : composing.steps) {
            if (step.what == Composed::Pause) {
                Pause();
                continue;
            }
            if (step.what == Composed::Event) {
                QInputMethodEvent event(step.preedit, {});
                event.setCommitString(step.commit);
                QApplication::sendEvent(target, &event);
            } else {
                QKeyEvent press(QEvent::KeyPress, step.what == Composed::Escape ? Qt::Key_Escape : Qt::Key_Backspace,
                                Qt::NoModifier);
                QApplication::sendEvent(target, &press);
            }
            const std::string trace = step.commit.toStdString() + "|" + step.preedit.toStdString();
            EXPECT_EQ(form->ComboBox1->ItemIndex(), step.row) << trace;
            const Shown shown = ShownSearch();
            EXPECT_EQ(shown.text.section("&nbsp;", 0, 0), step.shown) << trace;
            if (!step.shown.isEmpty()) {
                EXPECT_EQ(shown.name.startsWith("No stock matches"), step.said == Said::NoMatch) << trace;
            }
        }
        EXPECT_FALSE(form->ComboBox1->DroppedDown());
    }
}

TEST_F(Form1Picking, ANoMatchNoticeStaysAWhileAfterItsSearchEndsThenGoes)
{
    const auto form = OpenForm();
    form->ComboBox1->SetItemIndex(Kia);
    Type(&Box(form->ComboBox1), "Zeta");
    QElapsedTimer since;
    since.start();
    const auto waitUntil = [&](qint64 ms) {
        while (since.elapsed() < ms) {
            QCoreApplication::processEvents();
            QThread::msleep(10);
        }
    };
    waitUntil(KeyInterval + 200);
    EXPECT_TRUE(ShownSearch().text.contains("no match")) << "still shown after its search ended";
    waitUntil(KeyInterval + 2500 + 500);
    EXPECT_TRUE(ShownSearch().text.isEmpty()) << "gone after its while: " << ShownSearch().text.toStdString();
    EXPECT_EQ(form->ComboBox1->ItemIndex(), Kia);
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
    PressCopy(&box);
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

// Keys typed as the list shows wait for its search to be made, and are then
// answered; keys typed while the code index is still being built are
// answered at once, by a scan of the codes' keys; each with the pick the
// same keys give once it is built.
TEST_F(Form1Picking, KeysTypedBeforeTheSearchWaitForItAndKeysTypedBeforeTheCodeIndexPickAtOnce)
{
    std::string big;
    for (int i = 0; i < 1'000'000; ++i)
        big += MasterLine(std::to_string(100000 + i), "Fund " + std::to_string(i));
    big += MasterLine("A005930", "삼성전자") + MasterLine("000660", "SK Hynix");
    dir_.Write("fmast.dat", big);
    QApplication::setKeyboardInputInterval(1000);  // the keys below are one search however slow the machine
    auto form = NewForm<TForm1>(nullptr);
    form->DoCreate();
    form->Show();
    WaitForList(*form);
    const auto samsung = static_cast<int>(form->ComboBox1->Items->Count() - 1);
    ASSERT_TRUE(form->ComboBox1->TypingHeld()) << "the list shows before its search is made";
    QWidget* box = &Box(form->ComboBox1);
    Type(box, "0059");
    EXPECT_EQ(form->ComboBox1->ItemIndex(), -1) << "answered before the search is made";
    WaitForSearch(*form);
    EXPECT_EQ(form->ComboBox1->ItemIndex(), samsung) << "answered once it is made";
    ASSERT_TRUE(Busy(*form)) << "the list's search is made before its code index is built";
    Type(box, "30");
    EXPECT_EQ(form->ComboBox1->ItemIndex(), samsung) << "answered at once";
    EXPECT_EQ(ShownSearch().name, "Searching for \"005930\"") << "every key kept, in order";
    Type(box, "1");
    EXPECT_EQ(form->ComboBox1->ItemIndex(), -1) << "no code starts 0059301";
    while (Busy(*form))
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    QApplication::setKeyboardInputInterval(KeyInterval);
    Pause();
    form->ComboBox1->SetItemIndex(-1);
    Type(box, "005930");
    EXPECT_EQ(form->ComboBox1->ItemIndex(), samsung) << "the same keys typed now";
}

// While a load runs the buttons show that they wait, and a click on them
// does nothing; the keys typed meanwhile are answered when the list shows,
// with the pick the same keys give after it.
TEST_F(Form1Picking, ButtonsWaitForALoadAndKeysTypedMeanwhileAreAnswered)
{
    std::string big;
    for (int i = 0; i < 300000; ++i)
        big += MasterLine(std::to_string(100000 + i), "Fund " + std::to_string(i));
    dir_.Write("omast.dat", big);
    const auto form = OpenForm();
    ASSERT_TRUE(form->BitBtn1->Enabled() && form->BitBtn2->Enabled());
    form->BitBtn1->Click();
    ASSERT_FALSE(form->BitBtn1->Enabled()) << "a load runs";
    EXPECT_FALSE(form->BitBtn2->Enabled());
    QApplication::setKeyboardInputInterval(1000);  // one search however slow the machine
    Type(&Box(form->ComboBox1), "Fund 1234");
    form->BitBtn2->Click();
    ASSERT_FALSE(form->BitBtn1->Enabled()) << "the keys came during the load";
    // Not until the indexes are built too: on a busy machine the search's
    // notice would be gone by then.
    WaitForSearch(*form);
    EXPECT_EQ(form->ComboBox1->Items->Count(), 300000) << "the click on \"fmast.dat\" did nothing";
    EXPECT_TRUE(form->BitBtn1->Enabled() && form->BitBtn2->Enabled());
    const int picked = form->ComboBox1->ItemIndex();
    EXPECT_EQ(form->ComboBox1ItemText(form->ComboBox1, picked).View(), "Fund 1234");
    EXPECT_EQ(ShownSearch().name, "Searching for \"Fund 1234\"");
    QApplication::setKeyboardInputInterval(KeyInterval);
    Pause();
    form->ComboBox1->SetItemIndex(-1);
    Type(&Box(form->ComboBox1), "Fund 1234");
    EXPECT_EQ(form->ComboBox1->ItemIndex(), picked) << "the same keys typed now";
    EXPECT_TRUE(reports_.empty());
}

}  // namespace
