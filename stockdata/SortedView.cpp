#include "SortedView.h"

#include <cstring>

int STKeyOffset = 0;
int STKeyLength = 0;

bool LessST::operator()(const STData* a, const STData* b) const noexcept
{
    const auto* aBytes = reinterpret_cast<const unsigned char*>(static_cast<const RecStocks*>(a));
    const auto* bBytes = reinterpret_cast<const unsigned char*>(static_cast<const RecStocks*>(b));
    return std::memcmp(aBytes + STKeyOffset, bBytes + STKeyOffset, static_cast<std::size_t>(STKeyLength)) < 0;
}

lstPST MakeSortedST(const vecST& store, int key)
{
    lstPST view;
    for (const STData& record : store)
        view.push_back(&record);
    if (key == SortKeyName) {
        STKeyOffset = static_cast<int>(offsetof(RecStocks, name));
        STKeyLength = static_cast<int>(sizeof(RecStocks::name) - 1);
    }
    view.sort(LessST{});
    return view;
}
