#include "framework/gui/Forms.h"
#include "framework/gui/Graphics.h"

#include <QFont>
#include <QFontMetrics>
#include <QWidget>

#include <gtest/gtest.h>

namespace {

TEST(TFormFont, ANegativeHeightIsTheCharacterHeight)
{
    TForm form(nullptr);
    form.SetFont({.Name = "MS Sans Serif", .Height = -20});
    EXPECT_EQ(form.Widget()->font().pixelSize(), 20);
}

// The cell is the characters plus the face's internal leading, so the
// characters get less than the cell's height.
TEST(TFormFont, APositiveHeightIsTheCellHeight)
{
    TForm form(nullptr);
    form.SetFont({.Name = "MS Sans Serif", .Height = 20});
    const QFont font = form.Widget()->font();
    EXPECT_LE(QFontMetrics(font).height(), 20);
    QFont larger = font;
    larger.setPixelSize(font.pixelSize() + 1);
    EXPECT_GT(QFontMetrics(larger).height(), 20) << "the largest size whose cell fits";
}

}  // namespace
