#pragma once

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <exception>
#include <functional>
#include <mutex>
#include <stop_token>

// The stages of a load, in the order they run.
// The list is ready after Keying, each record's initials and code keys in
// list order; the code index and the index of the names' characters are
// built after it.
enum class LoadStage : std::uint8_t { Counting, Reading, Sorting, Keying, IndexingNames, IndexingCodes };

// Thrown by a load that was asked to stop. It is no failure, so there is
// nothing to report: everything the load had made is freed by then.
class LoadCancelled : public std::exception {
public:
    const char* what() const noexcept override;
};

// How far a load has come, and the requests to stop it or hold it, shared
// between the threads that run the load and one that watches it. The load
// reports each stage's work as it goes and looks at the requests often
// enough to end, or wait, within a few milliseconds of one; the watcher
// reads the figures whenever it likes. It is not the load: a load given
// none runs to its end unobserved.
class LoadProgress {
public:
    explicit LoadProgress(std::stop_token stop = {}) noexcept : stop_(std::move(stop)) {}
    LoadProgress(const LoadProgress&) = delete;
    LoadProgress& operator=(const LoadProgress&) = delete;

    // Load side, from any of its threads. `total` is the stage's work in
    // whatever unit it counts (bytes, records); Advance adds `done` of them.
    void Begin(LoadStage stage, std::uint64_t total) noexcept;
    void Advance(std::uint64_t done) noexcept { done_.fetch_add(done, std::memory_order_relaxed); }
    bool StopRequested() const noexcept { return stop_.stop_requested(); }
    // Waits while the load is held and no stop has been asked for; then
    // throws LoadCancelled once a stop has been asked for.
    void ThrowIfStopped() const;

    // Called on the load's calling thread as `stage` begins, before the
    // figures are reset, so Fraction() still shows the stage before at its
    // end, so that a stop can be asked for as a chosen stage begins. It must
    // not throw.
    std::function<void(LoadStage stage)> onBegin = nullptr;

    // Watcher side: the stage running now, and the share of the whole load
    // done so far, from 0 to 1, weighing each stage by the time it takes.
    LoadStage Stage() const noexcept { return stage_.load(std::memory_order_relaxed); }
    double Fraction() const noexcept;

    // Watcher side: while one is held, the load waits at its next look at
    // the requests, so that the watcher's own work has the processors and
    // the memory to itself. A search reading every name of 10M lines beside
    // the build of an index: 146-156 ms a key, held 102-122 (gui_bench).
    class Hold {
    public:
        // Holds nothing given none.
        explicit Hold(LoadProgress* progress) noexcept;
        ~Hold();
        Hold(const Hold&) = delete;
        Hold& operator=(const Hold&) = delete;

    private:
        LoadProgress* progress_;
    };

private:
    std::stop_token stop_;
    std::atomic<int> holds_ = 0;
    mutable std::mutex holdsMutex_;
    mutable std::condition_variable holdsEnded_;
    std::atomic<LoadStage> stage_ = LoadStage::Counting;
    std::atomic<std::uint64_t> done_ = 0;
    std::atomic<std::uint64_t> total_ = 0;
};

// The checks a load makes where it may be given no progress to report to.
inline bool StopRequested(const LoadProgress* progress) noexcept
{
    return progress != nullptr && progress->StopRequested();
}

inline void ThrowIfStopped(const LoadProgress* progress)
{
    if (progress != nullptr)
        progress->ThrowIfStopped();
}

inline void Advance(LoadProgress* progress, std::uint64_t done) noexcept
{
    if (progress != nullptr)
        progress->Advance(done);
}

inline void Begin(LoadProgress* progress, LoadStage stage, std::uint64_t total) noexcept
{
    if (progress != nullptr)
        progress->Begin(stage, total);
}
