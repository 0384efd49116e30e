#pragma once

#include <QWidget>

#include <functional>

class QKeyEvent;

// The top-level widget of a TForm. It keeps the form's outer rectangle, the
// frame's place and size on the screen: when it first shows, that rectangle
// is moved, and only then shrunk, until it lies within the screen's
// available area. On X11 the window manager is asked for the frame before
// the window is mapped, and the client area is placed so that the frame
// covers exactly that rectangle; elsewhere, or where it does not answer, the
// client area is fitted once Qt sees the frame the window manager put
// around it. From then on the window is the user's and the window manager's
// to move, resize, maximize and restore. Closing the main form ends the
// application's event loop. The first time it is shown it asks for the
// keyboard focus, which nothing else gives it where no window manager runs.
// To screen readers it is a frame named by its caption.
class FormWindow : public QWidget {
public:
    FormWindow();
    void SetOuterGeometry(const QRect& outer);
    // Where the frame is: on the screen once shown, else where it will be.
    QRect OuterGeometry() const;
    void SetMainForm() noexcept { isMain_ = true; }
    // Shows `preview` every key pressed in this window before the widget
    // with the focus; a key it returns true for goes no further. Keys given
    // to a popup, such as an open list, are the popup's.
    void SetKeyPreview(std::function<bool(const QKeyEvent&)> preview);

    bool eventFilter(QObject* watched, QEvent* event) override;

protected:
    bool event(QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    void KeepOnScreen();
    void FitToFrame();

    QRect outer_;
    // The client size last asked for, while fitting is still ours to do.
    QSize fittedClient_;
    bool fitting_ = false;
    bool isMain_ = false;
    bool activated_ = false;
    std::function<bool(const QKeyEvent&)> keyPreview_;
};

// `outer` moved, and only where that is not enough shrunk, to lie within
// `available`.
QRect KeptWithin(const QRect& outer, const QRect& available);
