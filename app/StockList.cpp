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
    list.sorted = std::make_unique<lstPST>(MakeSortedST(list.stocks, SortKeyName, options.parallelism, &progress,
                                                        &list.byPosition));
    list.search = StockSearch(list.byPosition, DisplayCharset(), options.parallelism, &progress);
    list.items.Add("NULL", static_cast<TStrings::Index>(list.byPosition.size()));
    return list;
}
