#pragma once

#include "framework/gui/Buttons.h"
#include "framework/gui/Classes.h"
#include "framework/gui/Forms.h"
#include "framework/gui/Graphics.h"
#include "framework/gui/StdCtrls.h"

#include <cassert>
#include <memory>
#include <variant>
#include <vector>

// A form's layout as data: where each control sits, how it looks, which
// member of the form class F holds it and which member functions handle its
// events. The framework builds windows from it (BuildForm); a form class
// makes its layout known by a function FormLayoutOf(F*) found beside it.

template <class F>
using TNotifyHandler = void (F::*)(TObject* Sender);
template <class F>
using TDrawItemHandler = void (F::*)(TWinControl* Control, int Index, const TRect& Rect, TOwnerDrawState State);

template <class F>
using TKeyHandler = void (F::*)(TObject* Sender, WORD& Key);

template <class F>
using TItemTextHandler = ByteString (F::*)(TComboBox* Sender, int Index);
template <class F>
using TFindItemHandler = FoundItem (F::*)(TComboBox* Sender, const TypedText& Typed, int StartIndex, TFindStep Step);

template <class F>
using TMatchItemsHandler = std::unique_ptr<TItemMatches> (F::*)(TComboBox* Sender, const TypedText& Typed);

template <class F>
struct TComboBoxLayout {
    const char* Name;
    TComboBox* F::*Field;
    int Left, Top, Width, Height;
    TComboBoxStyle Style;
    int ItemHeight;
    const char* ImeName;
    int TabOrder;
    TDrawItemHandler<F> OnDrawItem;
    // Each may be null: TComboBox says what then.
    TItemTextHandler<F> OnItemText = nullptr;
    TItemTextHandler<F> OnItemHint = nullptr;
    TItemTextHandler<F> OnItemCopyText = nullptr;
    TItemTextHandler<F> OnItemDescription = nullptr;
    TFindItemHandler<F> OnFindItem = nullptr;
    TMatchItemsHandler<F> OnMatchItems = nullptr;
};

template <class F>
struct TBitBtnLayout {
    const char* Name;
    TBitBtn* F::*Field;
    int Left, Top, Width, Height;
    const char* Caption;
    int TabOrder;
    TNotifyHandler<F> OnClick;  // may be null: no click action
};

template <class F>
using TControlLayout = std::variant<TComboBoxLayout<F>, TBitBtnLayout<F>>;

template <class F>
struct TFormLayout {
    const char* Name;
    int Left, Top, Width, Height;  // outer frame, on the screen
    const char* Caption;
    TColor Color;
    TFontLayout Font;
    int TextHeight;       // the font's text height when laid out; kept for reference
    bool OldCreateOrder;  // false: OnCreate is raised once construction has finished
    TNotifyHandler<F> OnCreate;
    bool KeyPreview = false;
    TKeyHandler<F> OnKeyDown = nullptr;
    std::vector<TControlLayout<F>> Controls;
};

namespace form_building {

// Makes a control of class C on `form` with what every control layout gives:
// name, place, tab order, and the form member that holds it. The form owns it.
template <class C, class F, class Layout>
C& Place(F& form, const Layout& layout)
{
    auto control = std::make_unique<C>(&form);
    C& placed = *control;
    placed.Name = layout.Name;
    placed.SetParent(&form);
    placed.SetBounds(layout.Left, layout.Top, layout.Width, layout.Height);
    placed.SetTabOrder(layout.TabOrder);
    form.*(layout.Field) = &placed;
    form.InsertComponent(std::move(control));
    return placed;
}

template <class F>
void Build(F& form, const TComboBoxLayout<F>& layout)
{
    TComboBox& combo = Place<TComboBox>(form, layout);
    combo.SetStyle(layout.Style);
    combo.SetItemHeight(layout.ItemHeight);
    combo.SetImeName(layout.ImeName);
    if (layout.OnDrawItem != nullptr) {
        combo.OnDrawItem = [&form, handler = layout.OnDrawItem](TWinControl* Control, int Index, const TRect& Rect,
                                                                TOwnerDrawState State) {
            (form.*handler)(Control, Index, Rect, State);
        };
    }
    const auto bindText = [&form](TItemTextEvent& event, TItemTextHandler<F> handler) {
        if (handler != nullptr)
            event = [&form, handler](TComboBox* Sender, int Index) { return (form.*handler)(Sender, Index); };
    };
    bindText(combo.OnItemText, layout.OnItemText);
    bindText(combo.OnItemHint, layout.OnItemHint);
    bindText(combo.OnItemCopyText, layout.OnItemCopyText);
    bindText(combo.OnItemDescription, layout.OnItemDescription);
    if (layout.OnFindItem != nullptr) {
        combo.OnFindItem = [&form, handler = layout.OnFindItem](TComboBox* Sender, const TypedText& Typed,
                                                                int StartIndex, TFindStep Step) {
            return (form.*handler)(Sender, Typed, StartIndex, Step);
        };
    }
    if (layout.OnMatchItems != nullptr) {
        combo.OnMatchItems = [&form, handler = layout.OnMatchItems](TComboBox* Sender, const TypedText& Typed) {
            return (form.*handler)(Sender, Typed);
        };
    }
}

template <class F>
void Build(F& form, const TBitBtnLayout<F>& layout)
{
    TBitBtn& button = Place<TBitBtn>(form, layout);
    button.SetCaption(layout.Caption);
    if (layout.OnClick != nullptr)
        button.OnClick = [&form, handler = layout.OnClick](TObject* Sender) { (form.*handler)(Sender); };
}

}  // namespace form_building

// Gives `form` the properties, controls and event bindings of `layout`.
template <class F>
void BuildForm(F& form, const TFormLayout<F>& layout)
{
    assert(!layout.OldCreateOrder && "only OnCreate after construction is supported");
    form.Name = layout.Name;
    form.SetCaption(layout.Caption);
    form.SetColor(layout.Color);
    form.SetFont(layout.Font);
    form.SetBounds(layout.Left, layout.Top, layout.Width, layout.Height);
    for (const TControlLayout<F>& control : layout.Controls)
        std::visit([&form](const auto& controlLayout) { form_building::Build(form, controlLayout); }, control);
    form.ApplyTabOrder();
    form.SetKeyPreview(layout.KeyPreview);
    if (layout.OnKeyDown != nullptr)
        form.OnKeyDown = [&form, handler = layout.OnKeyDown](TObject* Sender, WORD& Key) {
            (form.*handler)(Sender, Key);
        };
    if (layout.OnCreate != nullptr)
        form.OnCreate = [&form, handler = layout.OnCreate](TObject* Sender) { (form.*handler)(Sender); };
}

// A new form of class F, built from FormLayoutOf(F*), OnCreate not raised yet.
template <class F>
std::unique_ptr<F> NewForm(TComponent* owner)
{
    auto form = std::make_unique<F>(owner);
    BuildForm(*form, FormLayoutOf(static_cast<F*>(nullptr)));
    return form;
}
