#include "framework/gui/StdCtrls.h"

#include "ComboBoxWidget.h"
#include "QtBridge.h"
#include "framework/core/TextCodec.h"
#include "framework/gui/DispatchEvent.h"

#include <QAbstractItemView>

#include <algorithm>
#include <memory>

// Items points into the widget, which the base class has made before any
// member of this class is initialized.
TComboBox::TComboBox(TComponent* owner)
    : TWinControl(owner, std::make_unique<ComboBoxWidget>(*this)), Items(&WidgetOf<ComboBoxWidget>(*this).Model())
{
}

void TComboBox::Clear()
{
    ComboBoxWidget& box = WidgetOf<ComboBoxWidget>(*this);
    box.EndSearch();
    Items->Clear();
    box.setCurrentIndex(-1);
}

int TComboBox::ItemIndex() const
{
    ComboBoxWidget& box = WidgetOf<ComboBoxWidget>(*this);
    box.Model().Publish();
    return box.currentIndex();
}

void TComboBox::SetItemIndex(int index)
{
    ComboBoxWidget& box = WidgetOf<ComboBoxWidget>(*this);
    box.Model().Publish();
    box.setCurrentIndex(index);
}

void TComboBox::SetStyle(TComboBoxStyle style)
{
    style_ = style;
    WidgetOf<ComboBoxWidget>(*this).SetOwnerDraw(style == TComboBoxStyle::csOwnerDrawFixed ||
                                                 style == TComboBoxStyle::csOwnerDrawVariable);
}

void TComboBox::SetItemHeight(int height)
{
    itemHeight_ = height;
    WidgetOf<ComboBoxWidget>(*this).SetRowHeight(height);
}

void TComboBox::ShowProgress(int percent, const ByteString& text)
{
    WidgetOf<ComboBoxWidget>(*this).ShowProgress(percent, Decoded(text));
}

void TComboBox::HideProgress()
{
    WidgetOf<ComboBoxWidget>(*this).HideProgress();
}

void TComboBox::HoldTyping(bool held)
{
    WidgetOf<ComboBoxWidget>(*this).HoldTyping(held);
}

bool TComboBox::TypingHeld() const
{
    return WidgetOf<ComboBoxWidget>(*this).TypingHeld();
}

bool TComboBox::DroppedDown() const
{
    return WidgetOf<ComboBoxWidget>(*this).PopupShown();
}

void TComboBox::SetDroppedDown(bool dropped)
{
    ComboBoxWidget& box = WidgetOf<ComboBoxWidget>(*this);
    if (dropped)
        box.showPopup();
    else
        box.hidePopup();
}

void TComboBox::SetImeName(std::string name)
{
    imeName_ = std::move(name);
    WidgetOf<ComboBoxWidget>(*this).SetTakesInputMethodText(!imeName_.empty());
}

ByteString TComboBox::ItemText(int index)
{
    return OnItemText ? OnItemText(this, index) : Items->Strings(index);
}

ByteString TComboBox::ItemHint(int index)
{
    return OnItemHint ? OnItemHint(this, index) : ByteString();
}

ByteString TComboBox::ItemCopyText(int index)
{
    return OnItemCopyText ? OnItemCopyText(this, index) : ByteString();
}

ByteString TComboBox::ItemDescription(int index)
{
    return OnItemDescription ? OnItemDescription(this, index) : ByteString();
}

std::unique_ptr<TItemMatches> TComboBox::MatchItems(const TypedText& typed)
{
    return OnMatchItems ? OnMatchItems(this, typed) : nullptr;
}

FoundItem TComboBox::FindItem(const TypedText& typed, int startIndex, TFindStep step)
{
    if (OnFindItem)
        return OnFindItem(this, typed, startIndex, step);
    const std::optional<std::string> prefix = EncodeForDisplay(typed.Whole());
    if (!prefix || prefix->empty())
        return {};  // nothing in the display character set can start with it
    const auto count = static_cast<int>(Items->Count());
    const int start = std::clamp(startIndex, 0, count);
    for (int k = 0; k < count; ++k)
        if (const int i = (start + k) % count; ItemText(i).View().starts_with(*prefix))
            return {i, {}};
    return {};
}

void TComboBox::DrawItem(int index, const TRect& rect, TOwnerDrawState state)
{
    DispatchEvent(this, [&] {
        if (OnDrawItem)
            OnDrawItem(this, index, rect, state);
        else
            Canvas->TextRect(rect, rect.Left, rect.Top, ByteString());
    });
}
