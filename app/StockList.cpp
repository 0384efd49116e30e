#include "app/StockList.h"

#include "framework/core/TextCodec.h"
#include "framework/gui/StdCtrls.h"

#include <algorithm>

LoadOptions ListLoad()
{
    // No more lines than the list can number, and room for the positions
    // and for the search, counted before the load commits. The placeholder
    // items repeat one text, which the list holds once: they cost nothing a
    // line.
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
    // The keys' fresh pages are cleared while the list's nodes are made,
    // on the core that leaves idle. 30M lines, the window's first
    // load: median 4013 -> 3751 ms over five paired runs (gui_bench).
    list.keyRoom.emplace(list.stocks.size());
    list.sorted = std::make_unique<lstPST>(MakeSortedST(list.stocks, SortKeyName, options.parallelism, &progress,
                                                        &list.byPosition, [&] { list.keyRoom->Provide(&progress); }));
    list.items.Add("NULL", static_cast<TStrings::Index>(list.byPosition.size()));
    return list;
}

StockSearch MakeStockSearch(StockList& list, LoadProgress& progress)
{
    if (!list.keyRoom)
        return {list.byPosition, DisplayCharset(), Parallelism::OfMachine(), &progress};
    StockSearch::KeyRoom room = std::move(*list.keyRoom);
    list.keyRoom.reset();
    return {list.byPosition, DisplayCharset(), Parallelism::OfMachine(), &progress, std::move(room)};
}
