#include "framework/gui/Forms.h"

#include "FormWindow.h"
#include "framework/gui/DispatchEvent.h"

#include <QWidget>

#include <algorithm>
#include <cstdlib>

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
    return QColor(static_cast<int>(bgr & 0xFF), static_cast<int>((bgr >> 8) & 0xFF), static_cast<int>((bgr >> 16) & 0xFF));
}

}  // namespace

TForm::TForm(TComponent* Owner) : TWinControl(Owner), window_(new FormWindow)
{
    AdoptWidget(window_);
    window_->setAutoFillBackground(true);
}

TForm::~TForm() = default;

void TForm::SetBounds(int Left, int Top, int Width, int Height)
{
    window_->SetOuterGeometry(QRect(Left, Top, Width, Height));
}

TRect TForm::BoundsRect() const
{
    const QRect r = window_->OuterGeometry();
    return {r.left(), r.top(), r.left() + r.width(), r.top() + r.height()};
}

void TForm::SetCaption(const std::string& caption)
{
    window_->setWindowTitle(QString::fromStdString(caption));
}

std::string TForm::Caption() const
{
    return window_->windowTitle().toStdString();
}

void TForm::SetColor(TColor color)
{
    QPalette palette = window_->palette();
    palette.setColor(QPalette::Window, ColorOf(color, palette));
    window_->setPalette(palette);
}

void TForm::SetFont(const TFontLayout& layout)
{
    // fontconfig picks a sans face for a name it does not have.
    QFont font(QString::fromUtf8(layout.Name));
    font.setStyleHint(QFont::SansSerif);
    font.setPixelSize(std::abs(layout.Height));
    font.setBold(layout.Bold);
    font.setItalic(layout.Italic);
    window_->setFont(font);
    QPalette palette = window_->palette();
    palette.setColor(QPalette::WindowText, ColorOf(layout.Color, palette));
    window_->setPalette(palette);
}

void TForm::Show()
{
    window_->show();
}

void TForm::Close()
{
    window_->close();
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
    window_->SetMainForm(true);
}
