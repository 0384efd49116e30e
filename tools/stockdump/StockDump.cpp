#include "StockDump.h"

#include "ByteString.h"
#include "Exception.h"
#include "MasterFile.h"
#include "SortedView.h"

#include <cerrno>
#include <cstring>
#include <memory>
#include <new>
#include <string>

namespace {

constexpr std::size_t ChunkSize = 1 << 20;

// Appends a 0-terminated field; the terminator lies within the field's width.
template <std::size_t Width>
char* AppendField(char* out, const char (&field)[Width]) noexcept
{
    const std::size_t length = ::strnlen(field, Width);
    std::memcpy(out, field, length);
    return out + length;
}

bool WriteAll(std::FILE* out, const char* data, std::size_t size)
{
    return std::fwrite(data, 1, size, out) == size;
}

// Formats the view into large chunks, one write each.
bool WriteView(const lstPST& view, std::FILE* out)
{
    constexpr std::size_t lineMax = sizeof(STData::code) + sizeof(STData::name) + 1;
    const auto chunk = std::make_unique<char[]>(ChunkSize + lineMax);
    char* next = chunk.get();
    // The records lie anywhere in the store: ask for them a few entries
    // ahead of their turn, so their cache misses overlap.
    auto ahead = view.begin();
    for (int i = 0; i < 8 && ahead != view.end(); ++i)
        __builtin_prefetch(*ahead++);
    for (const STData* record : view) {
        if (ahead != view.end())
            __builtin_prefetch(*ahead++);
        next = AppendField(next, record->code);
        next = AppendField(next, record->name);
        *next++ = '\n';
        if (next - chunk.get() >= static_cast<std::ptrdiff_t>(ChunkSize)) {
            if (!WriteAll(out, chunk.get(), static_cast<std::size_t>(next - chunk.get())))
                return false;
            next = chunk.get();
        }
    }
    return WriteAll(out, chunk.get(), static_cast<std::size_t>(next - chunk.get())) && std::fflush(out) == 0;
}

}  // namespace

int StockDumpMain(int argc, const char* const* argv, std::FILE* out, std::FILE* err)
{
    if (argc != 2) {
        std::fprintf(err, "usage: stockdump FILE\n");
        return 2;
    }
    try {
        const vecST store = ReadMasterFile(ByteString(argv[1]));
        const lstPST view = MakeSortedST(store, SortKeyName);
        if (!WriteView(view, out)) {
            std::fprintf(err, "stockdump: cannot write output: %s\n", std::strerror(errno));
            return 1;
        }
        return 0;
    } catch (const Exception& e) {
        std::fprintf(err, "stockdump: %s\n", e.what());
    } catch (const std::bad_alloc&) {
        std::fprintf(err, "stockdump: out of memory\n");
    }
    return 1;
}
