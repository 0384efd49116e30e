#include "framework/core/Exception.h"
#include "framework/gui/Application.h"
#include "framework/gui/StdCtrls.h"
#include "support/FailingAllocator.h"

#include <QComboBox>
#include <QCoreApplication>

#include <gtest/gtest.h>

#include <new>
#include <ostream>
#include <string>
#include <vector>

namespace {

// Ends the injected failures when the scope is left, however it is left.
struct StopFailing {
    StopFailing() = default;
    StopFailing(const StopFailing&) = delete;
    StopFailing& operator=(const StopFailing&) = delete;
    ~StopFailing() { StopFailingAllocations(); }
};

// Longer than a string keeps in itself, so copying it allocates.
const std::string Message = "cannot open file \"omast.dat\": No such file or directory";

class Reporting : public testing::Test {
protected:
    void TearDown() override
    {
        StopFailingAllocations();
        Application->OnException = nullptr;
    }
};

// Queueing a report must not allocate: it runs in a catch block of a
// noexcept function, where a bad_alloc would end the program.
TEST_F(Reporting, HandlingAnExceptionAllocatesNothing)
{
    std::vector<std::string> reports;
    Application->OnException = [&reports](TObject*, const std::exception& e) {
        reports.push_back(ExceptionMessage(e));
    };
    try {
        throw Exception(Message);
    } catch (...) {
        const StopFailing stop;
        FailAllocationsAfter(1);
        Application->HandleException(nullptr);
    }
    EXPECT_FALSE(AllocationFailed()) << "HandleException allocated";
    EXPECT_TRUE(reports.empty()) << "reported from the event loop";
    QCoreApplication::processEvents();
    EXPECT_EQ(reports, std::vector<std::string>{Message});
}

// The report itself (here OnException) runs out of memory at each of its
// allocations in turn: the message then goes to stderr, and nothing ends.
TEST_F(Reporting, AReportThatRunsOutOfMemoryGoesToStderr)
{
    std::vector<std::string> reports;
    long failAfter = 0;
    Application->OnException = [&](TObject*, const std::exception& e) {
        const StopFailing stop;
        FailAllocationsAfter(failAfter);
        reports.push_back(ExceptionMessage(e));
    };
    long failures = 0;
    for (failAfter = 1;; ++failAfter) {
        SCOPED_TRACE("allocation " + std::to_string(failAfter) + " fails");
        std::vector<std::string>().swap(reports);
        testing::internal::CaptureStderr();
        try {
            throw Exception(Message);
        } catch (...) {
            Application->HandleException(nullptr);
        }
        QCoreApplication::processEvents();
        const std::string stderrText = testing::internal::GetCapturedStderr();
        if (!AllocationFailed()) {
            EXPECT_EQ(reports, std::vector<std::string>{Message});
            EXPECT_EQ(stderrText, "");
            break;
        }
        ++failures;
        EXPECT_TRUE(reports.empty());
        EXPECT_EQ(stderrText, "stockpicker: " + Message + "\n");
    }
    EXPECT_GE(failures, 2) << "copying the message and growing the list both allocate";
}

TEST_F(Reporting, ReportsBeyondTheRoomReservedGoToStderrAndNoneIsLost)
{
    std::vector<std::string> reports;
    Application->OnException = [&reports](TObject*, const std::exception& e) {
        reports.push_back(ExceptionMessage(e));
    };
    testing::internal::CaptureStderr();
    constexpr int Count = 40;
    for (int i = 0; i < Count; ++i) {
        try {
            throw Exception("failure " + std::to_string(i));
        } catch (...) {
            Application->HandleException(nullptr);
        }
    }
    const std::string stderrText = testing::internal::GetCapturedStderr();
    QCoreApplication::processEvents();
    ASSERT_FALSE(reports.empty());
    ASSERT_LT(reports.size(), static_cast<std::size_t>(Count)) << "the room is bounded";
    for (std::size_t i = 0; i < reports.size(); ++i)
        EXPECT_EQ(reports[i], "failure " + std::to_string(i)) << "in the order they came";
    for (int i = static_cast<int>(reports.size()); i < Count; ++i)
        EXPECT_NE(stderrText.find("stockpicker: failure " + std::to_string(i) + "\n"), std::string::npos) << i;
}

TEST_F(Reporting, AnErrorBoxThatCannotBeMadeSaysItOnStderr)
{
    const Exception error(Message);
    testing::internal::CaptureStderr();
    {
        const StopFailing stop;
        FailAllocationsAfter(1);
        Application->ShowException(error);
    }
    EXPECT_TRUE(AllocationFailed());
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "stockpicker: " + Message + "\n");
}

struct AppendCase {
    const char* name;
    std::vector<std::string> texts;
    long leastFailures;  // allocations that can fail on the way
};

void PrintTo(const AppendCase& c, std::ostream* out)
{
    *out << c.name;
}

std::vector<std::string> DistinctItems()
{
    std::vector<std::string> texts;
    for (int i = 0; i < 200; ++i)
        texts.push_back("item " + std::to_string(i));
    return texts;
}

class ItemAppend : public testing::TestWithParam<AppendCase> {};

// Every allocation of each append fails in turn: a failed append leaves the
// items as they were, and the list and its views agree afterwards.
TEST_P(ItemAppend, UnderAllocationFailureLeavesTheItemsConsistent)
{
    TComboBox combo(nullptr);
    std::vector<std::string> added;
    long failures = 0;
    for (const std::string& item : GetParam().texts) {
        const ByteString text(item);
        for (long failAfter = 1;; ++failAfter) {
            bool threw = false;
            {
                const StopFailing stop;
                FailAllocationsAfter(failAfter);
                try {
                    combo.Items->Add(text);
                } catch (const std::bad_alloc&) {
                    threw = true;
                }
            }
            if (!threw) {
                added.push_back(item);
                break;
            }
            ++failures;
            ASSERT_EQ(combo.Items->Count(), static_cast<TStrings::Index>(added.size())) << item;
        }
    }
    EXPECT_GE(failures, GetParam().leastFailures) << "queueing the announcement and growing the buffers allocate";
    ASSERT_EQ(combo.Items->Count(), static_cast<TStrings::Index>(added.size()));
    for (std::size_t i = 0; i < added.size(); ++i)
        ASSERT_EQ(combo.Items->Strings(static_cast<TStrings::Index>(i)).View(), added[i]) << "item " << i;
    QCoreApplication::processEvents();
    EXPECT_EQ(static_cast<QComboBox*>(combo.Widget())->count(), static_cast<int>(added.size()))
        << "the views were told of every item";
}

// Texts longer than a string keeps in itself, so storing each allocates.
INSTANTIATE_TEST_SUITE_P(
    Texts, ItemAppend,
    testing::Values(AppendCase{"distinct_items", DistinctItems(), 6},
                    AppendCase{"a_repeated_item_then_a_differing_one_then_the_first_again",
                               {"a placeholder longer than 16 bytes", "a placeholder longer than 16 bytes",
                                "a differing item, longer than 16 bytes", "a placeholder longer than 16 bytes",
                                "a last item, also longer than 16 bytes"},
                               5}),
    [](const testing::TestParamInfo<AppendCase>& param) { return param.param.name; });

}  // namespace
