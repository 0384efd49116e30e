// What a list of placeholder lines costs made both ways: one Add of `copies`
// lines, as a load makes its items, and the same lines added one by one.
// Usage: string_list_bench [--benchmark_filter=...]

#include "framework/core/TStringList.h"

#include <benchmark/benchmark.h>

namespace {

void BM_AddCopiesAtOnce(benchmark::State& state)
{
    for (auto _ : state) {
        TStringList list;
        list.Add("NULL", static_cast<TStringList::Index>(state.range(0)));
        benchmark::DoNotOptimize(list.Count());
    }
    state.SetItemsProcessed(state.iterations() * state.range(0));
}

void BM_AddCopiesOneByOne(benchmark::State& state)
{
    const ByteString text("NULL");
    for (auto _ : state) {
        TStringList list;
        for (std::int64_t i = 0; i < state.range(0); ++i)
            list.Add(text);
        benchmark::DoNotOptimize(list.Count());
    }
    state.SetItemsProcessed(state.iterations() * state.range(0));
}

}  // namespace

BENCHMARK(BM_AddCopiesAtOnce)->Arg(30000000)->Unit(benchmark::kNanosecond);
BENCHMARK(BM_AddCopiesOneByOne)->Arg(30000000)->Unit(benchmark::kMillisecond);
