#pragma once

#include "framework/gui/Controls.h"

#include <string>

// A push button with a caption (no glyph is used here). With the keyboard
// focus, Space, Return and keypad Enter press it.
class TBitBtn : public TWinControl {
public:
    explicit TBitBtn(TComponent* owner);

    void SetCaption(const std::string& caption);
    std::string Caption() const;

    // Acts as a click by the user: raises OnClick.
    void Click();

    TNotifyEvent OnClick;
};
