#include "framework/gui/Controls.h"

#include "QtBridge.h"

#include <QWidget>

#include <algorithm>
#include <cassert>

// Who deletes a Qt object, in one rule for the whole GUI half: a control owns
// its widget through widget_, and nothing else deletes that widget. Qt would
// have a widget delete its child widgets, so before a control's widget goes,
// the widgets of the controls shown inside it are taken out of it; they stay
// with their controls, which their owners destroy. What a widget makes for
// itself (a model, a delegate, a style, its popup list) is its Qt child and
// goes with it; nothing outside the widget keeps such an object alive.

TWinControl::TWinControl(TComponent* owner, std::unique_ptr<QWidget> widget) noexcept
    : TComponent(owner), widget_(std::move(widget))
{
    assert(widget_ != nullptr && "a control is made with its widget");
}

TWinControl::~TWinControl()
{
    // The components it owns go first, most often the very controls shown
    // inside it.
    DestroyComponents();
    for (TWinControl* child : children_) {
        child->parent_ = nullptr;
        child->widget_->setParent(nullptr);
    }
    if (parent_ != nullptr)
        std::erase(parent_->children_, this);
}

void TWinControl::SetBounds(int left, int top, int width, int height)
{
    widget_->setGeometry(left, top, width, height);
}

TRect TWinControl::BoundsRect() const
{
    return RectOf(widget_->geometry());
}

void TWinControl::SetEnabled(bool enabled)
{
    widget_->setEnabled(enabled);
}

bool TWinControl::Enabled() const
{
    return widget_->isEnabled();
}

bool TWinControl::Focused() const
{
    return widget_->hasFocus();
}

void TWinControl::SetFocus()
{
    widget_->setFocus(Qt::OtherFocusReason);
}

void TWinControl::SetCursor(TCursor cursor)
{
    switch (cursor) {
    case TCursor::crDefault:
        widget_->unsetCursor();
        return;
    case TCursor::crAppStart:
        widget_->setCursor(Qt::BusyCursor);
        return;
    }
}

void TWinControl::SetParent(TWinControl* parent)
{
    if (parent == parent_)
        return;
    if (parent != nullptr)
        parent->children_.push_back(this);
    if (parent_ != nullptr)
        std::erase(parent_->children_, this);
    parent_ = parent;
    widget_->setParent(parent != nullptr ? parent->widget_.get() : nullptr);
}
