#include "framework/core/TextCodec.h"
#include "stockdata/CodeIndex.h"
#include "stockdata/MasterFile.h"
#include "stockdata/NameCharacterIndex.h"
#include "stockdata/SearchMatches.h"
#include "stockdata/SortedView.h"
#include "stockdata/StockSearch.h"
#include "support/PickingStocks.h"

#include <gtest/gtest.h>

#include <optional>
#include <ostream>
#include <stop_token>
#include <string>
#include <vector>

using namespace std::string_literals;

// Found by gtest's printer through its argument's namespace, the global one.
void PrintTo(const FoundItem& found, std::ostream* out);
void PrintTo(const FoundItem& found, std::ostream* out)
{
    *out << "row " << found.index << (found.readAs.empty() ? "" : " read as " + found.readAs);
}

namespace {

const std::string LgChemField = "LG Chem" + std::string(31, ' ');

// One search as typed, and where it leads.
struct Typed {
    const char* means;
    std::string committed;
    int startIndex;
    int picked;
    int found;
    std::string composing = {};
    std::string readAs = {};
};

// A master written in UTF-8, read in `charset` as a master file in it holds
// it, and searched with what is typed.
class StockSearchFind : public testing::TestWithParam<const char*> {
protected:
    explicit StockSearchFind(const std::string& master = PickingMaster)
        : store_(RecordsFromBytes(DisplayCodec(Charset()).Encode(master).value_or("")))
    {
    }
    static const char* Charset() { return GetParam(); }

    // Each row, as the search answers when the list shows, codes found by a
    // scan, and once its code index is added.
    void Expect(const std::vector<Typed>& rows)
    {
        StockSearch indexed(byPosition_, Charset());
        indexed.AddCodeIndex(CodeIndex(byPosition_));
        for (const Typed& row : rows) {
            const TypedText typed{row.committed, row.composing};
            const FoundItem expected{row.found, row.readAs};
            EXPECT_EQ(search_.Find(typed, row.startIndex, row.picked), expected) << row.means;
            EXPECT_EQ(indexed.Find(typed, row.startIndex, row.picked), expected) << row.means << ", indexed";
        }
    }

    vecST store_;
    lstPST sorted_ = MakeSortedST(store_, SortKeyName);
    std::vector<const STData*> byPosition_{sorted_.begin(), sorted_.end()};
    StockSearch search_{byPosition_, Charset()};
};

TEST_P(StockSearchFind, NamesByTheirStartByteForByteFirst)
{
    Expect({
        {"a name's start finds the first name with it", "Sam", 0, -1, Samsung005930},
        {"a space is a byte like any other", "LG E", 0, -1, LgEnergy},
        {"a capital finds capitals, a letter alone no code", "K", 0, -1, Kia},
        {"a small letter finds small letters first", "k", 0, -1, SmallKia},
        {"Hangul, byte for byte", "셀", 0, -1, Celltrion},
        {"a start no name has, nor holds, finds nothing", "Zeta", 0, -1, -1},
        {"more than a whole name finds nothing", "Kiax", 0, -1, -1},
        {"a space past a name's end is no padding of it", "kia  ", 0, -1, -1},
        {"the field's padding counts as typed", "LG Chem ", 0, -1, LgChem},
        {"the whole field, padding and all", LgChemField, 0, -1, LgChem},
        {"a byte more than the field holds finds nothing: no prefix is cut to fit", LgChemField + "x", 0, -1, -1},
        {"a 0 byte is no fill to match", "Kia\0"s, 0, -1, -1},
        {"from a start index before the names with it, the first of them", "S", 1, -1, SkHynix},
        {"from a start index, the first name at or after it: equal names in list order", "S", 5, -1, Samsung005935},
        {"past the last name with it, the first from the top", "S", 7, -1, SkHynix},
        {"past the last row, from the top", "K", 10, -1, Kia},
        {"a search from a row past its only match wraps to row 0", "Kia", 1, -1, Kia},
    });
}

// Code order: 000270 Kia, 000660 SkHynix, 005930 Samsung005930, 005930
// SamsungHangul, 005935 Samsung005935, 006400 SamsungSdi, 051910 LgChem,
// 068270 Celltrion, 373220 LgEnergy, 999001 SmallKia.
TEST_P(StockSearchFind, CodesByTheirStartInCodeOrder)
{
    Expect({
        {"digits find the smallest code with them, of equal codes the first in list order", "0059", 0, -1,
         Samsung005930},
        {"a whole code finds its stock, not the other of two equal names", "005935", 0, -1, Samsung005935},
        {"one digit is a code", "3", 0, -1, LgEnergy},
        {"digits that start no code and no name find nothing", "123", 0, -1, -1},
        {"more digits than a code has find nothing", "0519101", 0, -1, -1},
        {"a market letter before the digits is passed over", "A005935", 0, -1, Samsung005935},
        {"a small market letter too", "a000660", 0, -1, SkHynix},
        {"a market letter and one digit", "A9", 0, -1, SmallKia},
        {"one digit repeated that codes start with finds the smallest, no step", "000", 0, -1, Kia},
    });
}

// In list order, as listed: codes with a market letter, or without, as Korean brokers' files store them.
class StockSearchCodes : public StockSearchFind {
protected:
    StockSearchCodes()
        : StockSearchFind(
              "A057050  7Eleven\n"
              "A500001  E1\n"
              "Q000100  K2 Korea\n"
              "100790   Mirae Asset\n"
              "005930   Samsung Electronics\n"
              "A005930  Samsung Electronics\n"
              "z900001  Zeta\n"
              "E100001  e-Trade\n")
    {
    }
    enum { SevenEleven, E1, K2Korea, Mirae, Samsung, SamsungA, SmallZ, ETrade };
};

TEST_P(StockSearchCodes, DigitsFindCodesWithOrWithoutALetterAndALetterAndDigitsANameFirst)
{
    Expect({
        {"digits find a code stored with a letter", "500001", 0, -1, E1},
        {"a digit finds the smallest digits, whatever the letter", "0", 0, -1, K2Korea},
        {"equal digits, with a letter or without, in list order", "005930", 0, -1, Samsung},
        {"a typed letter finds its code", "A500001", 0, -1, E1},
        {"a typed letter is ignored against a code stored without one", "A100790", 0, -1, Mirae},
        {"a typed letter must match a stored one", "Q500001", 0, -1, -1},
        {"a small typed letter finds its capital stored", "a500001", 0, -1, E1},
        {"a capital typed letter finds a small one stored", "Z900001", 0, -1, SmallZ},
        {"a typed letter in the other case is still no other letter", "q500001", 0, -1, -1},
        {"a letter and digits is a name in either case first: e1 is E1", "e1", 0, -1, E1},
        {"past the last name a letter and digits start, the first of them again, not a code", "E1", E1 + 1, -1, E1},
        {"a letter and digits is a name first, not the code starting with 1", "E1", 0, -1, E1},
        {"a letter and a digit that no code has", "K2", 0, -1, K2Korea},
        {"digits that start no code are a name", "7", 0, -1, SevenEleven},
    });
    EXPECT_EQ(search_.Find({"0", {}}, SamsungA + 1, -1).index, K2Korea)
        << "a new search from a row, as in the open list, finds the smallest digits";
}

TEST_P(StockSearchFind, HangulInitialsFromTheStartIndexOrThePickedStockWrapping)
{
    Expect({
        {"initials find the name whose leading syllables have them", "ㅅㅌ", 0, -1, Celltrion},
        {"as many initials as syllables", "ㅅㅅㅈㅈ", 0, -1, SamsungHangul},
        {"initials no Hangul name has find nothing: SK Hynix is no Hangul", "ㅅㅎ", 0, -1, -1},
        {"nothing picked: from the top", "ㅅ", 0, -1, SamsungHangul},
        {"from a start index, the first at or after it", "ㅅ", 9, -1, Celltrion},
        {"a start index past the last row wraps to the top", "ㅅ", 10, -1, SamsungHangul},
        {"a new search goes on from the picked stock, itself first", "ㅅ", 0, Celltrion, Celltrion},
        {"from the picked stock past the end, wrapping", "ㅅㅅㅈ", 0, Celltrion, SamsungHangul},
        {"a start index wins over the picked stock", "ㅅ", 1, Celltrion, SamsungHangul},
        {"one initial repeated that a name's syllables start with is those initials, no step", "ㅅㅅ", 0, -1,
         SamsungHangul},
    });
}

// In list order, as listed: names as Korean investors meet them, Latin and
// Hangul, and codes with a market letter, without, and with letters inside.
class StockSearchAnywhere : public StockSearchFind {
protected:
    StockSearchAnywhere()
        : StockSearchFind(
              "A000100  AAA Holdings\n"
              "A000200  Able Co\n"
              "021240   Coway\n"
              "066570   LG전자\n"
              "005300   Nordkapp\n"
              "000660   SK hynix\n"
              "A005935  Samsung Electronics\n"
              "017670   sk telecom\n"
              "005930   삼성전자\n"
              "090430   아모레퍼시픽\n"
              "086790   하나금융지주\n"
              "000880   한화\n"
              "00088K   한화3우B\n"
              "A0004V0  한화신규\n")
    {
    }
    enum {
        Aaa,
        Able,
        Coway,
        LgElectronics,
        Nordkapp,
        SkHynix,
        Samsung,
        SkTelecom,
        SamsungHangul,
        Amore,
        Hana,
        Hanwha,
        HanwhaPreferred,
        HanwhaNew
    };
};

TEST_P(StockSearchAnywhere, NamesStartingWithTheTextThenInEitherCaseThenHoldingIt)
{
    Expect({
        {"a text inside names finds the first in list order", "전자", 0, -1, LgElectronics},
        {"a name starting with the text comes before one holding it earlier in list order", "Co", 0, -1, Coway},
        {"Latin letters in either case after the byte-for-byte start", "samsung", 0, -1, Samsung},
        {"capitals for small letters too", "SAMSUNG", 0, -1, Samsung},
        {"a byte-for-byte start first: sk telecom before SK hynix", "sk", 0, -1, SkTelecom},
        {"in either case, the first in list order", "Sk", 0, -1, SkHynix},
        {"inside a name, byte for byte", "hynix", 0, -1, SkHynix},
        {"inside a name, in either case", "HYNIX", 0, -1, SkHynix},
        {"inside a name, from the start index, that row itself first", "전자", LgElectronics, -1, LgElectronics},
        {"inside a name, on from the start index", "전자", LgElectronics + 1, -1, SamsungHangul},
        {"inside a name, wrapping past the last row", "전자", SamsungHangul + 1, -1, LgElectronics},
        {"a space is no fill: inside \"Able Co\"", "e C", 0, -1, Able},
        {"Hangul holding digits and Latin", "3우b", 0, -1, HanwhaPreferred},
        {"a text no name holds finds nothing", "전차", 0, -1, -1},
    });
}

// The rows every match of the whole text takes, as the narrowed list shows
// them: asked for one by one, and counted a row at a time, with each index.
TEST_P(StockSearchAnywhere, TheMatchesOfTheWholeTextEachKindInListOrderEachRowOnce)
{
    struct Row {
        const char* means;
        std::string committed;
        std::vector<int> rows;
        std::string composing = {};
        std::string readAs = {};
    };
    const std::vector<Row> table{
        {"inside names, in list order", "전자", {LgElectronics, SamsungHangul}},
        {"starting byte for byte, then in either case, then the 2-set reading 나 inside 하나",
         "sk",
         {SkTelecom, SkHynix, Hana}},
        {"starting in either case, then holding it byte for byte, then in either case", "co", {Coway, SkTelecom, Able}},
        {"held byte for byte after it is held in either case: Samsung Electronics' e after its E",
         "e",
         {Able, Samsung, SkTelecom}},
        {"a code in part, in list order", "00088", {Hanwha, HanwhaPreferred}},
        {"a code with a market letter after the names", "A0004V0", {HanwhaNew}},
        {"initials", "ㅎㅎ", {Hanwha, HanwhaPreferred, HanwhaNew}},
        {"a syllable composing", "", {Hana, Hanwha, HanwhaPreferred, HanwhaNew}, "하"},
        {"Latin letters, then their 2-set reading", "a", {Aaa, Able, Coway, Nordkapp, Samsung}},
        {"only the 2-set reading, which is then said", "tkatjd", {SamsungHangul}, "", "삼성"},
        {"nothing", "xxxq", {}},
    };
    StockSearch indexed(byPosition_, Charset());
    indexed.AddCodeIndex(CodeIndex(byPosition_));
    indexed.AddCharacterIndex(NameCharacterIndex(byPosition_, Charset()));
    for (const Row& row : table) {
        const TypedText typed{row.committed, row.composing};
        for (StockSearch* search : {&search_, &indexed}) {
            const char* how = search == &search_ ? "scans" : "indexes";
            SearchMatches asked = search->Matches(typed);
            std::vector<int> rows;
            for (int at = 0; asked.Row(at) != -1; ++at)
                rows.push_back(asked.Row(at));
            EXPECT_EQ(rows, row.rows) << row.means << ", asked, " << how;
            EXPECT_EQ(asked.ReadAs(), row.readAs) << row.means << ", " << how;
            SearchMatches counted = search->Matches(typed);
            while (!counted.Complete())
                counted.FindMore(1);
            EXPECT_EQ(counted.Count(), std::ssize(row.rows)) << row.means << ", counted, " << how;
            std::vector<int> countedRows;
            for (int at = 0; at < counted.Count(); ++at)
                countedRows.push_back(counted.Row(at));
            EXPECT_EQ(countedRows, row.rows) << row.means << ", counted, " << how;
        }
    }
}

TEST_P(StockSearchAnywhere, LatinKeysTypedWithTheInputMethodOffAreReadAsThe2SetKeyboard)
{
    Expect({
        {"삼성 typed as Latin keys finds 삼성전자, and says what it searched", "tkatjd", 0, -1, SamsungHangul, "",
         "삼성"},
        {"the last syllable counts as every syllable it can still become", "tkatj", 0, -1, SamsungHangul, "", "삼서"},
        {"initials typed as Latin keys", "ttww", 0, -1, SamsungHangul, "", "ㅅㅅㅈㅈ"},
        {"a final moves on to the next syllable as the keyboard moves it", "gksk", 0, -1, Hana, "", "하나"},
        {"a Latin name that holds the text comes first", "dk", 0, -1, Nordkapp},
        {"read as Hangul only when no Latin name matches", "dkah", 0, -1, Amore, "", "아모"},
        {"inside names too", "wjswk", 0, -1, LgElectronics, "", "전자"},
        {"Shift types the doubled consonants: Q is ㅃ, which no name has", "Qk", 0, -1, -1},
        {"keys that read as nothing any name has find nothing", "xxxq", 0, -1, -1},
    });
}

TEST_P(StockSearchAnywhere, CodesWithLettersAndOneCharacterRepeated)
{
    Expect({
        {"a code with a letter inside, whole", "00088K", 0, -1, HanwhaPreferred},
        {"its letter in either case", "00088k", 0, -1, HanwhaPreferred},
        {"in part, the smallest code: 0 sorts before K", "00088", 0, -1, Hanwha},
        {"a short code with a letter inside, stored with a market letter", "0004V0", 0, -1, HanwhaNew},
        {"in part", "0004v", 0, -1, HanwhaNew},
        {"with the market letter typed", "a0004V0", 0, -1, HanwhaNew},
        {"a typed market letter is ignored against a code stored without one", "A00088K", 0, -1, HanwhaPreferred},
        {"a letter inside a code is no market letter: 0004V0 is not V0", "0004", 0, -1, HanwhaNew},
        {"the whole repeated text wins where a name starts with it", "AAA", 0, -1, Aaa},
        {"... in either case", "aaa", 0, -1, Aaa},
        {"one letter repeated that no name starts with steps through the names it starts", "ss", 0, -1, SkTelecom},
    });
}

// Codes in the order of a code whose every digit is one repeated.
class StockSearchRepeats : public StockSearchFind {
protected:
    StockSearchRepeats()
        : StockSearchFind(
              "A100000  One\n"
              "A110000  Two\n"
              "A111000  Three\n"
              "A111111  Four\n"
              "000001   Five\n"
              "005930   Six\n")
    {
    }
    // In list order.
    enum { Five, Four, One, Six, Three, Two };
};

TEST_P(StockSearchRepeats, AWholeRepeatedCodeWinsOverStepping)
{
    Expect({
        {"a whole code of one digit repeated finds itself", "111111", 0, -1, Four},
        {"digits of one repeated that a code starts with find the smallest", "0000", 0, -1, Five},
        {"... and a longer start", "111", 0, -1, Three},
        {"digits repeated that no code starts with step in code order, wrapping", "1111111", 0, -1, Three},
    });
}

// Names that a composing syllable's shapes lead to, at their edges. Their
// order differs between the character sets: CP949 puts the syllables beyond
// EUC-KR's first.
class StockSearchComposing : public StockSearchFind {
protected:
    StockSearchComposing()
        : StockSearchFind(
              "1        사랑\n2        사마귀\n3        삭제\n4        삼성\n5        삼성기업\n"
              "6        샇\n7        왜관\n8        욓\n9        가전자\n10       달걀\n"
              "11       닭갈비\n")
    {
    }
    // The row of the stock with this code.
    int Row(const char* code) const
    {
        for (std::size_t i = 0; i < byPosition_.size(); ++i)
            if (std::string_view(byPosition_[i]->code).starts_with(std::string(code) + " "))
                return static_cast<int>(i);
        return -1;
    }
};

TEST_P(StockSearchComposing, ASyllableStillComposingIsEverySyllableItCanBecome)
{
    const auto first = [&](std::initializer_list<const char*> codes) {
        int row = -1;
        for (const char* code : codes)
            if (row == -1 || Row(code) < row)
                row = Row(code);
        return row;
    };
    Expect({
        {"사 as every final of itself, first in list order", "", 0, -1, first({"1", "2", "3", "4", "5", "6"}), "사"},
        {"사 as its last final too", "", Row("6"), -1, Row("6"), "사"},
        {"오 as 왜, a longer vowel", "", 0, -1, first({"7", "8"}), "오"},
        {"오 as the last final of the last of its longer vowels", "", Row("8"), -1, Row("8"), "오"},
        {"삼 as itself, and as 사 then a syllable beginning with ㅁ", "", 0, -1, first({"2", "4", "5"}), "삼"},
        {"닭 as itself, and as 달 then a syllable beginning with ㄱ", "", 0, -1, first({"10", "11"}), "닭"},
        {"ㄱ, the first initial, after syllables", "삼성", 0, -1, Row("5"), "ㄱ"},
        {"inside a name: 전 then a syllable beginning with ㅈ", "전", 0, -1, Row("9"), "ㅈ"},
        {"a syllable it cannot become finds nothing", "", 0, -1, -1, "뷁"},
    });
}

INSTANTIATE_TEST_SUITE_P(CharacterSets, StockSearchFind, testing::Values("UTF-8", "CP949"));
INSTANTIATE_TEST_SUITE_P(CharacterSets, StockSearchCodes, testing::Values("UTF-8", "CP949"));
INSTANTIATE_TEST_SUITE_P(CharacterSets, StockSearchAnywhere, testing::Values("UTF-8", "CP949"));
INSTANTIATE_TEST_SUITE_P(CharacterSets, StockSearchRepeats, testing::Values("UTF-8", "CP949"));
INSTANTIATE_TEST_SUITE_P(CharacterSets, StockSearchComposing, testing::Values("UTF-8", "CP949"));

// Bytes of one name that differ from another's only in bit 0x20, in either
// character set: no Latin letters, so never the same in either case.
TEST(StockSearchBytes, OnlyLatinLettersMatchInEitherCase)
{
    struct Row {
        const char* means;
        const char* charset;
        std::string stored;
        std::string typed;
    };
    const Row rows[] = {
        {"삼 and 삜 differ in bit 0x20 of their last UTF-8 byte", "UTF-8", "\xEC\x82\x9C", "삼"},
        {"갂 and 갵 differ in bit 0x20 of their CP949 trail bytes, ASCII A and a", "CP949", "\x81\x61", "갂"},
        {"a CP949 trail byte holds no Latin letter to find", "CP949", "\x81\x41", "A"},
    };
    for (const Row& row : rows) {
        const std::vector<STData> records{{"1", row.stored.c_str(), ""}};
        const std::vector<const STData*> byPosition{&records[0]};
        StockSearch search(byPosition, row.charset);
        EXPECT_EQ(search.Find({row.typed, {}}, 0, -1).index, -1) << row.means;
    }
}

TEST_P(StockSearchFind, AStepOfTheSameSearchGoesOnFromTheLastWhereANewOneStartsAgain)
{
    StockSearch indexed(byPosition_, Charset());
    indexed.AddCodeIndex(CodeIndex(byPosition_));
    for (StockSearch* search : {&search_, &indexed}) {
        for (const std::string& one : {"S"s, "0"s, "ㅅ"s}) {
            std::string typed;
            for (int keys = 1; keys <= 12; ++keys) {
                typed += one;
                const FoundItem stepped = search->Find({typed, {}}, 0, -1, StockSearch::Typing::SameSearch);
                EXPECT_EQ(stepped, search->Find({typed, {}}, 0, -1)) << typed;
            }
        }
    }
    EXPECT_EQ(search_.Find({"SSSSSS", {}}, 0, -1), (FoundItem{Samsung005930, {}})) << "past equal names, wrapping";
    EXPECT_EQ(search_.Find({std::string(10, '0'), {}}, 0, -1), (FoundItem{SkHynix, {}})) << "in code order";
}

std::string Repeated(const std::string& text, int times)
{
    std::string repeated;
    for (int i = 0; i < times; ++i)
        repeated += text;
    return repeated;
}

// CP949 names longer than the index's keys hold, in view order as listed.
class StockSearchCp949 : public testing::Test {
protected:
    const std::string sam_ = "\xBB\xEF";  // 삼, ㅅ
    std::vector<STData> records_{
        {"1", (Repeated(sam_, 12) + "\xB0\xA1").c_str(), ""},  // 12 ㅅ then 가, ㄱ
        {"2", (Repeated(sam_, 12) + "\xBC\xBA").c_str(), ""},  // 12 ㅅ then 성, ㅅ
        {"3", Repeated(sam_, 19).c_str(), ""},                 // as many as the field holds
    };
    std::vector<const STData*> byPosition_{&records_[0], &records_[1], &records_[2]};
};

TEST_F(StockSearchCp949, InitialsPastTheKeyAreReadFromTheNames)
{
    StockSearch search(byPosition_, "CP949", Parallelism{3, 1});
    const auto find = [&](const std::string& typed) { return search.Find({typed, {}}, 0, -1).index; };
    EXPECT_EQ(find("ㅅ"), 0);
    EXPECT_EQ(find(Repeated("ㅅ", 12) + "ㄱ"), 0);
    EXPECT_EQ(find(Repeated("ㅅ", 13)), 1) << "the first's 13th syllable breaks the match";
    EXPECT_EQ(find(Repeated("ㅅ", 19)), 2);
    EXPECT_EQ(find(Repeated("ㅅ", 19) + "ㄱ"), -1) << "more initials than syllables";
}

TEST(StockSearchKeying, ReportsTheKeyingStageAndStopsWhenAsked)
{
    const STData record("1", "\xEC\x82\xBC", "");  // 삼
    const std::vector<const STData*> byPosition{&record};
    std::stop_source stop;
    LoadProgress progress(stop.get_token());
    EXPECT_EQ(StockSearch(byPosition, "UTF-8", {}, &progress).Find({"ㅅ", {}}, 0, -1).index, 0);
    EXPECT_EQ(progress.Stage(), LoadStage::Keying);
    stop.request_stop();
    EXPECT_THROW(StockSearch(byPosition, "UTF-8", {}, &progress), LoadCancelled);
}

TEST(StockSearchKeying, KeysMadeInARoomProvidedBeforehandOrInTheirOwnWhenItIsTooSmall)
{
    const STData records[] = {{"005930", "\xEC\x82\xBC", ""}, {"000660", "\xEA\xB0\x80", ""}};  // 삼, 가
    const std::vector<const STData*> byPosition{&records[1], &records[0]};
    for (const std::size_t roomFor : {std::size_t{2}, std::size_t{0}}) {
        StockSearch::KeyRoom room(roomFor);
        room.Provide(nullptr);
        StockSearch search(byPosition, "UTF-8", {}, nullptr, std::move(room));
        EXPECT_EQ(search.Find({"ㅅ", {}}, 0, -1).index, 1) << "room for " << roomFor;
        EXPECT_EQ(search.Find({"00066", {}}, 0, -1).index, 0) << "room for " << roomFor;
    }
}

}  // namespace
