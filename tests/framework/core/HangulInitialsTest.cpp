#include "framework/core/Hangul.h"
#include "framework/core/HangulInitials.h"
#include "framework/core/TextCodec.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

namespace {

using Initials = std::vector<std::uint8_t>;

class HangulInitials : public testing::Test {};

TEST_F(HangulInitials, EveryLeadingConsonantJamoIsTypedAsItsInitial)
{
    EXPECT_EQ(hangul::TypedInitials("ㄱㄲㄴㄷㄸㄹㅁㅂㅃㅅㅆㅇㅈㅉㅊㅋㅌㅍㅎ"),
              (Initials{0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16, 17, 18}));
    EXPECT_EQ(hangul::TypedInitials("ㅅㅅㅈㅈ"), (Initials{9, 9, 12, 12}));
}

TEST_F(HangulInitials, AnythingButLeadingConsonantsIsNoInitialsSearch)
{
    for (const char* typed : {"", "ㄳ", "ㅄ", "ㄺ", "ㅏ", "ㅅa", "a", "삼", "ㅅ삼", "0", "\xE3\x84"}) {
        SCOPED_TRACE(typed);
        EXPECT_TRUE(hangul::TypedInitials(typed).empty());
    }
}

// Each display character set that holds Hangul, and names in it.
class HangulInitialsIn : public HangulInitials, public testing::WithParamInterface<const char*> {
protected:
    // `utf8` in the character set, as a master file holds it.
    std::string Stored(const std::string& utf8)
    {
        const std::optional<std::string> bytes = codec.Encode(utf8);
        EXPECT_TRUE(bytes.has_value()) << utf8;
        return bytes.value_or("");
    }

    DisplayCodec codec{GetParam()};
    const InitialsMatcher matcher{GetParam()};
};

TEST_P(HangulInitialsIn, NamesMatchTheInitialsOfTheirLeadingSyllables)
{
    EXPECT_TRUE(matcher.Matches(Stored("삼성전자"), hangul::TypedInitials("ㅅㅅㅈㅈ")));
    EXPECT_TRUE(matcher.Matches(Stored("삼성전자"), hangul::TypedInitials("ㅅㅅ"))) << "what follows does not count";
    EXPECT_TRUE(matcher.Matches(Stored("카카오"), hangul::TypedInitials("ㅋㅋㅇ")));
    EXPECT_TRUE(matcher.Matches(Stored("힣"), hangul::TypedInitials("ㅎ"))) << "the last syllable";
    EXPECT_TRUE(matcher.Matches(Stored("가"), hangul::TypedInitials("ㄱ"))) << "the first syllable";
    EXPECT_FALSE(matcher.Matches(Stored("삼성전자"), hangul::TypedInitials("ㅅㅈ")));
    EXPECT_FALSE(matcher.Matches(Stored("카카오"), hangul::TypedInitials("ㅋㅋㅇㅇ")))
        << "more initials than syllables";
    EXPECT_FALSE(matcher.Matches(Stored("삼성"), {}));
}

TEST_P(HangulInitialsIn, DoubleConsonantsAreInitialsOfTheirOwn)
{
    EXPECT_TRUE(matcher.Matches(Stored("까뚜빠싸짜"), hangul::TypedInitials("ㄲㄸㅃㅆㅉ")));
    EXPECT_FALSE(matcher.Matches(Stored("까뚜빠싸짜"), hangul::TypedInitials("ㄱㄷㅂㅅㅈ")));
    EXPECT_FALSE(matcher.Matches(Stored("가두바사자"), hangul::TypedInitials("ㄲㄸㅃㅆㅉ")));
}

TEST_P(HangulInitialsIn, NamesStartingWithOtherLettersDoNotMatch)
{
    EXPECT_FALSE(matcher.Matches(Stored("LG화학"), hangul::TypedInitials("ㅎ")));
    EXPECT_FALSE(matcher.Matches(Stored("SK하이닉스"), hangul::TypedInitials("ㅎㅇ")));
    EXPECT_FALSE(matcher.Matches(Stored(" 삼성"), hangul::TypedInitials("ㅅ")));
    EXPECT_FALSE(matcher.Matches(Stored("ㅅㅅ"), hangul::TypedInitials("ㅅㅅ"))) << "jamo are no syllables";
    EXPECT_FALSE(matcher.Matches("", hangul::TypedInitials("ㅅ")));
}

INSTANTIATE_TEST_SUITE_P(CharacterSets, HangulInitialsIn, testing::Values("UTF-8", "CP949"));

TEST_F(HangulInitials, Cp949SyllablesBeyondEucKrMatchToo)
{
    const InitialsMatcher matcher("CP949");
    // 똠 and 뷁 are in CP949's extension, outside EUC-KR's 2,350 syllables.
    EXPECT_TRUE(matcher.Matches("\x8C\x63\x94\xEE", hangul::TypedInitials("ㄸㅂ")));
}

TEST_F(HangulInitials, UnderALatinCharacterSetNothingMatches)
{
    const InitialsMatcher matcher("ISO-8859-1");
    EXPECT_FALSE(matcher.Matches("\xEC\x82\xBC", hangul::TypedInitials("ㅅ")));
    EXPECT_FALSE(matcher.Matches("\xBB\xEF", hangul::TypedInitials("ㅅ")));
}

}  // namespace
