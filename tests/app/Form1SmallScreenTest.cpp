#include "Form1Fixture.h"

#include <QGuiApplication>
#include <QScreen>

namespace {

using Form1SmallScreen = Form1Fixture;

// The layout's 696x480 at 300,221 reaches past an 800x600 screen: the
// window moves, keeping its size, so the whole frame and its title-bar
// buttons are on the screen.
TEST_F(Form1SmallScreen, TheWindowMovesSoThatTheWholeFrameIsOnTheScreen)
{
    const QRect available = QGuiApplication::primaryScreen()->availableGeometry();
    ASSERT_EQ(available, QRect(0, 0, 800, 600)) << "run with STOCKPICKER_TEST_SCREEN=800x600";
    const auto form = OpenForm();
    EXPECT_EQ(form->BoundsRect(), (TRect{104, 120, 800, 600}));
    EXPECT_EQ(form->ComboBox1->BoundsRect(), (TRect{0, 112, 481, 134})) << "controls keep their places";
}

TEST_F(Form1SmallScreen, TheWindowShrinksOnlyWhereMovingIsNotEnough)
{
    const auto form = NewForm<TForm1>(nullptr);
    form->SetBounds(-50, 10, 1000, 400);
    form->Show();
    Settle();
    EXPECT_EQ(form->BoundsRect(), (TRect{0, 10, 800, 410}));
}

TEST_F(Form1SmallScreen, MaximizingHoldsAndRestoringGivesTheWindowBack)
{
    const auto form = OpenForm();
    const TRect placed = form->BoundsRect();
    form->Widget()->showMaximized();
    Settle();
    EXPECT_TRUE(form->Widget()->isMaximized());
    EXPECT_EQ(form->BoundsRect(), (TRect{0, 0, 800, 600}));
    form->Widget()->showNormal();
    Settle();
    EXPECT_EQ(form->BoundsRect(), placed);
}

}  // namespace
