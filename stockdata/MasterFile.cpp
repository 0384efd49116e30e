#include "stockdata/MasterFile.h"

#include "framework/core/ByteString.h"
#include "framework/core/Exception.h"
#include "framework/core/LineRule.h"
#include "framework/core/QuotedName.h"
#include "framework/core/RegularFile.h"
#include "framework/core/Translate.h"

#include <algorithm>
#include <cstring>
#include <functional>
#include <iterator>
#include <memory>
#include <numeric>
#include <optional>
#include <vector>

namespace {

constexpr std::size_t CodeWidth = 9;
constexpr std::size_t NameColumn = 10;
constexpr std::size_t NameWidth = 38;
// All of a line that becomes part of its record.
constexpr std::size_t UsedBytes = NameColumn - 1 + NameWidth;
constexpr const char* ExtraText = " ";

// Small enough to stay in the processor's caches. 1M lines, mixed,
// ReadMasterFile in process: 128 -> 256 KB 41.1 -> 39.3 ms, 512 -> 256 KB
// 39.6 -> 40.3 ms, RSS same.
constexpr std::size_t ReadChunk = std::size_t{256} << 10;
// Enough to hold a line end near where a cut is looked for, in most files.
constexpr std::size_t CutReadChunk = std::size_t{4} << 10;

std::string NotAMasterFile(std::size_t cap)
{
    // TRANSLATORS: why a stream or a /proc file cannot be read, after "cannot read file {0}: ".
    // {0}: the most megabytes a master file of no known size may hold, a number.
    return Tr("it reports no size and holds more than {0} MB: not a master file", std::to_string(cap >> 20));
}

SizelessLimit SizelessLimitOf(const LoadOptions& options)
{
    return {options.sizelessCap, NotAMasterFile};
}

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

// Gives a blank record (empty code and name, " " as the third text) the
// columns of `line` as SubString(1, 9) and SubString(10, 38) cut them.
void FillRecord(STData& record, std::string_view line) noexcept
{
    static_assert(sizeof(STData::code) > CodeWidth && sizeof(STData::name) > NameWidth);
    FillField(record.code, line.substr(0, CodeWidth));
    if (line.size() >= NameColumn)
        FillField(record.name, line.substr(NameColumn - 1, NameWidth));
}

// The bytes of a master file, however they are held: visit(chunk) is called
// for [from, to) in order while it returns true, with chunks of at most
// chunkSize bytes where they have to be read.
struct TextSource {
    using Visit = std::function<bool(std::string_view)>;
    std::size_t size;
    std::function<void(std::size_t from, std::size_t to, std::size_t chunkSize, const Visit& visit)> forEachChunk;
};

TextSource SourceOf(std::string_view text)
{
    // In chunks as from a file, so that a load looks for a stop as often.
    return {text.size(),
            [text](std::size_t from, std::size_t to, std::size_t chunkSize, const TextSource::Visit& visit) {
                for (; from < to; from += chunkSize)
                    if (!visit(text.substr(from, std::min(chunkSize, to - from))))
                        return;
            }};
}

TextSource SourceOf(const RegularFile& file)
{
    return {file.Size(), [&file](std::size_t from, std::size_t to, std::size_t chunkSize,
                                 const TextSource::Visit& visit) { file.ForEachChunk(from, to, chunkSize, visit); }};
}

// Where the first line that starts at or after `position` starts (the end
// of the text when none does, or when a stop was asked for). `position` > 0.
std::size_t LineStartFrom(const TextSource& source, std::size_t position, const LoadProgress* progress)
{
    // A line starts after the first line end at or after the byte before.
    const std::size_t from = position - 1;
    NextLineStart next;
    std::optional<std::size_t> start;
    const auto visit = [&](std::string_view chunk) {
        start = next.Feed(chunk);
        return !start && !StopRequested(progress);
    };
    // Lines are short: a small read nearly always finds the line end, and a
    // long line goes on in large reads.
    source.forEachChunk(from, std::min(source.size, from + CutReadChunk), CutReadChunk, visit);
    if (!start)
        source.forEachChunk(from + next.Fed(), source.size, ReadChunk, visit);
    return start ? from + *start : source.size;
}

// The text cut into `parts` ranges of whole lines, about equal in bytes.
std::vector<std::size_t> LineAlignedCuts(const TextSource& source, std::size_t parts, const LoadProgress* progress)
{
    std::vector<std::size_t> cuts{0};
    for (std::size_t part = 1; part < parts; ++part) {
        // A cut at or before the last one (in a short text) is that one.
        const std::size_t at = source.size * part / parts;
        cuts.push_back(at <= cuts.back() ? cuts.back() : LineStartFrom(source, at, progress));
    }
    cuts.push_back(source.size);
    return cuts;
}

// Counts the lines of [from, to); stops early, with a count of no use, once
// a stop is asked for.
std::size_t CountLinesIn(const TextSource& source, std::size_t from, std::size_t to, LoadProgress* progress)
{
    ChunkedLineCount counter;
    source.forEachChunk(from, to, ReadChunk, [&counter, progress](std::string_view chunk) {
        counter.Feed(chunk);
        Advance(progress, chunk.size());
        return !StopRequested(progress);
    });
    return counter.Lines();
}

// Makes records[0, count), storage of unmade records, from the lines of
// [from, to); returns how many lines there were. Where that differs from
// `count`, the text changed and some records may be left unmade: the caller
// must then throw the store away, as also once a stop is asked for.
std::size_t FillRecords(const TextSource& source, std::size_t from, std::size_t to, STData* records, std::size_t count,
                        LoadProgress* progress)
{
    static const STData blank("", "", ExtraText);
    std::size_t lines = 0;
    const auto fill = [&](std::string_view line) {
        if (lines < count)
            FillRecord(*std::construct_at(records + lines, blank), line);
        ++lines;
    };
    ChunkedLines splitter(UsedBytes);
    source.forEachChunk(from, to, ReadChunk, [&](std::string_view chunk) {
        splitter.Feed(chunk, fill);
        Advance(progress, chunk.size());
        return !StopRequested(progress);
    });
    splitter.Finish(fill);
    return lines;
}

// Steps over unmade records, so that a store is sized from a range of them
// in one step.
struct UnmadeRecordIterator {
    using iterator_category = std::forward_iterator_tag;
    using value_type = UnmadeRecord;
    using difference_type = std::ptrdiff_t;
    using pointer = const UnmadeRecord*;
    using reference = const UnmadeRecord&;

    std::size_t position;

    reference operator*() const noexcept { return unmade; }
    UnmadeRecordIterator& operator++() noexcept
    {
        ++position;
        return *this;
    }
    UnmadeRecordIterator operator++(int) noexcept { return {position++}; }
    bool operator==(const UnmadeRecordIterator&) const noexcept = default;

    static constexpr UnmadeRecord unmade{};
};

// A store of `lines` unmade records. Its pages are usually fresh: the threads
// that make the records have the kernel provide them, all at once. 1M lines:
// 83.4 -> 78.6 ms (mixed), 75.6 -> 70.6 ms (vocabulary), stockdump.
vecST UnmadeStore(std::size_t lines)
{
    return vecST(UnmadeRecordIterator{0}, UnmadeRecordIterator{lines});
}

// Runs work(piece) for every piece in [0, pieces) on `threads` threads, each
// taking the next piece not yet taken, until a stop is asked for.
template <class Work>
void ForEachPiece(std::size_t threads, std::size_t pieces, const LoadProgress* progress, Work&& work)
{
    PieceQueue queue(pieces);
    RunParts(threads, [&](std::size_t) {
        for (std::optional<std::size_t> piece; !StopRequested(progress) && (piece = queue.Take());)
            work(*piece);
    });
}

// Reads the master text in pieces of whole lines, several a thread, so that
// the threads share the work evenly: each piece counts its lines, then, once
// the store is sized, makes its records in place. The threads only stop at
// a stop request; the throw comes from here, once they have all ended.
vecST ReadRecords(const TextSource& source, const Parallelism& parallelism, const std::string& name,
                  const LoadLimits* limits, std::uint64_t heldBytes, LoadProgress* progress)
{
    // 1M lines, mixed, ReadMasterFile in process: 1 -> 8 pieces 23.9 -> 22.8 ms;
    // 4 -> 8 39.2 -> 38.9 ms, 16 -> 8 38.6 -> 38.6 ms, RSS same.
    constexpr std::size_t PiecesPerThread = 8;
    const std::size_t threads = parallelism.PartsFor(source.size);
    Begin(progress, LoadStage::Counting, source.size);
    const std::vector<std::size_t> cuts = LineAlignedCuts(source, threads == 1 ? 1 : threads * PiecesPerThread,
                                                          progress);
    const std::size_t pieces = cuts.size() - 1;
    std::vector<std::size_t> lines(pieces);
    ForEachPiece(threads, pieces, progress, [&](std::size_t piece) {
        lines[piece] = CountLinesIn(source, cuts[piece], cuts[piece + 1], progress);
    });
    ThrowIfStopped(progress);
    std::vector<std::size_t> firstLine(pieces + 1, 0);
    std::partial_sum(lines.begin(), lines.end(), firstLine.begin() + 1);
    if (limits != nullptr)
        AdmitLoad(name, firstLine.back(), heldBytes, *limits);

    vecST store = UnmadeStore(firstLine.back());
    STData* const records = store.data();
    // One counter a piece: threads never write to the same one.
    std::vector<std::size_t> filled(pieces);
    Begin(progress, LoadStage::Reading, source.size);
    ForEachPiece(threads, pieces, progress, [&](std::size_t piece) {
        filled[piece] = FillRecords(source, cuts[piece], cuts[piece + 1], records + firstLine[piece], lines[piece],
                                    progress);
    });
    ThrowIfStopped(progress);
    if (filled != lines)
        // TRANSLATORS: a master file changed under the load. {0}: the file's name in quotes.
        throw Exception(Tr("cannot read file {0}: it changed while it was read", QuotedName(name)));
    return store;
}

}  // namespace

vecST RecordsFromBytes(std::string_view text, const Parallelism& parallelism)
{
    return ReadRecords(SourceOf(text), parallelism, "", nullptr, 0, nullptr);
}

vecST ReadMasterFile(const ByteString& fileName, const LoadOptions& options)
{
    const RegularFile file{std::string(fileName.View())};
    if (file.Size() == 0) {
        const FileBytes bytes = file.ReadAll(SizelessLimitOf(options));
        return ReadRecords(SourceOf(bytes.View()), options.parallelism, file.Name(), &options.limits,
                           bytes.View().size(), options.progress);
    }
    // Read in small chunks that stay in the processor's caches, twice:
    // once to count the lines, so the store is allocated once at its final
    // size, and once to make the records. Reading the file twice from the
    // page cache costs less than holding all of it in fresh memory. 10M
    // lines: 1025 ms, 903 MiB peak RSS read twice; 1521 ms, 1272 MiB held
    // whole. 1M: 98 ms, 97 MiB; 102 ms, 131 MiB. Medians of 5 and 7 pairs,
    // 2 cores, 2026-12-10: /usr/bin/time -f %M build/release/tools/stockdump
    // on genmaster's files, each way in turn.
    return ReadRecords(SourceOf(file), options.parallelism, file.Name(), &options.limits, 0, options.progress);
}

vecST ReadMasterStream(int fd, const std::string& name, const LoadOptions& options)
{
    const FileBytes bytes = ReadStream(fd, name, SizelessLimitOf(options));
    return ReadRecords(SourceOf(bytes.View()), options.parallelism, name, &options.limits, bytes.View().size(),
                       options.progress);
}

vecST ReadMasterFile(const ByteString& fileName)
{
    return ReadMasterFile(fileName, LoadOptions());
}
