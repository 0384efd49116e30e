#include "stockdata/ViewNodeAllocator.h"

#include "framework/core/MemoryPages.h"

#include <algorithm>
#include <new>
#include <utility>

std::byte* ViewNodePool::NewBlock(std::size_t bytes, std::size_t alignment)
{
    blocks_.reserve(blocks_.size() + 1);
    blocks_.emplace_back(static_cast<std::byte*>(AllocateLargeBlock(bytes, alignment)), BlockDelete{bytes, alignment});
    return blocks_.back().get();
}

std::byte* ViewNodePool::ReserveBlock(std::size_t bytes)
{
    std::byte* const block = NewBlock(bytes, 64);
    pendingBytes_ = bytes;
    return block;
}

void* ViewNodePool::Allocate(std::size_t size, std::size_t alignment)
{
    if (nodeSize_ == 0) {
        nodeSize_ = std::max(size, sizeof(FreeNode));
        nodeAlignment_ = std::max(alignment, alignof(FreeNode));
        nodeSize_ = (nodeSize_ + nodeAlignment_ - 1) / nodeAlignment_ * nodeAlignment_;
        if (pendingBytes_ != 0 && nodeAlignment_ <= 64) {
            next_ = blocks_.back().get();
            end_ = next_ + pendingBytes_ / nodeSize_ * nodeSize_;
            reserved_ = 0;
        }
    }
    if (size > nodeSize_ || alignment > nodeAlignment_)
        return ::operator new(size, std::align_val_t(alignment));
    if (free_ != nullptr)
        return std::exchange(free_, free_->next);
    if (next_ == end_) {
        const std::size_t count = std::max<std::size_t>(reserved_, 64);
        const std::size_t bytes = count * nodeSize_;
        next_ = NewBlock(bytes, nodeAlignment_);
        end_ = next_ + bytes;
        reserved_ = 0;
    }
    return std::exchange(next_, next_ + nodeSize_);
}

void ViewNodePool::Deallocate(void* node, std::size_t size, std::size_t alignment) noexcept
{
    if (size > nodeSize_ || alignment > nodeAlignment_)
        ::operator delete(node, std::align_val_t(alignment));
    else
        free_ = ::new (node) FreeNode{free_};
}
