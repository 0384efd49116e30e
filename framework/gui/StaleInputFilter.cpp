#include "StaleInputFilter.h"

#include <QInputEvent>

namespace {

bool IsUserAction(QEvent::Type type) noexcept
{
    switch (type) {
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonRelease:
    case QEvent::MouseButtonDblClick:
    case QEvent::KeyPress:
    case QEvent::KeyRelease:
    case QEvent::ShortcutOverride:
    case QEvent::Wheel:
        return true;
    default:
        return false;
    }
}

}  // namespace

bool StaleInputFilter::eventFilter(QObject*, QEvent* event)
{
    if (!IsUserAction(event->type()))
        return false;
    const quint64 stamp = static_cast<const QInputEvent*>(event)->timestamp();
    if (stamp == 0)
        return false;  // made by the program itself, with no time
    if (dropUpTo_ && stamp <= *dropUpTo_)
        return true;
    lastStamp_ = stamp;
    lastSeen_.start();
    return false;
}

void StaleInputFilter::DropUpToNow() noexcept
{
    if (lastSeen_.isValid())
        dropUpTo_ = lastStamp_ + static_cast<quint64>(lastSeen_.elapsed());
}
