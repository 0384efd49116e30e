#include "framework/core/ByteString.h"
#include "framework/core/Exception.h"
#include "genmaster/MasterGenerator.h"
#include "stockdata/LoadAdmission.h"
#include "stockdata/MasterFile.h"
#include "stockdata/SortedView.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <climits>
#include <fstream>
#include <ostream>
#include <sys/wait.h>
#include <unistd.h>

namespace {

LoadLimits Limits(std::size_t maxLines, std::uint64_t available)
{
    return {maxLines, 0, [available] { return available; }};
}

std::string Refusal(std::size_t lines, const LoadLimits& limits)
{
    try {
        AdmitLoad("fmast.dat", lines, 0, limits);
    } catch (const Exception& e) {
        return e.Message();
    }
    return "";
}

struct NeededCase {
    const char* name;
    std::size_t lines;
    std::uint64_t heldBytes;
    std::uint64_t callerBytesPerLine;
    std::uint64_t needed;
};

void PrintTo(const NeededCase& c, std::ostream* out)
{
    *out << c.name;
}

class BytesNeeded : public testing::TestWithParam<NeededCase> {};

// 16 MiB for the process, then a line: the 70-byte record, the view's
// 24-byte nodes (in the room its sort used) with the caller's bytes, 8 of
// slack.
TEST_P(BytesNeeded, AreTheFixedBytesTheHeldInputAndEachLinesPeak)
{
    EXPECT_EQ(LoadBytesNeeded(GetParam().lines, GetParam().heldBytes, GetParam().callerBytesPerLine),
              GetParam().needed);
}

INSTANTIATE_TEST_SUITE_P(
    Loads, BytesNeeded,
    testing::Values(NeededCase{"no_lines", 0, 0, 0, 16777216},
                    NeededCase{"records_and_view_alone", 1000000, 0, 0, 16777216 + 102000000},
                    NeededCase{"the_input_held_meanwhile", 1000000, 63000000, 0, 16777216 + 63000000 + 102000000},
                    NeededCase{"the_window_s_positions_and_index_build", 1000000, 0, 32, 16777216 + 134000000}),
    [](const testing::TestParamInfo<NeededCase>& param) { return param.param.name; });

TEST(AdmitLoad, RefusesMoreLinesThanTheListCanNumber)
{
    const LoadLimits limits = Limits(INT_MAX, UINT64_MAX);
    EXPECT_EQ(Refusal(INT_MAX, limits), "");
    EXPECT_EQ(Refusal(std::size_t{INT_MAX} + 1, limits),
              "cannot load \"fmast.dat\": 2,147,483,648 lines are more than the list can hold (2,147,483,647)");
}

TEST(AdmitLoad, RefusesALoadTheMemoryCannotHoldNamingLinesAndMegabytes)
{
    const std::uint64_t needed = LoadBytesNeeded(20000000, 0, 0);
    EXPECT_EQ(Refusal(20000000, Limits(SIZE_MAX, std::uint64_t{800} << 20)),
              "not enough memory to load \"fmast.dat\": 20,000,000 lines need " +
                  WithThousands((needed + (1 << 20) - 1) >> 20) + " MB, 800 MB available");
    EXPECT_EQ(Refusal(20000000, Limits(SIZE_MAX, needed * 2)), "") << "admitted with room to spare";
}

// What the caller keeps per line, such as the window's list items, comes on
// top of the records: a load that fits without it may not fit with it.
TEST(AdmitLoad, CountsWhatTheCallerAddsPerLine)
{
    LoadLimits limits = Limits(SIZE_MAX, LoadBytesNeeded(1000000, 0, 0) * 2);
    EXPECT_EQ(Refusal(1000000, limits), "");
    limits.callerBytesPerLine = 200;
    EXPECT_TRUE(Refusal(1000000, limits).starts_with("not enough memory to load")) << "200 bytes a line more";
}

TEST(AdmitLoad, AFileTooLargeForMemoryIsRefusedBeforeRecordsAreMade)
{
    TempDir dir;
    const auto file = dir.Write("fmast.dat", std::string(100000, '\n'));
    LoadOptions options;
    options.limits = Limits(SIZE_MAX, LoadBytesNeeded(1000, 0, 0));
    EXPECT_THROW(ReadMasterFile(file.c_str(), options), Exception);
    options.limits = Limits(100000, UINT64_MAX);
    EXPECT_EQ(ReadMasterFile(file.c_str(), options).size(), 100000U) << "the line limit at its edge";
    options.limits = Limits(99999, UINT64_MAX);
    EXPECT_THROW(ReadMasterFile(file.c_str(), options), Exception);
}

std::uint64_t StatusKb(const char* key)
{
    std::ifstream status("/proc/self/status");
    std::uint64_t value = 0;
    for (std::string word; status >> word;)
        if (word == key)
            status >> value;
    return value * 1024;
}

// AddressSanitizer keeps a shadow byte for every 8 bytes the program
// touches, resident beside them: what the estimate must hold grows by 1/8.
#ifdef __SANITIZE_ADDRESS__
constexpr std::uint64_t ShadowDivisor = 8;
#else
constexpr std::uint64_t ShadowDivisor = 0;
#endif

std::uint64_t WithShadow(std::uint64_t bytes)
{
    return ShadowDivisor == 0 ? bytes : bytes + bytes / ShadowDivisor;
}

// The estimate must hold the real peak, or an admitted load could be killed.
TEST(LoadBytesNeeded, HoldsTheMeasuredPeakOfALoad)
{
    for (const auto& [lines, lineEnd] : {std::pair<std::uint64_t, const char*>{300000, "\r\n"}, {2000000, ""}}) {
        TempDir dir;
        {
            std::string text;
            if (*lineEnd == '\0') {
                text.assign(lines, '\n');  // empty lines: the most records per byte
            } else {
                MasterGenerator generator({.lines = lines});
                for (std::uint64_t i = 0; i < lines; ++i)
                    generator.AppendLine(text);
            }
            dir.Write("fmast.dat", text);
        }
        const std::string path = (dir.Path() / "fmast.dat").string();
        int pipeFds[2];
        ASSERT_EQ(::pipe(pipeFds), 0);
        const pid_t child = ::fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            std::ofstream("/proc/self/clear_refs") << "5";  // resets the peak
            const std::uint64_t before = StatusKb("VmRSS:");
            {
                const vecST store = ReadMasterFile(path.c_str());
                const lstPST view = MakeSortedST(store, SortKeyName);
            }
            const std::uint64_t peak = StatusKb("VmHWM:") - before;
            ::_exit(::write(pipeFds[1], &peak, sizeof peak) == sizeof peak ? 0 : 1);
        }
        ::close(pipeFds[1]);
        std::uint64_t peak = 0;
        ASSERT_EQ(::read(pipeFds[0], &peak, sizeof peak), static_cast<ssize_t>(sizeof peak));
        ::close(pipeFds[0]);
        int status = 0;
        ::waitpid(child, &status, 0);
        const std::uint64_t estimate = WithShadow(LoadBytesNeeded(lines, 0, 0));
        EXPECT_LE(peak, estimate) << lines << " lines";
        RecordProperty("lines_" + std::to_string(lines) + "_peak_kb", std::to_string(peak / 1024));
        RecordProperty("lines_" + std::to_string(lines) + "_estimate_kb", std::to_string(estimate / 1024));
    }
}

}  // namespace
