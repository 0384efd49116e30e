#include "framework/gui/WindowFrame.h"

#include <algorithm>
#include <cmath>

namespace {

long Device(int logical, double scale)
{
    return std::lround(logical * scale);
}

// The first logical position whose device position is at `least` or later.
int FirstAtOrAfter(long least, double scale)
{
    auto logical = static_cast<int>(std::ceil(static_cast<double>(least) / scale));
    // A position before it may still round to `least`.
    while (Device(logical - 1, scale) >= least)
        --logical;
    return logical;
}

// The longest logical length from `start` whose device end is at `most` or
// before.
int LongestUpTo(int start, long most, double scale)
{
    const long deviceStart = Device(start, scale);
    auto length = static_cast<int>(std::floor(static_cast<double>(most - deviceStart) / scale));
    // A longer one may still round to `most`.
    while (deviceStart + Device(length + 1, scale) <= most)
        ++length;
    return std::max(length, 0);
}

}  // namespace

TRect ClientWithinFrame(const TRect& outer, const FrameExtents& frame, double scale)
{
    const long right = Device(outer.Left, scale) + Device(outer.Width(), scale) - frame.Right;
    const long bottom = Device(outer.Top, scale) + Device(outer.Height(), scale) - frame.Bottom;
    const int left = FirstAtOrAfter(Device(outer.Left, scale) + frame.Left, scale);
    const int top = FirstAtOrAfter(Device(outer.Top, scale) + frame.Top, scale);
    return {left, top, left + LongestUpTo(left, right, scale), top + LongestUpTo(top, bottom, scale)};
}
