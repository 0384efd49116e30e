#include "framework/core/Exception.h"
#include "framework/gui/TextCodec.h"

#include <gtest/gtest.h>

#include <clocale>
#include <cstdlib>
#include <string>

namespace {

// Restores the locale's character set when a test is done.
class TextCodec : public testing::Test {
protected:
    void TearDown() override { SetDisplayCharset(""); }
};

TEST_F(TextCodec, CAndPosixLocalesCountAsUtf8)
{
    // The tests run without LANG or LC_ALL, so LC_CTYPE is the C locale.
    EXPECT_EQ(DisplayCharset(), "UTF-8");
    EXPECT_EQ(DecodeForDisplay("Kia \xEC\x82\xBC\xEC\x84\xB1"), "Kia 삼성");
}

TEST_F(TextCodec, DecodesCp949UnderThatCharacterSet)
{
    SetDisplayCharset("CP949");
    EXPECT_EQ(DecodeForDisplay("\xBB\xEF\xBC\xBA\xC0\xFC\xC0\xDA"), "삼성전자");
    EXPECT_EQ(DecodeForDisplay("LG \xC8\xAD\xC7\xD0"), "LG 화학");
}

TEST_F(TextCodec, InvalidBytesBecomeReplacementMarks)
{
    EXPECT_EQ(DecodeForDisplay("a\xFF" "b"), "a\xEF\xBF\xBD" "b");
    EXPECT_EQ(DecodeForDisplay("cut \xEC\x82"), "cut \xEF\xBF\xBD\xEF\xBF\xBD") << "a character cut at the field's end";
    SetDisplayCharset("CP949");
    EXPECT_EQ(DecodeForDisplay("\xBB\xEF\xBB"), "삼\xEF\xBF\xBD") << "half a double-byte character";
}

TEST_F(TextCodec, LongTextsAreDecodedWhole)
{
    std::string bytes;
    for (int i = 0; i < 1000; ++i)
        bytes += "\xEC\x82\xBC";
    EXPECT_EQ(DecodeForDisplay(bytes), bytes);
}

TEST_F(TextCodec, ReadingTheLocalesCharacterSetLeavesTheProcessLocaleAlone)
{
    const std::string before = std::setlocale(LC_CTYPE, nullptr);
    // Both count as UTF-8; one of them differs from the locale in force.
    ::setenv("LC_ALL", before == "C" ? "C.UTF-8" : "C", 1);
    SetDisplayCharset("");
    const std::string charset = DisplayCharset();
    ::unsetenv("LC_ALL");
    EXPECT_EQ(charset, "UTF-8");
    EXPECT_EQ(std::setlocale(LC_CTYPE, nullptr), before);
}

TEST_F(TextCodec, UnknownCharacterSetIsAnError)
{
    EXPECT_THROW(SetDisplayCharset("NO-SUCH-CHARSET"), Exception);
    EXPECT_EQ(DisplayCharset(), "UTF-8") << "the previous character set stays";
}

}  // namespace
