#pragma once

#include "framework/core/ByteString.h"
#include "framework/core/TStringList.h"
#include "stockdata/LoadProgress.h"
#include "stockdata/MasterFile.h"
#include "stockdata/SortedView.h"
#include "stockdata/StockSearch.h"

#include <memory>
#include <optional>
#include <vector>

// Everything the window shows of one master file, made in one go away from
// the GUI thread and then taken over whole: the store, the name-ordered view
// over it, its records by position, the room for the search's keys and the
// list's placeholder items, one "NULL" per record; the search over them is
// made after the list shows (MakeStockSearch). The view, the positions and
// the search point into the store and the positions: moving the vectors
// keeps their buffers, so they stay valid when taken over.
struct StockList {
    vecST stocks;
    std::unique_ptr<lstPST> sorted;
    // The view's records by position, for what needs any entry at once:
    // painting, a search, a screen reader asking for any row.
    std::vector<const STData*> byPosition;
    // Until the search is made in it.
    std::optional<StockSearch::KeyRoom> keyRoom;
    StockSearch search;
    TStringList items;
};

// The memory a list needs per line beyond the load's own, for its admission:
// the positions and the search, at most while its code index is built.
LoadOptions ListLoad();

// Reads `fileName` and makes its list, reporting to `progress`. Throws what
// the reader throws, and LoadCancelled once `progress` is asked to stop.
// Only one runs at a time: the view's key window is shared.
StockList ReadStockList(const ByteString& fileName, LoadProgress& progress);

// The search over `list`'s positions, its keys made in the list's room,
// which it takes; it finds codes by a scan until its code index is added.
// Reports to `progress`; throws what StockSearch throws.
StockSearch MakeStockSearch(StockList& list, LoadProgress& progress);
