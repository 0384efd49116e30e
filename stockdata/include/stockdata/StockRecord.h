#pragma once

#include "framework/core/MemoryPages.h"

#include <cstddef>
#include <cstdint>
#include <memory>
#include <new>
#include <type_traits>
#include <utility>
#include <vector>

// One stock as read from a master file line: three fixed-width byte-text
// fields in a plain 70-byte value. Each field is 0-terminated and 0-filled to
// its width, so equal texts have equal bytes and records compare with memcmp.
// Bytes are not characters: no code-page conversion, a double-byte character
// may be cut in half at a field's end.
struct RecStocks {
    char code[10];   // up to 9 bytes of text, byte 9 always 0
    char name[39];   // up to 38 bytes of text, byte 48 of the record always 0
    char extra[21];  // up to 20 bytes of text, byte 69 of the record always 0

    // Each argument a valid 0-terminated text (empty is fine), copied with
    // strncpy semantics: cut to the field, the rest of the field 0-filled.
    RecStocks(const char* codeText, const char* nameText, const char* extraText) noexcept;
};

// The form in which records are made and stored; it adds nothing to RecStocks.
struct STData : RecStocks {
    STData(const char* codeText, const char* nameText, const char* extraText) noexcept
        : RecStocks(codeText, nameText, extraText)
    {
    }
};

// Readers and the sort key rely on this exact layout.
static_assert(sizeof(RecStocks) == 70);
static_assert(sizeof(STData) == 70);
static_assert(offsetof(RecStocks, code) == 0);
static_assert(offsetof(RecStocks, name) == 10);
static_assert(offsetof(RecStocks, extra) == 49);

// Stands for a record not made yet: the reader sizes a store with these, then
// makes each record in place on the thread that reads its line.
struct UnmadeRecord {};

// Leaving storage unmade is sound only for records that need no constructor
// to be copied into it and no destructor to be freed.
static_assert(std::is_trivially_copyable_v<STData> && std::is_trivially_destructible_v<STData>);

// Allocates a large store in whole huge pages; a record "made" from
// UnmadeRecord is left as raw storage, every other element is made as usual.
// The huge pages, against operator new: stockdump, 1M lines 93 ms, 97.2 MiB
// peak RSS with them, 113 ms, 96.0 MiB without; 10M lines 800 ms and
// 1177 ms, 903 MiB either way. Medians of 11 and 5 pairs, each way in turn,
// 2 cores, 2026-12-10: /usr/bin/time -f %M build/release/tools/stockdump on
// genmaster's files. What leaving records unmade buys: UnmadeStore.
template <class T>
struct RecordStoreAllocator {
    using value_type = T;

    RecordStoreAllocator() = default;
    template <class U>
    RecordStoreAllocator(const RecordStoreAllocator<U>&) noexcept
    {
    }

    T* allocate(std::size_t n)
    {
        if (n > SIZE_MAX / sizeof(T))
            throw std::bad_array_new_length();
        return static_cast<T*>(AllocateLargeBlock(n * sizeof(T), alignof(T)));
    }
    void deallocate(T* p, std::size_t n) noexcept { FreeLargeBlock(p, n * sizeof(T), alignof(T)); }

    void construct(STData*, const UnmadeRecord&) noexcept {}
    template <class U, class... Args>
    void construct(U* at, Args&&... args)
    {
        std::construct_at(at, std::forward<Args>(args)...);
    }

    template <class U>
    friend bool operator==(const RecordStoreAllocator&, const RecordStoreAllocator<U>&) noexcept
    {
        return true;
    }
};

// The record store, in file order.
using vecST = std::vector<STData, RecordStoreAllocator<STData>>;
