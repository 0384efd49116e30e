#!/usr/bin/env bash
# Speed and memory of the load path on generated master files: stockdump
# against GNU sort (whole process, both on all cores, same file, same run) for
# three kinds of file, peak resident memory, time per line from 100,000 to
# 4,000,000 lines, per-phase figures from Google Benchmark, then the window.
# Usage: bash bench/run.sh [LINES]   (default 1000000)
set -euo pipefail
cd "$(dirname "$0")/.."
lines=${1:-1000000}
bash scripts/install-deps.sh bench
cmake --preset release >/dev/null
cmake --build --preset release -j "$(nproc)" >/dev/null

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
genmaster=build/release/tools/genmaster
stockdump=build/release/tools/stockdump
peak_kb() { /usr/bin/time -f %M bash -c "$1 >/dev/null" 2>&1 | tail -1; }

echo "== stockdump against GNU sort, $lines lines, $(nproc) cores"
printf '%-11s %8s %10s %10s %7s %12s\n' file MB stockdump "GNU sort" ratio "peak RSS"
for style in mixed vocabulary funds; do
    file=$work/$style.dat
    "$genmaster" "$lines" --style "$style" >"$file"
    # Runs taken in turn, one of each, so that what else the machine does
    # weighs on both alike.
    python3 - "$style" "$file" "$stockdump" "$(peak_kb "$stockdump $file")" <<'PY'
import os, statistics, subprocess, sys, time
style, file, stockdump, dump_kb = sys.argv[1], sys.argv[2], sys.argv[3], int(sys.argv[4])
commands = {"dump": [stockdump, file], "sort": ["sort", "-s", "-t", "\x01", "-k1.10,1.47", file]}
env = dict(os.environ, LC_ALL="C")
times = {name: [] for name in commands}
for run in range(2 + 15):
    for name, command in commands.items():
        start = time.perf_counter()
        subprocess.run(command, stdout=subprocess.DEVNULL, env=env, check=True)
        if run >= 2:  # the first two warm the caches
            times[name].append(time.perf_counter() - start)
dump, sort = statistics.median(times["dump"]), statistics.median(times["sort"])
size = os.path.getsize(file)
print(f"{style:<11} {size/1e6:8.0f} {dump*1000:8.0f} ms {sort*1000:7.0f} ms {dump/sort:7.2f} "
      f"{dump_kb/1024:6.0f} MiB {dump_kb*1024/size:.2f}x")
PY
done
echo "(medians of 15 runs of each, taken in turn; ratio = stockdump / GNU sort)"

echo
echo "== time per line as the file grows (mixed)"
printf '%10s %10s %12s\n' lines median "ns per line"
for n in 100000 300000 1000000 2000000 4000000; do
    file=$work/grow.dat
    "$genmaster" "$n" >"$file"
    hyperfine -N --warmup 2 --runs 7 --output null --export-json "$work/grow.json" "$stockdump $file" >/dev/null
    python3 -c "
import json; t = json.load(open('$work/grow.json'))['results'][0]['median']
print(f'{$n:10d} {t*1000:7.1f} ms {t*1e9/$n:12.1f}')"
done

echo
echo "== phases, one run each in process (Google Benchmark medians)"
build/release/bench/stockdata_bench --benchmark_repetitions=3 --benchmark_report_aggregates_only=true 2>&1 |
    grep -E "^(Benchmark|-|BM_.*_median)"

echo
echo "== the window, offscreen, $lines-line fmast.dat"
QT_QPA_PLATFORM=offscreen build/release/bench/gui_bench "$lines" 2>/dev/null
