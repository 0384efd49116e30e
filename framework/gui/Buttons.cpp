#include "framework/gui/Buttons.h"

#include "QtBridge.h"
#include "framework/gui/DispatchEvent.h"

#include <QPushButton>

#include <memory>

TBitBtn::TBitBtn(TComponent* owner) : TWinControl(owner, std::make_unique<QPushButton>())
{
    QPushButton* button = &WidgetOf<QPushButton>(*this);
    QObject::connect(button, &QPushButton::clicked, button, [this] {
        DispatchEvent(this, [this] {
            if (OnClick)
                OnClick(this);
        });
    });
}

void TBitBtn::SetCaption(const std::string& caption)
{
    WidgetOf<QPushButton>(*this).setText(QString::fromStdString(caption));
}

std::string TBitBtn::Caption() const
{
    return WidgetOf<QPushButton>(*this).text().toStdString();
}

void TBitBtn::Click()
{
    WidgetOf<QPushButton>(*this).click();
}
