#pragma once

#include "stockdata/LoadProgress.h"
#include "stockdata/Parallel.h"
#include "stockdata/StockRecord.h"
#include "stockdata/ViewNodeAllocator.h"

#include <atomic>
#include <functional>
#include <list>
#include <vector>

// An ordered view over a record store: pointers into one vecST, which it does
// not own. It is valid only while that store lives unchanged; appending to,
// shrinking or destroying the store invalidates it. Its nodes come from one
// pool owned with the list rather than from an allocation each.
using lstPST = std::list<const STData*, ViewNodeAllocator<const STData*>>;

// Sort key selectors. Only the name key exists; any other selector leaves the
// key window as it was.
inline constexpr int SortKeyName = 4;

// The key window: byte offset and length of the sort key inside a record.
// Both start at 0, so every pair compares equal until a key is chosen; once
// MakeSortedST has chosen the name key it stays chosen. MakeSortedST sets
// them on the thread that runs it, a load's, while comparisons may read
// them on any other: atomic, so that choosing the key again, to the value it
// already has, is no data race.
extern std::atomic<int> STKeyOffset;
extern std::atomic<int> STKeyLength;

// True when a's key bytes are less than b's, compared as unsigned bytes.
struct LessST {
    bool operator()(const STData* a, const STData* b) const noexcept;
};

// A view with one pointer per record of `store`, sorted stably by the key
// that `key` selects: records with equal keys keep their store order. The
// store is not changed; the caller owns the list, and must keep the store
// alive and unchanged while using it. Throws std::bad_alloc on lack of
// memory, and its std::bad_array_new_length past 2^32 - 1 records (a store
// of 300 GB).
lstPST MakeSortedST(const vecST& store, int key);

// The same, spread over threads as `parallelism` allows; every thread has
// ended when it returns. With `progress`, reports the sort's stage and
// throws LoadCancelled once asked to stop. With `byPosition`, its contents
// are replaced by the view's records in view order as the nodes are made,
// for what needs any entry at once (30M lines: a walk of the list
// afterwards took 160 ms more). The nodes are made on one thread, in order:
// `spareWork`, when given and `parallelism` allows a second thread, runs on
// it meanwhile, and has ended when this returns; it may not run at all, so
// it is only what speeds later work.
lstPST MakeSortedST(const vecST& store, int key, const Parallelism& parallelism, LoadProgress* progress = nullptr,
                    std::vector<const STData*>* byPosition = nullptr, const std::function<void()>& spareWork = {});
