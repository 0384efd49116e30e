#include "DropDownList.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QMouseEvent>
#include <QScreen>
#include <QVBoxLayout>

#include <algorithm>

DropDownList::DropDownList(QWidget& box, QAbstractItemView& view)
    // A tool tip's window: mapped at once where it is put, also as a
    // Wayland popup, and given no focus by the window manager.
    : QFrame(&box, Qt::ToolTip | Qt::FramelessWindowHint), box_(box), view_(view)
{
    setAttribute(Qt::WA_ShowWithoutActivating);
    setFocusPolicy(Qt::NoFocus);
    setFrameStyle(QFrame::Box | QFrame::Plain);
    setLineWidth(1);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(&view_);
    view_.setFocusPolicy(Qt::NoFocus);
    view_.setFrameShape(QFrame::NoFrame);
    view_.setMouseTracking(true);
    view_.viewport()->installEventFilter(this);
}

DropDownList::~DropDownList()
{
    qApp->removeEventFilter(this);
}

void DropDownList::Open(int rows, int rowHeight)
{
    Fit(rows, rowHeight);
    qApp->installEventFilter(this);
    box_.window()->installEventFilter(this);
    show();
    raise();
}

void DropDownList::Fit(int rows, int rowHeight)
{
    const int shown = std::clamp(view_.model() != nullptr ? view_.model()->rowCount() : 0, 1, rows);
    const int height = shown * rowHeight + 2 * frameWidth();
    const QRect area = box_.rect().translated(box_.mapToGlobal(QPoint(0, 0)));
    QPoint at = area.bottomLeft() + QPoint(0, 1);
    if (const QScreen* screen = box_.screen(); screen != nullptr) {
        const QRect available = screen->availableGeometry();
        if (at.y() + height > available.bottom() + 1)
            at.setY(area.top() - height);
    }
    setGeometry(QRect(at, QSize(area.width(), height)));
}

void DropDownList::Close()
{
    hide();
}

void DropDownList::hideEvent(QHideEvent* event)
{
    qApp->removeEventFilter(this);
    box_.window()->removeEventFilter(this);
    QFrame::hideEvent(event);
    if (onClosed)
        onClosed();
}

bool DropDownList::ClosesOn(const QWidget& widget, bool& eat) const
{
    if (widget.window() == this)
        return false;
    eat = &widget == &box_ || box_.isAncestorOf(&widget);
    return true;
}

bool DropDownList::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == view_.viewport()) {
        if (event->type() == QEvent::MouseMove) {
            // The row under the pointer is highlighted, as in menus.
            const auto& mouse = static_cast<const QMouseEvent&>(*event);
            if (const QModelIndex row = view_.indexAt(mouse.position().toPoint()); row.isValid())
                view_.setCurrentIndex(row);
        } else if (event->type() == QEvent::MouseButtonRelease &&
                   static_cast<const QMouseEvent&>(*event).button() == Qt::LeftButton) {
            const auto& mouse = static_cast<const QMouseEvent&>(*event);
            if (const QModelIndex row = view_.indexAt(mouse.position().toPoint()); row.isValid()) {
                if (onPicked)
                    onPicked(row.row());
                Close();
                return true;
            }
        }
        return false;
    }
    switch (event->type()) {
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonDblClick: {
        const auto* widget = qobject_cast<const QWidget*>(watched);
        bool eat = false;
        if (widget == nullptr || !ClosesOn(*widget, eat))
            return false;
        Close();
        return eat;
    }
    case QEvent::WindowDeactivate:
    case QEvent::Move:
    case QEvent::Resize:
        // Left where the box was, the list would name rows of nothing.
        if (watched == box_.window())
            Close();
        return false;
    default:
        return false;
    }
}
