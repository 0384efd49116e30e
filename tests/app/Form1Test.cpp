#include "Form1Fixture.h"

#include <QScreen>
#include <QStyleOptionComboBox>

#include <algorithm>

namespace {

using Form1Test = Form1Fixture;

// What a user sees of the window: its title and size on the screen, the two
// buttons side by side above the list, "fmast.dat" on the left, each control
// whole inside the window, the list taking Hangul from an input method, and
// Tab going from the list to "omast.dat", then to "fmast.dat".
TEST_F(Form1Test, ShowsTheListBelowItsTwoButtonsInsideTheWindow)
{
    WriteMaster("fmast.dat", {});
    const auto form = OpenForm();
    const QWidget& window = *form->Widget();
    EXPECT_EQ(window.windowTitle(), "Form1");
    const TRect frame = form->BoundsRect();
    EXPECT_EQ(frame.Right - frame.Left, 696);
    EXPECT_EQ(frame.Bottom - frame.Top, 480);
    EXPECT_TRUE(window.screen()->availableGeometry().contains(window.frameGeometry()));
    EXPECT_EQ(window.font().pixelSize(), 11);

    const QWidget& box = *form->ComboBox1->Widget();
    const QWidget& omast = *form->BitBtn1->Widget();
    const QWidget& fmast = *form->BitBtn2->Widget();
    EXPECT_EQ(form->BitBtn1->Caption(), "omast.dat");
    EXPECT_EQ(form->BitBtn2->Caption(), "fmast.dat");
    for (const QWidget* control : {&box, &omast, &fmast})
        EXPECT_TRUE(window.rect().contains(control->geometry())) << control->objectName().toStdString();
    EXPECT_LT(fmast.geometry().right(), omast.geometry().left()) << "side by side, fmast.dat on the left";
    EXPECT_LT(std::max(fmast.geometry().bottom(), omast.geometry().bottom()), box.geometry().top())
        << "the buttons above the list";
    EXPECT_GT(box.width(), omast.geometry().right() - fmast.geometry().left()) << "the list under both";
    EXPECT_TRUE(box.testAttribute(Qt::WA_InputMethodEnabled));

    EXPECT_EQ(box.nextInFocusChain(), &omast) << "tab order";
    EXPECT_EQ(omast.nextInFocusChain(), &fmast) << "tab order";
}

TEST_F(Form1Test, ListsOneItemPerLineAndPaintsTheNamesInNameOrder)
{
    const std::vector<std::string> names = {"Posco", "Kia", "", "Hanwha", "삼성전자", "Kia"};
    WriteMaster("fmast.dat", names);
    const auto form = OpenForm();
    TComboBox* combo = form->ComboBox1;
    ASSERT_EQ(combo->Items->Count(), 6);
    EXPECT_EQ(combo->Items->Strings(0).View(), "NULL");
    EXPECT_EQ(combo->ItemIndex(), -1) << "no item is selected after a load";
    EXPECT_TRUE(reports_.empty());

    const std::vector<std::string> nameOrder = {"", "Hanwha", "Kia", "Kia", "Posco", "삼성전자"};
    for (int row = 0; row < 6; ++row) {
        const QImage painted = PaintedRow(combo, row);
        EXPECT_EQ(painted.height(), 16) << "row " << row;
        EXPECT_EQ(painted, DrawnDirectly(Box(combo), painted.size(), nameOrder[static_cast<std::size_t>(row)], false))
            << "row " << row << " should show \"" << nameOrder[static_cast<std::size_t>(row)] << "\"";
    }
}

// A TAB would otherwise jump to an 80-pixel tab stop and push the rest of
// the name out of the row; a right-to-left override would draw "RTL evil" as
// "RTL live"; C1 controls as a missing glyph; screen readers would be handed
// raw ESC. Each shows as a mark, the same in the row, the closed box's text,
// what screen readers read and the tooltip.
TEST_F(Form1Test, ControlsInANameShowAsVisibleMarksWhereverTheNameShows)
{
    struct Name {
        const char* means;
        std::string name;
        QString shown;
    };
    // In name order, as the list shows them; the names under test hold the
    // bidirectional controls that the check warns of.
    // NOLINTBEGIN(misc-misleading-bidirectional)
    const std::vector<Name> names{
        {"TAB", "Kia\tMotors", QString::fromUtf8("Kia\u2409Motors")},
        {"ESC",
         "LG\x1B"
         "Chem",
         QString::fromUtf8("LG\u241BChem")},
        {"a C1 control", "NEL\u0085Co", QString::fromUtf8("NEL\u2426Co")},
        {"a right-to-left override", "RTL \u202Eevil", QString::fromUtf8("RTL \u2426evil")},
        {"an isolate and a mark", "X\u2067Y\u200Fz", QString::fromUtf8("X\u2426Y\u2426z")},
    };
    // NOLINTEND(misc-misleading-bidirectional)
    std::vector<std::string> lines;
    for (const Name& name : names)
        lines.push_back(name.name);
    WriteMaster("fmast.dat", lines);
    const auto form = OpenForm();
    QComboBox& box = Box(form->ComboBox1);
    for (int row = 0; row < static_cast<int>(names.size()); ++row) {
        const Name& name = names[static_cast<std::size_t>(row)];
        const QImage painted = PaintedRow(form->ComboBox1, row);
        EXPECT_EQ(painted, DrawnDirectly(box, painted.size(), name.shown.toStdString(), false)) << name.means;
        const QModelIndex index = box.model()->index(row, 0);
        EXPECT_EQ(index.data(Qt::DisplayRole).toString(), name.shown) << name.means;
        EXPECT_EQ(index.data(Qt::AccessibleTextRole).toString(), name.shown) << name.means;
        EXPECT_TRUE(index.data(Qt::ToolTipRole).toString().endsWith(name.shown)) << name.means;
    }
}

// The 38-byte name field cuts a character as often as not: one mark for it.
TEST_F(Form1Test, ACharacterCutAtTheFieldEdgeIsDrawnAsOneMark)
{
    std::string name;
    for (int i = 0; i < 12; ++i)
        name += "삼";  // 36 bytes
    WriteMaster("fmast.dat", {name + "\xEC\x84"});
    const auto form = OpenForm();
    const QImage painted = PaintedRow(form->ComboBox1, 0);
    EXPECT_EQ(painted, DrawnDirectly(Box(form->ComboBox1), painted.size(), name + "\uFFFD", false));
}

TEST_F(Form1Test, AnEmptyNamePaintsABlankRow)
{
    WriteMaster("fmast.dat", {"", "Kia"});
    const auto form = OpenForm();
    const QImage painted = PaintedRow(form->ComboBox1, 0);
    const QColor base = Box(form->ComboBox1).palette().color(QPalette::Base);
    for (int y = 0; y < painted.height(); ++y)
        for (int x = 0; x < painted.width(); ++x)
            ASSERT_EQ(painted.pixelColor(x, y), base) << "at " << x << "," << y;
}

TEST_F(Form1Test, TheSelectedRowUsesHighlightColours)
{
    WriteMaster("fmast.dat", {"Kia", "Hanwha", "Posco"});
    const auto form = OpenForm();
    form->ComboBox1->SetItemIndex(1);
    const QImage painted = PaintedRow(form->ComboBox1, 1);
    EXPECT_EQ(painted, DrawnDirectly(Box(form->ComboBox1), painted.size(), "Kia", true));
}

TEST_F(Form1Test, TheClosedBoxShowsTheChosenNameHighlightedWhileFocused)
{
    WriteMaster("fmast.dat", {"Kia", "Hanwha"});
    const auto form = OpenForm();
    QComboBox& box = Box(form->ComboBox1);
    form->ComboBox1->SetItemIndex(1);
    QStyleOptionComboBox option;
    option.initFrom(&box);
    const QRect field = box.style()->subControlRect(QStyle::CC_ComboBox, &option, QStyle::SC_ComboBoxEditField, &box);
    const auto paintedField = [&] {
        Settle();
        return box.grab(field).toImage().convertToFormat(QImage::Format_RGB32);
    };

    form->BitBtn1->Widget()->setFocus();
    EXPECT_EQ(paintedField(), DrawnDirectly(box, field.size(), "Kia", false)) << "not focused";
    box.setFocus();
    EXPECT_EQ(paintedField(), DrawnDirectly(box, field.size(), "Kia", true)) << "focused";
}

TEST_F(Form1Test, ReloadingGivesTheSameItemsNotTwiceAsMany)
{
    WriteMaster("fmast.dat", {"Kia"});
    WriteMaster("omast.dat", {"Posco", "Hanwha", "Doosan"});
    const auto form = OpenForm();
    Reload(*form);
    Settle();
    EXPECT_EQ(form->ComboBox1->Items->Count(), 3);
    Reload(*form);
    Settle();
    EXPECT_EQ(form->ComboBox1->Items->Count(), 3);
    const QImage firstRow = PaintedRow(form->ComboBox1, 0);
    EXPECT_EQ(firstRow, DrawnDirectly(Box(form->ComboBox1), firstRow.size(), "Doosan", false));
    EXPECT_TRUE(reports_.empty());
}

TEST_F(Form1Test, AMissingOmastEmptiesTheListAndIsReported)
{
    WriteMaster("fmast.dat", {"Kia", "Posco"});
    const auto form = OpenForm();
    form->ComboBox1->SetItemIndex(1);
    Reload(*form);
    Settle();
    EXPECT_EQ(form->ComboBox1->Items->Count(), 0);
    EXPECT_EQ(form->ComboBox1->ItemIndex(), -1);
    EXPECT_EQ(reports_, std::vector<std::string>{"cannot open file \"omast.dat\" in " + dir_.Path().string() +
                                                 ": No such file or directory"});

    WriteMaster("omast.dat", {"Hanwha"});
    Reload(*form);
    Settle();
    EXPECT_EQ(form->ComboBox1->Items->Count(), 1) << "the window keeps working";
}

TEST_F(Form1Test, AMissingFmastIsReportedAndTheWindowStillOpens)
{
    const auto form = OpenForm();
    EXPECT_EQ(form->ComboBox1->Items->Count(), 0);
    EXPECT_EQ(reports_, std::vector<std::string>{"cannot open file \"fmast.dat\" in " + dir_.Path().string() +
                                                 ": No such file or directory"});
    EXPECT_TRUE(form->Widget()->isVisible());
}

TEST_F(Form1Test, BitBtn2LoadsFmastAgainAfterOmast)
{
    WriteMaster("fmast.dat", {"Kia", "Posco"});
    WriteMaster("omast.dat", {"Hanwha"});
    const auto form = OpenForm();
    Reload(*form);
    ASSERT_EQ(form->ComboBox1->Items->Count(), 1);
    form->BitBtn2->Click();
    WaitForLoad(*form);
    EXPECT_EQ(form->ComboBox1->Items->Count(), 2);
    EXPECT_EQ(PaintedRow(form->ComboBox1, 1),
              DrawnDirectly(Box(form->ComboBox1), PaintedRow(form->ComboBox1, 1).size(), "Posco", false));
    EXPECT_TRUE(reports_.empty());

    std::filesystem::remove(dir_.Path() / "fmast.dat");
    form->ComboBox1->SetDroppedDown(false);
    form->BitBtn2->Click();
    WaitForLoad(*form);
    EXPECT_EQ(form->ComboBox1->Items->Count(), 0) << "a failed load leaves the list empty";
    EXPECT_EQ(reports_, std::vector<std::string>{"cannot open file \"fmast.dat\" in " + dir_.Path().string() +
                                                 ": No such file or directory"});
}

}  // namespace
