#include "framework/gui/Forms.h"

#include "FormWindow.h"
#include "QtBridge.h"
#include "framework/gui/DispatchEvent.h"

#include <QFontMetrics>
#include <QKeyEvent>
#include <QWidget>

#include <algorithm>
#include <memory>

namespace {

QColor ColorOf(TColor color, const QPalette& palette)
{
    switch (color) {
    case TColor::clBtnFace:
        return palette.color(QPalette::Window);
    case TColor::clWindow:
        return palette.color(QPalette::Base);
    case TColor::clWindowText:
        return palette.color(QPalette::WindowText);
    case TColor::clHighlight:
        return palette.color(QPalette::Highlight);
    case TColor::clHighlightText:
        return palette.color(QPalette::HighlightedText);
    case TColor::clBlack:
    case TColor::clWhite:
        break;
    }
    const auto bgr = static_cast<std::uint32_t>(color);
    return QColor(static_cast<int>(bgr & 0xFF), static_cast<int>((bgr >> 8) & 0xFF),
                  static_cast<int>((bgr >> 16) & 0xFF));
}

// Qt's pixel size is the character height without internal leading, what a
// negative layout height gives. A positive one is the whole cell, ascent
// plus descent: the largest size whose cell fits.
void SetLayoutHeight(QFont& font, int height)
{
    if (height == 0)
        return;  // the default size
    if (height < 0) {
        font.setPixelSize(-height);
        return;
    }
    int size = height;
    font.setPixelSize(size);
    while (size > 1 && QFontMetrics(font).height() > height)
        font.setPixelSize(--size);
}

}  // namespace

TForm::TForm(TComponent* owner) : TWinControl(owner, std::make_unique<FormWindow>())
{
    WidgetOf<FormWindow>(*this).setAutoFillBackground(true);
}

void TForm::SetBounds(int left, int top, int width, int height)
{
    WidgetOf<FormWindow>(*this).SetOuterGeometry(QRect(left, top, width, height));
}

TRect TForm::BoundsRect() const
{
    return RectOf(WidgetOf<FormWindow>(*this).OuterGeometry());
}

void TForm::SetCaption(const std::string& caption)
{
    Widget()->setWindowTitle(QString::fromStdString(caption));
}

std::string TForm::Caption() const
{
    return Widget()->windowTitle().toStdString();
}

void TForm::SetColor(TColor color)
{
    QPalette palette = Widget()->palette();
    palette.setColor(QPalette::Window, ColorOf(color, palette));
    Widget()->setPalette(palette);
}

void TForm::SetFont(const TFontLayout& layout)
{
    // fontconfig picks a sans face for a name it does not have.
    QFont font(QString::fromUtf8(layout.Name));
    font.setStyleHint(QFont::SansSerif);
    SetLayoutHeight(font, layout.Height);
    font.setBold(layout.Bold);
    font.setItalic(layout.Italic);
    Widget()->setFont(font);
    QPalette palette = Widget()->palette();
    palette.setColor(QPalette::WindowText, ColorOf(layout.Color, palette));
    Widget()->setPalette(palette);
}

namespace {

// The virtual key of a Qt key, 0 for keys the form's key events leave out.
WORD VirtualKeyOf(int key)
{
    if (key == Qt::Key_Escape)
        return VK_ESCAPE;
    if ((key >= Qt::Key_0 && key <= Qt::Key_9) || (key >= Qt::Key_A && key <= Qt::Key_Z))
        return static_cast<WORD>(key);  // the same codes as ASCII
    return 0;
}

}  // namespace

void TForm::SetKeyPreview(bool preview)
{
    if (!preview) {
        WidgetOf<FormWindow>(*this).SetKeyPreview(nullptr);
        return;
    }
    WidgetOf<FormWindow>(*this).SetKeyPreview([this](const QKeyEvent& event) {
        WORD key = VirtualKeyOf(event.key());
        if (key == 0 || !OnKeyDown)
            return false;
        DispatchEvent(this, [&] { OnKeyDown(this, key); });
        return key == 0;
    });
}

void TForm::Show()
{
    Widget()->show();
}

void TForm::Close()
{
    Widget()->close();
}

void TForm::DoCreate()
{
    DispatchEvent(this, [this] {
        if (OnCreate)
            OnCreate(this);
    });
}

void TForm::ApplyTabOrder()
{
    std::vector<TWinControl*> controls;
    for (const auto& component : Components())
        if (auto* control = dynamic_cast<TWinControl*>(component.get()))
            controls.push_back(control);
    std::stable_sort(controls.begin(), controls.end(),
                     [](const TWinControl* a, const TWinControl* b) { return a->TabOrder() < b->TabOrder(); });
    for (std::size_t i = 1; i < controls.size(); ++i)
        QWidget::setTabOrder(controls[i - 1]->Widget(), controls[i]->Widget());
}

void TForm::SetMainForm() noexcept
{
    WidgetOf<FormWindow>(*this).SetMainForm();
}
