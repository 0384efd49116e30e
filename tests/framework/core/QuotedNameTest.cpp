#include "framework/core/QuotedName.h"

#include <gtest/gtest.h>

namespace {

TEST(QuotedName, PlainNamesKeepTheirDoubleQuotes)
{
    EXPECT_EQ(QuotedName("omast.dat"), "\"omast.dat\"");
    EXPECT_EQ(QuotedName("/home/user/시세/fmast.dat"), "\"/home/user/시세/fmast.dat\"");
    EXPECT_EQ(QuotedName(""), "\"\"");
}

TEST(QuotedName, NoControlByteOrInvalidUtf8ReachesTheTerminal)
{
    EXPECT_EQ(QuotedName("x\x1B[31m\nz"), "$'x\\033[31m\\nz'");
    EXPECT_EQ(QuotedName("tab\there"), "$'tab\\there'");
    EXPECT_EQ(QuotedName("\xEC\x8B\x9C\xEC"), "$'시\\354'") << "a cut character";
    EXPECT_EQ(QuotedName("\xC2\x9B" "2J"), "$'\\302\\2332J'") << "a C1 control (CSI)";
    EXPECT_EQ(QuotedName("\xC7\xD1.dat"), "$'\\307\\321.dat'") << "CP949 bytes";
    EXPECT_EQ(QuotedName("it's \"x\"\\"), "$'it\\'s \"x\"\\\\'");
}

}  // namespace
