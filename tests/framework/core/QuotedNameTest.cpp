#include "framework/core/QuotedName.h"

#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <filesystem>

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
    EXPECT_EQ(QuotedName("del\x7F"
                         "x"),
              "$'del\\177x'")
        << "DEL";
    EXPECT_EQ(QuotedName("\xEC\x8B\x9C\xEC"), "$'시\\354'") << "a cut character";
    EXPECT_EQ(QuotedName("\xC2\x9B"
                         "2J"),
              "$'\\302\\2332J'")
        << "a C1 control (CSI)";
    EXPECT_EQ(QuotedName("\xC7\xD1.dat"), "$'\\307\\321.dat'") << "CP949 bytes";
    EXPECT_EQ(QuotedName("it's \"x\"\\"), "$'it\\'s \"x\"\\\\'");
}

TEST(ShownFolder, APlainFolderIsBareAnOddOneEscaped)
{
    EXPECT_EQ(ShownFolder("/home/user/my data"), "/home/user/my data");
    EXPECT_EQ(ShownFolder("/home/user/시세"), "/home/user/시세");
    EXPECT_EQ(ShownFolder("/tmp/x\x1B[2Jy"), "$'/tmp/x\\033[2Jy'");
    EXPECT_EQ(ShownFolder("/tmp/\xC7\xD1"), "$'/tmp/\\307\\321'");
}

// The current folder is the process's: each case goes there and back.
class QuotedFileName : public testing::Test {
protected:
    void TearDown() override { std::filesystem::current_path(previous_); }
    void GoTo(const std::filesystem::path& folder) { std::filesystem::current_path(folder); }

    TempDir dir_;
    std::filesystem::path previous_ = std::filesystem::current_path();
};

TEST_F(QuotedFileName, ARelativeNameSaysWhichFolderItWasLookedFor)
{
    GoTo(dir_.Path());
    EXPECT_EQ(::QuotedFileName("omast.dat"), "\"omast.dat\" in " + dir_.Path().string());
    EXPECT_EQ(::QuotedFileName("data/omast.dat"), "\"data/omast.dat\" in " + dir_.Path().string());
}

TEST_F(QuotedFileName, AnAbsoluteNameStandsAlone)
{
    GoTo(dir_.Path());
    EXPECT_EQ(::QuotedFileName("/srv/omast.dat"), "\"/srv/omast.dat\"");
}

TEST_F(QuotedFileName, AFolderWithAControlByteIsEscaped)
{
    const auto odd = dir_.Path() / "x\x1B[31my";
    std::filesystem::create_directory(odd);
    GoTo(odd);
    EXPECT_EQ(::QuotedFileName("omast.dat"), "\"omast.dat\" in $'" + dir_.Path().string() + "/x\\033[31my'");
}

TEST_F(QuotedFileName, ARemovedCurrentFolderLeavesTheNameAlone)
{
    const auto gone = dir_.Path() / "gone";
    std::filesystem::create_directory(gone);
    GoTo(gone);
    std::filesystem::remove(gone);
    EXPECT_EQ(::QuotedFileName("omast.dat"), "\"omast.dat\"");
}

}  // namespace
