#pragma once

#include <algorithm>
#include <atomic>
#include <cstddef>
#include <exception>
#include <optional>
#include <system_error>
#include <thread>
#include <vector>

// How a load spreads its work over threads: at most `threads`, each given at
// least `minimumPerThread` items, so that small loads stay on one thread.
struct Parallelism {
    unsigned threads = 1;
    std::size_t minimumPerThread = 1;

    // As many threads as the machine has cores, for work large enough to pay:
    // 2^14 items a thread at least. A small file's load, read, ordered and
    // keyed, 1000 / 5000 / 20000 lines: 0.92 / 1.74 / 3.80 ms with it,
    // 1.32 / 2.53 / 5.63 ms split over both threads however small (at least
    // 1 item a thread). Medians of 5 pairs, each way in turn, 2 cores,
    // 2026-12-10: stockdata_bench --benchmark_filter=BM_SmallLoad
    // --benchmark_repetitions=5.
    static Parallelism OfMachine() noexcept
    {
        return {std::max(1U, std::thread::hardware_concurrency()), std::size_t{1} << 14};
    }

    // How many parts `items` items are worth splitting into.
    std::size_t PartsFor(std::size_t items) const noexcept
    {
        const std::size_t worth = items / std::max<std::size_t>(minimumPerThread, 1);
        return std::max<std::size_t>(1, std::min<std::size_t>(threads, worth));
    }
};

// Pieces of work [0, count) shared by threads that each take the next piece
// not yet taken, so that a thread that starts late or runs slowly takes
// fewer. Every piece is taken once, by one thread.
class PieceQueue {
public:
    explicit PieceQueue(std::size_t count) noexcept : count_(count) {}

    // The next piece not yet taken; nothing once all are. Any thread.
    std::optional<std::size_t> Take() noexcept
    {
        const std::size_t piece = next_++;
        return piece < count_ ? std::optional(piece) : std::nullopt;
    }

private:
    std::size_t count_;
    std::atomic<std::size_t> next_ = 0;
};

// Runs work(part) for every part in [0, parts), part 0 on the calling thread
// and the others on threads of their own, and returns once all have ended.
// What a part throws (std::bad_alloc included) is rethrown here, the first
// part's first; a thread that cannot be started runs its part here instead.
template <class Work>
void RunParts(std::size_t parts, Work&& work)
{
    std::vector<std::exception_ptr> errors(parts);
    {
        std::vector<std::jthread> threads;
        threads.reserve(parts);
        auto run = [&errors, &work](std::size_t part) noexcept {
            try {
                work(part);
            } catch (...) {
                errors[part] = std::current_exception();
            }
        };
        for (std::size_t part = 1; part < parts; ++part) {
            try {
                threads.emplace_back(run, part);
            } catch (const std::system_error&) {
                run(part);
            }
        }
        run(0);
    }  // the threads join here
    for (const std::exception_ptr& error : errors)
        if (error)
            std::rethrow_exception(error);
}
