#include "framework/core/Exception.h"
#include "framework/core/TextCodec.h"

#include <QString>

#include <gtest/gtest.h>

#include <cctype>
#include <clocale>
#include <cstdlib>
#include <ostream>
#include <random>
#include <string>
#include <utility>

namespace {

const std::string Mark = "\xEF\xBF\xBD";

class TextCodec : public testing::Test {};

TEST_F(TextCodec, CAndPosixLocalesCountAsUtf8)
{
    // The tests run without LANG or LC_ALL, so LC_CTYPE is the C locale.
    EXPECT_EQ(DisplayCharset(), "UTF-8");
    EXPECT_EQ(DecodeForDisplay("Kia \xEC\x82\xBC\xEC\x84\xB1"), "Kia 삼성");
    EXPECT_EQ(DisplayCharsetWarning(), "");
}

TEST_F(TextCodec, DecodesCp949UnderThatCharacterSet)
{
    DisplayCodec codec("CP949");
    EXPECT_EQ(codec.Decode("\xBB\xEF\xBC\xBA\xC0\xFC\xC0\xDA"), "삼성전자");
    EXPECT_EQ(codec.Decode("LG \xC8\xAD\xC7\xD0"), "LG 화학");
}

// Syllables of the Unified Hangul extension exist in CP949 only; files
// under an EUC-KR locale are written with them.
TEST_F(TextCodec, AnUndefinedCp949PairThatIconvTakesWholeIsOneMark)
{
    DisplayCodec codec("CP949");
    EXPECT_EQ(codec.Decode("\xA2\xE8"), Mark);
    EXPECT_EQ(codec.Decode("\xBB\xEF\xA2\xE8"), "삼" + Mark);
}

TEST_F(TextCodec, EucKrIsReadAsCp949)
{
    DisplayCodec codec("EUC-KR");
    EXPECT_EQ(codec.Charset(), "CP949");
    EXPECT_EQ(codec.Decode("\x8C\x63\xB9\xE6\xB0\xA2\xC7\xCF \x94\xEE \xC1\x64"), "똠방각하 뷁 햏");
    EXPECT_EQ(DisplayCodec("euckr").Charset(), "CP949") << "an alias of EUC-KR";
}

struct DecodeCase {
    const char* name;
    std::string bytes;
    std::string decoded;
};

void PrintTo(const DecodeCase& c, std::ostream* os)
{
    *os << c.name;
}

class Utf8Decoding : public TextCodec, public testing::WithParamInterface<DecodeCase> {};

TEST_P(Utf8Decoding, GivesOneMarkPerMaximalIllFormedSubsequence)
{
    EXPECT_EQ(DecodeForDisplay(GetParam().bytes), GetParam().decoded);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, Utf8Decoding,
    testing::Values(DecodeCase{"a stray byte",
                               "a\xFF"
                               "b",
                               "a" + Mark + "b"},
                    DecodeCase{"a Hangul syllable cut at the end", "cut \xEC\x82", "cut " + Mark},
                    DecodeCase{"a four-byte character cut at the end", "\xF0\x9F\x98", Mark},
                    DecodeCase{"a cut character before ASCII",
                               "\xEC\x82"
                               "A",
                               Mark + "A"},
                    DecodeCase{"a cut character before a whole one", "\xF0\x9F\x98\xEC\x82\xBC", Mark + "삼"},
                    DecodeCase{"lone continuation bytes", "\x80\xBF", Mark + Mark},
                    DecodeCase{"an overlong two-byte form", "\xC0\xAF", Mark + Mark},
                    DecodeCase{"an overlong three-byte form", "\xE0\x80\xAF", Mark + Mark + Mark},
                    DecodeCase{"a surrogate", "\xED\xA0\x80", Mark + Mark + Mark},
                    DecodeCase{"beyond U+10FFFF", "\xF4\x90\x80\x80", Mark + Mark + Mark + Mark},
                    DecodeCase{"the largest code point", "\xF4\x8F\xBF\xBF", "\xF4\x8F\xBF\xBF"},
                    DecodeCase{"a lead byte that cannot start anything", "\xF5\x80", Mark + Mark},
                    DecodeCase{"the Unicode Standard's example of maximal subparts",
                               "\x61\xF1\x80\x80\xE1\x80\xC2\x62\x80\x63\x80\xBF\x64",
                               "a" + Mark + Mark + Mark + "b" + Mark + "c" + Mark + Mark + "d"}),
    [](const testing::TestParamInfo<DecodeCase>& decodeCase) {
        std::string name;
        for (const char c : std::string(decodeCase.param.name))
            if (std::isalnum(static_cast<unsigned char>(c)))
                name += c;
        return name;
    });

// The 38-byte name field cuts a character as often as not.
TEST_F(TextCodec, ANameCutAtTheFieldEdgeShowsOneMark)
{
    std::string name;
    for (int i = 0; i < 12; ++i)
        name += "\xEC\x82\xBC";                   // 36 bytes
    const std::string field = name + "\xEC\x84";  // 38: the 13th syllable cut
    EXPECT_EQ(DecodeForDisplay(field), name + Mark);
}

// Without its marks, the text must be what Qt's decoder keeps of any bytes:
// no character lost or made up. Qt 6.4 marks some ill-formed sequences byte
// by byte, so it may only have more marks, never fewer.
TEST_F(TextCodec, Utf8KeepsWhatQtKeepsWithNoMoreMarksOnRandomBytes)
{
    const auto withoutMarks = [](std::string text, int& marks) {
        marks = 0;
        for (std::size_t at = text.find(Mark); at != std::string::npos; at = text.find(Mark, at)) {
            text.erase(at, Mark.size());
            ++marks;
        }
        return text;
    };
    std::mt19937 random(14);
    // Biased to bytes that start and continue sequences, where faults hide.
    const std::string pool =
        "\x80\x8F\x90\x9F\xA0\xBF\xC0\xC1\xC2\xDF\xE0\xE1\xEC\xED\xEE\xEF\xF0\xF1\xF3\xF4\xF5\xFF"
        "aZ";
    for (int run = 0; run < 20000; ++run) {
        std::string bytes(random() % 12, '\0');
        for (char& byte : bytes)
            byte = pool[random() % pool.size()];
        const std::string ours = DecodeForDisplay(bytes);
        const std::string qts = QString::fromUtf8(bytes.data(), static_cast<qsizetype>(bytes.size())).toStdString();
        int ourMarks = 0;
        int qtMarks = 0;
        ASSERT_EQ(withoutMarks(ours, ourMarks), withoutMarks(qts, qtMarks))
            << "bytes " << testing::PrintToString(bytes);
        ASSERT_LE(ourMarks, qtMarks) << "bytes " << testing::PrintToString(bytes);
        ASSERT_GE(ourMarks, qtMarks > 0 ? 1 : 0) << "bytes " << testing::PrintToString(bytes);
    }
}

class Cp949Decoding : public TextCodec, public testing::WithParamInterface<DecodeCase> {};

TEST_P(Cp949Decoding, GivesOneMarkPerMaximalIllFormedSubsequence)
{
    DisplayCodec codec("CP949");
    EXPECT_EQ(codec.Decode(GetParam().bytes), GetParam().decoded);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, Cp949Decoding,
    testing::Values(DecodeCase{"half a double-byte character at the end", "\xBB\xEF\xBB", "삼" + Mark},
                    DecodeCase{"a lead byte before a byte that cannot follow it",
                               "\xBB"
                               "!\xBC\xBA",
                               Mark + "!성"},
                    DecodeCase{"a byte that is no lead", "\xFF\xBB\xEF", Mark + "삼"},
                    DecodeCase{"two cut characters apart",
                               "\xBB"
                               " \xBB",
                               Mark + " " + Mark}),
    [](const testing::TestParamInfo<DecodeCase>& decodeCase) { return std::to_string(decodeCase.index); });

TEST_F(TextCodec, LongTextsAreDecodedWhole)
{
    std::string bytes;
    for (int i = 0; i < 1000; ++i)
        bytes += "\xEC\x82\xBC";
    EXPECT_EQ(DecodeForDisplay(bytes), bytes);
    DisplayCodec codec("CP949");
    std::string cp949;
    for (int i = 0; i < 1000; ++i)
        cp949 += "\xBB\xEF";
    EXPECT_EQ(codec.Decode(cp949), bytes);
}

TEST_F(TextCodec, ReadingTheLocalesCharacterSetLeavesTheProcessLocaleAlone)
{
    const std::string before = std::setlocale(LC_CTYPE, nullptr);
    // Both count as UTF-8; one of them differs from the locale in force.
    ::setenv("LC_ALL", before == "C" ? "C.UTF-8" : "C", 1);
    std::string warning;
    const std::string charset = DisplayCodec::ForLocale(warning).Charset();
    ::unsetenv("LC_ALL");
    EXPECT_EQ(charset, "UTF-8");
    EXPECT_EQ(warning, "");
    EXPECT_EQ(std::setlocale(LC_CTYPE, nullptr), before);
}

// The name comes from the environment: its control bytes must not reach the terminal.
TEST_F(TextCodec, AnUnknownCharacterSetIsAnErrorThatNamesItQuoted)
{
    const std::pair<std::string, std::string> cases[] = {
        {"NO-SUCH-CHARSET", "unknown character set \"NO-SUCH-CHARSET\": Invalid argument"},
        {"NO\x1b[2J", "unknown character set $'NO\\033[2J': Invalid argument"},
    };
    for (const auto& [charset, message] : cases) {
        try {
            DisplayCodec codec(charset);
            ADD_FAILURE() << "made a codec for " << codec.Charset();
        } catch (const Exception& e) {
            EXPECT_EQ(std::string(e.what()), message);
        }
    }
}

}  // namespace
