#pragma once

#include "framework/core/ByteString.h"
#include "framework/core/TStringList.h"
#include "stockdata/LoadProgress.h"
#include "stockdata/MasterFile.h"
#include "stockdata/SortedView.h"
#include "stockdata/StockSearch.h"

#include <memory>
#include <vector>

// Everything the window shows of one master file, made in one go away from
// the GUI thread and then taken over whole: the store, the name-ordered view
// over it, its records by position and the list's placeholder items, one
// "NULL" per record. The view and the positions point into the store:
// moving the vectors keeps their buffers, so they stay valid when taken over.
struct StockList {
    vecST stocks;
    std::unique_ptr<lstPST> sorted;
    // The view's records by position, for what needs any entry at once:
    // painting, a search, a screen reader asking for any row.
    std::vector<const STData*> byPosition;
    TStringList items;
};

// The memory a list needs per line beyond the load's own, for its admission:
// the positions and the search's indexes while they are built.
LoadOptions ListLoad();

// Reads `fileName` and makes its list, reporting to `progress`. Throws what
// the reader throws, and LoadCancelled once `progress` is asked to stop.
// Only one runs at a time: the view's key window is shared. The search's
// indexes are built after it (StockSearch), so that the list shows first.
StockList ReadStockList(const ByteString& fileName, LoadProgress& progress);
