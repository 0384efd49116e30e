#include "app/StockList.h"
#include "framework/core/Exception.h"
#include "framework/core/QuotedName.h"
#include "stockdata/LoadAdmission.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <string>

namespace {

constexpr std::size_t Lines = 100000;

// The least memory with which AdmitLoad admits `Lines` lines held nowhere
// else, the list adding `callerBytesPerLine` a line.
std::uint64_t LeastAdmitted(std::uint64_t callerBytesPerLine)
{
    const auto admits = [&](std::uint64_t available) {
        try {
            AdmitLoad("fmast.dat", Lines, 0, {SIZE_MAX, callerBytesPerLine, [available] { return available; }});
            return true;
        } catch (const Exception&) {
            return false;
        }
    };
    std::uint64_t refused = 0;
    std::uint64_t admitted = std::uint64_t{1} << 40;
    while (admitted - refused > 1) {
        const std::uint64_t middle = refused + (admitted - refused) / 2;
        (admits(middle) ? admitted : refused) = middle;
    }
    return admitted;
}

std::string WriteMaster(const TempDir& dir)
{
    std::string path = (dir.Path() / "fmast.dat").string();
    std::ofstream out(path, std::ios::binary);
    char line[64];
    for (std::size_t i = 0; i < Lines; ++i) {
        std::snprintf(line, sizeof line, "%06zu   Stock %zu\r\n", i, i);
        out << line;
    }
    return path;
}

// What the load costs once the list is made counts too: its positions and
// the search at its peak, while the code index is built after the list
// shows. Admitted without that peak, a load the memory cannot finish would
// start, and be killed with no message while the index builds.
TEST(ListLoad, IsAdmittedWithRoomForThePositionsAndTheSearchsIndexBuild)
{
    const TempDir dir;
    const std::string file = WriteMaster(dir);
    const std::uint64_t withBuild = LeastAdmitted(sizeof(const STData*) + StockSearch::BuildBytesPerLine);
    const std::uint64_t withoutBuild = LeastAdmitted(sizeof(const STData*) + StockSearch::BytesPerLine);
    ASSERT_LT(withoutBuild, withBuild);
    const auto loadWith = [&](std::uint64_t available) {
        LoadOptions options = ListLoad();
        options.limits.available = [available] { return available; };
        try {
            return std::to_string(ReadMasterFile(ByteString(file), options).size()) + " lines";
        } catch (const Exception& e) {
            return e.Message();
        }
    };
    EXPECT_EQ(loadWith(withBuild), "100000 lines");
    const std::string between = loadWith(withoutBuild + (withBuild - withoutBuild) / 2);
    EXPECT_EQ(between.rfind("not enough memory to load " + QuotedName(file) + ": 100,000 lines need ", 0), 0U)
        << between;
}

}  // namespace
