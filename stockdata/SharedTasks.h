#pragma once

#include <condition_variable>
#include <cstddef>
#include <mutex>
#include <new>
#include <queue>
#include <utility>
#include <vector>

// Work shared among the threads that call Work: tasks queued for whichever
// of them is free, largest first, so that no thread is left with most of the
// work however it is spread. It starts no thread of its own. A task may add
// more; `run(task, *this)` does one, and `task.n` is its size.
template <class Task, class Run>
class SharedTasks {
public:
    SharedTasks(std::size_t threads, std::size_t sharedFrom, Run run) noexcept
        : threads_(threads), sharedFrom_(sharedFrom), run_(std::move(run))
    {
    }

    // Queues `task` when another thread could take it and it has `sharedFrom`
    // items or more; otherwise, or when there is no memory to queue it, does
    // it at once.
    void Add(const Task& task) noexcept
    {
        if (threads_ > 1 && task.n >= sharedFrom_) {
            try {
                const std::lock_guard lock(mutex_);
                queue_.push(task);
                ready_.notify_one();
                return;
            } catch (const std::bad_alloc&) {
                // no room to queue it: this thread does it itself
            }
        }
        run_(task, *this);
    }

    // Does queued tasks until none is left and no thread can add more.
    void Work() noexcept
    {
        std::unique_lock lock(mutex_);
        for (;;) {
            ready_.wait(lock, [this] { return !queue_.empty() || busy_ == 0; });
            if (queue_.empty()) {
                ready_.notify_all();
                return;
            }
            const Task task = queue_.top();
            queue_.pop();
            ++busy_;
            lock.unlock();
            run_(task, *this);
            lock.lock();
            --busy_;
        }
    }

private:
    struct Smaller {
        bool operator()(const Task& a, const Task& b) const noexcept { return a.n < b.n; }
    };

    std::size_t threads_;
    std::size_t sharedFrom_;
    Run run_;
    std::mutex mutex_;
    std::condition_variable ready_;
    std::priority_queue<Task, std::vector<Task>, Smaller> queue_;
    std::size_t busy_ = 0;
};
