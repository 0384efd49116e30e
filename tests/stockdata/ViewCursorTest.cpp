#include "stockdata/ViewCursor.h"

#include <gtest/gtest.h>

#include <iterator>
#include <random>
#include <string>

namespace {

TEST(ViewCursor, FindsEveryEntryInAnyOrder)
{
    vecST store;
    for (int i = 0; i < 500; ++i)
        store.emplace_back("", std::to_string((i * 7919) % 500).c_str(), " ");
    const lstPST view = MakeSortedST(store, SortKeyName);
    ViewCursor cursor(view);
    std::mt19937 random(7);
    for (int step = 0; step < 5000; ++step) {
        const auto index = static_cast<std::ptrdiff_t>(random() % 500);
        ASSERT_EQ(cursor.At(index), *std::next(view.begin(), index)) << "step " << step;
    }
}

TEST(ViewCursor, HasNoEntryOutsideTheView)
{
    ViewCursor none;
    EXPECT_EQ(none.At(0), nullptr);
    vecST store;
    store.emplace_back("1", "Kia", " ");
    const lstPST view = MakeSortedST(store, SortKeyName);
    ViewCursor cursor(view);
    EXPECT_EQ(cursor.At(-1), nullptr);
    EXPECT_EQ(cursor.At(1), nullptr);
    EXPECT_EQ(cursor.At(0), &store[0]);
    const lstPST empty;
    cursor.Reset(empty);
    EXPECT_EQ(cursor.At(0), nullptr);
}

}  // namespace
