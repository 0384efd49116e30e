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
#include <vector>

namespace {

// Entries formatted by one thread at a time; their text stays in the caches.
constexpr std::size_t ChunkEntries = std::size_t{1} << 14;
constexpr std::size_t LineMax = sizeof(STData::code) + sizeof(STData::name) + 1;

// Appends a 0-terminated field; the terminator lies within the field's width.
template <std::size_t Width>
char* AppendField(char* out, const char (&field)[Width]) noexcept
{
    const std::size_t length = ::strnlen(field, Width);
    std::memcpy(out, field, length);
    return out + length;
}

// Formats the entries [from, to) as lines into `out`; returns their length.
std::size_t FormatLines(lstPST::const_iterator from, lstPST::const_iterator to, char* out) noexcept
{
    char* next = out;
    // The records lie anywhere in the store: ask for them a few entries
    // ahead of their turn, so their cache misses overlap.
    auto ahead = from;
    for (int i = 0; i < 8 && ahead != to; ++i)
        __builtin_prefetch(*ahead++);
    for (; from != to; ++from) {
        if (ahead != to)
            __builtin_prefetch(*ahead++);
        next = AppendField(next, (*from)->code);
        next = AppendField(next, (*from)->name);
        *next++ = '\n';
    }
    return static_cast<std::size_t>(next - out);
}

// Formats the view in rounds, each thread a chunk of entries into its own
// buffer, and writes each round's chunks in order, one write each.
bool WriteView(const lstPST& view, std::FILE* out, const Parallelism& parallelism)
{
    std::vector<lstPST::const_iterator> chunkStarts;
    std::size_t at = 0;
    for (auto entry = view.begin(); entry != view.end(); ++entry, ++at)
        if (at % ChunkEntries == 0)
            chunkStarts.push_back(entry);
    chunkStarts.push_back(view.end());
    const std::size_t chunks = chunkStarts.size() - 1;
    const std::size_t threads = parallelism.PartsFor(view.size());

    std::vector<std::unique_ptr<char[]>> buffers;
    for (std::size_t i = 0; i < std::min(threads, chunks); ++i)
        buffers.push_back(std::make_unique_for_overwrite<char[]>(ChunkEntries * LineMax));
    std::vector<std::size_t> lengths(buffers.size());
    for (std::size_t first = 0; first < chunks; first += buffers.size()) {
        const std::size_t round = std::min(buffers.size(), chunks - first);
        RunParts(round, [&](std::size_t part) {
            lengths[part] = FormatLines(chunkStarts[first + part], chunkStarts[first + part + 1], buffers[part].get());
        });
        for (std::size_t part = 0; part < round; ++part)
            if (std::fwrite(buffers[part].get(), 1, lengths[part], out) != lengths[part])
                return false;
    }
    return std::fflush(out) == 0;
}

}  // namespace

int StockDumpMain(int argc, const char* const* argv, std::FILE* out, std::FILE* err)
{
    if (argc != 2) {
        std::fprintf(err, "usage: stockdump FILE\n");
        return 2;
    }
    try {
        const LoadOptions options;
        const vecST store = ReadMasterFile(ByteString(argv[1]), options);
        const lstPST view = MakeSortedST(store, SortKeyName, options.parallelism);
        if (!WriteView(view, out, options.parallelism)) {
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
