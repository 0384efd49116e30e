#include "app/Unit1.h"

// Form1's layout: pixels at 96 dpi; the form's Left, Top, Width and Height
// are its outer frame on the screen, the controls' relative to its client area.
// A control's place and size stay on one line, as in a form file.
// clang-format off
const TFormLayout<TForm1>& FormLayoutOf(const TForm1*)
{
    static const TFormLayout<TForm1> layout{
        .Name = "Form1",
        .Left = 300,
        .Top = 221,
        .Width = 696,
        .Height = 480,
        .Caption = "Form1",
        .Color = TColor::clBtnFace,
        .Font = {.Name = "MS Sans Serif", .Height = -11, .Color = TColor::clWindowText, .Charset = DEFAULT_CHARSET},
        .TextHeight = 13,
        .OldCreateOrder = false,
        .OnCreate = &TForm1::FormCreate,
        .KeyPreview = true,
        .OnKeyDown = &TForm1::FormKeyDown,
        .Controls = {
            TComboBoxLayout<TForm1>{
                .Name = "ComboBox1",
                .Field = &TForm1::ComboBox1,
                .Left = 0, .Top = 112, .Width = 481, .Height = 22,
                .Style = TComboBoxStyle::csOwnerDrawFixed,
                .ItemHeight = 16,
                .ImeName = "한국어(한글) (MS-IME98)",
                .TabOrder = 0,
                .OnDrawItem = &TForm1::ComboBox1DrawItem,
                .OnItemText = &TForm1::ComboBox1ItemText,
                .OnItemHint = &TForm1::ComboBox1ItemHint,
                .OnItemCopyText = &TForm1::ComboBox1ItemCopyText,
                .OnItemDescription = &TForm1::ComboBox1ItemDescription,
                .OnFindItem = &TForm1::ComboBox1FindItem,
                .OnMatchItems = &TForm1::ComboBox1MatchItems,
            },
            TBitBtnLayout<TForm1>{
                .Name = "BitBtn1",
                .Field = &TForm1::BitBtn1,
                .Left = 200, .Top = 64, .Width = 75, .Height = 25,
                .Caption = "omast.dat",
                .TabOrder = 1,
                .OnClick = &TForm1::BitBtn1Click,
            },
            TBitBtnLayout<TForm1>{
                .Name = "BitBtn2",
                .Field = &TForm1::BitBtn2,
                .Left = 48, .Top = 56, .Width = 75, .Height = 25,
                .Caption = "fmast.dat",
                .TabOrder = 2,
                .OnClick = &TForm1::BitBtn2Click,
            },
        },
    };
    return layout;
}
// clang-format on
