#!/usr/bin/env bash
# Fuzzes the master data path (line rule, reader, name-ordered view) with
# libFuzzer for SECONDS (default 600), starting from the seed corpus in
# fuzz/corpus; new inputs it finds go to build/fuzz/corpus, crashes to
# build/fuzz/artifacts. Usage: bash fuzz/run.sh [SECONDS] [JOBS] [LIBFUZZER_FLAG...]
# (-fork=1 -ignore_crashes=1 goes on past a crash, saving each.)
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-600} jobs=${2:-1}
bash scripts/install-deps.sh fuzz
cmake --preset fuzz >/dev/null
cmake --build --preset fuzz -j "$(nproc)" --target master_data_fuzzer
mkdir -p build/fuzz/corpus build/fuzz/artifacts
# libFuzzer writes its per-job logs (fuzz-N.log) to the current directory.
cd build/fuzz
parallel=()
((jobs > 1)) && parallel=(-jobs="$jobs" -workers="$jobs")
exec fuzz/master_data_fuzzer -max_total_time="$seconds" "${parallel[@]}" -print_final_stats=1 \
    -artifact_prefix=artifacts/ "${@:3}" corpus ../../fuzz/corpus
