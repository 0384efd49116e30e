#include "framework/core/TStringList.h"
#include "framework/core/TextCodec.h"
#include "genmaster/MasterGenerator.h"
#include "stockdata/MasterFile.h"
#include "stockdata/NameCharacterIndex.h"
#include "stockdata/SearchMatches.h"
#include "stockdata/SortedView.h"
#include "stockdata/StockSearch.h"

#include <benchmark/benchmark.h>

#include <filesystem>
#include <fstream>
#include <map>
#include <memory>
#include <string>
#include <vector>

namespace {

// A generated master file of `lines` lines, written once per run.
const std::string& MasterFile(std::int64_t lines)
{
    static std::map<std::int64_t, std::string> files;
    auto [it, added] = files.try_emplace(lines);
    if (added) {
        it->second =
            (std::filesystem::temp_directory_path() / ("stockdata-bench-" + std::to_string(lines) + ".dat")).string();
        MasterGenerator generator({.lines = static_cast<std::uint64_t>(lines)});
        std::string text;
        for (std::int64_t i = 0; i < lines; ++i)
            generator.AppendLine(text);
        std::ofstream(it->second, std::ios::binary) << text;
    }
    return it->second;
}

void ReportLines(benchmark::State& state)
{
    state.SetItemsProcessed(state.iterations() * state.range(0));
    state.counters["file_MB"] = static_cast<double>(std::filesystem::file_size(MasterFile(state.range(0)))) / 1e6;
}

void BM_ReadLines(benchmark::State& state)
{
    const std::string& file = MasterFile(state.range(0));
    for (auto _ : state) {
        TStringList lines;
        lines.LoadFromFile(file.c_str());
        benchmark::DoNotOptimize(lines.Count());
    }
    ReportLines(state);
}

void BM_MakeSortedView(benchmark::State& state)
{
    const vecST store = ReadMasterFile(MasterFile(state.range(0)).c_str());
    for (auto _ : state) {
        lstPST view = MakeSortedST(store, SortKeyName);
        benchmark::DoNotOptimize(view.front());
    }
    ReportLines(state);
}

void BM_WholeLoad(benchmark::State& state)
{
    const std::string& file = MasterFile(state.range(0));
    for (auto _ : state) {
        const vecST store = ReadMasterFile(file.c_str());
        lstPST view = MakeSortedST(store, SortKeyName);
        benchmark::DoNotOptimize(view.front());
    }
    ReportLines(state);
}

// A small master file's load, read, ordered and keyed for the search as
// the window's load does, on the machine's threads: the sizes around
// Parallelism's least work a thread, where starting a thread can cost more
// than it saves.
void BM_SmallLoad(benchmark::State& state)
{
    const std::string& file = MasterFile(state.range(0));
    const LoadOptions options;
    for (auto _ : state) {
        const vecST store = ReadMasterFile(ByteString(file.c_str()), options);
        std::vector<const STData*> byPosition;
        const lstPST view = MakeSortedST(store, SortKeyName, options.parallelism, nullptr, &byPosition);
        const StockSearch search(byPosition, "UTF-8", options.parallelism);
        benchmark::DoNotOptimize(&search);
    }
    ReportLines(state);
}

void BM_ReadMasterFile(benchmark::State& state)
{
    const std::string& file = MasterFile(state.range(0));
    for (auto _ : state) {
        vecST store = ReadMasterFile(file.c_str());
        benchmark::DoNotOptimize(store.data());
    }
    ReportLines(state);
}

// A list of `lines` mixed stocks in name order, the UTF-8 Hangul ones last,
// one rare name the very last, made in memory; one size at a time, as 30M lines take some 4 GB.
struct List {
    std::int64_t lines = 0;
    vecST store;
    lstPST view;
    std::vector<const STData*> byPosition;
};

const List& ListOf(std::int64_t lines)
{
    static std::unique_ptr<List> list;
    if (list && list->lines == lines)
        return *list;
    list.reset();
    auto made = std::make_unique<List>();
    made->lines = lines;
    {
        MasterGenerator generator({.lines = static_cast<std::uint64_t>(lines)});
        std::string text;
        text.reserve(static_cast<std::size_t>(lines) * 63);
        for (std::int64_t i = 1; i < lines; ++i)
            generator.AppendLine(text);
        // The last line, in file order and in name order, holds a text no
        // other name holds.
        std::string rare = "\xED\x9E\xA3 Zebra Holdings";  // 힣, the last syllable
        rare.resize(38, ' ');
        text += "999999   " + rare + "  0000000000KS\r\n";
        made->store = RecordsFromBytes(text);
    }
    made->view = MakeSortedST(made->store, SortKeyName);
    made->byPosition.assign(made->view.begin(), made->view.end());
    list = std::move(made);
    return *list;
}

// What the search's keying pass, the initials' and the codes' keys, adds to
// a load, on the machine's threads.
void BM_KeyStockSearch(benchmark::State& state)
{
    const List& list = ListOf(state.range(0));
    const std::string charset = DisplayCharset();
    for (auto _ : state) {
        StockSearch search(list.byPosition, charset);
        benchmark::DoNotOptimize(&search);
    }
    state.SetItemsProcessed(state.iterations() * state.range(0));
}

// One key of type-to-find by initials from the top of the list: those of
// the last name, whose first match lies among the Hangul names at the
// bottom (ㅎㄷ); nine, more than a byte an initial would hold in a key
// (에스케이하이닉스우); and ㅃ, which no name has, a scan of all.
void BM_FindInitials(benchmark::State& state, const char* typed)
{
    const List& list = ListOf(state.range(0));
    StockSearch search(list.byPosition, DisplayCharset());
    int found = -1;
    for (auto _ : state) {
        found = search.Find(TypedText{typed, {}}, 0, -1).index;
        benchmark::DoNotOptimize(found);
    }
    state.counters["found_at"] = found;
}

// What the code index adds to a load, on the machine's threads.
void BM_BuildCodeIndex(benchmark::State& state)
{
    const List& list = ListOf(state.range(0));
    for (auto _ : state) {
        CodeIndex index(list.byPosition);
        benchmark::DoNotOptimize(&index);
    }
    state.SetItemsProcessed(state.iterations() * state.range(0));
}

// One key of type-to-find by code from `startIndex`: a digit, whose run
// holds a tenth of the codes; a whole code; a market letter, which codes
// stored without one match; a digit again from the middle of the list,
// stepping on; and digits no code starts with, which go on to the names.
// In the code index, or by a scan of the keys that stand in for it while it
// is built, on the machine's threads or on one.
enum class Codes { ByIndex, ByScan, ByScanOnOneThread };
void BM_FindCode(benchmark::State& state, const char* typed, bool fromMiddle, Codes codes)
{
    const List& list = ListOf(state.range(0));
    StockSearch search(list.byPosition, DisplayCharset(),
                       codes == Codes::ByScanOnOneThread ? Parallelism{.threads = 1, .minimumPerThread = 1}
                                                         : Parallelism::OfMachine());
    if (codes == Codes::ByIndex)
        search.AddCodeIndex(CodeIndex(list.byPosition));
    const int startIndex = fromMiddle ? static_cast<int>(state.range(0) / 2) : 0;
    int found = -1;
    for (auto _ : state) {
        found = search.Find(TypedText{typed, {}}, startIndex, -1).index;
        benchmark::DoNotOptimize(found);
    }
    state.counters["found_at"] = found;
}

// How a search for a name that holds a text reads the names.
enum class ReadNames { OneThread, AllThreads, ThroughCharacterIndex };

// One key of type-to-find for a name that holds a text, from the top of the
// list: one only the last name holds, in file order too (Zebra); one of the
// Hangul names at the bottom (전자); and a Latin pair most names near the
// top hold (ot).
void BM_FindContaining(benchmark::State& state, const char* typed, ReadNames how)
{
    const List& list = ListOf(state.range(0));
    StockSearch search(list.byPosition, DisplayCharset(),
                       how == ReadNames::OneThread ? Parallelism{.threads = 1, .minimumPerThread = 1}
                                                   : Parallelism::OfMachine());
    search.AddCodeIndex(CodeIndex(list.byPosition));
    if (how == ReadNames::ThroughCharacterIndex)
        search.AddCharacterIndex(NameCharacterIndex(list.byPosition, DisplayCharset()));
    // The first search finds the store.
    int found = search.Find(TypedText{typed, {}}, 0, -1).index;
    for (auto _ : state) {
        found = search.Find(TypedText{typed, {}}, 0, -1).index;
        benchmark::DoNotOptimize(found);
    }
    state.counters["found_at"] = found;
}

// Every match of a text, counted a step at a time as the open list counts
// them, with every index built: most names (a), about a thousandth
// (Celltrion Bio), and the last name only (Zebra).
void BM_CountMatches(benchmark::State& state, const char* typed)
{
    const List& list = ListOf(state.range(0));
    StockSearch search(list.byPosition, DisplayCharset());
    search.AddCodeIndex(CodeIndex(list.byPosition));
    search.AddCharacterIndex(NameCharacterIndex(list.byPosition, DisplayCharset()));
    int count = 0;
    for (auto _ : state) {
        SearchMatches matches = search.Matches(TypedText{typed, {}});
        while (!matches.Complete())
            matches.FindMore(1 << 16);
        count = matches.Count();
    }
    state.counters["matches"] = count;
}

void BM_BuildCharacterIndex(benchmark::State& state)
{
    const List& list = ListOf(state.range(0));
    for (auto _ : state) {
        const NameCharacterIndex index(list.byPosition, DisplayCharset());
        benchmark::DoNotOptimize(&index);
    }
}

}  // namespace

BENCHMARK(BM_ReadMasterFile)->Arg(1000)->Arg(100000)->Arg(1000000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ReadLines)->Arg(1000)->Arg(100000)->Arg(1000000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_MakeSortedView)->Arg(1000)->Arg(100000)->Arg(1000000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_WholeLoad)->Arg(1000)->Arg(100000)->Arg(1000000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_SmallLoad)->Arg(1000)->Arg(5000)->Arg(20000)->Arg(40000)->Unit(benchmark::kMicrosecond);

// Sizes one after another, so that each list is made once.
#define INITIALS_BENCHMARKS(lines)                                                                                     \
    BENCHMARK(BM_KeyStockSearch)->Arg(lines)->Unit(benchmark::kMillisecond);                                           \
    BENCHMARK_CAPTURE(BM_FindInitials, hit_at_bottom, "ㅎㄷ")->Arg(lines)->Unit(benchmark::kMillisecond);              \
    BENCHMARK_CAPTURE(BM_FindInitials, nine_initials, "ㅇㅅㅋㅇㅎㅇㄴㅅㅇ")                                            \
        ->Arg(lines)                                                                                                   \
        ->Unit(benchmark::kMillisecond);                                                                               \
    BENCHMARK_CAPTURE(BM_FindInitials, no_hit, "ㅃ")->Arg(lines)->Unit(benchmark::kMillisecond)
#define CODE_BENCHMARKS(lines)                                                                                         \
    BENCHMARK(BM_BuildCodeIndex)->Arg(lines)->Unit(benchmark::kMillisecond);                                           \
    FIND_CODE_BENCHMARKS(lines, index, Codes::ByIndex);                                                                \
    FIND_CODE_BENCHMARKS(lines, scan, Codes::ByScan);                                                                  \
    FIND_CODE_BENCHMARKS(lines, scan_one_thread, Codes::ByScanOnOneThread)
#define FIND_CODE_BENCHMARKS(lines, how, codes)                                                                        \
    BENCHMARK_CAPTURE(BM_FindCode, one_digit_##how, "0", false, codes)->Arg(lines)->Unit(benchmark::kMicrosecond);     \
    BENCHMARK_CAPTURE(BM_FindCode, whole_code_##how, "005930", false, codes)                                           \
        ->Arg(lines)                                                                                                   \
        ->Unit(benchmark::kMicrosecond);                                                                               \
    BENCHMARK_CAPTURE(BM_FindCode, market_letter_##how, "A005930", false, codes)                                       \
        ->Arg(lines)                                                                                                   \
        ->Unit(benchmark::kMicrosecond);                                                                               \
    BENCHMARK_CAPTURE(BM_FindCode, step_on_##how, "0", true, codes)->Arg(lines)->Unit(benchmark::kMicrosecond);        \
    BENCHMARK_CAPTURE(BM_FindCode, no_code_##how, "0000001", false, codes)->Arg(lines)->Unit(benchmark::kMicrosecond)
#define CONTAINS_BENCHMARKS(lines)                                                                                     \
    BENCHMARK_CAPTURE(BM_FindContaining, rare_one_thread, "Zebra", ReadNames::OneThread)                               \
        ->Arg(lines)                                                                                                   \
        ->Unit(benchmark::kMillisecond);                                                                               \
    BENCHMARK_CAPTURE(BM_FindContaining, rare_all_threads, "Zebra", ReadNames::AllThreads)                             \
        ->Arg(lines)                                                                                                   \
        ->Unit(benchmark::kMillisecond);                                                                               \
    BENCHMARK_CAPTURE(BM_FindContaining, hangul_one_thread, "전자", ReadNames::OneThread)                              \
        ->Arg(lines)                                                                                                   \
        ->Unit(benchmark::kMillisecond);                                                                               \
    BENCHMARK_CAPTURE(BM_FindContaining, hangul_all_threads, "전자", ReadNames::AllThreads)                            \
        ->Arg(lines)                                                                                                   \
        ->Unit(benchmark::kMillisecond);                                                                               \
    BENCHMARK_CAPTURE(BM_FindContaining, common_one_thread, "ot", ReadNames::OneThread)                                \
        ->Arg(lines)                                                                                                   \
        ->Unit(benchmark::kMillisecond);                                                                               \
    BENCHMARK_CAPTURE(BM_FindContaining, common_all_threads, "ot", ReadNames::AllThreads)                              \
        ->Arg(lines)                                                                                                   \
        ->Unit(benchmark::kMillisecond);                                                                               \
    BENCHMARK_CAPTURE(BM_FindContaining, rare_indexed, "Zebra", ReadNames::ThroughCharacterIndex)                      \
        ->Arg(lines)                                                                                                   \
        ->Unit(benchmark::kMillisecond);                                                                               \
    BENCHMARK_CAPTURE(BM_FindContaining, hangul_indexed, "전자", ReadNames::ThroughCharacterIndex)                     \
        ->Arg(lines)                                                                                                   \
        ->Unit(benchmark::kMillisecond);                                                                               \
    BENCHMARK_CAPTURE(BM_FindContaining, common_indexed, "ot", ReadNames::ThroughCharacterIndex)                       \
        ->Arg(lines)                                                                                                   \
        ->Unit(benchmark::kMillisecond);                                                                               \
    BENCHMARK(BM_BuildCharacterIndex)->Arg(lines)->Unit(benchmark::kMillisecond);                                      \
    BENCHMARK_CAPTURE(BM_CountMatches, most, "a")->Arg(lines)->Unit(benchmark::kMillisecond);                          \
    BENCHMARK_CAPTURE(BM_CountMatches, thousandth, "Celltrion Bio")->Arg(lines)->Unit(benchmark::kMillisecond);        \
    BENCHMARK_CAPTURE(BM_CountMatches, one, "Zebra")->Arg(lines)->Unit(benchmark::kMillisecond)
INITIALS_BENCHMARKS(1000000);
CONTAINS_BENCHMARKS(1000000);
INITIALS_BENCHMARKS(10000000);
CONTAINS_BENCHMARKS(10000000);
CODE_BENCHMARKS(10000000);
INITIALS_BENCHMARKS(30000000);
CONTAINS_BENCHMARKS(30000000);
CODE_BENCHMARKS(30000000);
