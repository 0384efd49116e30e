#include "framework/core/CharacterReader.h"
#include "framework/core/Hangul.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

namespace {

using hangul::Completion;
using hangul::KeyReading;

TEST(Hangul, LatinKeysReadAsThe2SetKeyboardTypesThem)
{
    struct Row {
        const char* keys;
        std::optional<KeyReading> read;
    };
    const Row rows[] = {
        {"tkatjd", KeyReading{"삼", "성"}},
        {"ttww", KeyReading{"ㅅㅅㅈ", "ㅈ"}},
        {"gksk", KeyReading{"하", "나"}},
        {"Qk", KeyReading{"", "빠"}},
        {"TKATJD", KeyReading{"쌈", "썽"}},
        {"", std::nullopt},
        {"tk1", std::nullopt},
        {"삼", std::nullopt},
    };
    for (const Row& row : rows)
        EXPECT_EQ(hangul::ReadTwoSetKeys(row.keys), row.read) << row.keys;
}

TEST(Hangul, AComposingSyllableBecomesWhatFurtherKeysCanMakeOfIt)
{
    struct Row {
        const char* means;
        char32_t composing;
        std::vector<Completion> shapes;
    };
    const Row rows[] = {
        {"a lone initial: itself, or any syllable it begins", U'ㅅ', {{"", {{U'ㅅ', U'ㅅ'}, {U'사', U'싷'}}}}},
        {"the first initial too", U'ㄱ', {{"", {{U'ㄱ', U'ㄱ'}, {U'가', U'깋'}}}}},
        {"no final: any final", U'사', {{"", {{U'사', U'샇'}}}}},
        {"a vowel that further vowels lengthen: 오 to 왜, 외", U'오', {{"", {{U'오', U'욓'}}}}},
        {"a final that moves on as the next syllable's initial",
         U'삼',
         {{"", {{U'삼', U'삼'}}}, {"사", {{U'마', U'밓'}}}}},
        {"a final that a cluster can follow, 각 to 갃",
         U'각',
         {{"", {{U'각', U'각'}, {U'갃', U'갃'}}}, {"가", {{U'가', U'깋'}}}}},
        {"a cluster splits as a vowel follows", U'닭', {{"", {{U'닭', U'닭'}}}, {"달", {{U'가', U'깋'}}}}},
        {"a lone vowel only itself", U'ㅏ', {{"", {{U'ㅏ', U'ㅏ'}}}}},
        {"a cluster no syllable begins with only itself", U'ㄳ', {{"", {{U'ㄳ', U'ㄳ'}}}}},
    };
    for (const Row& row : rows)
        EXPECT_EQ(hangul::Completions(row.composing), row.shapes) << row.means;
}

TEST(Hangul, SyllablesAreComposedOfTheirPartsAndBackWithAndWithoutAFinal)
{
    for (const char32_t c : {U'가', U'삼', U'힣', U'뷁'}) {
        const std::optional<hangul::Syllable> syllable = hangul::Decompose(c);
        ASSERT_TRUE(syllable.has_value());
        EXPECT_EQ(hangul::Compose(*syllable), c);
    }
    EXPECT_EQ(hangul::Compose({9, 0, 16}), U'삼') << "ㅁ is the 16th final";
    EXPECT_FALSE(hangul::Decompose(U'ㅅ').has_value());
}

TEST(CharacterReader, ReadsOneCharacterAndItsBytes)
{
    struct Row {
        const char* charset;
        std::string bytes;
        char32_t codePoint;
        std::size_t length;
    };
    const Row rows[] = {
        {"UTF-8", "삼성", U'삼', 3},         {"UTF-8", "\xEC\x82", U'\uFFFD', 2},   {"CP949", "\x81\x41", U'갂', 2},
        {"CP949", "\xBB\xEF", U'삼', 2},     {"CP949", "A\x81", U'A', 1},           {"CP949", "\x81", U'\uFFFD', 1},
        {"CP949", "\xFF\x41", U'\uFFFD', 1}, {"ISO-8859-1", "\xE9t", U'\u00E9', 1},
    };
    for (const Row& row : rows) {
        const CharacterReader reader(row.charset);
        const CharacterReader::Character c = reader.At(row.bytes);
        EXPECT_EQ(c.codePoint, row.codePoint) << row.charset << " " << row.bytes;
        EXPECT_EQ(c.length, row.length) << row.charset << " " << row.bytes;
    }
}

}  // namespace
