#!/usr/bin/env bash
# A Wayland session: under a headless weston, with WAYLAND_DISPLAY set and no
# DISPLAY, the program starts on Qt's Wayland platform by itself, stays up,
# and its window is 696x480; with DISPLAY set as well Qt still prefers
# Wayland, which is why the X11 tests pin QT_QPA_PLATFORM=xcb. Nothing here
# can look at a Wayland window, so the window is read from the protocol
# itself (WAYLAND_DEBUG). Skipped where weston or qt6-wayland is missing.
# Usage: stockpicker_wayland.sh STOCKPICKER EXAMPLES_DIR ARTIFACTS_DIR
set -uo pipefail
stockpicker=$(realpath "$1") examples=$(realpath "$2") artifacts=$(realpath -m "$3")
source "$(dirname "$0")/x11-session.sh"

command -v weston >/dev/null || skip "no weston (bash scripts/install-deps.sh test)"
compgen -G "/usr/lib/*/qt6/plugins/platforms/libqwayland-generic.so" >/dev/null \
    || skip "no Qt Wayland platform plugin (qt6-wayland)"
cp "$examples/fmast.dat" "$examples/omast.dat" "$work/"
cd "$work"

export XDG_RUNTIME_DIR=$work/xdg
mkdir -m 700 "$XDG_RUNTIME_DIR"
socket=stockpicker-wayland-$$
weston --backend=headless-backend.so --socket="$socket" --idle-time=0 >"$artifacts/weston.log" 2>&1 &
pids+=($!)
wait_for 10 '[[ -S $XDG_RUNTIME_DIR/$socket ]]' || skip "headless weston does not start here: $(tail -3 "$artifacts/weston.log")"

# Starts the program with the given environment changes, its protocol log in
# $log; waits for its toplevel window.
start_on_wayland() {
    log=$artifacts/wayland-$1.log
    shift
    env "$@" WAYLAND_DISPLAY="$socket" WAYLAND_DEBUG=1 "$stockpicker" 2>"$log" &
    program=$!
    pids+=("$program")
    wait_for 20 'grep -q "xdg_toplevel@[0-9]*\.set_title(\"Form1\")" "$log"'
}

# The size the window last gave the compositor: the geometry it shows, frame
# included (Qt draws its own on weston).
last_window_geometry() {
    grep -o 'xdg_surface@[0-9]*\.set_window_geometry([0-9, -]*)' "$log" | tail -1 | sed 's/.*(\(.*\))/\1/'
}

start_on_wayland alone -u DISPLAY -u QT_QPA_PLATFORM
check "with only WAYLAND_DISPLAY set, the window appears on Wayland" \
    'grep -q "xdg_toplevel@[0-9]*\.set_title(\"Form1\")" "$log"' "$(grep -v '^\[' "$log" | head -c 600)"
sleep 2
check "it stays up" 'kill -0 $program' "$(grep -v '^\[' "$log" | head -c 600)"
wait_for 5 '[[ $(last_window_geometry) == "0, 0, 696, 480" ]]'
check "the window is 696x480" '[[ $(last_window_geometry) == "0, 0, 696, 480" ]]' "geometry: $(last_window_geometry)"
check "the first load worked: no error box" '! grep -q "set_title(\"stockpicker\")" "$log"'
kill "$program"
wait "$program" 2>/dev/null

start_session without-window-manager
start_on_wayland with-x11 -u QT_QPA_PLATFORM DISPLAY="$DISPLAY"
check "with DISPLAY set as well, Qt still shows the window on Wayland" \
    'grep -q "set_title(\"Form1\")" "$log" && ! xdotool search --name "^Form1\$" >/dev/null 2>&1'
kill "$program"
wait "$program" 2>/dev/null
finish
