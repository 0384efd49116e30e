#pragma once

#include "framework/gui/Classes.h"
#include "framework/gui/Graphics.h"

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

// A control with a window of its own. It owns its widget and destroys the
// components it owns before that widget, since a widget takes its children
// with it.
class TWinControl : public TComponent {
public:
    ~TWinControl() override;

    // Position relative to the parent's client area (a form's: on the
    // screen, frame included), in logical pixels.
    virtual void SetBounds(int Left, int Top, int Width, int Height);
    virtual TRect BoundsRect() const;

    void SetParent(TWinControl* Parent);
    int TabOrder() const noexcept { return tabOrder_; }
    void SetTabOrder(int order) noexcept { tabOrder_ = order; }

    // The Qt widget behind the control, for the framework and its tests.
    QWidget* Widget() const noexcept { return widget_; }

protected:
    explicit TWinControl(TComponent* Owner) noexcept : TComponent(Owner) {}
    // Gives the control its widget, which it owns from then on; call once,
    // from the constructor.
    void AdoptWidget(QWidget* widget) noexcept { widget_ = widget; }

private:
    QWidget* widget_ = nullptr;
    int tabOrder_ = 0;
};
