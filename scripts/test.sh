#!/usr/bin/env bash
# Builds and runs every test, in the development build and under
# AddressSanitizer and UndefinedBehaviorSanitizer, and checks the format and
# clang-tidy's findings, installing what is missing; then prints each
# step's time, also when one fails.
set -euo pipefail
cd "$(dirname "$0")/.."

cores=$(nproc)
times=()
started=$SECONDS
step() {
    local name=$1 start=$SECONDS
    shift
    echo "=== $name"
    "$@"
    times+=("$(printf '%-24s %5d s' "$name" $((SECONDS - start)))")
}

# The lint runs beside the tests and the sanitizer build, at the lowest
# priority: it is the one step bound by the cores alone, and takes what the
# tests leave while they wait for windows and answers. Its output is shown
# when it has ended, not mixed into the tests'.
lint_log=$(mktemp)
lint_pid=
lint_started=0
lint_beside() {
    echo "=== format and lint, beside the steps below"
    lint_started=$SECONDS
    # A session of its own, so that an early end stops its clang-tidy runs
    # too. The kernel shares the cores between sessions first (autogroups),
    # and only then by nice value: the session's own is lowered as well.
    setsid bash -c 'echo 19 >/proc/self/autogroup 2>/dev/null; exec nice -n 19 bash scripts/lint.sh' \
        >"$lint_log" 2>&1 &
    lint_pid=$!
}
lint_result() {
    local status=0
    echo "=== format and lint"
    wait "$lint_pid" || status=$?
    lint_pid=
    cat "$lint_log"
    times+=("$(printf '%-24s %5d s (beside)' "format and lint" $((SECONDS - lint_started)))")
    return "$status"
}

finish() {
    [[ -n $lint_pid ]] && kill -- "-$lint_pid" 2>/dev/null
    rm -f "$lint_log"
    echo "=== time per step"
    printf "%s\n" "${times[@]}"
    printf "%-24s %5d s\n" "in all" $((SECONDS - started))
}
trap finish EXIT

step "set-up" bash scripts/install-deps.sh test
step "dev configure" cmake --preset dev
step "asan configure" cmake --preset asan
step "dev build" cmake --build --preset dev -j "$cores"
# clang-tidy reads the dev build's compile database and generated headers.
lint_beside
# Twice the cores: most tests wait on a display server or an input method;
# those that keep cores busy say so (PROCESSORS), and ctest counts them.
step "dev tests" ctest --preset dev -j $((2 * cores))
step "asan build" cmake --build --preset asan -j "$cores"
step "asan tests" ctest --preset asan -j $((2 * cores))
lint_result
