#include "FormWindow.h"

#include "QtBridge.h"
#include "X11FrameExtents.h"

#include <QAccessible>
#include <QAccessibleWidget>
#include <QApplication>
#include <QCloseEvent>
#include <QCoreApplication>
#include <QKeyEvent>
#include <QScreen>

#include <algorithm>

namespace {

// A plain top-level QWidget is a "filler" to screen readers; a form is a
// window, as a dialog or main window is.
QAccessibleInterface* FormAccessible(const QString&, QObject* object)
{
    if (auto* window = dynamic_cast<FormWindow*>(object))
        return new QAccessibleWidget(window, QAccessible::Window);
    return nullptr;
}

}  // namespace

QRect KeptWithin(const QRect& outer, const QRect& available)
{
    if (available.isEmpty())
        return outer;
    QRect kept(outer.topLeft(), outer.size().boundedTo(available.size()));
    kept.moveLeft(std::clamp(kept.left(), available.left(), available.right() + 1 - kept.width()));
    kept.moveTop(std::clamp(kept.top(), available.top(), available.bottom() + 1 - kept.height()));
    return kept;
}

FormWindow::FormWindow()
{
    static const bool installed = (QAccessible::installFactory(FormAccessible), true);
    (void)installed;
}

void FormWindow::SetOuterGeometry(const QRect& outer)
{
    outer_ = outer;
    move(outer.topLeft());
    resize(outer.size());
    fittedClient_ = size();
    fitting_ = true;
    FitToFrame();
}

QRect FormWindow::OuterGeometry() const
{
    return isVisible() ? frameGeometry() : outer_;
}

void FormWindow::KeepOnScreen()
{
    const QScreen* shownOn = screen();
    if (shownOn == nullptr)
        return;
    const QRect kept = KeptWithin(outer_, shownOn->availableGeometry());
    if (const auto frame = FrameExtentsBeforeMapping(*this)) {
        // With the frame known before the window is mapped, the first
        // request is already the fitted one: fitting once the window manager
        // has framed the window races with it, since Qt learns of the frame
        // and of the window manager's answers at no set time.
        outer_ = kept;
        fitting_ = false;
        const QPoint origin = shownOn->geometry().topLeft();
        const TRect client = ClientWithinFrame(RectOf(kept.translated(-origin)), *frame, devicePixelRatioF());
        setGeometry(QRectOf(client).translated(origin));
        return;
    }
    if (kept == outer_)
        return;
    SetOuterGeometry(kept);
}

void FormWindow::FitToFrame()
{
    if (!fitting_ || !isVisible() || outer_.isNull())
        return;
    // A size we did not ask for is the user's or the window manager's
    // (maximized, say): from then on fitting it back would fight them.
    if (size() != fittedClient_ || windowState() != Qt::WindowNoState) {
        fitting_ = false;
        return;
    }
    const QSize frameExtra = frameGeometry().size() - size();
    // No frame yet, or none at all; or, while the window manager reparents
    // the window, a frame Qt has read from a parent it has not framed yet.
    if (frameExtra.isNull() || frameExtra.width() < 0 || frameExtra.height() < 0)
        return;
    fittedClient_ = outer_.size() - frameExtra;
    // One request for place and size: a window manager that sees the
    // frame off the screen between two would move it on its own.
    const QPoint clientOffset = geometry().topLeft() - frameGeometry().topLeft();
    setGeometry(QRect(outer_.topLeft() + clientOffset, fittedClient_));
}

bool FormWindow::event(QEvent* event)
{
    if (event->type() == QEvent::Show && !activated_)
        KeepOnScreen();
    const bool handled = QWidget::event(event);
    switch (event->type()) {
    case QEvent::Show:
        if (!activated_) {
            // A window manager gives a new window the focus as it would to
            // any new application; this asks it the same way (or, with none
            // running, takes the focus).
            activated_ = true;
            activateWindow();
        }
        FitToFrame();
        break;
    case QEvent::Move:
    case QEvent::Resize:
    case QEvent::WindowStateChange:
        // The frame's size is known only once the window manager has put it
        // around us, which Qt learns asynchronously.
        FitToFrame();
        break;
    default:
        break;
    }
    return handled;
}

void FormWindow::closeEvent(QCloseEvent* event)
{
    event->accept();
    if (isMain_)
        QCoreApplication::quit();
}

void FormWindow::SetKeyPreview(std::function<bool(const QKeyEvent&)> preview)
{
    if (!keyPreview_ && preview)
        QCoreApplication::instance()->installEventFilter(this);
    keyPreview_ = std::move(preview);
}

bool FormWindow::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() != QEvent::KeyPress || !keyPreview_)
        return false;
    // A key the focus widget ignores goes on to its parents, and the filter
    // would see it again at each: it is previewed where it starts.
    auto* widget = qobject_cast<QWidget*>(watched);
    const bool startsHere = widget != nullptr && widget->window() == this &&
                            (widget == QApplication::focusWidget() || (widget == this && focusWidget() == nullptr));
    return startsHere && keyPreview_(static_cast<const QKeyEvent&>(*event));
}
