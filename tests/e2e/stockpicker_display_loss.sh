#!/usr/bin/env bash
# The display connection ends under the running program: the X server dies
# (a logout, a session restart) or the window is force-closed with xkill, in
# every state the window can be in; the Wayland compositor ends, where Qt's
# Wayland platform and weston are installed. Each time the program must end with exit
# status 1 and one line on stderr, never by a signal or a sanitizer report.
# Usage: stockpicker_display_loss.sh STOCKPICKER GENMASTER ARTIFACTS_DIR
set -uo pipefail
stockpicker=$(realpath "$1") genmaster=$(realpath "$2") artifacts=$(realpath -m "$3")
source "$(dirname "$0")/x11-session.sh"
mkdir "$work/run"
cd "$work/run"
"$genmaster" 5 >fmast.dat
"$genmaster" 5 --seed 3 >omast.dat
# Big enough that a load is still running when the X server goes.
"$genmaster" 1500000 --seed 5 >big.dat

open_list() { click_at 240 $((112 + 11)); wait_for 5 'xdotool search --onlyvisible --name "^stockpicker\$"' || sleep 0.5; }
close_list() { xdotool key Escape; sleep 0.3; }
kill_server() { kill "$xvfb"; }
kill_window() { xkill -display "$DISPLAY" -id "$window" >/dev/null; }

# Runs one case: a fresh session and program, `prepare` brings the window
# into the state, `end` breaks the connection; then checks how it ended.
# After the display went: the program must end by itself with status 1 and
# exactly one more line in $err than the $before it had.
expect_clean_end() {
    local name=$1 err=$2 before=$3
    if ! wait_for 30 '! kill -0 $program'; then
        fail "$name: the program ends"
        kill -9 "$program"
        return
    fi
    wait "$program"
    local status=$?
    check "$name: exit status 1, no signal" '((status == 1))' "status $status; stderr: $(head -c 600 "$err")"
    check "$name: one line on stderr" '(($(wc -l <"$err") == before + 1))' "$(tail -n +$((before + 1)) "$err" | head -c 600)"
}

run_case() {
    local name=$1 prepare=$2 end=$3
    start_session
    xvfb=${pids[-2]}
    local err="$artifacts/stderr-${name// /-}.txt"
    "$stockpicker" 2>"$err" &
    program=$!
    pids+=("$program")
    if ! wait_for 20 'xdotool search --name "^Form1\$"'; then
        fail "$name: the window appears"
        return
    fi
    window=$(xdotool search --name '^Form1$' | head -1)
    sleep 0.5
    eval "$prepare"
    # Qt may have warned about the environment at start; count what comes after.
    local before
    before=$(wc -l <"$err")
    eval "$end"
    expect_clean_end "$name" "$err" "$before"
    kill "$xvfb" 2>/dev/null
    wait "$xvfb" 2>/dev/null
}

run_case "list never opened, server ends" ':' kill_server
run_case "list opened and closed, server ends" 'open_list; close_list' kill_server
run_case "list open, server ends" 'open_list' kill_server
run_case "list open, xkill" 'open_list' kill_window
run_case "error box up, server ends" 'mv omast.dat omast.away; click_omast; wait_for 5 error_box_shown; mv omast.away omast.dat' kill_server
run_case "error box up, xkill" 'mv omast.dat omast.away; click_omast; wait_for 5 error_box_shown; mv omast.away omast.dat' kill_window
mv fmast.dat fmast.away
run_case "error box at start, server ends" 'wait_for 5 error_box_shown' kill_server
mv fmast.away fmast.dat
run_case "during a load, server ends" 'open_list; close_list; mv big.dat omast.dat; click_omast; sleep 0.3' kill_server

# --- Wayland: a headless weston, ended under the program
wayland_case() {
    local name=$1 socket=stockpicker-e2e-$RANDOM
    export XDG_RUNTIME_DIR=$work/xdg
    mkdir -p -m 700 "$XDG_RUNTIME_DIR"
    weston --backend=headless-backend.so --socket="$socket" --idle-time=0 >"$work/weston.log" 2>&1 &
    local weston=$!
    pids+=("$weston")
    wait_for 10 '[[ -S $XDG_RUNTIME_DIR/$socket ]]' || { fail "$name: weston starts"; return; }
    local err="$artifacts/stderr-wayland-${name// /-}.txt"
    QT_QPA_PLATFORM=wayland WAYLAND_DISPLAY=$socket "$stockpicker" 2>"$err" &
    program=$!
    pids+=("$program")
    # Nothing here can see a Wayland window; give it time to show one.
    sleep 3
    if ! kill -0 "$program"; then
        fail "$name: the program runs ($(head -c 600 "$err"))"
        return
    fi
    local before
    before=$(wc -l <"$err")
    kill "$weston"
    expect_clean_end "$name" "$err" "$before"
}
if ! command -v weston >/dev/null || ! compgen -G "/usr/lib/*/qt6/plugins/platforms/libqwayland-generic.so" >/dev/null; then
    echo "skipped: the Wayland cases need weston and Qt's Wayland platform plugin (qt6-wayland)"
else
    wayland_case "Wayland, compositor ends"
    mv fmast.dat fmast.away
    wayland_case "Wayland, error box at start, compositor ends"
    mv fmast.away fmast.dat
fi
finish
