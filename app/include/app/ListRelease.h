#pragma once

#include <condition_variable>
#include <mutex>
#include <new>
#include <stop_token>
#include <system_error>
#include <thread>
#include <utility>
#include <vector>

// Frees replaced lists on a thread of its own, so that the GUI thread never
// walks one: at 30M lines the view's nodes, the positions, the search and
// the store take about 110 ms to free, up to half a second on a busy
// machine. A load waits until they are freed before it starts, so that
// their memory is free again when the load is admitted. It frees, and
// nothing else: a List's destructor must not reach back into the window.
template <class List>
class ListRelease {
public:
    ListRelease() = default;
    // Frees what is still to be freed, then ends the thread.
    ~ListRelease() = default;
    ListRelease(const ListRelease&) = delete;
    ListRelease& operator=(const ListRelease&) = delete;

    // Hands `list` over to be freed. Where no thread can be started or no
    // memory is left to queue it, it is freed at once, here.
    void Release(List list) noexcept
    {
        try {
            if (!thread_.joinable())
                thread_ = std::jthread([this](const std::stop_token& stop) { FreeReleased(stop); });
            const std::lock_guard lock(mutex_);
            released_.push_back(std::move(list));
            changed_.notify_all();
        } catch (const std::bad_alloc&) {
            // freed as `list` goes
        } catch (const std::system_error&) {
            // no thread: the same
        }
    }

    // True once every list released so far is freed; false as soon as
    // `stop` is asked for first.
    bool WaitFreed(const std::stop_token& stop)
    {
        std::unique_lock lock(mutex_);
        return changed_.wait(lock, stop, [this] { return released_.empty() && !freeing_; });
    }

private:
    void FreeReleased(const std::stop_token& stop)
    {
        std::unique_lock lock(mutex_);
        for (;;) {
            // Once a stop is asked for, what was released before it is still freed.
            changed_.wait(lock, stop, [this] { return !released_.empty(); });
            if (released_.empty())
                return;
            std::vector<List> lists = std::exchange(released_, {});
            freeing_ = true;
            lock.unlock();
            lists.clear();
            lock.lock();
            freeing_ = false;
            changed_.notify_all();
        }
    }

    std::mutex mutex_;
    std::condition_variable_any changed_;
    std::vector<List> released_;
    bool freeing_ = false;
    // Last, so that it ends before what it reads goes.
    std::jthread thread_;
};
