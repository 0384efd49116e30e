#!/usr/bin/env bash
# A load of 10,000,000 lines runs beside the window, as a person sees it:
# the window maps before the load ends and shows it moving; closing it, or
# losing the display, during the load ends the program at once and cleanly;
# Escape during a reload leaves an empty list and no error box. Not in the
# sanitizer build, where such a load takes minutes.
# Usage: stockpicker_big_load.sh STOCKPICKER GENMASTER ARTIFACTS_DIR
set -uo pipefail
stockpicker=$(realpath "$1") genmaster=$(realpath "$2") artifacts=$(realpath -m "$3")
source "$(dirname "$0")/x11-session.sh"
sanitized_build && skip "a 10,000,000-line load under the sanitizers"
mkdir "$work/run"
cd "$work/run"
"$genmaster" 10000000 >fmast.dat
ln fmast.dat omast.dat

# Whether the program still uses the processor: its load has not ended.
busy() {
    local before
    before=$(awk '{print $14 + $15}' "/proc/$program/stat")
    sleep 0.3
    (($(awk '{print $14 + $15}' "/proc/$program/stat") > before))
}

# The combo box's part of the screen, as a file.
shoot_box() {
    local cx cy cw ch
    read -r cx cy cw ch <<<"$(geometry "$window")"
    import -window root -crop "481x22+$cx+$((cy + 112))" "$1"
}

# Waits up to 10 s for the program to end; checks its status is $1.
expect_end() {
    local what=$1 want=$2
    if ! wait_for 10 '! kill -0 $program'; then
        fail "$what: the program ends within 10 s"
        kill -9 "$program"
        return
    fi
    wait "$program"
    local status=$?
    check "$what: exit status $want" '((status == want))' "status $status"
}

start_session
start_program || { echo "FAIL: no window titled Form1"; exit 1; }
check "the window maps while the load runs" busy
shoot_box "$artifacts/loading-1.png"
sleep 1.5
shoot_box "$artifacts/loading-2.png"
check "the box shows the load moving" '! compare -metric AE "$artifacts/loading-1.png" "$artifacts/loading-2.png" null: 2>/dev/null'
import -window root "$artifacts/loading.png"
wmctrl -c Form1
expect_end "closing the window during the load" 0

start_program || { echo "FAIL: no window titled Form1"; exit 1; }
sleep 0.5
before=$(wc -l <"$artifacts/stockpicker-stderr.txt")
kill "${pids[0]}"  # the X server
expect_end "losing the display during the load" 1
check "one line says so" '(($(wc -l <"$artifacts/stockpicker-stderr.txt") == before + 1))' \
    "$(tail -n +$((before + 1)) "$artifacts/stockpicker-stderr.txt" | head -c 600)"

start_session
start_program || { echo "FAIL: no window titled Form1"; exit 1; }
wait_idle 120 || fail "the first load ends"
click_omast
# Well inside the reload, which takes about a second even on a fast machine;
# the code index built after it keeps the processor busy too.
sleep 0.2
check "the reload runs" busy
xdotool key Escape
wait_idle 10
check "Escape cancels the reload without an error box" '! error_box_shown'
# In an empty list End picks nothing, so the box looks the same after it.
xdotool key shift+Tab
sleep 0.5  # the focus frame drawn
shoot_box "$work/before-end.png"
xdotool key End
sleep 0.5
shoot_box "$work/after-end.png"
check "the list is left empty" 'compare -metric AE "$work/before-end.png" "$work/after-end.png" null: 2>/dev/null'
import -window root "$artifacts/cancelled.png"
wmctrl -c Form1
expect_end "closing the window after the cancelled reload" 0
finish
