#include "TypeAheadLabel.h"

#include <QApplication>
#include <QImage>
#include <QWidget>

#include <gtest/gtest.h>

#include <algorithm>

namespace {

// The label as painted, showing `committed` then `composing`.
QImage Painted(const QString& committed, const QString& composing)
{
    QWidget beside;
    beside.setGeometry(100, 100, 300, 24);
    beside.show();
    TypeAheadLabel label;
    label.Show(committed, composing, {}, TypeAheadLabel::Found::Yes, beside);
    QApplication::processEvents();
    return label.grab().toImage().convertToFormat(QImage::Format_RGB32);
}

struct Box {
    int left = 1 << 30, top = 1 << 30, right = -1, bottom = -1;
    bool Empty() const { return right < 0; }
    void Add(int x, int y)
    {
        left = std::min(left, x), top = std::min(top, y), right = std::max(right, x), bottom = std::max(bottom, y);
    }
};

// Dark pixels inside the frame, of the text.
Box Ink(const QImage& image)
{
    Box ink;
    for (int y = 1; y < image.height() - 1; ++y)
        for (int x = 1; x < image.width() - 1; ++x)
            if (qGray(image.pixel(x, y)) < 128)
                ink.Add(x, y);
    return ink;
}

// The composing syllable is underlined, below it and nowhere else: the same
// text, all committed, paints the same but for that line. The label may be
// taller, for the line, the text as far down as half the difference.
TEST(TypeAheadLabel, UnderlinesTheComposingSyllableOnly)
{
    const QImage composing = Painted(QStringLiteral("삼성"), QStringLiteral("화"));
    const QImage committed = Painted(QStringLiteral("삼성화"), {});
    ASSERT_EQ(composing.width(), committed.width());
    ASSERT_GE(composing.height(), committed.height());
    const QRgb background = committed.pixel(committed.width() / 2, 1 + 1);
    const int down = (composing.height() - committed.height()) / 2;
    // The committed label's pixel, moved down; its frame and beyond read as background.
    const auto reference = [&](int x, int y) {
        const int from = y - down;
        return from >= 1 && from < committed.height() - 1 ? committed.pixel(x, from) : background;
    };
    Box text = Ink(committed);
    text.top += down, text.bottom += down;
    const Box before = Ink(Painted(QStringLiteral("삼성"), {}));
    ASSERT_FALSE(text.Empty());
    Box line;
    int lineRow = -1, widest = 0;
    for (int y = 1; y < composing.height() - 1; ++y) {
        int across = 0;
        for (int x = 1; x < composing.width() - 1; ++x)
            if (composing.pixel(x, y) != reference(x, y)) {
                line.Add(x, y);
                ++across;
            }
        if (across > widest)
            widest = across, lineRow = y;
    }
    ASSERT_FALSE(line.Empty()) << "no underline painted";
    // Inside the frame, so not drawn over by it or cut off.
    EXPECT_GT(line.top, 0);
    EXPECT_LT(line.bottom, composing.height() - 1);
    for (int x = line.left; x <= line.right; ++x)
        EXPECT_LT(qGray(composing.pixel(x, lineRow)), 160) << "a solid line, at x " << x;
    EXPECT_GT(line.left, before.right) << "under 화, not under 삼성";
    EXPECT_GE(line.right, text.right - 2) << "under all of 화";
    EXPECT_GE(lineRow, text.bottom - 1) << "below the syllable";
}

}  // namespace
