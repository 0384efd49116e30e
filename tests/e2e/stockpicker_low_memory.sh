#!/usr/bin/env bash
# Starts stockpicker with too little address space for a 2,000,000-line
# "fmast.dat": it must report "Out of memory" in an error box, keep its window
# working and end with exit status 0 when closed.
# Usage: stockpicker_low_memory.sh STOCKPICKER GENMASTER ARTIFACTS_DIR
set -uo pipefail
stockpicker=$(realpath "$1") genmaster=$(realpath "$2") artifacts=$(realpath -m "$3")
source "$(dirname "$0")/x11-session.sh"
# AddressSanitizer reserves terabytes of address space up front.
sanitized_build && skip "an address-space limit cannot apply to a sanitizer build"
start_session
mkdir "$work/run"
cd "$work/run"

# What the program needs to show an empty list sets the limit.
: >fmast.dat
start_program || { echo "FAIL: no window titled Form1"; exit 1; }
peak_kb=$(awk '/VmPeak/{print $2}' "/proc/$program/status")
close_and_check_exit wmctrl

"$genmaster" 2000000 >fmast.dat
limit_kb=$((peak_kb + 200 * 1024))
echo "address space: $peak_kb kB to show an empty list; limit $limit_kb kB for a $(($(stat -c %s fmast.dat) / 1000000)) MB file"
(ulimit -v "$limit_kb" && exec "$stockpicker") 2>>"$artifacts/stockpicker-stderr.txt" &
program=$!
pids+=("$program")
wait_for 20 'xdotool search --name "^Form1\$"' && window=$(xdotool search --name '^Form1$' | head -1)
if wait_for 20 error_box_shown; then
    ok "the failed load is reported in an error box"
    import -window root "$artifacts/out-of-memory.png"
    check "the error box is dismissed with Return" dismiss_error_box
else
    fail "the failed load is reported in an error box"
fi
check "the program is still running" 'kill -0 $program'
close_and_check_exit wmctrl
finish
