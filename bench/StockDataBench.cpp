#include "framework/core/TStringList.h"
#include "genmaster/MasterGenerator.h"
#include "stockdata/MasterFile.h"
#include "stockdata/SortedView.h"

#include <benchmark/benchmark.h>

#include <filesystem>
#include <fstream>
#include <map>
#include <string>

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

void BM_ReadMasterFile(benchmark::State& state)
{
    const std::string& file = MasterFile(state.range(0));
    for (auto _ : state) {
        vecST store = ReadMasterFile(file.c_str());
        benchmark::DoNotOptimize(store.data());
    }
    ReportLines(state);
}

}  // namespace

BENCHMARK(BM_ReadMasterFile)->Arg(1000)->Arg(100000)->Arg(1000000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ReadLines)->Arg(1000)->Arg(100000)->Arg(1000000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_MakeSortedView)->Arg(1000)->Arg(100000)->Arg(1000000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_WholeLoad)->Arg(1000)->Arg(100000)->Arg(1000000)->Unit(benchmark::kMillisecond);
