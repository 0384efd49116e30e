#include "framework/gui/StdCtrls.h"

#include "ComboBoxWidget.h"
#include "framework/gui/DispatchEvent.h"

#include <QAbstractItemView>

void TStrings::Add(const ByteString& text)
{
    model_.Add(text.View());
}

TStrings::Index TStrings::Count() const noexcept
{
    return model_.Count();
}

ByteString TStrings::Strings(Index i) const
{
    return ByteString(model_.At(static_cast<int>(i)));
}

void TStrings::Clear()
{
    model_.Clear();
}

TComboBox::TComboBox(TComponent* Owner)
    : TWinControl(Owner),
      model_(new ItemListModel),
      items_(std::make_unique<TStrings>(*model_)),
      canvas_(std::make_unique<TCanvas>())
{
    AdoptWidget(new ComboBoxWidget(*this, *model_));
}

TComboBox::~TComboBox() = default;

ComboBoxWidget* TComboBox::Box() const noexcept
{
    return static_cast<ComboBoxWidget*>(Widget());
}

void TComboBox::Clear()
{
    model_->Clear();
    Box()->setCurrentIndex(-1);
}

int TComboBox::ItemIndex() const
{
    model_->Publish();
    return Box()->currentIndex();
}

void TComboBox::SetItemIndex(int index)
{
    model_->Publish();
    Box()->setCurrentIndex(index);
}

void TComboBox::SetStyle(TComboBoxStyle style)
{
    style_ = style;
    Box()->SetOwnerDraw(style == TComboBoxStyle::csOwnerDrawFixed || style == TComboBoxStyle::csOwnerDrawVariable);
}

void TComboBox::SetItemHeight(int height)
{
    itemHeight_ = height;
    Box()->view()->doItemsLayout();
}

bool TComboBox::DroppedDown() const
{
    return Box()->view()->isVisible();
}

void TComboBox::SetDroppedDown(bool dropped)
{
    if (dropped)
        Box()->showPopup();
    else
        Box()->hidePopup();
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
