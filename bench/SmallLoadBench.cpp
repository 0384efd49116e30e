// What a small master file's load costs, read, ordered and keyed for the
// search as the window's load does, on the machine's threads: the sizes
// around Parallelism's least work a thread, where starting a thread can
// cost more than it saves.
// Usage: small_load_bench [--benchmark_filter=...]

#include "framework/core/ByteString.h"
#include "genmaster/MasterGenerator.h"
#include "stockdata/MasterFile.h"
#include "stockdata/SortedView.h"
#include "stockdata/StockSearch.h"

#include <benchmark/benchmark.h>

#include <filesystem>
#include <fstream>
#include <map>
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
            (std::filesystem::temp_directory_path() / ("small-load-bench-" + std::to_string(lines) + ".dat")).string();
        MasterGenerator generator({.lines = static_cast<std::uint64_t>(lines)});
        std::string text;
        for (std::int64_t i = 0; i < lines; ++i)
            generator.AppendLine(text);
        std::ofstream(it->second, std::ios::binary) << text;
    }
    return it->second;
}

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
    state.SetItemsProcessed(state.iterations() * state.range(0));
}

}  // namespace

BENCHMARK(BM_SmallLoad)->Arg(1000)->Arg(5000)->Arg(20000)->Arg(40000)->Unit(benchmark::kMicrosecond);
