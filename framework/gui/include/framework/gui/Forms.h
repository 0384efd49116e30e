#pragma once

#include "framework/gui/Controls.h"
#include "framework/gui/Graphics.h"

#include <functional>
#include <string>

// A key as the form's key events give it: a virtual key code.
using WORD = unsigned short;
inline constexpr WORD VK_ESCAPE = 0x1B;
using TKeyEvent = std::function<void(TObject* Sender, WORD& Key)>;

// A top-level window. Its bounds are the OUTER frame, title bar included:
// once a window manager has decorated it, the client area is fitted so that
// the frame covers exactly those bounds. When it first shows, bounds that do
// not fit the screen's available area are moved, and only then shrunk, onto
// it. Afterwards the user may move, resize and maximize it; BoundsRect says
// where it really is.
class TForm : public TWinControl {
public:
    explicit TForm(TComponent* owner);

    void SetBounds(int left, int top, int width, int height) override;
    TRect BoundsRect() const override;

    void SetCaption(const std::string& caption);
    std::string Caption() const;
    void SetColor(TColor color);
    // The font of the form and of its controls; TFontLayout tells what a
    // negative and a positive Height mean.
    void SetFont(const TFontLayout& layout);

    void Show();
    void Close();

    // Raised once the form is built from its layout.
    TNotifyEvent OnCreate;

    // With KeyPreview, OnKeyDown is raised for each key pressed in the form
    // before the control with the focus sees it, for Escape and the keys of
    // letters and digits (their ASCII capitals); a handler that sets Key to
    // 0 keeps the key from the control. Keys given to an open drop-down list
    // are the list's.
    void SetKeyPreview(bool preview);
    TKeyEvent OnKeyDown;

    // Raises OnCreate; an exception it throws is reported, not passed on, so
    // the window still opens.
    void DoCreate();

    // Gives controls their keyboard order from their TabOrder values.
    void ApplyTabOrder();

    // Closing the main form ends the application's event loop.
    void SetMainForm() noexcept;
};
