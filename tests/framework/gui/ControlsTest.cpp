#include "framework/gui/Buttons.h"
#include "framework/gui/Classes.h"
#include "framework/gui/Forms.h"

#include <QWidget>

#include <gtest/gtest.h>

#include <memory>

namespace {

QList<QWidget*> WidgetsInside(const TWinControl& control)
{
    return control.Widget()->findChildren<QWidget*>(Qt::FindDirectChildrenOnly);
}

// The form goes first and must not take the button's widget with it; the
// button's owner then destroys button and widget, once. Run under
// AddressSanitizer, a second delete or a use after free fails here.
TEST(TWinControl, OutlivesAParentThatIsNotItsOwner)
{
    TComponent owner(nullptr);
    auto made = std::make_unique<TBitBtn>(&owner);
    TBitBtn& button = *made;
    owner.InsertComponent(std::move(made));
    {
        TForm form(nullptr);
        button.SetParent(&form);
        button.SetCaption("omast.dat");
        EXPECT_EQ(button.Widget()->parentWidget(), form.Widget());
    }
    EXPECT_EQ(button.Parent(), nullptr);
    EXPECT_EQ(button.Widget()->parentWidget(), nullptr);
    EXPECT_EQ(button.Caption(), "omast.dat") << "the widget is still the button's";
}

TEST(TWinControl, GoingBeforeItsParentLeavesNothingInIt)
{
    TForm form(nullptr);
    {
        TBitBtn button(nullptr);
        button.SetParent(&form);
        EXPECT_EQ(WidgetsInside(form).size(), 1);
    }
    EXPECT_TRUE(WidgetsInside(form).isEmpty());
}

TEST(TWinControl, MovesFromOneParentToAnother)
{
    TBitBtn button(nullptr);
    TForm second(nullptr);
    {
        TForm first(nullptr);
        button.SetParent(&first);
        button.SetParent(&second);
        EXPECT_TRUE(WidgetsInside(first).isEmpty());
    }
    EXPECT_EQ(button.Parent(), &second);
    EXPECT_EQ(button.Widget()->parentWidget(), second.Widget());
}

}  // namespace
