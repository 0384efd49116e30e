#pragma once

#include "framework/gui/Buttons.h"
#include "framework/gui/FormLayout.h"
#include "framework/gui/Forms.h"
#include "framework/core/HangulInitials.h"
#include "framework/gui/StdCtrls.h"
#include "stockdata/CodeIndex.h"
#include "stockdata/MasterFile.h"
#include "stockdata/SortedView.h"
#include "stockdata/ViewCursor.h"

#include <memory>
#include <vector>

// The stock picker's one window: a drop-down list of stock names in name
// order and two buttons. It owns the loaded records and the view over them;
// the list's items are placeholders, each painted from the view.
class TForm1 : public TForm {
public:  // Controls and handlers bound by the layout in Unit1Layout.cpp
    TComboBox* ComboBox1 = nullptr;
    TBitBtn* BitBtn1 = nullptr;
    TBitBtn* BitBtn2 = nullptr;
    void FormCreate(TObject* Sender);
    void BitBtn1Click(TObject* Sender);
    void ComboBox1DrawItem(TWinControl* Control, int Index, const TRect& Rect, TOwnerDrawState State);
    // The stock's name, for typing and screen readers; its code and name for
    // the tooltip and the clipboard. Trailing spaces trimmed.
    ByteString ComboBox1ItemText(TComboBox* Sender, int Index);
    ByteString ComboBox1ItemHint(TComboBox* Sender, int Index);
    ByteString ComboBox1ItemCopyText(TComboBox* Sender, int Index);
    // Typing finds a stock three ways. Digits, or a letter and digits
    // (A005930), find the smallest code starting with them, equal codes the
    // first in view order; from StartIndex > 0, the next code in code order
    // after the entry before it, so that repeating a digit steps through the
    // codes. Hangul initial consonants (ㅅㅅㅈㅈ) find the first entry from
    // StartIndex whose name's leading syllables have them, a scan. Anything
    // else finds the first name at or after StartIndex starting with it, a
    // binary search of the names, which the view holds in byte order.
    int ComboBox1FindItem(TComboBox* Sender, const ByteString& Prefix, int StartIndex);

private:
    // The view points into the store: both are replaced together, and the
    // store is never changed while the view refers to it. Null until a load
    // succeeds.
    std::unique_ptr<lstPST> FSorted;
    vecST FStocks;
    // Where painting found its last entry in FSorted.
    ViewCursor FDrawCursor;
    // FSorted's records by position, made once a load, for what needs any
    // entry at once: a search halves it, a screen reader asks for any row.
    std::vector<const STData*> FByPosition;
    // FByPosition in code order, made with it.
    CodeIndex FByCode;
    // Made on the first initials typed, again when the display character
    // set has changed since.
    std::unique_ptr<InitialsMatcher> FInitials;

    int FindByName(std::string_view prefix, int startIndex) const;
    int FindByCode(std::string_view typed, int startIndex) const;
    int FindByInitials(const std::vector<std::uint8_t>& initials, int startIndex);

    const STData* Stock(int index) const;

    // Clears the list and releases the previous store and view, reads
    // `fileName`, and shows its stocks in name order. Throws what the reader
    // throws; the list then stays empty.
    void LoadMaster(const ByteString& fileName);

public:
    explicit TForm1(TComponent* owner) : TForm(owner) {}
};

// The layout TForm1 windows are built from.
const TFormLayout<TForm1>& FormLayoutOf(const TForm1*);

extern TForm1* Form1;
