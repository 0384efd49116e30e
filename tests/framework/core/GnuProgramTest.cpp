#include "framework/core/GnuProgram.h"

#include "support/TempFile.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <optional>
#include <string>
#include <vector>

namespace {

const char* ToolHelp()
{
    return "Usage: tool [--seed=N] [FILE]\n";
}

constexpr GnuOption ToolOptions[] = {{"seed", GnuOption::Value::Required}};

const GnuProgram Tool{.name = "tool",
                      .versionLine = "tool (suite) 1.0",
                      .help = ToolHelp,
                      .options = ToolOptions,
                      .maxOperands = 1};

struct Case {
    const char* name;
    std::vector<const char*> args;
    std::optional<int> status;
    std::string out;
    std::string err;
    std::vector<std::string> operands;
};

void PrintTo(const Case& c, std::ostream* out)
{
    *out << c.name;
}

class GnuProgramCommandLine : public testing::TestWithParam<Case> {};

TEST_P(GnuProgramCommandLine, AnswersWhatIsNotTheProgramsOwn)
{
    const Case& c = GetParam();
    std::vector<const char*> argv{"tool"};
    argv.insert(argv.end(), c.args.begin(), c.args.end());
    const File out(std::tmpfile());
    const File err(std::tmpfile());
    ASSERT_TRUE(out && err);
    const GnuCommandLine read = ReadGnuCommandLine(Tool, static_cast<int>(argv.size()), argv.data(), out.get(),
                                                   err.get());
    EXPECT_EQ(read.exitStatus, c.status);
    EXPECT_EQ(ContentsOf(out.get()), c.out);
    EXPECT_EQ(ContentsOf(err.get()), c.err);
    EXPECT_EQ(read.operands, c.operands);
}

const std::string Try = "Try 'tool --help' for more information.\n";

INSTANTIATE_TEST_SUITE_P(
    Cases, GnuProgramCommandLine,
    testing::Values(
        Case{"help_is_written_whole_to_the_output", {"--help"}, 0, "Usage: tool [--seed=N] [FILE]\n", "", {}},
        Case{"version_is_the_name_line_then_the_licence",
             {"--version"},
             0,
             "tool (suite) 1.0\nLicense: MIT.\n",
             "",
             {}},
        Case{"an_unknown_option_is_said_with_the_hint", {"-x"}, 2, "", "tool: unrecognized option \"-x\"\n" + Try, {}},
        Case{"one_operand_too_many_is_named", {"a", "b"}, 2, "", "tool: extra operand \"b\"\n" + Try, {}},
        Case{"as_many_operands_as_it_takes_are_handed_back", {"--seed=1", "a"}, std::nullopt, "", "", {"a"}},
        Case{"no_operand_is_the_programs_to_judge", {}, std::nullopt, "", "", {}}),
    [](const testing::TestParamInfo<Case>& row) { return row.param.name; });

// A full disk: the text did not arrive, so the status and a message say so.
TEST(GnuProgramOutput, HelpOrVersionThatCannotBeWrittenIsReportedWithStatus1)
{
    for (const char* option : {"--help", "--version"}) {
        SCOPED_TRACE(option);
        const File full(std::fopen("/dev/full", "w"));
        ASSERT_TRUE(full) << "no /dev/full";
        const File err(std::tmpfile());
        const char* argv[] = {"tool", option};
        EXPECT_EQ(ReadGnuCommandLine(Tool, 2, argv, full.get(), err.get()).exitStatus, 1);
        EXPECT_EQ(ContentsOf(err.get()), "tool: cannot write output: No space left on device\n");
    }
}

TEST(GnuProgramOutput, AUsageErrorTheProgramFindsItselfGetsTheHintAndStatus2)
{
    const File err(std::tmpfile());
    EXPECT_EQ(ReportUsageError("tool", "missing file operand", err.get()), UsageStatus);
    EXPECT_EQ(ContentsOf(err.get()), "tool: missing file operand\n" + Try);
}

}  // namespace
