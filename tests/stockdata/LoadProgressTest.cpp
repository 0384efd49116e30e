// A load stopped in any of its stages, and one run to its end, as seen
// through its LoadProgress. The asan preset runs these too, so a stopped
// load that leaves memory or a thread behind fails there.

#include "framework/core/ByteString.h"
#include "genmaster/MasterGenerator.h"
#include "stockdata/CodeIndex.h"
#include "stockdata/MasterFile.h"
#include "stockdata/NameCharacterIndex.h"
#include "stockdata/SortedView.h"
#include "stockdata/StockSearch.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cstdint>
#include <optional>
#include <stop_token>
#include <string>
#include <thread>
#include <vector>

namespace {

// Fund names share long prefixes, so the sort splits ranges and goes on to
// later key bytes; the file spans many read chunks on each thread.
std::string FundsText()
{
    MasterGenerator generator({.lines = 200'000, .style = MasterStyle::Funds});
    std::string text;
    for (int i = 0; i < 200'000; ++i)
        generator.AppendLine(text);
    return text;
}

// The stages up to the code index, on two threads that queue every task.
void Load(const std::string& file, LoadProgress& progress)
{
    const Parallelism twoThreads{2, 1};
    const vecST store = ReadMasterFile(ByteString(file),
                                       {.parallelism = twoThreads, .limits = {}, .progress = &progress});
    const lstPST view = MakeSortedST(store, SortKeyName, twoThreads, &progress);
    const std::vector<const STData*> byPosition(view.begin(), view.end());
    const StockSearch search(byPosition, "UTF-8", twoThreads, &progress);
    const NameCharacterIndex characters(byPosition, "UTF-8", twoThreads, &progress);
    const CodeIndex index(byPosition, twoThreads, &progress);
}

// The list's own stages, in their order; the index builds come after the
// list shows.
constexpr LoadStage ListStages[] = {LoadStage::Counting, LoadStage::Reading, LoadStage::Sorting, LoadStage::Keying};

// Whatever each stage weighs: the share done never goes back, each stage of
// the list moves it, it is whole only once the last is done, a stage with
// no work or more done than it holds counts once, and the index builds after
// the list keep it whole.
TEST(LoadProgressFraction, NeverGoesBackEachStageMovesItAndOnlyTheEndMakesItWhole)
{
    LoadProgress progress;
    double last = progress.Fraction();
    EXPECT_EQ(last, 0);
    for (const LoadStage stage : ListStages) {
        SCOPED_TRACE(static_cast<int>(stage));
        progress.Begin(stage, 100);
        const double begun = progress.Fraction();
        EXPECT_GE(begun, last);
        for (int quarter = 0; quarter < 4; ++quarter) {
            progress.Advance(25);
            EXPECT_GT(progress.Fraction(), last) << "each quarter of the stage moves it";
            last = progress.Fraction();
        }
        if (stage != LoadStage::Keying) {
            EXPECT_LT(last, 1);
        }
        progress.Advance(200);
        EXPECT_EQ(progress.Fraction(), last) << "more done than the stage holds";
    }
    EXPECT_DOUBLE_EQ(last, 1);
    for (const LoadStage stage : {LoadStage::IndexingNames, LoadStage::IndexingCodes}) {
        progress.Begin(stage, 100);
        EXPECT_DOUBLE_EQ(progress.Fraction(), 1);
        progress.Advance(50);
        EXPECT_DOUBLE_EQ(progress.Fraction(), 1);
    }

    LoadProgress empty;
    LoadProgress begun;
    empty.Begin(LoadStage::Sorting, 0);
    begun.Begin(LoadStage::Sorting, 100);
    EXPECT_EQ(empty.Fraction(), begun.Fraction()) << "a stage with no work counts none of its share";
}

class LoadProgressTest : public testing::Test {
protected:
    TempDir dir;
    const std::string file = dir.Write("omast.dat", FundsText()).string();
};

// Stopped as a stage begins, the load ends in that stage, with less done the
// earlier the stage and the list not whole before its last stage is done.
TEST_F(LoadProgressTest, AStopEndsTheLoadInTheStageItWasAskedInBeforeThatStageIsDone)
{
    double earlier = -1;
    for (const LoadStage stage : {LoadStage::Counting, LoadStage::Reading, LoadStage::Sorting, LoadStage::Keying,
                                  LoadStage::IndexingNames, LoadStage::IndexingCodes}) {
        SCOPED_TRACE(static_cast<int>(stage));
        std::stop_source source;
        LoadProgress progress(source.get_token());
        progress.onBegin = [&](LoadStage begun) {
            if (begun == stage)
                source.request_stop();
        };
        EXPECT_THROW(Load(file, progress), LoadCancelled);
        EXPECT_EQ(progress.Stage(), stage);
        const bool listStage = stage < LoadStage::IndexingNames;
        if (listStage) {
            EXPECT_GT(progress.Fraction(), earlier);
            EXPECT_LT(progress.Fraction(), 1);
        } else {
            EXPECT_DOUBLE_EQ(progress.Fraction(), 1);
        }
        earlier = progress.Fraction();
    }
}

TEST_F(LoadProgressTest, ALoadRunToItsEndCompletesEachStage)
{
    LoadProgress progress;
    std::vector<LoadStage> begun;
    std::vector<double> before;
    progress.onBegin = [&](LoadStage stage) {
        // Before the figures are reset: the stage before is complete.
        begun.push_back(stage);
        before.push_back(progress.Fraction());
    };
    Load(file, progress);
    EXPECT_EQ(begun, (std::vector{LoadStage::Counting, LoadStage::Reading, LoadStage::Sorting, LoadStage::Keying,
                                  LoadStage::IndexingNames, LoadStage::IndexingCodes}));
    ASSERT_EQ(before.size(), 6U);
    // Counting's own start reads the unused figures: nothing done. Each
    // stage of the list done before the next begins, the last making it whole.
    EXPECT_EQ(before[0], 0);
    for (std::size_t i = 1; i < 4; ++i) {
        EXPECT_GT(before[i], before[i - 1]) << "stage " << i;
        EXPECT_LT(before[i], 1) << "stage " << i;
    }
    EXPECT_DOUBLE_EQ(before[4], 1);
    EXPECT_DOUBLE_EQ(progress.Fraction(), 1);
}

// A search reads the names while an index is built beside it: a hold
// keeps the build waiting, however long, until it ends or a stop is asked.
TEST_F(LoadProgressTest, AHeldBuildWaitsUntilTheHoldEndsOrAStopIsAskedFor)
{
    const vecST store = ReadMasterFile(ByteString(file), {});
    // Few enough that the build, unheld, ends within milliseconds.
    std::vector<const STData*> byPosition;
    for (std::size_t i = 0; i < 20'000; ++i)
        byPosition.push_back(&store[i]);
    for (const bool stop : {false, true}) {
        SCOPED_TRACE(stop ? "stopped while held" : "released");
        std::stop_source source;
        LoadProgress progress(source.get_token());
        std::optional<LoadProgress::Hold> hold(&progress);
        std::atomic<bool> ended = false;
        bool cancelled = false;
        std::thread build([&] {
            try {
                const NameCharacterIndex index(byPosition, "UTF-8", Parallelism{2, 1}, &progress);
            } catch (const LoadCancelled&) {
                cancelled = true;
            }
            ended = true;
        });
        std::this_thread::sleep_for(std::chrono::milliseconds(300));
        EXPECT_FALSE(ended);
        EXPECT_EQ(progress.Stage(), LoadStage::IndexingNames);
        if (stop)
            source.request_stop();
        else
            hold.reset();
        build.join();
        EXPECT_EQ(cancelled, stop);
    }
}

}  // namespace
