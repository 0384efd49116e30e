#include "app/CommandLine.h"

#include "support/TempFile.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <optional>
#include <string>
#include <vector>

namespace {

struct Answer {
    std::optional<int> status;
    std::string out;
    std::string err;
};

Answer Answered(const std::vector<const char*>& operands)
{
    std::vector<const char*> args{"stockpicker"};
    for (const char* operand : operands)
        args.push_back(operand);
    const File out(std::tmpfile());
    const File err(std::tmpfile());
    EXPECT_TRUE(out && err);
    Answer answer;
    answer.status = AnswerCommandLine(static_cast<int>(args.size()), args.data(), out.get(), err.get());
    answer.out = ContentsOf(out.get());
    answer.err = ContentsOf(err.get());
    return answer;
}

const std::string Try = "Try 'stockpicker --help' for more information.\n";
const std::string Help = Answered({"--help"}).out;

struct Case {
    const char* name;
    std::vector<const char*> args;
    std::optional<int> status;
    std::string out;
    std::string err;
};

class StockpickerCommandLine : public testing::TestWithParam<Case> {};

TEST_P(StockpickerCommandLine, AnswersAsAGnuToolDoes)
{
    const Case& c = GetParam();
    const Answer answer = Answered(c.args);
    EXPECT_EQ(answer.status, c.status);
    EXPECT_EQ(answer.out, c.out);
    EXPECT_EQ(answer.err, c.err);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, StockpickerCommandLine,
    testing::Values(
        Case{"NoArgumentsStartTheWindow", {}, std::nullopt, "", ""},
        Case{"AnEndOfOptionsAloneStartsTheWindow", {"--"}, std::nullopt, "", ""},
        Case{"VersionNamesTheProjectVersionAndLicence",
             {"--version"},
             0,
             "stockpicker " STOCKPICKER_VERSION "\nLicense: MIT.\n",
             ""},
        Case{"TheFirstOfHelpAndVersionWins", {"--help", "--version"}, 0, Help, ""},
        Case{"HelpCountsAfterAnOperand", {"fmast.dat", "--help"}, 0, Help, ""},
        Case{"AnOperandIsAUsageError", {"fmast.dat"}, 2, "", "stockpicker: extra operand \"fmast.dat\"\n" + Try},
        Case{"ADashIsAnOperand", {"-"}, 2, "", "stockpicker: extra operand \"-\"\n" + Try},
        Case{"AnUnknownOptionIsAUsageError",
             {"-platform", "xcb"},
             2,
             "",
             "stockpicker: unrecognized option \"-platform\"\n" + Try},
        Case{"AUniqueAbbreviationNamesItsOption",
             {"--vers"},
             0,
             "stockpicker " STOCKPICKER_VERSION "\nLicense: MIT.\n",
             ""},
        Case{"AValueGivenToAnOptionIsUnrecognized",
             {"--he=x"},
             2,
             "",
             "stockpicker: unrecognized option \"--he=x\"\n" + Try},
        Case{"AnUnknownOptionBeforeHelpIsReported",
             {"-x", "--help"},
             2,
             "",
             "stockpicker: unrecognized option \"-x\"\n" + Try},
        Case{"AfterTheEndOfOptionsHelpIsAnOperand",
             {"--", "--help"},
             2,
             "",
             "stockpicker: extra operand \"--help\"\n" + Try},
        Case{"AnOptionAfterAnOperandIsStillAnOption",
             {"a", "-x"},
             2,
             "",
             "stockpicker: unrecognized option \"-x\"\n" + Try},
        Case{"ControlBytesInAnArgumentAreShownEscaped",
             {"\x1b[2J"},
             2,
             "",
             "stockpicker: extra operand $'\\033[2J'\n" + Try}),
    [](const testing::TestParamInfo<Case>& row) { return row.param.name; });

TEST(StockpickerHelp, SaysWhatItReadsTheOptionsAndTheExitStatus)
{
    EXPECT_EQ(Help.rfind("Usage: stockpicker [OPTION]\n", 0), 0u) << Help;
    for (const char* part : {"\"fmast.dat\" in the current\ndirectory", "--help", "--version", "LC_CTYPE",
                             "Exit status: 0", "2 on wrong usage"})
        EXPECT_NE(Help.find(part), std::string::npos) << part;
}

// A full disk: the text did not arrive, so the status says so.
TEST(StockpickerHelp, AnOutputThatCannotBeWrittenGivesStatus1)
{
    const File full(std::fopen("/dev/full", "w"));
    ASSERT_TRUE(full) << "no /dev/full";
    const File err(std::tmpfile());
    const char* args[] = {"stockpicker", "--help"};
    EXPECT_EQ(AnswerCommandLine(2, args, full.get(), err.get()), 1);
    EXPECT_EQ(ContentsOf(err.get()), "stockpicker: cannot write output: No space left on device\n");
}

}  // namespace
