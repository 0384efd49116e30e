#include "framework/gui/Controls.h"

#include <QWidget>

TWinControl::~TWinControl()
{
    DestroyComponents();
    delete widget_;
}

void TWinControl::SetBounds(int Left, int Top, int Width, int Height)
{
    widget_->setGeometry(Left, Top, Width, Height);
}

TRect TWinControl::BoundsRect() const
{
    const QRect r = widget_->geometry();
    return {r.left(), r.top(), r.left() + r.width(), r.top() + r.height()};
}

void TWinControl::SetParent(TWinControl* Parent)
{
    widget_->setParent(Parent != nullptr ? Parent->Widget() : nullptr);
}
