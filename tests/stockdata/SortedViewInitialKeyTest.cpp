#include "stockdata/SortedView.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

std::vector<const STData*> Entries(const lstPST& view)
{
    return {view.begin(), view.end()};
}

// Runs in its own process: the key window must still be at its start value.
TEST(MakeSortedST, OtherSelectorsKeepTheKeyWindowAsItWas)
{
    vecST store;
    store.emplace_back("1", "Posco", " ");
    store.emplace_back("2", "Hanwha", " ");
    store.emplace_back("3", "Kia", " ");
    const std::vector<const STData*> storeOrder = {&store[0], &store[1], &store[2]};
    const std::vector<const STData*> nameOrder = {&store[1], &store[2], &store[0]};

    ASSERT_EQ(STKeyLength, 0);
    EXPECT_EQ(Entries(MakeSortedST(store, 0)), storeOrder) << "no key chosen yet: everything compares equal";
    EXPECT_EQ(STKeyLength, 0);

    EXPECT_EQ(Entries(MakeSortedST(store, SortKeyName)), nameOrder);
    EXPECT_EQ(STKeyOffset, 10);
    EXPECT_EQ(STKeyLength, 38);

    EXPECT_EQ(Entries(MakeSortedST(store, 7)), nameOrder) << "the name key stays chosen";
    EXPECT_EQ(STKeyOffset, 10);
}

}  // namespace
