#pragma once

#include "framework/gui/WindowFrame.h"

#include <optional>

class QWidget;

// The frame the X11 window manager will put around `window`, which must be
// created but not yet mapped, as that window manager estimates it when asked
// (_NET_REQUEST_FRAME_EXTENTS). Nothing when the platform is not X11, no
// window manager runs, or it cannot be asked or does not answer in time.
std::optional<FrameExtents> FrameExtentsBeforeMapping(QWidget& window);
