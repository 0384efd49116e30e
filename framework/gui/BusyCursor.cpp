#include "BusyCursor.h"

#include "StaleInputFilter.h"

#include <QApplication>

void BusyCursor::Begin() noexcept
{
    if (depth_++ > 0 || QApplication::instance() == nullptr)
        return;
    try {
        QApplication::setOverrideCursor(Qt::WaitCursor);
    } catch (...) {
        // Only the cursor is missing: the work goes on.
    }
}

void BusyCursor::End() noexcept
{
    if (--depth_ > 0 || QApplication::instance() == nullptr)
        return;
    staleInput_.DropUpToNow();
    try {
        if (QApplication::overrideCursor() != nullptr)
            QApplication::restoreOverrideCursor();
    } catch (...) {
    }
}
