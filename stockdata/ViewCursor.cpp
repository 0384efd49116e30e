#include "stockdata/ViewCursor.h"

#include <cstdlib>
#include <iterator>

void ViewCursor::Reset(const lstPST& view) noexcept
{
    view_ = &view;
    size_ = static_cast<std::ptrdiff_t>(view.size());
    position_ = view.begin();
    positionIndex_ = 0;
}

const STData* ViewCursor::At(std::ptrdiff_t index) noexcept
{
    if (view_ == nullptr || index < 0 || index >= size_)
        return nullptr;
    const std::ptrdiff_t fromFront = index;
    const std::ptrdiff_t fromBack = size_ - 1 - index;
    const std::ptrdiff_t fromHere = std::abs(index - positionIndex_);
    if (fromFront < fromHere && fromFront <= fromBack) {
        position_ = view_->begin();
        positionIndex_ = 0;
    } else if (fromBack < fromHere) {
        position_ = std::prev(view_->end());
        positionIndex_ = size_ - 1;
    }
    std::advance(position_, index - positionIndex_);
    positionIndex_ = index;
    return *position_;
}
