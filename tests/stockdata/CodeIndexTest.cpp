#include "stockdata/CodeIndex.h"
#include "stockdata/CodeKeys.h"

#include "support/PlainReference.h"

#include <gtest/gtest.h>

#include <memory>
#include <optional>
#include <random>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace {

// A typed code, the position stepped on from, and what it should find.
struct FindRow {
    const char* means;
    TypedCode typed;
    int after;
    int found;
};

// A view of records given in view order, as the window holds it.
class CodeIndexTest : public testing::Test {
protected:
    void Build(const std::vector<std::string>& codes)
    {
        store_.clear();
        store_.reserve(codes.size());
        for (const std::string& code : codes)
            store_.emplace_back(code.c_str(), "name", "");
        byPosition_.clear();
        for (const STData& record : store_)
            byPosition_.push_back(&record);
        index_ = CodeIndex(byPosition_);
        keys_ = KeysOf(byPosition_);
        splitKeys_ = KeysOf(byPosition_, {.threads = 3, .minimumPerThread = 1});
    }

    static CodeKeys KeysOf(std::span<const STData* const> byPosition, const Parallelism& parallelism = {})
    {
        auto keys = std::make_unique<std::uint32_t[]>(byPosition.size());
        for (std::size_t i = 0; i < byPosition.size(); ++i)
            keys[i] = CodeKeys::KeyOf(*byPosition[i]);
        return CodeKeys(byPosition, std::move(keys), parallelism);
    }

    // The index, and the scan of the keys that stands in for it while it is
    // built, alike, whether one thread scans them or three share them out.
    void ExpectFinds(const std::vector<FindRow>& rows) const
    {
        for (const FindRow& row : rows) {
            EXPECT_EQ(index_.Find(row.typed, row.after), row.found) << row.means;
            EXPECT_EQ(keys_.Find(row.typed, row.after), row.found) << row.means << ", by the keys";
            EXPECT_EQ(splitKeys_.Find(row.typed, row.after), row.found) << row.means << ", by the keys in three parts";
        }
    }

    vecST store_;
    std::vector<const STData*> byPosition_;
    CodeIndex index_;
    CodeKeys keys_;
    CodeKeys splitKeys_;
};

TEST_F(CodeIndexTest, TypedDigitsFindTheSmallestCodeStartingWithThem)
{
    Build({"373220", "A005935", "000660", "005930", "A051910"});
    ExpectFinds({
        {"one digit", {.body = "0"}, -1, 2},
        {"digits that two codes start with", {.body = "005"}, -1, 3},
        {"a whole code with its letter", {.letter = 'A', .body = "005935"}, -1, 1},
        {"digits only one code starts with", {.body = "37"}, -1, 0},
        {"digits of a code stored with a letter", {.body = "05"}, -1, 4},
        {"a typed letter still finds codes stored without one", {.letter = 'A', .body = "00"}, -1, 2},
    });
}

TEST_F(CodeIndexTest, ATypedLetterFindsItsStoredLetterInEitherCase)
{
    Build({"B005930", "a000660", "A005380", "Q500001"});
    ExpectFinds({
        {"a capital letter finds a small one", {.letter = 'A', .body = "000"}, -1, 1},
        {"a small letter finds a capital one", {.letter = 'a', .body = "005"}, -1, 2},
        {"a small letter finds a small one", {.letter = 'a', .body = "0006"}, -1, 1},
        {"a capital letter finds a capital one", {.letter = 'Q', .body = "5"}, -1, 3},
        {"a small b finds B", {.letter = 'b', .body = "005"}, -1, 0},
        {"a letter no code is stored with finds nothing", {.letter = 'C', .body = "005"}, -1, -1},
    });
}

TEST_F(CodeIndexTest, EqualDigitsFindTheFirstInViewOrder)
{
    Build({"111111", "005930", "222222", "A005930", "005930"});
    ExpectFinds({
        {"the first of three", {.body = "00593"}, -1, 1},
        {"the one with a letter next", {.body = "00593"}, 1, 3},
        {"the last of three", {.body = "00593"}, 3, 4},
        {"a typed letter keeps view order", {.letter = 'A', .body = "005930"}, 1, 3},
    });
}

TEST_F(CodeIndexTest, CodesPaddedWithSpacesHaveEqualDigitsWithOrWithoutALetter)
{
    Build({"005930   ", "A005930  "});
    ExpectFinds({
        {"without a letter first in view", {.body = "005930"}, -1, 0},
        {"then the one with a letter", {.body = "005930"}, 0, 1},
    });
    Build({"A005930  ", "005930   "});
    ExpectFinds({
        {"with a letter first in view", {.body = "005930"}, -1, 0},
        {"then the one without", {.body = "005930"}, 0, 1},
    });
}

TEST_F(CodeIndexTest, DigitsNoCodeStartsWithFindNothing)
{
    Build({"005930", "A000660"});
    ExpectFinds({
        {"digits no code starts with", {.body = "1"}, -1, -1},
        {"longer than any code", {.body = "0059301"}, -1, -1},
        {"longer than the field", {.body = "0000000000"}, -1, -1},
        {"longer than a code with a letter can hold", {.letter = 'A', .body = "000660000"}, -1, -1},
        {"empty digits", {.body = ""}, -1, -1},
        {"a 0 byte after a digit", {.body = std::string_view("0\0", 2)}, -1, -1},
        {"a letter no code is stored with", {.letter = 'B', .body = "000"}, -1, -1},
        {"a letter that is no ASCII letter", {.letter = '1', .body = "005930"}, -1, -1},
    });
}

TEST_F(CodeIndexTest, AfterAPositionTheNextCodeInDigitOrderIsFoundUntilTheRunEnds)
{
    Build({"005935", "A005930", "100000", "005930", "005380"});
    // Digit order: 005380@4, 005930@1, 005930@3, 005935@0, 100000@2.
    ExpectFinds({
        {"the start of the run", {.body = "005"}, -1, 4},
        {"from the first to the second", {.body = "005"}, 4, 1},
        {"from the second to the third", {.body = "005"}, 1, 3},
        {"from the third to the fourth", {.body = "005"}, 3, 0},
        {"the last code starting 005", {.body = "005"}, 0, -1},
        {"a record before the run goes to its start", {.body = "0059"}, 4, 1},
        {"a record after the run finds nothing further", {.body = "0059"}, 2, -1},
        {"a typed letter steps on to codes without one", {.letter = 'A', .body = "005"}, 1, 3},
    });
}

TEST_F(CodeIndexTest, AnEmptyViewFindsNothing)
{
    Build({});
    EXPECT_EQ(index_.Find({.body = "0"}), -1);
    EXPECT_EQ(CodeIndex().Find({.letter = 'A', .body = "0"}), -1);
    EXPECT_EQ(keys_.Find({.body = "0"}), -1);
    EXPECT_EQ(CodeKeys().Find({.letter = 'A', .body = "0"}), -1);
}

TEST_F(CodeIndexTest, ManyRecordsAreAllFoundByTheirWholeCode)
{
    std::vector<std::string> codes;
    for (int i = 0; i < 5000; ++i)
        codes.push_back((i % 2 == 0 ? "A" : "") + std::to_string(100000 + (i * 7919) % 5000));
    Build(codes);
    for (int i = 0; i < 5000; ++i) {
        const std::optional<TypedCode> typed = TypedCode::From(codes[static_cast<std::size_t>(i)]);
        ASSERT_TRUE(typed.has_value()) << codes[static_cast<std::size_t>(i)];
        ASSERT_EQ(index_.Find(*typed), i) << codes[static_cast<std::size_t>(i)];
        ASSERT_EQ(keys_.Find(*typed), i) << codes[static_cast<std::size_t>(i)] << ", by the keys";
    }
}

// Few distinct bytes make long runs of equal digits and shared starts, with
// and without letters of either case; spaces pad, codes that fill their
// field differ only in the last byte, and other bytes must sort in their
// place: below a space, between it and the digits, after ASCII.
std::vector<std::string> RandomCodes(std::size_t count)
{
    std::mt19937 random(5);
    const std::vector<std::string> letters = {"", "A", "a", "Z", "O"};
    const std::string alphabet = "01 \x80\xFF!\x01";
    std::vector<std::string> codes;
    for (std::size_t i = 0; i < count; ++i) {
        std::string code = letters[random() % letters.size()] + "0";
        for (std::size_t length = code.size() + random() % 9; code.size() < length && code.size() < 9;)
            code += alphabet[random() % alphabet.size()];
        codes.push_back(code);
    }
    return codes;
}

// Stepping from one record to the next visits every one the typed code
// finds, in the index's order. A wrong index may step in a circle, so the
// walk stops one step past the records and fails.
template <class Finder>
std::vector<int> Visit(const Finder& finder, const TypedCode& typed, std::size_t records)
{
    std::vector<int> visited;
    for (int at = finder.Find(typed); at >= 0 && visited.size() <= records; at = finder.Find(typed, at))
        visited.push_back(at);
    return visited;
}

const std::vector<std::pair<const char*, TypedCode>> SteppingTypings = {
    {"digits alone find every code", {.body = "0"}},
    {"a small letter finds A, a and codes without a letter", {.letter = 'a', .body = "0"}},
    {"a letter and two digits", {.letter = 'Z', .body = "01"}},
    {"a letter in the group of another", {.letter = 'o', .body = "0"}},
    {"more digits than a key holds", {.body = "01010101"}},
};

TEST_F(CodeIndexTest, SteppingOrderMatchesAStableSortOfTheDigits)
{
    const std::vector<std::string> codes = RandomCodes(20000);
    Build(codes);
    const CodeIndex severalThreads(byPosition_, Parallelism{4, 1});
    for (const auto& [means, typed] : SteppingTypings) {
        const std::vector<int> expected = CodeOrderPlain(byPosition_, typed);
        EXPECT_EQ(Visit(index_, typed, codes.size()), expected) << means;
        EXPECT_EQ(Visit(severalThreads, typed, codes.size()), expected) << means << ", on several threads";
    }
}

// A scan per step: fewer records, the same kinds of code.
TEST_F(CodeIndexTest, SteppingByTheKeysMatchesAStableSortOfTheDigits)
{
    const std::vector<std::string> codes = RandomCodes(2000);
    Build(codes);
    for (const auto& [means, typed] : SteppingTypings)
        EXPECT_EQ(Visit(keys_, typed, codes.size()), CodeOrderPlain(byPosition_, typed)) << means;
}

}  // namespace
