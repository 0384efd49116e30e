#!/usr/bin/env bash
# Speed and memory of the master data path on a generated 1,000,000-line
# master file: stockdump against GNU sort (whole process, same file, same run),
# peak resident memory of both, then per-phase figures from Google Benchmark.
# Usage: bash bench/run.sh [LINES]
set -euo pipefail
cd "$(dirname "$0")/.."
lines=${1:-1000000}
bash scripts/install-deps.sh bench
cmake --preset release >/dev/null
cmake --build --preset release -j "$(nproc)" >/dev/null

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
file=$work/fmast.dat
build/release/tools/genmaster "$lines" >"$file"
size=$(stat -c %s "$file")
stockdump="build/release/tools/stockdump $file"
gnusort="LC_ALL=C sort -s -t \$'\\x01' -k1.10,1.47 $file"
echo "master file: $lines lines, $((size / 1000000)) MB"

hyperfine --shell bash --warmup 2 --runs 10 --output null --export-json "$work/times.json" \
    -n stockdump "$stockdump" -n "GNU sort" "$gnusort"

peak_kb() { /usr/bin/time -f %M bash -c "$1 >/dev/null" 2>&1 | tail -1; }
dump_kb=$(peak_kb "$stockdump")
sort_kb=$(peak_kb "$gnusort")
python3 - "$work/times.json" "$size" "$dump_kb" "$sort_kb" <<'PY'
import json, sys
results = {r["command"]: r for r in json.load(open(sys.argv[1]))["results"]}
size, dump_kb, sort_kb = int(sys.argv[2]), int(sys.argv[3]), int(sys.argv[4])
dump, sort = results["stockdump"], results["GNU sort"]
print(f"stockdump {dump['mean']*1000:.0f} ms (median {dump['median']*1000:.0f}), "
      f"GNU sort {sort['mean']*1000:.0f} ms (median {sort['median']*1000:.0f}), "
      f"ratio {dump['mean']/sort['mean']:.2f} (medians {dump['median']/sort['median']:.2f})")
print(f"peak RSS: stockdump {dump_kb/1024:.0f} MiB ({dump_kb*1024/size:.2f}x the file), "
      f"GNU sort {sort_kb/1024:.0f} MiB ({sort_kb*1024/size:.2f}x the file)")
PY

build/release/bench/stockdata_bench --benchmark_repetitions=3 --benchmark_report_aggregates_only=true 2>&1 | grep -E "^(Benchmark|-|BM_.*_median)"

echo
echo "window, offscreen, $lines-line fmast.dat:"
QT_QPA_PLATFORM=offscreen build/release/bench/gui_bench "$lines" 2>/dev/null
