#!/usr/bin/env bash
# Builds and runs every test, in the development build and under
# AddressSanitizer and UndefinedBehaviorSanitizer, and checks the format and
# clang-tidy's findings, installing what is missing; then prints each
# step's time, also when one fails.
set -euo pipefail
cd "$(dirname "$0")/.."

times=()
started=$SECONDS
step() {
    local name=$1 start=$SECONDS
    shift
    echo "=== $name"
    "$@"
    times+=("$(printf '%-24s %5d s' "$name" $((SECONDS - start)))")
}
trap 'echo "=== time per step"; printf "%s\n" "${times[@]}"; printf "%-24s %5d s\n" "in all" $((SECONDS - started))' EXIT

step "set-up" bash scripts/install-deps.sh test
for preset in dev asan; do
    step "$preset configure" cmake --preset "$preset"
    step "$preset build" cmake --build --preset "$preset" -j "$(nproc)"
    step "$preset tests" ctest --preset "$preset" -j "$(nproc)"
    if [[ $preset == dev ]]; then
        # The format, then clang-tidy over the dev build's compile database.
        step "format and lint" bash scripts/lint.sh
    fi
done
