#include "app/StockList.h"

#include "framework/gui/StdCtrls.h"

#include <algorithm>

LoadOptions ListLoad()
{
    // No more lines than the list can number, and room for the positions
    // and for the indexes built beside them, counted before the load
    // commits. The placeholder items repeat one text, which the list holds
    // once: they cost nothing a line.
    LoadOptions options;
    options.limits.maxLines = static_cast<std::size_t>(TStrings::MaxCount);
    options.limits.callerBytesPerLine = sizeof(const STData*) +
                                        std::max(StockSearch::BytesPerLine, StockSearch::BuildBytesPerLine);
    return options;
}

StockList ReadStockList(const ByteString& fileName, LoadProgress& progress)
{
    LoadOptions options = ListLoad();
    options.progress = &progress;
    StockList list;
    list.stocks = ReadMasterFile(fileName, options);
    list.sorted = std::make_unique<lstPST>(MakeSortedST(list.stocks, SortKeyName, options.parallelism, &progress));
    list.byPosition.reserve(list.sorted->size());
    // A stop is looked for every so many entries: a walk of 30M nodes takes
    // about 100 ms.
    constexpr std::size_t checkEvery = std::size_t{1} << 16;
    for (const STData* record : *list.sorted) {
        if (list.byPosition.size() % checkEvery == 0)
            progress.ThrowIfStopped();
        list.byPosition.push_back(record);
    }
    progress.Begin(LoadStage::Filling, list.byPosition.size());
    const ByteString placeholder("NULL");
    for (std::size_t i = 0; i < list.byPosition.size(); ++i) {
        if (i % checkEvery == 0) {
            progress.ThrowIfStopped();
            progress.Advance(std::min(checkEvery, list.byPosition.size() - i));
        }
        list.items.Add(placeholder);
    }
    return list;
}
