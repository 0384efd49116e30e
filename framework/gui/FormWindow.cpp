#include "FormWindow.h"

#include <QCloseEvent>
#include <QCoreApplication>

void FormWindow::SetOuterGeometry(const QRect& outer)
{
    outer_ = outer;
    fittedFrame_ = QSize();
    move(outer.topLeft());
    resize(outer.size());
    FitToFrame();
}

void FormWindow::FitToFrame()
{
    if (!isVisible() || outer_.isNull())
        return;
    const QSize frameExtra = frameGeometry().size() - geometry().size();
    if (frameExtra == fittedFrame_)
        return;
    fittedFrame_ = frameExtra;
    resize(outer_.size() - frameExtra);
    move(outer_.topLeft());
}

bool FormWindow::event(QEvent* event)
{
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
