#include "framework/core/Translate.h"

#include <gtest/gtest.h>

#include <string>

namespace {

struct Case {
    const char* name;
    const char* pattern;
    std::string formatted;  // with the arguments "A" and "BB"
};

void PrintTo(const Case& c, std::ostream* out)
{
    *out << c.name;
}

class FormatMessageWithTwoArguments : public testing::TestWithParam<Case> {};

TEST_P(FormatMessageWithTwoArguments, ReplacesEachPlaceholderByItsArgument)
{
    EXPECT_EQ(FormatMessage(GetParam().pattern, {"A", "BB"}), GetParam().formatted);
}

INSTANTIATE_TEST_SUITE_P(Cases, FormatMessageWithTwoArguments,
                         testing::Values(Case{"a_placeholder_at_the_end", "x {0}", "x A"},
                                         Case{"a_placeholder_at_the_start", "{1} y", "BB y"},
                                         Case{"a_placeholder_alone", "{0}", "A"},
                                         Case{"a_placeholder_used_twice", "{0}-{0}", "A-A"},
                                         Case{"placeholders_reordered_as_a_translator_may", "{1} {0}", "BB A"},
                                         Case{"placeholders_side_by_side", "{0}{1}", "ABB"},
                                         Case{"a_placeholder_past_the_arguments_stays", "{2} {0}", "{2} A"},
                                         Case{"a_brace_cut_at_the_end_stays", "x {0", "x {0"},
                                         Case{"a_brace_alone_at_the_end_stays", "x {", "x {"},
                                         Case{"a_brace_without_a_digit_stays", "{a} {} {00}", "{a} {} {00}"},
                                         Case{"a_pattern_without_placeholders_is_as_written", "plain", "plain"}),
                         [](const testing::TestParamInfo<Case>& row) { return row.param.name; });

TEST(FormatMessage, ArgumentsAreNotReadForPlaceholders)
{
    EXPECT_EQ(FormatMessage("{0} {1}", {"{1}", "x"}), "{1} x");
}

}  // namespace
