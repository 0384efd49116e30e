// TBackgroundTask's promises, each through what the work and its end handler
// see: a cancel asks the work to stop and drops its end; a wait returns only
// once the work has ended and its end has run; the end runs once, also when
// it throws. No test depends on how fast a thread runs.

#include "framework/core/Exception.h"
#include "framework/gui/Application.h"
#include "framework/gui/BackgroundTask.h"

#include <QCoreApplication>
#include <QTimer>

#include <gtest/gtest.h>

#include <sys/resource.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <stdexcept>
#include <stop_token>
#include <string>
#include <thread>
#include <vector>

namespace {

// A door the work waits at, opened by the test or by a stop request.
class Gate {
public:
    void Open()
    {
        {
            const std::scoped_lock lock(mutex_);
            open_ = true;
        }
        opened_.notify_all();
    }

    // True once opened; false when a stop came first. A stop that never
    // comes ends the wait after a minute, so that a task that never asks
    // for one fails its test instead of hanging it.
    bool WaitOpen(std::stop_token stop)
    {
        std::unique_lock lock(mutex_);
        opened_.wait_for(lock, stop, std::chrono::minutes(1), [this] { return open_; });
        return open_;
    }

    // True when a stop was asked for, false when none came within a minute.
    bool WaitForStop(std::stop_token stop)
    {
        std::unique_lock lock(mutex_);
        return opened_.wait_for(lock, stop, std::chrono::minutes(1), [] { return false; }) || stop.stop_requested();
    }

private:
    std::mutex mutex_;
    std::condition_variable_any opened_;
    bool open_ = false;
};

// What the end handler was told, and how often it ran.
struct Ends {
    int count = 0;
    std::string error;  // the message of what the work threw, "" when it returned
};

TBackgroundTask::TDoneEvent Recorder(Ends& ends)
{
    return [&ends](const std::exception_ptr& error) {
        ++ends.count;
        if (!error)
            return;
        try {
            std::rethrow_exception(error);
        } catch (const std::exception& e) {
            ends.error = e.what();
        }
    };
}

// Handles events until the task has told its end; then once more, so that
// an end queued twice would run twice.
void RunUntilEnded(const TBackgroundTask& task)
{
    while (task.Running())
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    QCoreApplication::processEvents();
}

TEST(BackgroundTaskCancel, AsksTheWorkToStopWaitsForItAndDropsItsEnd)
{
    TBackgroundTask task(nullptr);
    std::stop_source stop;
    const std::stop_token token = stop.get_token();
    Gate started;
    Gate never;
    std::atomic<bool> stopSeen = false;
    std::atomic<bool> returned = false;
    Ends ends;
    task.Start(
        stop,
        [&] {
            started.Open();
            stopSeen = never.WaitForStop(token);
            returned = true;
        },
        Recorder(ends));
    ASSERT_TRUE(started.WaitOpen({}));
    task.Cancel();
    EXPECT_TRUE(stopSeen) << "the work was never asked to stop";
    EXPECT_TRUE(returned) << "Cancel returned before the work did";
    EXPECT_FALSE(task.Running());
    RunUntilEnded(task);
    EXPECT_EQ(ends.count, 0) << "a cancelled work's end is never told";
}

// A stop request leaves the work to end in its own time, the GUI thread not
// waiting for it, and its end is told as any other.
TEST(BackgroundTaskStopRequest, ReturnsAtOnceAndTheEndIsToldWhenTheWorkEnds)
{
    TBackgroundTask task(nullptr);
    std::stop_source stop;
    const std::stop_token token = stop.get_token();
    Gate mayEnd;
    Gate never;
    std::atomic<bool> stopSeen = false;
    Ends ends;
    task.Start(
        stop,
        [&] {
            stopSeen = never.WaitForStop(token);
            if (!mayEnd.WaitOpen({}))
                throw std::runtime_error("never let end");
            throw std::runtime_error("stopped");
        },
        Recorder(ends));
    task.RequestStop();
    EXPECT_TRUE(task.Running()) << "the work is still held";
    mayEnd.Open();
    RunUntilEnded(task);
    EXPECT_TRUE(stopSeen);
    EXPECT_EQ(ends.count, 1);
    EXPECT_EQ(ends.error, "stopped");
}

TEST(BackgroundTaskCancel, DoesNothingBeforeAStartAndLeavesTheTaskReadyForOne)
{
    TBackgroundTask task(nullptr);
    task.Cancel();
    EXPECT_FALSE(task.Running());
    Ends ends;
    std::stop_source stop;
    std::atomic<bool> stopped = true;
    task.Start(
        stop, [&stopped, token = stop.get_token()] { stopped = token.stop_requested(); }, Recorder(ends));
    RunUntilEnded(task);
    EXPECT_FALSE(stopped) << "a Cancel before the start stopped the work";
    EXPECT_EQ(ends.count, 1);
}

TEST(BackgroundTaskCancel, ByTheDestructorStopsTheWorkItLeavesBehind)
{
    // On the heap: GCC 12 at -O1 with the sanitizers warns, wrongly, that
    // one on the stack here may be used uninitialized.
    const auto stop = std::make_unique<std::stop_source>();
    std::atomic<bool> stopSeen = false;
    Gate started;
    Gate never;
    Ends ends;
    {
        TBackgroundTask task(nullptr);
        task.Start(
            *stop,
            [&, token = stop->get_token()] {
                started.Open();
                stopSeen = never.WaitForStop(token);
            },
            Recorder(ends));
        ASSERT_TRUE(started.WaitOpen({}));
    }
    EXPECT_TRUE(stopSeen);
    QCoreApplication::processEvents();
    EXPECT_EQ(ends.count, 0);
}

struct EndCase {
    const char* name;
    void (*work)();
    std::string error;
};

class BackgroundTaskEnd : public testing::TestWithParam<EndCase> {};

TEST_P(BackgroundTaskEnd, TellsHowTheWorkEndedOnce)
{
    TBackgroundTask task(nullptr);
    Ends ends;
    task.Start(std::stop_source(), GetParam().work, Recorder(ends));
    RunUntilEnded(task);
    EXPECT_EQ(ends.count, 1);
    EXPECT_EQ(ends.error, GetParam().error);
}

INSTANTIATE_TEST_SUITE_P(Rows, BackgroundTaskEnd,
                         testing::Values(EndCase{"a_work_that_returns_ends_with_no_error", [] {}, ""},
                                         EndCase{"a_work_that_throws_hands_its_exception_to_the_end",
                                                 [] { throw std::runtime_error("cannot read file \"x\""); },
                                                 "cannot read file \"x\""}),
                         [](const testing::TestParamInfo<EndCase>& row) { return std::string(row.param.name); });

TEST(BackgroundTaskEndHandler, ThatThrowsIsReportedOnceAndTheTaskTakesTheNextWork)
{
    std::vector<std::string> reports;
    Application->OnException = [&reports](TObject*, const std::exception& e) { reports.push_back(e.what()); };
    TBackgroundTask task(nullptr);
    int ends = 0;
    task.Start(
        std::stop_source(), [] {},
        [&ends](const std::exception_ptr&) {
            ++ends;
            throw Exception("the end failed");
        });
    RunUntilEnded(task);
    EXPECT_EQ(ends, 1);
    EXPECT_FALSE(task.Running());

    Ends next;
    task.Start(
        std::stop_source(), [] {}, Recorder(next));
    RunUntilEnded(task);
    Application->OnException = nullptr;
    EXPECT_EQ(next.count, 1);
    EXPECT_EQ(reports, std::vector<std::string>{"the end failed"});
}

}  // namespace

namespace {

// Work at a low priority yields the processor to the GUI thread, and so do
// the threads it starts; other work, and the GUI thread, keep theirs.
TEST(BackgroundTaskPriority, LowPriorityWorkAndItsThreadsYieldTheGuiThreadKeepsItsOwn)
{
    const auto niceValue = [] { return ::getpriority(PRIO_PROCESS, static_cast<id_t>(::gettid())); };
    const int own = niceValue();
    for (const bool low : {true, false}) {
        TBackgroundTask task(nullptr);
        task.LowPriority = low;
        int work = -100;
        int started = -100;
        Ends ends;
        task.Start(
            std::stop_source(),
            [&] {
                work = niceValue();
                std::thread([&] { started = niceValue(); }).join();
            },
            Recorder(ends));
        RunUntilEnded(task);
        EXPECT_EQ(work, low ? std::min(own + 10, 19) : own) << "low: " << low;
        EXPECT_EQ(started, work) << "low: " << low;
    }
    EXPECT_EQ(niceValue(), own) << "the GUI thread's";
}

}  // namespace
