#!/usr/bin/env bash
# Builds and runs every test, in the development build and under
# AddressSanitizer and UndefinedBehaviorSanitizer, and checks the format and
# clang-tidy's findings, installing what is missing.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh test

for preset in dev asan; do
    echo "=== $preset build"
    cmake --preset "$preset"
    cmake --build --preset "$preset" -j "$(nproc)"
    ctest --preset "$preset" -j "$(nproc)"
    if [[ $preset == dev ]]; then
        # The format, then clang-tidy over the dev build's compile database:
        # about 4 minutes on 2 cores.
        echo "=== format and lint"
        bash scripts/lint.sh
    fi
done
