#include "framework/gui/WindowFrame.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>

namespace {

// Openbox's frame: a 1-pixel border, a 20-pixel title bar, a 5-pixel grip.
constexpr FrameExtents Openbox{.Left = 1, .Right = 1, .Top = 20, .Bottom = 5};

TEST(ClientWithinFrame, IsTheOuterRectangleLessTheFrame)
{
    EXPECT_EQ(ClientWithinFrame({104, 120, 800, 600}, Openbox, 1.0), (TRect{105, 140, 799, 595}));
}

TEST(ClientWithinFrame, IsTheOuterRectangleWithoutAFrame)
{
    EXPECT_EQ(ClientWithinFrame({300, 221, 996, 701}, {}, 1.0), (TRect{300, 221, 996, 701}));
    EXPECT_EQ(ClientWithinFrame({0, 32, 640, 512}, {}, 2.0), (TRect{0, 32, 640, 512}));
}

// At twice the size a 1-pixel border is half a logical pixel: the client
// area gives up the other half rather than let the frame pass the edge.
TEST(ClientWithinFrame, RoundsInwardsWhereTheFrameIsNotWholeLogicalPixels)
{
    EXPECT_EQ(ClientWithinFrame({0, 32, 640, 512}, Openbox, 2.0), (TRect{1, 42, 639, 509}));
}

TEST(ClientWithinFrame, IsEmptyWhereTheFrameAloneIsLargerThanTheRectangle)
{
    const TRect client = ClientWithinFrame({10, 10, 30, 30}, {.Left = 15, .Right = 15, .Top = 5, .Bottom = 5}, 1.0);
    EXPECT_EQ(client.Width(), 0);
    EXPECT_EQ(client.Height(), 10);
}

// Where Qt puts a logical rectangle on the screen: each position and length
// to its nearest device pixel.
struct DeviceRect {
    long left, top, right, bottom;
};

DeviceRect OnScreen(const TRect& logical, double scale)
{
    const long left = std::lround(logical.Left * scale);
    const long top = std::lround(logical.Top * scale);
    return {left, top, left + std::lround(logical.Width() * scale), top + std::lround(logical.Height() * scale)};
}

struct ScaleCase {
    const char* name;
    double scale;
};

class ClientWithinFrameAt : public testing::TestWithParam<ScaleCase> {};

// For a spread of rectangles and frames: the frame drawn around the client
// area lies within the rectangle on the screen, and a client area one logical
// pixel larger on any side would not.
TEST_P(ClientWithinFrameAt, KeepsTheFrameWithinTheRectangleAndGivesUpNoMore)
{
    const double scale = GetParam().scale;
    const FrameExtents frames[] = {{}, Openbox, {.Left = 3, .Right = 2, .Top = 31, .Bottom = 7}, {4, 4, 4, 4}};
    for (const FrameExtents& frame : frames) {
        for (int left = 0; left < 5; ++left) {
            for (int width = 200; width < 207; ++width) {
                const TRect outer{left, left * 3, left + width, left * 3 + width - 50};
                const TRect client = ClientWithinFrame(outer, frame, scale);
                const DeviceRect box = OnScreen(outer, scale);
                const DeviceRect inner = OnScreen(client, scale);
                SCOPED_TRACE(testing::Message() << "outer " << outer.Left << "," << outer.Top << " " << outer.Width()
                                                << "x" << outer.Height() << ", frame " << frame.Left << "/"
                                                << frame.Right << "/" << frame.Top << "/" << frame.Bottom);
                EXPECT_GE(inner.left - frame.Left, box.left);
                EXPECT_GE(inner.top - frame.Top, box.top);
                EXPECT_LE(inner.right + frame.Right, box.right);
                EXPECT_LE(inner.bottom + frame.Bottom, box.bottom);

                const auto fits = [&](const TRect& larger) {
                    const DeviceRect d = OnScreen(larger, scale);
                    return d.left - frame.Left >= box.left && d.top - frame.Top >= box.top &&
                           d.right + frame.Right <= box.right && d.bottom + frame.Bottom <= box.bottom;
                };
                EXPECT_FALSE(fits({client.Left - 1, client.Top, client.Right, client.Bottom})) << "left";
                EXPECT_FALSE(fits({client.Left, client.Top - 1, client.Right, client.Bottom})) << "top";
                EXPECT_FALSE(fits({client.Left, client.Top, client.Right + 1, client.Bottom})) << "right";
                EXPECT_FALSE(fits({client.Left, client.Top, client.Right, client.Bottom + 1})) << "bottom";
            }
        }
    }
}

INSTANTIATE_TEST_SUITE_P(
    Scales, ClientWithinFrameAt,
    testing::Values(ScaleCase{"One", 1.0}, ScaleCase{"OneAndAQuarter", 1.25}, ScaleCase{"OneAndAHalf", 1.5},
                    ScaleCase{"OneAndThreeQuarters", 1.75}, ScaleCase{"Two", 2.0}, ScaleCase{"Three", 3.0}),
    [](const testing::TestParamInfo<ScaleCase>& scaleCase) { return std::string(scaleCase.param.name); });

}  // namespace
