#include "Buttons.h"

#include "Forms.h"

#include <QKeyEvent>
#include <QPushButton>

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

TBitBtn::TBitBtn(TComponent* Owner) : TWinControl(Owner)
{
    auto* button = new PushButton;
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
