#pragma once

#include "framework/gui/Classes.h"

#include <initializer_list>
#include <memory>
#include <vector>

class QWidget;

// What an owner-drawn item is being painted as.
enum class TOwnerDrawStateFlag : unsigned {
    odSelected = 1U << 0,
    odDisabled = 1U << 1,
    odFocused = 1U << 2,
    odComboBoxEdit = 1U << 3,
};

class TOwnerDrawState {
public:
    TOwnerDrawState() = default;
    TOwnerDrawState(std::initializer_list<TOwnerDrawStateFlag> flags) noexcept
    {
        for (TOwnerDrawStateFlag flag : flags)
            Include(flag);
    }
    bool Contains(TOwnerDrawStateFlag flag) const noexcept { return (bits_ & static_cast<unsigned>(flag)) != 0; }
    void Include(TOwnerDrawStateFlag flag) noexcept { bits_ |= static_cast<unsigned>(flag); }
    friend bool operator==(TOwnerDrawState, TOwnerDrawState) = default;

private:
    unsigned bits_ = 0;
};

// The mouse pointer over a control: crAppStart is the arrow with the busy
// sign, for a window that still answers while work goes on.
enum class TCursor { crDefault, crAppStart };

// A control with a window of its own: a Qt widget, which the control alone
// owns and destroys (the rule is in Controls.cpp). Its parent is where it is
// shown, not who owns it: that is its Owner, as for every component.
class TWinControl : public TComponent {
public:
    ~TWinControl() override;

    // Position relative to the parent's client area (a form's: on the
    // screen, frame included), in logical pixels.
    virtual void SetBounds(int left, int top, int width, int height);
    virtual TRect BoundsRect() const;

    // Shows the control inside `parent`, or on its own when null. A control
    // destroyed while it has children leaves them without a parent.
    void SetParent(TWinControl* parent);
    TWinControl* Parent() const noexcept { return parent_; }

    // Over this control and the controls inside it that set none of their own.
    void SetCursor(TCursor cursor);

    // A disabled control looks so and takes no clicks, keys or focus; one
    // that has the keyboard focus passes it on to the next.
    void SetEnabled(bool enabled);
    bool Enabled() const;
    // Whether it has the keyboard focus, and giving it the focus.
    bool Focused() const;
    void SetFocus();

    int TabOrder() const noexcept { return tabOrder_; }
    void SetTabOrder(int order) noexcept { tabOrder_ = order; }

    // The Qt widget behind the control, for the framework and its tests.
    QWidget* Widget() const noexcept { return widget_.get(); }

protected:
    // `widget` (never null) is the control's from then on.
    TWinControl(TComponent* owner, std::unique_ptr<QWidget> widget) noexcept;

private:
    std::unique_ptr<QWidget> widget_;
    TWinControl* parent_ = nullptr;
    std::vector<TWinControl*> children_;  // controls whose parent this is
    int tabOrder_ = 0;
};
