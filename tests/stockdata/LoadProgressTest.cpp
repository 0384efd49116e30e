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

// The share of the load, from 0 to 1, in the middle of one stage. Each
// stage weighs: counting 0.061, reading 0.223, sorting 0.556, keying 0.160;
// the code index built after the list shows weighs nothing.
struct FractionCase {
    const char* name;
    LoadStage stage;
    std::uint64_t total;
    std::uint64_t done;
    double fraction;
};

class LoadProgressFraction : public testing::TestWithParam<FractionCase> {};

TEST_P(LoadProgressFraction, WeighsTheStagesBeforeWholeAndTheRunningOneByItsShareDone)
{
    LoadProgress progress;
    progress.Begin(GetParam().stage, GetParam().total);
    progress.Advance(GetParam().done);
    EXPECT_NEAR(progress.Fraction(), GetParam().fraction, 1e-9);
}

INSTANTIATE_TEST_SUITE_P(
    Rows, LoadProgressFraction,
    testing::Values(
        FractionCase{"counting_just_begun_is_the_start_of_the_load", LoadStage::Counting, 100, 0, 0},
        FractionCase{"counting_half_done_is_half_its_share", LoadStage::Counting, 100, 50, 0.0305},
        FractionCase{"reading_just_begun_follows_the_whole_of_counting", LoadStage::Reading, 200, 0, 0.061},
        FractionCase{"reading_a_quarter_done_adds_a_quarter_of_its_share", LoadStage::Reading, 200, 50, 0.11675},
        FractionCase{"sorting_half_done_is_past_the_middle_of_the_load", LoadStage::Sorting, 100, 50, 0.562},
        FractionCase{"keying_half_done_is_near_the_end", LoadStage::Keying, 10, 5, 0.92},
        FractionCase{"keying_done_is_the_whole_load", LoadStage::Keying, 10, 10, 1.0},
        FractionCase{"a_stage_with_no_work_counts_none_of_its_share", LoadStage::Sorting, 0, 0, 0.284},
        FractionCase{"more_done_than_the_stage_holds_counts_the_stage_once", LoadStage::Reading, 100, 300, 0.284},
        FractionCase{"the_code_index_built_after_the_list_keeps_it_full", LoadStage::IndexingCodes, 100, 50, 1.0},
        FractionCase{"the_code_index_just_begun_keeps_it_full", LoadStage::IndexingCodes, 100, 0, 1.0}),
    [](const testing::TestParamInfo<FractionCase>& row) { return std::string(row.param.name); });

class LoadProgressTest : public testing::Test {
protected:
    TempDir dir;
    const std::string file = dir.Write("omast.dat", FundsText()).string();
};

TEST_F(LoadProgressTest, AStopEndsTheLoadInTheStageItWasAskedInBeforeThatStageIsDone)
{
    struct Stage {
        LoadStage stage;
        double start;  // the load's share done as the stage begins
        double end;    // and once it is done
    };
    for (const Stage& row : {Stage{LoadStage::Counting, 0, 0.061}, Stage{LoadStage::Reading, 0.061, 0.284},
                             Stage{LoadStage::Sorting, 0.284, 0.84}, Stage{LoadStage::Keying, 0.84, 1},
                             Stage{LoadStage::IndexingNames, 1, 1}, Stage{LoadStage::IndexingCodes, 1, 1}}) {
        SCOPED_TRACE(static_cast<int>(row.stage));
        std::stop_source source;
        LoadProgress progress(source.get_token());
        progress.onBegin = [&](LoadStage begun) {
            if (begun == row.stage)
                source.request_stop();
        };
        EXPECT_THROW(Load(file, progress), LoadCancelled);
        EXPECT_EQ(progress.Stage(), row.stage);
        EXPECT_GE(progress.Fraction(), row.start - 1e-9);
        if (row.end > row.start) {
            EXPECT_LT(progress.Fraction(), row.end);
        } else {
            EXPECT_NEAR(progress.Fraction(), row.end, 1e-9);
        }
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
    // Counting's own start reads the unused figures: nothing done.
    EXPECT_NEAR(before[0], 0, 1e-9);
    EXPECT_NEAR(before[1], 0.061, 1e-9);
    EXPECT_NEAR(before[2], 0.284, 1e-9);
    EXPECT_NEAR(before[3], 0.84, 1e-9);
    EXPECT_NEAR(before[4], 1, 1e-9);
    EXPECT_NEAR(progress.Fraction(), 1, 1e-9);
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
