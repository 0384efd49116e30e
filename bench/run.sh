#!/usr/bin/env bash
# Speed and memory of the load path on generated master files: stockdump
# against GNU sort (whole process, both on all cores, same file, same run) for
# three kinds of file, peak resident memory, time per line from 100,000 to
# 4,000,000 lines and the time each added line costs (an empty file gives the
# start), per-phase figures from Google Benchmark, then the window at 1M, 10M
# and 30M lines (WINDOW_SIZES="..." for others), with the event loop's
# longest gaps quiet and with every core kept busy; last a soak of 1,000
# reloads of the window at 1M lines, keys typed into each as it loads:
# resident memory from the 100th reload to the last, the event loop's longest
# gap, the slowest reload and any reload whose keys picked no stock.
# Usage: bash bench/run.sh [LINES]   (default 1000000)
set -euo pipefail
cd "$(dirname "$0")/.."
lines=${1:-1000000}
bash scripts/install-deps.sh bench
cmake --preset release >/dev/null
cmake --build --preset release -j "$(nproc)" >/dev/null

work=$(mktemp -d)
busy=()
# The busy loops may have ended already: under errexit a failed kill would
# leave the files behind.
trap 'kill "${busy[@]}" 2>/dev/null || true; rm -rf "$work"' EXIT
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
# The time a line adds, between one size and the next, shows whether the
# work per line stays flat; the whole time per line also carries what every
# run costs once (starting the process, its threads and its buffers).
: >"$work/empty.dat"
for n in 0 100000 300000 1000000 2000000 4000000; do
    file=$work/grow-$n.dat
    if [ "$n" -eq 0 ]; then file=$work/empty.dat; else "$genmaster" "$n" >"$file"; fi
    # hyperfine's warnings would break the table; its errors are shown.
    hyperfine -N --warmup 2 --runs 7 --output null --export-json "$work/grow-$n.json" "$stockdump $file" \
        >/dev/null 2>"$work/grow.err" || { cat "$work/grow.err" >&2; exit 1; }
    rm -f "$file"
done
python3 - "$work" <<'PY'
import json, sys
work = sys.argv[1]
median = {n: json.load(open(f"{work}/grow-{n}.json"))["results"][0]["median"]
          for n in (0, 100000, 300000, 1000000, 2000000, 4000000)}
print(f"an empty file: {median[0]*1000:.1f} ms")
print(f"{'lines':>10} {'median':>10} {'ns per line':>12} {'ns per added line':>18}")
previous = 0
for n in (100000, 300000, 1000000, 2000000, 4000000):
    added = (median[n] - median[previous]) * 1e9 / (n - previous)
    print(f"{n:10d} {median[n]*1000:7.1f} ms {median[n]*1e9/n:12.1f} {added:18.1f}")
    previous = n
PY

echo
echo "== phases, one run each in process (Google Benchmark medians)"
# The 30M cases take minutes: the window section below covers that size.
build/release/bench/stockdata_bench --benchmark_repetitions=3 --benchmark_report_aggregates_only=true \
    --benchmark_filter=-/30000000 2>&1 |
    grep -E "^(Benchmark|-|BM_.*_median)"

echo
# The window at each size, in a process of its own, beside stockdump on the
# same file: the list should be ready within stockdump's time + 10% + 0.1 s.
window_sizes=${WINDOW_SIZES:-1000000 10000000 30000000}
echo "== the window, offscreen, what a user waits for ($(nproc) cores)"
for n in $window_sizes; do
    file=$work/window-$n.dat
    "$genmaster" "$n" >"$file"
    # The one name that holds the text gui_bench types to time a search of
    # every name (its RareLine).
    printf '%-9s%s\r\n' 999999 "힣힣 Qvxjk Holdings" >>"$file"
    hyperfine -N --warmup 1 --runs 5 --output null --export-json "$work/dump-$n.json" "$stockdump $file" \
        >/dev/null 2>"$work/dump.err" || { cat "$work/dump.err" >&2; exit 1; }
    QT_QPA_PLATFORM=offscreen build/release/bench/gui_bench "$file" 2>/dev/null >"$work/window-$n.txt"
    # The event loop's longest gaps again, with both cores kept busy by
    # another process at normal priority, as a user's other programs would.
    QT_QPA_PLATFORM=offscreen build/release/bench/gui_bench "$file" --gaps 2>/dev/null |
        sed 's/: /, quiet: /' >>"$work/window-$n.txt"
    busy=()
    for _ in $(seq "$(nproc)"); do
        bash -c 'while :; do :; done' &
        busy+=($!)
    done
    QT_QPA_PLATFORM=offscreen build/release/bench/gui_bench "$file" --gaps 2>/dev/null |
        sed 's/: /, cores busy: /' >>"$work/window-$n.txt"
    kill "${busy[@]}"
    # They end killed, which under errexit would end the run here.
    wait "${busy[@]}" 2>/dev/null || true
    rm -f "$file"
done
python3 - "$work" $window_sizes <<'PY'
import json, sys
work, sizes = sys.argv[1], sys.argv[2:]
figures = {}
for n in sizes:
    for line in open(f"{work}/window-{n}.txt"):
        name, value = line.rsplit(":", 1)
        figures.setdefault(name, {})[n] = value.strip()
    dump = json.load(open(f"{work}/dump-{n}.json"))["results"][0]["median"] * 1000
    figures.setdefault("stockdump, same file (median of 5)", {})[n] = f"{dump:.0f} ms"
    figures.setdefault("allowed for load done (stockdump + 10% + 100 ms)", {})[n] = f"{dump * 1.1 + 100:.0f} ms"
def shown(value):
    number, _, unit = value.partition(" ")
    x = float(number)
    if unit == "ms" and x < 0.1:
        return f"{x * 1000:.1f} µs"
    return (f"{x:.0f}" if x >= 100 or unit in ("", "B") else f"{x:.1f}" if x >= 1 else f"{x:.2f}") + (" " + unit if unit else "")
print("| figure | " + " | ".join(f"{int(n):,} lines" for n in sizes) + " |")
print("|---|" + "---:|" * len(sizes))
for name, values in figures.items():
    print(f"| {name} | " + " | ".join(shown(values.get(n, "nan")) for n in sizes) + " |")
PY

echo
echo "== soak: 1,000 reloads at 1M lines"
# Clicked as soon as the buttons allow, alternating the two files, with the
# index build of the list before often still running.
"$genmaster" 1000000 >"$work/soak.dat"
QT_QPA_PLATFORM=offscreen build/release/bench/soak_bench "$work/soak.dat" 1000 2>/dev/null
rm -f "$work/soak.dat"
