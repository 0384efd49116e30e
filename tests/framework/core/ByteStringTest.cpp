#include "framework/core/ByteString.h"

#include <gtest/gtest.h>

#include <cstring>
#include <ostream>

using namespace std::string_literals;

namespace {

struct SubStringCase {
    const char* name;
    ByteString::Index index;
    ByteString::Index count;
    std::string expected;
};

// gtest would otherwise print the case as its raw bytes, heap addresses
// included, into every listing of the test.
void PrintTo(const SubStringCase& c, std::ostream* out)
{
    *out << c.name;
}

class SubStringOf20Bytes : public testing::TestWithParam<SubStringCase> {};

TEST_P(SubStringOf20Bytes, TakesOneBasedBytesWithinBounds)
{
    const ByteString line("0123456789abcdefghij");
    const SubStringCase& c = GetParam();
    EXPECT_EQ(line.SubString(c.index, c.count).View(), c.expected);
}

INSTANTIATE_TEST_SUITE_P(
    Bounds, SubStringOf20Bytes,
    testing::Values(SubStringCase{"first_byte_is_index_1", 1, 9, "012345678"},
                    SubStringCase{"count_stops_at_the_end", 10, 38, "9abcdefghij"},
                    SubStringCase{"last_byte", 20, 5, "j"}, SubStringCase{"index_past_the_end_is_empty", 21, 1, ""},
                    SubStringCase{"index_zero_is_empty", 0, 5, ""}, SubStringCase{"negative_index_is_empty", -3, 5, ""},
                    SubStringCase{"negative_count_is_empty", 2, -1, ""}, SubStringCase{"zero_count_is_empty", 2, 0, ""},
                    SubStringCase{"whole_string", 1, 20, "0123456789abcdefghij"}),
    [](const testing::TestParamInfo<SubStringCase>& param) { return param.param.name; });

TEST(ByteString, KeepsEmbeddedZeroBytesButCStrStopsAtThem)
{
    const ByteString line(std::string("ab\0cd"s));
    EXPECT_EQ(line.Length(), 5);
    EXPECT_EQ(line.SubString(2, 3).View(), "b\0c"s);
    EXPECT_STREQ(line.c_str(), "ab");
    EXPECT_STREQ(line.SubString(4, 2).c_str(), "cd");
}

TEST(ByteString, EmptyStringHasAnEmptyCStr)
{
    EXPECT_STREQ(ByteString().c_str(), "");
    EXPECT_STREQ(ByteString(static_cast<const char*>(nullptr)).c_str(), "");
    EXPECT_TRUE(ByteString("").SubString(1, 1).IsEmpty());
}

TEST(ByteString, HighBytesPassUnconverted)
{
    const ByteString hangul("\xBB\xEF\xBC\xBA");  // two CP949 syllables
    EXPECT_EQ(hangul.SubString(2, 2).View(), "\xEF\xBC");
    EXPECT_EQ(std::strlen(hangul.c_str()), 4U);
}

}  // namespace
