#include "stockdata/CodeIndex.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <numeric>
#include <random>
#include <string>
#include <vector>

namespace {

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
    }

    vecST store_;
    std::vector<const STData*> byPosition_;
    CodeIndex index_;
};

TEST_F(CodeIndexTest, APrefixFindsTheSmallestCodeStartingWithIt)
{
    Build({"373220", "005935", "000660", "005930", "051910"});
    EXPECT_EQ(index_.Find("0"), 2);
    EXPECT_EQ(index_.Find("005"), 3);
    EXPECT_EQ(index_.Find("005935"), 1);
    EXPECT_EQ(index_.Find("37"), 0);
    EXPECT_EQ(index_.Find("05"), 4);
}

TEST_F(CodeIndexTest, EqualCodesFindTheFirstInViewOrder)
{
    Build({"111111", "005930", "222222", "005930"});
    EXPECT_EQ(index_.Find("00593"), 1);
}

TEST_F(CodeIndexTest, APrefixNoCodeStartsWithFindsNothing)
{
    Build({"005930", "000660"});
    EXPECT_EQ(index_.Find("1"), -1);
    EXPECT_EQ(index_.Find("0059301"), -1) << "longer than any code";
    EXPECT_EQ(index_.Find("0000000000"), -1) << "longer than the field";
    EXPECT_EQ(index_.Find(""), -1);
    EXPECT_EQ(index_.Find(std::string_view("0\0", 2)), -1);
}

TEST_F(CodeIndexTest, AfterAPositionTheNextCodeInCodeOrderIsFoundUntilTheRunEnds)
{
    Build({"005935", "005930", "100000", "005930", "005380"});
    // Code order: 005380@4, 005930@1, 005930@3, 005935@0, 100000@2.
    EXPECT_EQ(index_.Find("005"), 4);
    EXPECT_EQ(index_.Find("005", 4), 1);
    EXPECT_EQ(index_.Find("005", 1), 3);
    EXPECT_EQ(index_.Find("005", 3), 0);
    EXPECT_EQ(index_.Find("005", 0), -1) << "the last code starting 005";
    EXPECT_EQ(index_.Find("0059", 4), 1) << "a record before the run goes to its start";
}

TEST_F(CodeIndexTest, AnEmptyViewFindsNothing)
{
    Build({});
    EXPECT_EQ(index_.Find("0"), -1);
    EXPECT_EQ(CodeIndex().Find("0"), -1);
}

TEST_F(CodeIndexTest, ManyRecordsAreAllFoundByTheirWholeCode)
{
    std::vector<std::string> codes;
    for (int i = 0; i < 5000; ++i)
        codes.push_back(std::to_string(100000 + (i * 7919) % 5000));
    Build(codes);
    for (int i = 0; i < 5000; ++i)
        ASSERT_EQ(index_.Find(codes[static_cast<std::size_t>(i)]), i);
}

TEST_F(CodeIndexTest, CodeOrderMatchesAStableSortOfTheCodeBytes)
{
    // Few distinct bytes make long runs of equal codes and shared starts;
    // codes of 9 bytes differ only in the last, and high bytes must sort
    // after ASCII ones.
    std::mt19937 random(5);
    const std::string alphabet = "01\x80\xFF";
    std::vector<std::string> codes;
    for (int i = 0; i < 20000; ++i) {
        std::string code = "0";
        for (std::size_t length = 1 + random() % 9; code.size() < length;)
            code += alphabet[random() % alphabet.size()];
        codes.push_back(code);
    }
    Build(codes);
    std::vector<int> expected(codes.size());
    std::iota(expected.begin(), expected.end(), 0);
    std::ranges::stable_sort(expected, [&](int a, int b) {
        return std::memcmp(store_[a].code, store_[b].code, sizeof(STData::code)) < 0;
    });
    // Every code starts with "0": stepping from one record to the next such
    // one visits all of them in the index's order. A wrong index may step in
    // a circle, so the walk stops one step past the records and fails.
    const auto visit = [&codes](const CodeIndex& index) {
        std::vector<int> visited;
        for (int at = index.Find("0"); at >= 0 && visited.size() <= codes.size(); at = index.Find("0", at))
            visited.push_back(at);
        return visited;
    };
    EXPECT_EQ(visit(index_), expected);
    EXPECT_EQ(visit(CodeIndex(byPosition_, Parallelism{4, 1})), expected) << "several threads";
}

}  // namespace
