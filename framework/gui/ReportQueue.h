#pragma once

#include <array>
#include <cstddef>
#include <exception>
#include <functional>
#include <memory>
#include <optional>

class QSocketNotifier;
class TObject;

// Exceptions from event handlers waiting to be reported from the event loop,
// in the order they came. Its room is reserved once and it wakes the loop
// through an eventfd, so queueing a report allocates nothing, where a timer
// or a posted event would. It shows no report itself: the handler given to
// Open takes them out.
class ReportQueue {
public:
    struct Entry {
        TObject* sender = nullptr;
        std::exception_ptr error;
    };

    // Both where QSocketNotifier is complete.
    ReportQueue();
    ~ReportQueue();
    ReportQueue(const ReportQueue&) = delete;
    ReportQueue& operator=(const ReportQueue&) = delete;

    // Starts waking the event loop: after a Push, `onWake` runs from the loop.
    // Needs the QApplication. Throws Exception when no eventfd can be made.
    void Open(std::function<void()> onWake);

    // Writes the reports still waiting to stderr and stops waking the loop;
    // call it before the QApplication goes.
    void Close() noexcept;

    // Whether Open has been called since the last Close.
    bool IsOpen() const noexcept { return wake_ != nullptr; }

    // Queues a report and wakes the loop; false, with nothing queued, when
    // the reserved room is full. Only while open.
    bool Push(TObject* sender, const std::exception_ptr& error) noexcept;

    // Takes the oldest report out, if any.
    std::optional<Entry> Pop() noexcept;

private:
    std::array<Entry, 16> entries_;
    std::size_t first_ = 0;
    std::size_t count_ = 0;
    int wakeFd_ = -1;
    std::unique_ptr<QSocketNotifier> wake_;
};
