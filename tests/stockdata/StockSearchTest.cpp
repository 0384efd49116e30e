#include "framework/core/HangulInitials.h"
#include "framework/core/TextCodec.h"
#include "stockdata/CodeIndex.h"
#include "stockdata/InitialsIndex.h"
#include "stockdata/MasterFile.h"
#include "stockdata/SortedView.h"
#include "stockdata/StockSearch.h"
#include "support/PickingStocks.h"

#include <gtest/gtest.h>

#include <stop_token>
#include <string>
#include <vector>

using namespace std::string_literals;

namespace {

const std::string LgChemField = "LG Chem" + std::string(31, ' ');

struct Typed {
    const char* means;
    std::string typed;
    int startIndex;
    int picked;
    int found;
};

class StockSearchFind : public testing::Test {
protected:
    explicit StockSearchFind(const std::string& master = PickingMaster) : store_(RecordsFromBytes(master)) {}

    // Each row, as the search answers when the list shows, codes found by a
    // scan, and once its code index is added.
    void Expect(const std::vector<Typed>& rows)
    {
        StockSearch indexed(byPosition_, "UTF-8");
        indexed.AddCodeIndex(CodeIndex(byPosition_));
        for (const Typed& row : rows) {
            EXPECT_EQ(search_.Find(row.typed, row.startIndex, row.picked), row.found) << row.means;
            EXPECT_EQ(indexed.Find(row.typed, row.startIndex, row.picked), row.found) << row.means << ", indexed";
        }
    }

    vecST store_;
    lstPST sorted_ = MakeSortedST(store_, SortKeyName);
    std::vector<const STData*> byPosition_{sorted_.begin(), sorted_.end()};
    StockSearch search_{byPosition_, "UTF-8"};
};

TEST_F(StockSearchFind, NamesByTheirStartByteForByte)
{
    Expect({
        {"a name's start finds the first name with it", "Sam", 0, -1, Samsung005930},
        {"a space is a byte like any other", "LG E", 0, -1, LgEnergy},
        {"a capital finds capitals, a letter alone no code", "K", 0, -1, Kia},
        {"a small letter finds small letters", "k", 0, -1, SmallKia},
        {"no other case", "samsung", 0, -1, -1},
        {"Hangul, byte for byte", "셀", 0, -1, Celltrion},
        {"a start no name has finds nothing", "Zeta", 0, -1, -1},
        {"more than a whole name finds nothing", "Kiax", 0, -1, -1},
        {"a space past a name's end is no padding of it", "Kia ", 0, -1, -1},
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
TEST_F(StockSearchFind, CodesByTheirStartInCodeOrder)
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
        {"from a start index, the next code after the entry before it, not the next entry", "0", 1, -1, SkHynix},
        {"from a start index, equal codes in list order", "0", 5, -1, SamsungHangul},
        {"from a start index, the next code even higher up the list", "0", 9, -1, Samsung005935},
        {"past the last code with it, the smallest again", "0", 10, -1, Kia},
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

TEST_F(StockSearchCodes, DigitsFindCodesWithOrWithoutALetterAndALetterAndDigitsANameFirst)
{
    Expect({
        {"digits find a code stored with a letter", "500001", 0, -1, E1},
        {"a digit finds the smallest digits, whatever the letter", "0", 0, -1, K2Korea},
        {"equal digits, with a letter or without, in list order", "005930", 0, -1, Samsung},
        {"from a start index, equal digits in list order", "0", Samsung + 1, -1, SamsungA},
        {"from a start index, the next digits after them", "0", SamsungA + 1, -1, SevenEleven},
        {"a typed letter finds its code", "A500001", 0, -1, E1},
        {"a typed letter is ignored against a code stored without one", "A100790", 0, -1, Mirae},
        {"a typed letter must match a stored one", "Q500001", 0, -1, -1},
        {"a small typed letter finds its capital stored", "a500001", 0, -1, E1},
        {"a capital typed letter finds a small one stored", "Z900001", 0, -1, SmallZ},
        {"a typed letter in the other case is still no other letter", "q500001", 0, -1, -1},
        {"a name compares bytes, capitals count: e1 is no name, so a code", "e1", 0, -1, ETrade},
        {"past the last name a letter and digits start, the first of them again, not a code", "E1", E1 + 1, -1, E1},
        {"a letter and digits is a name first, not the code starting with 1", "E1", 0, -1, E1},
        {"a letter and a digit that no code has", "K2", 0, -1, K2Korea},
        {"digits that start no code are a name", "7", 0, -1, SevenEleven},
    });
    EXPECT_EQ(search_.Find("0", SamsungA + 1, -1, StockSearch::Step::NewSearch), K2Korea)
        << "a new search from a row, as in the open list, finds the smallest digits";
}

TEST_F(StockSearchFind, HangulInitialsFromTheStartIndexOrThePickedStockWrapping)
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
    });
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
    DisplayCodec cp949("CP949");
    const auto find = [&](const std::string& typed) { return search.Find(*cp949.Encode(typed), 0, -1); };
    EXPECT_EQ(find("ㅅ"), 0);
    EXPECT_EQ(find(Repeated("ㅅ", 12) + "ㄱ"), 0);
    EXPECT_EQ(find(Repeated("ㅅ", 13)), 1) << "the first's 13th syllable breaks the match";
    EXPECT_EQ(find(Repeated("ㅅ", 19)), 2);
    EXPECT_EQ(find(Repeated("ㅅ", 20)), -1) << "more initials than syllables";
}

TEST(InitialsIndexBuild, ReportsTheIndexingStageAndStopsWhenAsked)
{
    const STData record("1", "\xEC\x82\xBC", "");  // 삼
    const std::vector<const STData*> byPosition{&record};
    std::stop_source stop;
    LoadProgress progress(stop.get_token());
    EXPECT_EQ(InitialsIndex(byPosition, "UTF-8", {}, &progress).Find(TypedInitials("ㅅ"), 0, 1), 0);
    EXPECT_EQ(progress.Stage(), LoadStage::Keying);
    stop.request_stop();
    EXPECT_THROW(InitialsIndex(byPosition, "UTF-8", {}, &progress), LoadCancelled);
}

}  // namespace
