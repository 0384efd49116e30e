#pragma once

#include <QWidget>

// The top-level widget of a TForm. It keeps the form's outer rectangle and,
// once a window manager has put a frame around it, fits the client area so
// that the frame covers exactly that rectangle. Closing the main form ends
// the application's event loop. The first time it is shown it asks for the
// keyboard focus, which nothing else gives it where no window manager runs.
class FormWindow : public QWidget {
public:
    void SetOuterGeometry(const QRect& outer);
    QRect OuterGeometry() const noexcept { return outer_; }
    void SetMainForm(bool isMain) noexcept { isMain_ = isMain; }

protected:
    bool event(QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    void FitToFrame();

    QRect outer_;
    QSize fittedFrame_;
    bool isMain_ = false;
    bool activated_ = false;
};
