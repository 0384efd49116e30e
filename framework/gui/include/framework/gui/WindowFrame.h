#pragma once

#include "framework/gui/Classes.h"

// The widths of the frame a window manager puts around a window, in the
// screen's own pixels (device pixels, which a scale factor does not change).
struct FrameExtents {
    int Left = 0;
    int Right = 0;
    int Top = 0;
    int Bottom = 0;
    friend bool operator==(const FrameExtents&, const FrameExtents&) = default;
};

// The largest client area whose frame lies within `outer`. Both are in
// logical pixels of `scale` device pixels each, measured from the screen's
// top-left corner; a logical position or length becomes the nearest whole
// number of device pixels, as Qt maps it, so with a frame an odd number of
// device pixels wide the client area is rounded inwards, never past `outer`.
TRect ClientWithinFrame(const TRect& outer, const FrameExtents& frame, double scale);
