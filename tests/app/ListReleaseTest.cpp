#include "app/ListRelease.h"

#include <gtest/gtest.h>

#include <atomic>
#include <future>
#include <memory>
#include <thread>
#include <utility>

namespace {

// Where and whether a list was freed.
struct Freeing {
    std::atomic<int> freed = 0;
    std::thread::id by;
    std::promise<void> begun;
    std::shared_future<void> mayEnd;  // when set, freeing waits for it
};

// A list that tells `freeing` when it goes; one that was moved from tells nothing.
class ToldList {
public:
    explicit ToldList(Freeing& freeing) : freeing_(&freeing) {}
    ToldList(ToldList&& other) noexcept : freeing_(std::exchange(other.freeing_, nullptr)) {}
    ToldList& operator=(ToldList&&) = delete;
    ~ToldList()
    {
        if (freeing_ == nullptr)
            return;
        freeing_->by = std::this_thread::get_id();
        freeing_->begun.set_value();
        if (freeing_->mayEnd.valid())
            freeing_->mayEnd.wait();
        ++freeing_->freed;
    }

private:
    Freeing* freeing_;
};

TEST(ListRelease, FreesOnAThreadOfItsOwn)
{
    Freeing freeing;
    ListRelease<ToldList> release;
    release.Release(ToldList(freeing));
    EXPECT_TRUE(release.WaitFreed({}));
    EXPECT_EQ(freeing.freed, 1);
    EXPECT_NE(freeing.by, std::this_thread::get_id());
}

// A load waits for the free to end, and a stop ends the wait first.
TEST(ListRelease, WaitsUntilTheFreeHasEndedOrAStopIsAskedFor)
{
    Freeing freeing;
    std::promise<void> end;
    freeing.mayEnd = end.get_future().share();
    ListRelease<ToldList> release;
    release.Release(ToldList(freeing));
    freeing.begun.get_future().wait();
    std::stop_source stop;
    stop.request_stop();
    EXPECT_FALSE(release.WaitFreed(stop.get_token())) << "the free has begun, not ended";
    end.set_value();
    EXPECT_TRUE(release.WaitFreed({}));
    EXPECT_EQ(freeing.freed, 1);
}

}  // namespace
