#pragma once

#include <QElapsedTimer>
#include <QObject>

#include <optional>

// Drops the clicks and key presses given while the application was busy.
// Qt reads them only once the busy work returns, but each carries the window
// system's time of its making; the time the work ended is estimated from
// the last input seen before it, since both clocks run in milliseconds.
// Installed on the QApplication; it does not know when work starts or ends:
// the busy cursor tells it.
class StaleInputFilter : public QObject {
public:
    bool eventFilter(QObject* watched, QEvent* event) override;

    // Drops what was given up to now.
    void DropUpToNow() noexcept;

private:
    quint64 lastStamp_ = 0;
    QElapsedTimer lastSeen_;
    std::optional<quint64> dropUpTo_;
};
