#!/usr/bin/env bash
# Builds and runs every test, in the development build and under
# AddressSanitizer and UndefinedBehaviorSanitizer, installing what is missing.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh test

for preset in dev asan; do
    echo "=== $preset build"
    cmake --preset "$preset"
    cmake --build --preset "$preset" -j "$(nproc)"
    ctest --preset "$preset" -j "$(nproc)"
done
