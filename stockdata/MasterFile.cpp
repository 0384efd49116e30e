#include "MasterFile.h"

#include "ByteString.h"
#include "RegularFile.h"
#include "LineRule.h"
#include "MemoryPages.h"
#include "TStringList.h"

#include <algorithm>
#include <cstring>

namespace {

constexpr std::size_t CodeWidth = 9;
constexpr std::size_t NameColumn = 10;
constexpr std::size_t NameWidth = 38;
constexpr const char* ExtraText = " ";

// Small enough to stay in the processor's caches.
constexpr std::size_t ReadChunk = std::size_t{256} << 10;

// Copies `bytes` cut at their first 0 byte into a field that is all 0 bytes,
// which is what the record's bounded copy makes of them.
template <std::size_t Size>
void FillField(char (&field)[Size], std::string_view bytes) noexcept
{
    const void* zero = std::memchr(bytes.data(), '\0', bytes.size());
    const std::size_t length = zero != nullptr ? static_cast<std::size_t>(static_cast<const char*>(zero) - bytes.data())
                                               : bytes.size();
    std::memcpy(field, bytes.data(), length);
}

// Appends the record of `line`: the columns as SubString(1, 9) and
// SubString(10, 38) cut them, with " " as the third text.
void AppendRecord(vecST& store, std::string_view line)
{
    static_assert(sizeof(STData::code) > CodeWidth && sizeof(STData::name) > NameWidth);
    STData& record = store.emplace_back("", "", ExtraText);
    FillField(record.code, line.substr(0, CodeWidth));
    if (line.size() >= NameColumn)
        FillField(record.name, line.substr(NameColumn - 1, NameWidth));
}

// An empty store with room for `lines` records, in huge pages where it can.
vecST StoreFor(std::size_t lines)
{
    vecST store;
    store.reserve(lines);
    AdviseHugePages(store.data(), lines * sizeof(STData));
    return store;
}

}  // namespace

vecST RecordsFromBytes(std::string_view text)
{
    vecST store = StoreFor(CountLines(text));
    ForEachLine(text, [&store](std::string_view line) { AppendRecord(store, line); });
    return store;
}

vecST RecordsFromLines(const TStringList& lines)
{
    vecST store = StoreFor(static_cast<std::size_t>(lines.Count()));
    for (TStringList::Index i = 0; i < lines.Count(); ++i)
        AppendRecord(store, lines.Line(i));
    return store;
}

vecST ReadMasterFile(const ByteString& fileName)
{
    const RegularFile file{std::string(fileName.View())};
    if (file.Size() == 0)
        return RecordsFromBytes(file.ReadAll().View());

    // Two passes in small chunks that stay in the processor's caches: one
    // counts the lines, so the store is allocated once at its final size,
    // and one makes the records. Reading the file twice from the page cache
    // costs less than holding all of it in fresh memory.
    std::size_t lines = 0;
    const auto count = [&lines](std::string_view) { ++lines; };
    ChunkedLines counter(0);
    file.ForEachChunk(ReadChunk, [&](std::string_view chunk) { counter.Feed(chunk, count); });
    counter.Finish(count);

    vecST store = StoreFor(lines);
    const auto append = [&store](std::string_view line) { AppendRecord(store, line); };
    ChunkedLines splitter(NameColumn - 1 + NameWidth);
    file.ForEachChunk(ReadChunk, [&](std::string_view chunk) { splitter.Feed(chunk, append); });
    splitter.Finish(append);
    return store;
}
