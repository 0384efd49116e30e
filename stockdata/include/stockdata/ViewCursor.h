#pragma once

#include "stockdata/SortedView.h"

#include <cstddef>

// Finds entry i of a view without walking it from the front every time: it
// starts from the front, the back or the entry found last, whichever is
// nearest, so painting neighbouring rows costs the same anywhere in a list of
// a million. It reads the view only; Reset it whenever the view is replaced.
class ViewCursor {
public:
    ViewCursor() = default;
    explicit ViewCursor(const lstPST& view) noexcept { Reset(view); }

    void Reset(const lstPST& view) noexcept;

    // The record of entry `index` (from 0), or null when the view has no
    // such entry or there is no view.
    const STData* At(std::ptrdiff_t index) noexcept;

private:
    const lstPST* view_ = nullptr;
    std::ptrdiff_t size_ = 0;
    lstPST::const_iterator position_;
    std::ptrdiff_t positionIndex_ = 0;
};
