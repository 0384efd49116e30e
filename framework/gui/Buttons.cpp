#include "framework/gui/Buttons.h"

#include "framework/gui/DispatchEvent.h"

#include <QPushButton>

TBitBtn::TBitBtn(TComponent* Owner) : TWinControl(Owner)
{
    auto* button = new QPushButton;
    AdoptWidget(button);
    QObject::connect(button, &QPushButton::clicked, button, [this] {
        DispatchEvent(this, [this] {
            if (OnClick)
                OnClick(this);
        });
    });
}

void TBitBtn::SetCaption(const std::string& caption)
{
    static_cast<QPushButton*>(Widget())->setText(QString::fromStdString(caption));
}

std::string TBitBtn::Caption() const
{
    return static_cast<QPushButton*>(Widget())->text().toStdString();
}

void TBitBtn::Click()
{
    static_cast<QPushButton*>(Widget())->click();
}
