#include "stockdata/ViewNodeAllocator.h"

#include "framework/core/MemoryPages.h"

#include <algorithm>
#include <utility>

std::byte* ViewNodePool::ReserveBlock(std::size_t bytes)
{
    constexpr std::size_t alignment = 64;
    blocks_.reserve(blocks_.size() + 1);
    blocks_.emplace_back(static_cast<std::byte*>(::operator new[](bytes, std::align_val_t(alignment))),
                         AlignedDelete{alignment});
    AdviseHugePages(blocks_.back().get(), bytes);
    pendingBytes_ = bytes;
    return blocks_.back().get();
}

void* ViewNodePool::AllocateElsewhere(std::size_t size, std::size_t alignment)
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
        blocks_.reserve(blocks_.size() + 1);
        blocks_.emplace_back(static_cast<std::byte*>(::operator new[](bytes, std::align_val_t(nodeAlignment_))),
                             AlignedDelete{nodeAlignment_});
        AdviseHugePages(blocks_.back().get(), bytes);
        next_ = blocks_.back().get();
        end_ = next_ + bytes;
        reserved_ = 0;
    }
    return std::exchange(next_, next_ + nodeSize_);
}
