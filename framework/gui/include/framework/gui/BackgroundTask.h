#pragma once

#include "framework/gui/Classes.h"

#include <exception>
#include <functional>
#include <memory>
#include <stop_token>

// Runs one piece of work at a time on a thread of its own, beside the event
// loop, and tells its end on the GUI thread, so that the window keeps
// painting and answering while it runs. While it runs, OnProgress is raised
// on the GUI thread every ProgressIntervalMs. It is no thread pool: the work
// may use threads of its own, but must end them before it returns.
class TBackgroundTask {
public:
    // Null when the work returned, else what it threw.
    using TDoneEvent = std::function<void(const std::exception_ptr& error)>;
    static constexpr int ProgressIntervalMs = 100;

    // `owner` is the Sender of the reports of what onDone throws.
    explicit TBackgroundTask(TObject* owner);
    // Cancels the work that runs, if any.
    ~TBackgroundTask();
    TBackgroundTask(const TBackgroundTask&) = delete;
    TBackgroundTask& operator=(const TBackgroundTask&) = delete;

    // Runs work() on a new thread; once it has returned, raises onDone on the
    // GUI thread, reporting what onDone throws as an event handler's. The
    // work learns that it must stop through tokens of `stop`. Not while
    // Running(). Throws std::system_error when no thread can be started.
    void Start(std::stop_source stop, std::function<void()> work, TDoneEvent onDone);

    // Asks the work to stop and waits until it has ended; its onDone is then
    // never raised. Nothing when no work runs.
    void Cancel() noexcept;
    // Asks the work to stop, and returns at once: onDone is raised as it
    // ends, as when it ends by itself. For work whose threads may take a
    // while to see the request, such as low-priority ones on a busy machine.
    void RequestStop() noexcept;

    // From Start until onDone is raised or Cancel returns.
    bool Running() const noexcept;

    std::function<void()> OnProgress;
    // Whether the work yields the processor to the GUI thread, and the
    // threads it starts too: for work that no one waits for.
    bool LowPriority = false;

private:
    struct Impl;
    std::unique_ptr<Impl> impl_;
};
