#include "framework/gui/StdCtrls.h"

#include "ComboBoxWidget.h"
#include "QtBridge.h"
#include "framework/gui/DispatchEvent.h"

#include <QAbstractItemView>

#include <memory>

// Items points into the widget, which the base class has made before any
// member of this class is initialized.
TComboBox::TComboBox(TComponent* owner)
    : TWinControl(owner, std::make_unique<ComboBoxWidget>(*this)), Items(&WidgetOf<ComboBoxWidget>(*this).Model())
{
}

void TComboBox::Clear()
{
    Items->Clear();
    WidgetOf<ComboBoxWidget>(*this).setCurrentIndex(-1);
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
    WidgetOf<ComboBoxWidget>(*this).view()->doItemsLayout();
}

bool TComboBox::DroppedDown() const
{
    return WidgetOf<ComboBoxWidget>(*this).view()->isVisible();
}

void TComboBox::SetDroppedDown(bool dropped)
{
    ComboBoxWidget& box = WidgetOf<ComboBoxWidget>(*this);
    if (dropped)
        box.showPopup();
    else
        box.hidePopup();
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
