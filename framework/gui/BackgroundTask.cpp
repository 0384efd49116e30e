#include "framework/gui/BackgroundTask.h"

#include "framework/gui/DispatchEvent.h"

#include <QCoreApplication>
#include <QTimer>

#include <cassert>

#include <sys/resource.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <thread>

struct TBackgroundTask::Impl {
    Impl(TBackgroundTask& owningTask, TObject* sender) : task(owningTask), owner(sender) {}

    TBackgroundTask& task;
    TObject* owner;
    QTimer ticks;
    std::thread thread;
    std::stop_source stop;
    TDoneEvent onDone;
    // Written by the work's thread before `finished`, read after it.
    std::exception_ptr error;
    std::atomic<bool> finished = false;

    // Called on the GUI thread once the work may have ended.
    void EndIfFinished()
    {
        if (!thread.joinable() || !finished.load(std::memory_order_acquire))
            return;
        End();
    }

    void End()
    {
        thread.join();
        ticks.stop();
        const TDoneEvent done = std::exchange(onDone, nullptr);
        const std::exception_ptr thrown = std::exchange(error, nullptr);
        if (done)
            DispatchEvent(owner, [&] { done(thrown); });
    }

    void Tick()
    {
        if (finished.load(std::memory_order_acquire)) {
            EndIfFinished();
            return;
        }
        if (task.OnProgress)
            DispatchEvent(owner, [this] { task.OnProgress(); });
    }
};

TBackgroundTask::TBackgroundTask(TObject* owner) : impl_(std::make_unique<Impl>(*this, owner))
{
    impl_->ticks.setInterval(ProgressIntervalMs);
    QObject::connect(&impl_->ticks, &QTimer::timeout, [impl = impl_.get()] { impl->Tick(); });
}

TBackgroundTask::~TBackgroundTask()
{
    Cancel();
}

void TBackgroundTask::Start(std::stop_source stop, std::function<void()> work, TDoneEvent onDone)
{
    Impl& impl = *impl_;
    assert(!impl.thread.joinable() && "TBackgroundTask::Start while work runs");
    impl.stop = std::move(stop);
    impl.onDone = std::move(onDone);
    impl.error = nullptr;
    impl.finished.store(false, std::memory_order_relaxed);
    // The ticks first: once the thread runs, nothing here may throw.
    impl.ticks.start();
    try {
        impl.thread = std::thread([&impl, work = std::move(work), lowPriority = LowPriority] {
            // A nice value is the thread's own, and the threads it starts take
            // it over. 30M lines, a code typed while the code index is built
            // beside it: 80 -> 45 ms (gui_bench). Failing, the work only runs as
            // fast.
            if (lowPriority) {
                const auto self = static_cast<id_t>(::gettid());
                errno = 0;
                if (const int current = ::getpriority(PRIO_PROCESS, self); errno == 0)
                    ::setpriority(PRIO_PROCESS, self, std::min(current + 10, 19));
            }
            try {
                work();
            } catch (...) {
                impl.error = std::current_exception();
            }
            impl.finished.store(true, std::memory_order_release);
            // The end is told at once; should the call find no memory to be
            // queued, the next tick tells it.
            try {
                QMetaObject::invokeMethod(
                    &impl.ticks, [&impl] { impl.EndIfFinished(); }, Qt::QueuedConnection);
            } catch (...) {
            }
        });
    } catch (...) {
        impl.ticks.stop();
        impl.onDone = nullptr;
        throw;
    }
}

void TBackgroundTask::Cancel() noexcept
{
    Impl& impl = *impl_;
    if (!impl.thread.joinable())
        return;
    impl.stop.request_stop();
    impl.thread.join();
    impl.ticks.stop();
    impl.onDone = nullptr;
    impl.error = nullptr;
    // A queued EndIfFinished finds no thread and does nothing.
}

void TBackgroundTask::RequestStop() noexcept
{
    impl_->stop.request_stop();
}

bool TBackgroundTask::Running() const noexcept
{
    return impl_->thread.joinable();
}
