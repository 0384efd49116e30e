#!/usr/bin/env bash
# Drives the built stockpicker as a person would, in a real X server (Xvfb)
# with a window manager (openbox), with xdotool; screenshots go to ARTIFACTS.
# Usage: stockpicker_e2e.sh STOCKPICKER EXAMPLES_DIR ARTIFACTS_DIR
set -uo pipefail
stockpicker=$1 examples=$2 artifacts=$3
mkdir -p "$artifacts"
: >"$artifacts/stockpicker-stderr.txt"
work=$(mktemp -d)
passed=0 failed=0
pids=()
cleanup() {
    for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null; done
    wait 2>/dev/null
    rm -rf "$work"
}
trap cleanup EXIT

ok() { passed=$((passed + 1)); echo "ok: $1"; }
fail() { failed=$((failed + 1)); echo "FAIL: $1"; }
check() { if eval "$2"; then ok "$1"; else fail "$1 (${3:-})"; fi; }

# Waits up to $1 seconds for command $2 to succeed.
wait_for() {
    local deadline=$((SECONDS + $1))
    until eval "$2" >/dev/null 2>&1; do
        ((SECONDS >= deadline)) && return 1
        sleep 0.1
    done
}

# --- a display and a window manager of our own
Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp 3>"$work/display" 2>"$work/xvfb.log" &
pids+=($!)
wait_for 10 '[[ -s $work/display ]]' || { echo "FAIL: Xvfb did not start"; cat "$work/xvfb.log"; exit 1; }
export DISPLAY=:$(cat "$work/display")
openbox >"$work/openbox.log" 2>&1 &
pids+=($!)
wait_for 10 'wmctrl -m' || { echo "FAIL: openbox did not start"; exit 1; }

mkdir "$work/run"
cp "$examples/fmast.dat" "$examples/omast.dat" "$work/run/"
cd "$work/run"

start_program() {
    "$stockpicker" 2>>"$artifacts/stockpicker-stderr.txt" &
    program=$!
    pids+=("$program")
    wait_for 10 'xdotool search --name "^Form1\$"' || return 1
    window=$(xdotool search --name '^Form1$' | head -1)
}

# Absolute geometry of window $1 as "X Y W H".
geometry() {
    xwininfo -id "$1" | awk '/Absolute upper-left X/{x=$NF} /Absolute upper-left Y/{y=$NF} /Width:/{w=$NF} /Height:/{h=$NF} END{print x, y, w, h}'
}

frame_of() { xwininfo -children -id "$1" | awk '/Parent window id/{print $4}'; }

# --- start-up: the window and its frame where the layout says
start_program || { echo "FAIL: no window titled Form1"; cat "$artifacts/stockpicker-stderr.txt"; exit 1; }
ok "the window titled Form1 appears"
frame=$(frame_of "$window")
wait_for 5 '[[ "$(geometry "$frame")" == "300 221 696 480" ]]'
check "the frame is at 300,221 with outer size 696x480" '[[ "$(geometry "$frame")" == "300 221 696 480" ]]' "frame: $(geometry "$frame")"
read -r cx cy cw ch <<<"$(geometry "$window")"
import -window root "$work/start.png" && cp "$work/start.png" "$artifacts/start.png"

# --- the drop-down list opens below the box when clicked
xdotool mousemove $((cx + 240)) $((cy + 112 + 11)) click 1
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
xdotool mousemove $((cx + 200 + 37)) $((cy + 64 + 12)) click 1
if wait_for 5 'xdotool search --onlyvisible --name "^stockpicker\$"'; then
    ok "clicking omast.dat with the file missing shows an error box"
    import -window root "$artifacts/error-box.png"
    # The box is modal and has the focus, as a person would find it.
    xdotool key Return
    check "the error box is dismissed with Return" 'wait_for 5 "! xdotool search --onlyvisible --name \"^stockpicker\\\$\""'
else
    fail "clicking omast.dat with the file missing shows an error box"
fi

# --- the window keeps working: the file back, a click loads it without a report
mv omast.dat.away omast.dat
xdotool mousemove $((cx + 200 + 37)) $((cy + 64 + 12)) click 1
sleep 1
check "a good omast.dat loads without a report" '! xdotool search --onlyvisible --name "^stockpicker\$" >/dev/null'
xdotool mousemove $((cx + 240)) $((cy + 112 + 11)) click 1
sleep 0.5
import -window root "$artifacts/omast-dropdown.png"
xdotool key Escape

# --- closing the window ends the program with exit status 0
wmctrl -c Form1
if wait_for 10 '! kill -0 $program'; then
    wait "$program"
    status=$?
    check "closing with wmctrl ends the program with exit status 0" '((status == 0))' "status $status"
else
    fail "closing with wmctrl ends the program"
fi

start_program || fail "the program starts a second time"
xdotool windowactivate --sync "$window" key --clearmodifiers alt+F4
if wait_for 10 '! kill -0 $program'; then
    wait "$program"
    status=$?
    check "alt+F4 ends the program with exit status 0" '((status == 0))' "status $status"
else
    fail "alt+F4 ends the program"
fi

# --- no display at all: a clear message and a failure status, no core dump
env -u DISPLAY -u WAYLAND_DISPLAY QT_QPA_PLATFORM=xcb "$stockpicker" >"$work/out" 2>"$work/err"
status=$?
check "without a display it exits with status 1" '((status == 1))' "status $status"
check "without a display it says so on stderr" 'grep -q "stockpicker: cannot show a window" "$work/err"' "$(cat "$work/err")"

echo "$passed passed, $failed failed"
exit $((failed > 0))
