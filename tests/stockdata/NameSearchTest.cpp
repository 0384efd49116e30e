#include "NameSearch.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <ostream>
#include <random>
#include <string>
#include <vector>

namespace {

// Pieces names are made of, in the names' bytes, and texts typed, in UTF-8.
struct Charset {
    const char* name;
    std::vector<std::string> pieces;
    std::vector<std::string> typed;
};

Charset Utf8()
{
    return {
        "UTF-8",
        {"삼성", "전자", "전", "자", "우", "a", "A", "b", "B", "ab", "AB", "aB", "x", " ", "1", "힣", "가", "각"},
        {"a", "A", "ab", "Ab", "AB", "b", "ba", "x", "전자", "전", "자", "삼성전", "a 전", "가", "힣", "1a", "abab"}};
}

Charset Cp949()
{
    // 갂 (81 41) and 갃 (81 61): trail bytes that read as A and a.
    return {"CP949",
            {"\xBB\xEF\xBC\xBA", "\xC0\xFC\xC0\xDA", "\xC0\xFC", "\xC0\xDA", "\xBF\xEC", "\x81\x41", "\x81\x61", "a",
             "A", "b", "B", "ab", "AB", "x", " ", "1", "\xB0\xA1", "\xB0\xA2"},
            {"a", "A", "ab", "Ab", "AB", "b", "x", "전자", "전", "자", "삼성전", "갂", "갃", "가", "a전", "A갂", "bA"}};
}

void PrintTo(const Charset& charset, std::ostream* out)
{
    *out << charset.name;
}

struct List {
    std::vector<STData> store;
    std::vector<const STData*> byPosition;
};

// `count` names of random pieces, some empty, some cut at 38 bytes, sorted
// by name as a view of the store is.
List RandomList(const Charset& charset, std::mt19937& random, std::size_t count)
{
    List list;
    list.store.reserve(count);
    for (std::size_t i = 0; i < count; ++i) {
        std::string name;
        const std::size_t pieces = random() % 8 == 0 ? 0 : 1 + random() % (random() % 4 == 0 ? 30 : 6);
        for (std::size_t p = 0; p < pieces; ++p)
            name += charset.pieces[random() % charset.pieces.size()];
        list.store.emplace_back("000000", name.c_str(), "");
    }
    for (const STData& record : list.store)
        list.byPosition.push_back(&record);
    std::ranges::stable_sort(list.byPosition, [](const STData* a, const STData* b) {
        return std::memcmp(a->name, b->name, sizeof(STData::name)) < 0;
    });
    return list;
}

// What FindContaining must answer: the first row in range that holds it.
int PlainFind(const List& list, const NameMatcher& matcher, const NamePattern& pattern, LetterCase letterCase, int from,
              int to)
{
    for (int row = std::max(from, 0); row < std::min<int>(to, static_cast<int>(list.byPosition.size())); ++row)
        if (matcher.Contains(NameOf(*list.byPosition[static_cast<std::size_t>(row)]), pattern, letterCase))
            return row;
    return -1;
}

class NameSearchTest : public testing::TestWithParam<Charset> {};

TEST_P(NameSearchTest, FindsWhatEveryRowReadInTurnFinds)
{
    const Charset& charset = GetParam();
    NameMatcher matcher(charset.name);
    std::mt19937 random(20240611);
    int found = 0;
    int checked = 0;
    for (int round = 0; round < 12; ++round) {
        const List list = RandomList(charset, random, 1 + random() % 300);
        const int n = static_cast<int>(list.byPosition.size());
        ASSERT_EQ(StoreOf(list.byPosition).data(), list.store.data());
        const NameCharacterIndex characters(list.byPosition, charset.name, {2, 1});
        for (const std::string& typed : charset.typed) {
            // As typed, and its last syllable still composing.
            std::vector<NamePattern> patterns = matcher.Patterns(TypedText{typed, {}});
            for (NamePattern& pattern : matcher.Patterns(TypedText{
                     typed.substr(0, typed.size() - 3), typed.size() >= 3 ? typed.substr(typed.size() - 3) : ""}))
                patterns.push_back(std::move(pattern));
            for (const NamePattern& pattern : patterns) {
                for (const LetterCase letterCase : {LetterCase::Exact, LetterCase::Either}) {
                    for (int pair = 0; pair < 6; ++pair) {
                        int from = static_cast<int>(random() % static_cast<unsigned>(n + 2)) - 1;
                        int to = static_cast<int>(random() % static_cast<unsigned>(n + 2));
                        if (pair == 0)
                            from = 0, to = n;
                        const int expected = PlainFind(list, matcher, pattern, letterCase, from, to);
                        found += expected != -1;
                        // Row by row; from the store on one thread and on
                        // several, after no, one or a few rows in list order.
                        const ContainsScan hows[] = {
                            {.store = {}, .parallelism = {}, .listRows = 4096},
                            {.store = list.store, .parallelism = {}, .listRows = 0},
                            {.store = list.store, .parallelism = {2, 1}, .listRows = 1},
                            {.store = list.store, .parallelism = {3, 1}, .listRows = 3},
                            {.store = list.store, .parallelism = {7, 1}, .listRows = 0},
                            {.store = {}, .parallelism = {}, .characters = &characters, .listRows = 4096},
                        };
                        for (const ContainsScan& how : hows) {
                            ++checked;
                            ASSERT_EQ(FindContaining(list.byPosition, matcher, pattern, letterCase, from, to, how),
                                      expected)
                                << "typed " << typed << ", from " << from << " to " << to << " of " << n << ", threads "
                                << how.parallelism.threads << ", list rows " << how.listRows
                                << (how.characters != nullptr ? ", indexed" : "");
                        }
                    }
                }
            }
        }
    }
    // The lists hold what is looked for often enough to tell.
    EXPECT_GT(found, checked / 5 / 4);
}

// Lists that hold common pieces in more names than the index lists for a
// character: those are found from the first row that holds them, the rare
// ones among the rows listed, on any number of threads.
TEST_P(NameSearchTest, FindsThroughTheCharacterIndexWhatEveryRowReadInTurnFinds)
{
    const Charset& charset = GetParam();
    NameMatcher matcher(charset.name);
    std::mt19937 random(20261209);
    const List list = RandomList(charset, random, 150'000);
    const int n = static_cast<int>(list.byPosition.size());
    int found = 0;
    for (const unsigned threads : {1U, 3U}) {
        const NameCharacterIndex characters(list.byPosition, charset.name, {threads, 1});
        const ContainsScan how{.store = list.store, .parallelism = {}, .characters = &characters, .listRows = 64};
        for (const std::string& typed : charset.typed) {
            for (const NamePattern& pattern : matcher.Patterns(TypedText{typed, {}})) {
                for (const LetterCase letterCase : {LetterCase::Exact, LetterCase::Either}) {
                    for (const int from : {0, static_cast<int>(random() % static_cast<unsigned>(n)), n - 10}) {
                        const int expected = PlainFind(list, matcher, pattern, letterCase, from, n);
                        found += expected != -1;
                        ASSERT_EQ(FindContaining(list.byPosition, matcher, pattern, letterCase, from, n, how), expected)
                            << "typed " << typed << ", from " << from << ", threads " << threads;
                    }
                }
            }
        }
    }
    EXPECT_GT(found, 0);
}

INSTANTIATE_TEST_SUITE_P(Charsets, NameSearchTest, testing::Values(Utf8(), Cp949()),
                         [](const testing::TestParamInfo<Charset>& param) {
                             return std::string(param.param.name) == "UTF-8" ? "Utf8" : "Cp949";
                         });

TEST(NameSearchStoreTest, IsTheRecordsOnlyWhenTheListHoldsThemAll)
{
    std::vector<STData> store;
    for (const char* name : {"b", "a", "c"})
        store.emplace_back("000000", name, "");
    EXPECT_EQ(StoreOf(std::vector<const STData*>{&store[1], &store[0], &store[2]}).data(), store.data());
    EXPECT_EQ(StoreOf(std::vector<const STData*>{&store[1], &store[0], &store[2]}).size(), 3U);
    EXPECT_TRUE(StoreOf(std::vector<const STData*>{&store[0], &store[2]}).empty());
    EXPECT_TRUE(StoreOf(std::vector<const STData*>{}).empty());
}

}  // namespace

// What narrows a search inside names, with buckets too full to list beside
// listed ones: a rare text is among few rows from its one name on; a pair
// of common characters that no name holds side by side is in no row; a
// text every name holds lists none.
TEST(NameCharacterIndexTest, NarrowsATextToTheRowsItsCharactersAndPairsReach)
{
    List list;
    constexpr std::size_t common = 70'000;  // more names than a bucket lists
    list.store.reserve(common + 1);
    for (std::size_t i = 0; i < common; ++i)
        list.store.emplace_back("000000", ("a" + std::to_string(i)).c_str(), "");
    list.store.emplace_back("000000", "zq Holdings", "");
    for (const STData& record : list.store)
        list.byPosition.push_back(&record);
    const NameCharacterIndex index(list.byPosition, "UTF-8", {2, 1});

    const auto rare = index.Candidates("zq");
    EXPECT_FALSE(rare.none);
    EXPECT_EQ(rare.from, common);
    ASSERT_TRUE(rare.among.has_value());
    EXPECT_TRUE(std::ranges::binary_search(*rare.among, static_cast<std::uint32_t>(common)));

    const auto frequent = index.Candidates("A");
    EXPECT_FALSE(frequent.none);
    EXPECT_EQ(frequent.from, 0U);
    EXPECT_FALSE(frequent.among.has_value()) << "every name holds it";

    EXPECT_TRUE(index.Candidates("0a").none) << "0 and a are in the first name, but never 0 before a";
}
