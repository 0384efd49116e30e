#pragma once

#include "framework/core/ByteString.h"
#include "framework/gui/Classes.h"

#include <cstdint>
#include <memory>
#include <string>

// Colours: system colours follow the desktop's palette, the rest are
// 0x00BBGGRR values.
enum class TColor : std::uint32_t {
    clBlack = 0x000000,
    clWhite = 0xFFFFFF,
    clWindow = 0x80000005,
    clWindowText = 0x80000008,
    clBtnFace = 0x8000000F,
    clHighlight = 0x8000000D,
    clHighlightText = 0x8000000E,
};

inline constexpr int DEFAULT_CHARSET = 1;

// A font as a layout gives it. Height < 0 is the character height in pixels
// without internal leading, > 0 the cell height.
struct TFontLayout {
    const char* Name = "";
    int Height = -11;
    TColor Color = TColor::clWindowText;
    int Charset = DEFAULT_CHARSET;
    bool Bold = false;
    bool Italic = false;
};

// Where a control paints. Valid only inside the paint event that hands it
// out: before each call the framework loads it with the item's font and its
// brush and text colours.
class TCanvas {
public:
    TCanvas();
    ~TCanvas();
    TCanvas(const TCanvas&) = delete;
    TCanvas& operator=(const TCanvas&) = delete;

    // Fills Rect with the brush colour and draws Text with its top-left
    // corner at (X, Y), clipped to Rect. Text is bytes in the display
    // character set; what cannot be decoded shows as replacement marks, and
    // controls as visible marks (U+2409 for TAB), never as tab stops or
    // reordering. The painter is left as it was, even when this throws.
    void TextRect(const TRect& Rect, int X, int Y, const ByteString& Text);

private:
    // What it paints with, on the Qt side; only a CanvasSession sets it.
    struct State;
    friend class CanvasSession;
    std::unique_ptr<State> state_;
};
