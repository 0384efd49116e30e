// A load stopped in any of its stages, and one run to its end, as seen
// through its LoadProgress. The asan preset runs these too, so a stopped
// load that leaves memory or a thread behind fails there.

#include "framework/core/ByteString.h"
#include "genmaster/MasterGenerator.h"
#include "stockdata/CodeIndex.h"
#include "stockdata/MasterFile.h"
#include "stockdata/SortedView.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <stop_token>
#include <string>
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
    const CodeIndex index(byPosition, twoThreads, &progress);
}

// The share of a load done when `stage` begins, and when it ends.
double StartOf(LoadStage stage)
{
    LoadProgress progress;
    progress.Begin(stage, 1);
    return progress.Fraction();
}

double EndOf(LoadStage stage)
{
    LoadProgress progress;
    progress.Begin(stage, 1);
    progress.Advance(1);
    return progress.Fraction();
}

class LoadProgressTest : public testing::Test {
protected:
    TempDir dir;
    const std::string file = dir.Write("omast.dat", FundsText()).string();
};

TEST_F(LoadProgressTest, AStopEndsTheLoadInTheStageItWasAskedInBeforeThatStageIsDone)
{
    for (const LoadStage stage :
         {LoadStage::Counting, LoadStage::Reading, LoadStage::Sorting, LoadStage::IndexingCodes}) {
        SCOPED_TRACE(static_cast<int>(stage));
        std::stop_source source;
        LoadProgress progress(source.get_token());
        progress.onBegin = [&](LoadStage begun) {
            if (begun == stage)
                source.request_stop();
        };
        EXPECT_THROW(Load(file, progress), LoadCancelled);
        EXPECT_EQ(progress.Stage(), stage);
        if (EndOf(stage) > StartOf(stage)) {
            EXPECT_LT(progress.Fraction(), EndOf(stage));
        }
    }
}

TEST_F(LoadProgressTest, ALoadRunToItsEndCompletesEachStage)
{
    LoadProgress progress;
    std::vector<LoadStage> begun;
    progress.onBegin = [&](LoadStage stage) {
        // Before the figures are reset: the stage before is complete.
        if (!begun.empty()) {
            EXPECT_DOUBLE_EQ(progress.Fraction(), EndOf(begun.back()));
        }
        begun.push_back(stage);
    };
    Load(file, progress);
    EXPECT_DOUBLE_EQ(progress.Fraction(), EndOf(LoadStage::IndexingCodes));
    EXPECT_EQ(begun,
              (std::vector{LoadStage::Counting, LoadStage::Reading, LoadStage::Sorting, LoadStage::IndexingCodes}));
}

}  // namespace
