#pragma once

// A replacement for the global operator new, linked into one test binary,
// that can be told to fail: the test sweeps the point of failure across a
// piece of work to see that every lack of memory is handled.

// The `count`-th allocation from now throws std::bad_alloc (1: the next one);
// later ones succeed again. 0: none fails.
void FailAllocationsAfter(long count) noexcept;

// No allocation fails from now on; AllocationFailed still tells.
void StopFailingAllocations() noexcept;

// Whether the allocation asked to fail has failed since FailAllocationsAfter.
bool AllocationFailed() noexcept;
