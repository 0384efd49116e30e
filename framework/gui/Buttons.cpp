#include "framework/gui/Buttons.h"

#include "QtBridge.h"
#include "framework/gui/DispatchEvent.h"

#include <QKeyEvent>
#include <QPushButton>

#include <memory>

namespace {

// Pressed by Return and keypad Enter as well as Space, as buttons are on
// other desktops; Qt's own take Return only in dialogs.
class PushButton : public QPushButton {
protected:
    void keyPressEvent(QKeyEvent* event) override
    {
        if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
            // Shows the button pressed for a moment, then clicks it once,
            // however long the key is held.
            animateClick();
            event->accept();
            return;
        }
        QPushButton::keyPressEvent(event);
    }
};

}  // namespace

TBitBtn::TBitBtn(TComponent* owner) : TWinControl(owner, std::make_unique<PushButton>())
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
