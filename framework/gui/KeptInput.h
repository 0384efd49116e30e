#pragma once

#include <QElapsedTimer>
#include <QEvent>

#include <memory>
#include <vector>

// The keys and input method events typed into a list that is still being
// filled, kept in order to be answered once it is full, so that nothing
// typed meanwhile is lost. Each comes with the pause before it, so that a
// pause can still end a search when they are answered.
class KeptInput {
public:
    struct Kept {
        std::unique_ptr<QEvent> event;
        qint64 pauseMs;  // since the one before; 0 for the first
    };

    // Keeps a copy of `event`.
    void Keep(const QEvent& event);
    bool Empty() const noexcept { return kept_.empty(); }
    // What was kept, in order; nothing is kept after.
    std::vector<Kept> Take();

private:
    std::vector<Kept> kept_;
    QElapsedTimer sinceLast_;
};
