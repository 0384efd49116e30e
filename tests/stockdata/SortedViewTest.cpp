#include "stockdata/SortedView.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <numeric>
#include <optional>
#include <random>
#include <string>
#include <thread>
#include <vector>

namespace {

vecST StoreOfNames(const std::vector<std::string>& names)
{
    vecST store;
    for (std::size_t i = 0; i < names.size(); ++i)
        store.emplace_back(std::to_string(i).c_str(), names[i].c_str(), " ");
    return store;
}

// The store positions of the view's records, front to back.
std::vector<std::size_t> PositionsOf(const lstPST& view, const vecST& store)
{
    std::vector<std::size_t> positions;
    for (const STData* record : view) {
        EXPECT_TRUE(record >= store.data() && record < store.data() + store.size()) << "pointer outside the store";
        positions.push_back(static_cast<std::size_t>(record - store.data()));
    }
    return positions;
}

std::vector<std::size_t> ByNameOrder(const std::vector<std::string>& names)
{
    const vecST store = StoreOfNames(names);
    return PositionsOf(MakeSortedST(store, SortKeyName), store);
}

using Positions = std::vector<std::size_t>;

TEST(MakeSortedST, EmptyStoreGivesAnEmptyView)
{
    EXPECT_TRUE(MakeSortedST(vecST{}, SortKeyName).empty());
}

TEST(MakeSortedST, OrdersByRawNameBytes)
{
    EXPECT_EQ(ByNameOrder({"Kia", "Hanwha", "Doosan"}), (Positions{2, 1, 0}));
    EXPECT_EQ(ByNameOrder({"Samsung Electronics", "Samsung"}), (Positions{1, 0})) << "a prefix sorts first";
    EXPECT_EQ(ByNameOrder({"LG!", "LG ", "LG"}), (Positions{2, 1, 0})) << "a trailing space counts";
    EXPECT_EQ(ByNameOrder({"apple", "Zebra", "Apple"}), (Positions{2, 1, 0})) << "upper case before lower case";
    EXPECT_EQ(ByNameOrder({"\xBB\xEF\xBC\xBA", "zz", "\x7F"}), (Positions{1, 2, 0})) << "high bytes after ASCII";
    EXPECT_EQ(ByNameOrder({"Kia", "", "A"}), (Positions{1, 2, 0})) << "an empty name sorts first";
}

TEST(MakeSortedST, EqualNamesKeepStoreOrder)
{
    EXPECT_EQ(ByNameOrder({"Kia", "Posco", "Kia", "Doosan", "Kia"}), (Positions{3, 0, 2, 4, 1}));
}

TEST(MakeSortedST, PointsIntoTheStorePassedIn)
{
    const vecST store = StoreOfNames({"b", "a"});
    const lstPST view = MakeSortedST(store, SortKeyName);
    EXPECT_EQ(view.front(), &store[1]);
    EXPECT_EQ(view.back(), &store[0]);
}

TEST(MakeSortedST, SpareWorkRunsBesideTheNodesOnlyWhenASecondThreadIsAllowed)
{
    const vecST store = StoreOfNames({"c", "a", "b"});
    const Positions expected{1, 2, 0};
    for (const unsigned threads : {1U, 2U}) {
        std::optional<std::thread::id> ranOn;
        const lstPST view = MakeSortedST(store, SortKeyName, Parallelism{threads, 1}, nullptr, nullptr,
                                         [&] { ranOn = std::this_thread::get_id(); });
        EXPECT_EQ(PositionsOf(view, store), expected) << threads << " threads";
        if (threads == 1)
            EXPECT_FALSE(ranOn) << "no thread to spare";
        else
            EXPECT_TRUE(ranOn && *ranOn != std::this_thread::get_id()) << "beside the thread that makes the nodes";
    }
}

TEST(MakeSortedST, MatchesAStableSortOfTheNameBytesOnRandomStores)
{
    std::mt19937 random(20261207);
    // A small alphabet makes many equal names and shared prefixes.
    const std::string alphabet = std::string("ab ") + "\x01\x7F\x80\xFF";
    for (int round = 0; round < 50; ++round) {
        std::vector<std::string> names(random() % 300);
        for (std::string& name : names) {
            name.resize(random() % 42);
            for (char& byte : name)
                byte = alphabet[random() % alphabet.size()];
        }
        const vecST store = StoreOfNames(names);
        Positions expected(store.size());
        std::iota(expected.begin(), expected.end(), 0);
        std::stable_sort(expected.begin(), expected.end(), [&](std::size_t a, std::size_t b) {
            return std::memcmp(store[a].name, store[b].name, 38) < 0;
        });
        EXPECT_EQ(PositionsOf(MakeSortedST(store, SortKeyName), store), expected) << "round " << round;
    }
}

}  // namespace
