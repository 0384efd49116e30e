#!/usr/bin/env bash
# The window from the keyboard alone: it takes the keyboard focus when it
# first shows, even on a bare X server with no window manager to give it,
# and Return and keypad Enter press the focused button as Space does, the
# "fmast.dat" button too.
# Usage: stockpicker_keyboard.sh STOCKPICKER EXAMPLES_DIR ARTIFACTS_DIR
set -uo pipefail
stockpicker=$(realpath "$1") examples=$(realpath "$2") artifacts=$(realpath -m "$3")
source "$(dirname "$0")/x11-session.sh"
mkdir "$work/run"
cp "$examples/fmast.dat" "$work/run/"
cd "$work/run"

focused() { [[ "$(xdotool getwindowfocus 2>/dev/null)" == "$window" ]]; }

# The keyboard focus starts on the list (tab order 0); "omast.dat" is next,
# then "fmast.dat", and it comes back to the button when an error box closes.
# A load of the missing omast.dat shows an error box, which is how a key
# press that ran the load can be seen from outside.
press() {
    xdotool key "$1"
    wait_for 5 error_box_shown
}

# --- a bare X server: nothing but the program gives it the focus
start_session without-window-manager
start_program || { echo "FAIL: no window titled Form1"; cat "$artifacts/stockpicker-stderr.txt"; exit 1; }
wait_for 5 focused
check "without a window manager the window has the keyboard focus" focused "focus: $(xdotool getwindowfocus 2>&1)"
import -window root "$artifacts/no-window-manager.png"
xdotool key Tab
check "without a window manager, Return on the focused omast.dat button runs the load" 'press Return'
import -window root "$artifacts/no-window-manager-error-box.png"
check "the error box is dismissed with Return" dismiss_error_box
kill "$program"
wait "$program" 2>/dev/null
kill "${pids[0]}"
wait "${pids[0]}" 2>/dev/null
pids=()

# --- under a window manager: a new window like any other
start_session
start_program || { echo "FAIL: no window titled Form1"; exit 1; }
wait_for 5 '[[ "$(xdotool getactivewindow 2>/dev/null)" == "$window" ]]'
check "under a window manager the new window is active" '[[ "$(xdotool getactivewindow)" == "$window" ]]'
xdotool key Tab
check "Return on the focused omast.dat button runs the load" 'press Return'
dismiss_error_box
check "keypad Enter on the focused omast.dat button runs the load" 'press KP_Enter'
dismiss_error_box
check "Space on the focused omast.dat button runs the load" 'press space'
dismiss_error_box
# "fmast.dat" reads fmast.dat again: with it gone, Return on it shows the
# error box of that load.
mv fmast.dat fmast.away
xdotool key Tab
check "Return on the focused fmast.dat button loads fmast.dat" 'press Return'
dismiss_error_box
mv fmast.away fmast.dat
close_and_check_exit wmctrl
finish
