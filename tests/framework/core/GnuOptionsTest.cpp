#include "framework/core/GnuOptions.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

// A table as genmaster's: two options that share a first letter, one without a value.
constexpr GnuOption Table[] = {
    {"seed", GnuOption::Value::Required},
    {"lf"},
    {"style", GnuOption::Value::Required},
};

struct Case {
    const char* name;
    std::vector<const char*> args;
    GnuOptions::Asks asks;
    std::string problem;
    std::vector<std::string> options;  // NAME=VALUE, or NAME for one without a value
    std::vector<std::string> operands;
};

void PrintTo(const Case& c, std::ostream* out)
{
    *out << c.name;
}

class ParseGnuOptionsWithATable : public testing::TestWithParam<Case> {};

TEST_P(ParseGnuOptionsWithATable, ReadsTheCommandLineAsGetoptLongDoes)
{
    const Case& c = GetParam();
    std::vector<const char*> argv{"tool"};
    argv.insert(argv.end(), c.args.begin(), c.args.end());
    const GnuOptions parsed = ParseGnuOptions(static_cast<int>(argv.size()), argv.data(), Table);
    EXPECT_EQ(parsed.asks, c.asks);
    EXPECT_EQ(parsed.problem, c.problem);
    std::vector<std::string> options;
    for (const GivenOption& option : parsed.options)
        options.push_back(option.value.empty() ? option.name : option.name + "=" + option.value);
    EXPECT_EQ(options, c.options);
    EXPECT_EQ(parsed.operands, c.operands);
}

using Asks = GnuOptions::Asks;

INSTANTIATE_TEST_SUITE_P(
    Cases, ParseGnuOptionsWithATable,
    testing::Values(
        Case{"a_unique_abbreviation_names_its_option", {"--sty", "funds", "5"}, Asks::Run, "", {"style=funds"}, {"5"}},
        Case{"a_value_may_follow_an_equals_sign", {"--style=funds"}, Asks::Run, "", {"style=funds"}, {}},
        Case{"an_abbreviation_takes_its_value_after_an_equals_sign", {"--se=7"}, Asks::Run, "", {"seed=7"}, {}},
        Case{"the_next_argument_is_the_value_even_with_a_dash", {"--seed", "-3"}, Asks::Run, "", {"seed=-3"}, {}},
        Case{"options_stand_anywhere_and_keep_their_order",
             {"5", "--seed=2", "--lf", "--seed", "3"},
             Asks::Run,
             "",
             {"seed=2", "lf", "seed=3"},
             {"5"}},
        Case{"an_abbreviation_of_two_options_is_ambiguous",
             {"--s", "1"},
             Asks::UsageError,
             "ambiguous option \"--s\"",
             {},
             {}},
        Case{"an_ambiguous_abbreviation_with_a_value_is_ambiguous_too",
             {"--s=1"},
             Asks::UsageError,
             "ambiguous option \"--s=1\"",
             {},
             {}},
        Case{"a_missing_value_is_a_usage_error",
             {"5", "--seed"},
             Asks::UsageError,
             "option \"--seed\" requires a value",
             {},
             {}},
        Case{"an_option_without_a_value_refuses_one",
             {"--lf=1"},
             Asks::UsageError,
             "unrecognized option \"--lf=1\"",
             {},
             {}},
        Case{"a_short_option_is_unknown", {"-l"}, Asks::UsageError, "unrecognized option \"-l\"", {}, {}},
        Case{"a_double_dash_ends_the_options", {"--lf", "--", "--seed", "-"}, Asks::Run, "", {"lf"}, {"--seed", "-"}},
        Case{"a_lone_dash_is_an_operand", {"-", "--lf"}, Asks::Run, "", {"lf"}, {"-"}},
        Case{"help_wins_over_what_follows", {"--lf", "--he", "--bogus"}, Asks::Help, "", {}, {}},
        Case{"version_is_named_by_its_first_letter", {"--v"}, Asks::Version, "", {}, {}},
        Case{"the_first_usage_error_wins_over_help",
             {"--bogus", "--help"},
             Asks::UsageError,
             "unrecognized option \"--bogus\"",
             {},
             {}}),
    [](const testing::TestParamInfo<Case>& row) { return row.param.name; });

}  // namespace
