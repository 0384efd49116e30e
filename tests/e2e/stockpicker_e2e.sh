#!/usr/bin/env bash
# Drives the built stockpicker as a person would, in a real X server (Xvfb)
# with a window manager (openbox), with xdotool; screenshots go to ARTIFACTS.
# Usage: stockpicker_e2e.sh STOCKPICKER EXAMPLES_DIR ARTIFACTS_DIR
set -uo pipefail
stockpicker=$(realpath "$1") examples=$(realpath "$2") artifacts=$(realpath -m "$3")
source "$(dirname "$0")/x11-session.sh"
start_session
mkdir "$work/run"
cp "$examples/fmast.dat" "$examples/omast.dat" "$work/run/"
cd "$work/run"

# --- start-up: the window and its frame where the layout says
start_program || { echo "FAIL: no window titled Form1"; cat "$artifacts/stockpicker-stderr.txt"; exit 1; }
ok "the window titled Form1 appears"
frame=$(frame_of "$window")
wait_for 5 '[[ "$(geometry "$frame")" == "300 221 696 480" ]]'
check "the frame is at 300,221 with outer size 696x480" '[[ "$(geometry "$frame")" == "300 221 696 480" ]]' "frame: $(geometry "$frame")"
read -r cx cy cw ch <<<"$(geometry "$window")"
import -window root "$artifacts/start.png"

# --- the drop-down list opens below the box when clicked
click_at 240 $((112 + 11))
# The list is a top-level window of its own, mapped at the box's left edge.
popup_geometry() {
    xwininfo -root -tree | grep -F '"stockpicker": ("stockpicker"' | grep -oE "[0-9]+x[0-9]+\+$cx\+[0-9]+ " | head -1 | tr -d ' '
}
wait_for 5 '[[ -n "$(popup_geometry)" ]]'
popup=$(popup_geometry)  # WxH+X+Y
if [[ $popup =~ ^([0-9]+)x([0-9]+)\+([0-9]+)\+([0-9]+)$ ]]; then
    pw=${BASH_REMATCH[1]} ph=${BASH_REMATCH[2]} py=${BASH_REMATCH[4]}
    box_bottom=$((cy + 112 + 22))
    check "the list opens below the box" '((py >= box_bottom - 1 && py <= box_bottom))' "list top $py, box bottom $box_bottom"
    check "the list is 8 rows of 16 pixels high" '((ph >= 128 && ph <= 132))' "height $ph"
    check "the list is as wide as the box" '((pw >= 481))' "width $pw"
    import -window root -crop "${pw}x$((ph + 40))+$cx+$((py - 40))" "$artifacts/dropdown.png"
else
    fail "the list opens when the box is clicked"
fi
xdotool key Escape
wait_for 5 '[[ -z "$(popup_geometry)" ]]'

# --- a missing omast.dat: an error box that can be found and dismissed
mv omast.dat omast.dat.away
click_omast
if wait_for 5 error_box_shown; then
    ok "clicking omast.dat with the file missing shows an error box"
    import -window root "$artifacts/error-box.png"
    check "the error box is dismissed with Return" dismiss_error_box
else
    fail "clicking omast.dat with the file missing shows an error box"
fi

# --- the window keeps working: the file back, a click loads it without a report
mv omast.dat.away omast.dat
click_omast
sleep 1
check "a good omast.dat loads without a report" '! error_box_shown'
click_at 240 $((112 + 11))
sleep 0.5
import -window root "$artifacts/omast-dropdown.png"
xdotool key Escape

# --- closing the window ends the program with exit status 0
close_and_check_exit wmctrl
start_program || fail "the program starts a second time"
close_and_check_exit alt+F4

# --- names with a character cut at the 38-byte edge and with a TAB: one
# replacement mark for the cut syllable, the TAB as a fixed-width picture
mkdir "$work/odd"
cd "$work/odd"
cut_name=$(printf '\xEC\x82\xBC%.0s' {1..12})$'\xEC\x84'
printf '%s\r\n' "100001   $cut_name" $'100002   Kia\tMotors after a TAB' >fmast.dat
start_program || fail "the program starts on odd names"
click_at 240 $((112 + 11))
wait_for 5 '[[ -n "$(popup_geometry)" ]]'
sleep 0.5
read -r cx cy cw ch <<<"$(geometry "$window")"
import -window root -crop "490x80+$cx+$((cy + 100))" "$artifacts/odd-names.png"
xdotool key Escape
close_and_check_exit wmctrl
cd "$work/run"

# --- no display at all: a clear message and a failure status, no core dump
env -u DISPLAY -u WAYLAND_DISPLAY QT_QPA_PLATFORM=xcb "$stockpicker" >"$work/out" 2>"$work/err"
status=$?
check "without a display it exits with status 1" '((status == 1))' "status $status"
check "without a display it says so on stderr" 'grep -q "stockpicker: cannot show a window" "$work/err"' "$(cat "$work/err")"
finish
