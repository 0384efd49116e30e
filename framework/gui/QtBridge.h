#pragma once

#include "framework/core/ByteString.h"
#include "framework/core/TextCodec.h"
#include "framework/gui/Classes.h"
#include "framework/gui/Controls.h"

#include <QRect>
#include <QString>
#include <QWidget>

#include <cassert>

// Where the framework's types meet Qt's; for the GUI half's own sources.

inline TRect RectOf(const QRect& rect) noexcept
{
    return {rect.left(), rect.top(), rect.left() + rect.width(), rect.top() + rect.height()};
}

inline QRect QRectOf(const TRect& rect) noexcept
{
    return {rect.Left, rect.Top, rect.Width(), rect.Height()};
}

// Bytes in the display character set as Qt's text.
inline QString Decoded(const ByteString& bytes)
{
    return QString::fromStdString(DecodeForDisplay(bytes.View()));
}

// The widget of `control` as the class the control made it with; W must be
// that class.
template <class W>
W& WidgetOf(const TWinControl& control) noexcept
{
    assert(dynamic_cast<W*>(control.Widget()) != nullptr && "a control's widget is of the class it was made with");
    return *static_cast<W*>(control.Widget());
}
