#!/usr/bin/env bash
# Picking a stock as a desktop user does, in Xvfb with openbox: what a screen
# reader reads through AT-SPI, typing to find a name, copying, tooltips,
# maximizing, and small screens; finding a stock by code and by Hangul
# initials. Run inside a D-Bus session of its own
# (dbus-run-session), where the accessibility bus starts on demand.
# Usage: stockpicker_picking.sh STOCKPICKER STOCKDUMP GENMASTER EXAMPLES_DIR ARTIFACTS_DIR
set -uo pipefail
stockpicker=$(realpath "$1") stockdump=$(realpath "$2") genmaster=$(realpath "$3")
examples=$(realpath "$4") artifacts=$(realpath -m "$5")
here=$(dirname "$(realpath "$0")")
source "$here/x11-session.sh"
[[ -n ${DBUS_SESSION_BUS_ADDRESS:-} ]] || skip "no D-Bus session bus (run under dbus-run-session)"
export QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1 LC_ALL=C.UTF-8
atspi() { /usr/bin/python3 "$here/atspi_query.py" "$@"; }
# The names, and the codes, stockdump prints for FILE, trailing spaces trimmed.
dumped_names() { "$stockdump" "$1" | cut -b10-47 | sed 's/ *$//'; }
dumped_codes() { "$stockdump" "$1" | cut -b1-9 | sed 's/ *$//'; }
# Types TEXT, characters the keyboard map lacks, as one search, until the
# screen reader reads WANT as the pick, three times at most. xdotool types
# them through a key it remaps for each, and a key that arrives before the
# program has seen the new map is lost now and then.
type_unmapped_until() {
    local attempt want=$2
    for attempt in 1 2 3; do
        sleep 1  # past the keyboard interval: a new search
        # Each unmapped character remaps a key, which a slow build may
        # read by the mapping before: at 30 ms an ASan build once missed
        # ㅅㅅㅈㅈ three times running.
        xdotool type --delay 100 "$1"
        # $want, not $2: the condition is run inside wait_for, whose $2 it is.
        wait_for 10 '[[ "$(atspi combo)" == "$want" ]]' && return 0
    done
    return 1
}

start_session
mkdir "$work/run"
cp "$examples/fmast.dat" "$examples/omast.dat" "$work/run/"
cd "$work/run"
start_program || { echo "FAIL: no window titled Form1"; cat "$artifacts/stockpicker-stderr.txt"; exit 1; }
frame=$(frame_of "$window")
wait_for 5 '[[ "$(geometry "$frame")" == "300 221 696 480" ]]'

# --- a screen reader's view
wait_for 20 'atspi frame'
check "the window is a frame named Form1" '[[ "$(atspi frame)" == "$(printf "frame\tForm1")" ]]' "$(atspi frame 2>&1)"
atspi rows >"$work/rows" 2>&1
dumped_names fmast.dat >"$work/names"
check "each row reads as the name it paints, in order" 'cmp -s "$work/rows" "$work/names"' \
    "$(diff "$work/rows" "$work/names" | head -5)"
atspi codes >"$work/row-codes" 2>&1
dumped_codes fmast.dat >"$work/codes"
check "each row is described by its stock's code" 'cmp -s "$work/row-codes" "$work/codes"' \
    "$(diff "$work/row-codes" "$work/codes" | head -5)"

# --- typing finds a name; the screen reader reads the pick
xdotool windowactivate --sync "$window"
xdotool type --delay 30 "Samsung S"
wait_for 20 '[[ "$(atspi combo)" == "Samsung SDI" ]]'
check "typing \"Samsung S\" picks Samsung SDI" '[[ "$(atspi combo)" == "Samsung SDI" ]]' "combo: $(atspi combo 2>&1)"
wait_for 10 '[[ "$(atspi description)" == "006400" ]]'
check "the closed box is described by the pick's code" '[[ "$(atspi description)" == "006400" ]]' \
    "description: $(atspi description 2>&1)"
type_unmapped_until "셀" "셀트리온"
check "typing Hangul picks its name" '[[ "$(atspi combo)" == "셀트리온" ]]' "combo: $(atspi combo 2>&1)"

# --- a code, with or without its market letter, and Hangul initials
read -r cx cy cw ch <<<"$(geometry "$window")"
sleep 1
xdotool type --delay 30 "035720"
wait_for 20 '[[ "$(atspi combo)" == "Kakao" ]]'
check "typing the code 035720 picks Kakao, the first of 035720's names in list order" \
    '[[ "$(atspi combo)" == "Kakao" ]]' "combo: $(atspi combo 2>&1)"
import -window root -crop "700x300+$cx+$((cy + 90))" "$artifacts/found-by-code.png"
sleep 1
xdotool type --delay 30 "A000660"
wait_for 20 '[[ "$(atspi combo)" == "SK Hynix" ]]'
check "typing A000660 picks the first of its two names in list order" '[[ "$(atspi combo)" == "SK Hynix" ]]' \
    "combo: $(atspi combo 2>&1)"
type_unmapped_until "ㅅㅅㅈㅈ" "삼성전자"
check "typing the initials ㅅㅅㅈㅈ picks 삼성전자" '[[ "$(atspi combo)" == "삼성전자" ]]' "combo: $(atspi combo 2>&1)"
import -window root -crop "700x300+$cx+$((cy + 90))" "$artifacts/found-by-initials.png"
sleep 1
xdotool type --delay 30 "99999"
sleep 1
check "a code nothing starts with leaves the pick" '[[ "$(atspi combo)" == "삼성전자" ]]' "combo: $(atspi combo 2>&1)"
sleep 1
# 0006 narrows to SK Hynix on the way; the whole code matches nothing.
xdotool type --delay 30 "000661"
wait_for 5 '[[ "$(atspi search)" == "No stock matches \"000661\"" ]]'
check "a code that matches nothing is said to, to screen readers too" \
    '[[ "$(atspi search)" == "No stock matches \"000661\"" ]]' "search: $(atspi search 2>&1)"
import -window root -crop "700x300+$cx+$((cy + 90))" "$artifacts/no-match.png"
check "and picks again the stock picked before it, not the one its start found" \
    '[[ "$(atspi combo)" == "삼성전자" ]]' "combo: $(atspi combo 2>&1)"

# --- copying: the code, a TAB, the name
sleep 1
xdotool type --delay 30 "Samsung Electronics"
xdotool key ctrl+c
wait_for 20 '[[ "$(xclip -o -selection clipboard)" == "$(printf "005930\tSamsung Electronics")" ]]'
check "Ctrl+C copies CODE<TAB>NAME" '[[ "$(xclip -o -selection clipboard)" == "$(printf "005930\tSamsung Electronics")" ]]' \
    "clipboard: $(xclip -o -selection clipboard 2>&1 | od -c | head -2)"

# --- the tooltip over a row of the open list names the code
read -r cx cy cw ch <<<"$(geometry "$window")"
click_at 240 $((112 + 11))
sleep 0.5
xdotool mousemove $((cx + 100)) $((cy + 134 + 16 * 5 + 8))
sleep 0.2
xdotool mousemove $((cx + 102)) $((cy + 134 + 16 * 5 + 8))
sleep 1.5
import -window root -crop "700x300+$cx+$((cy + 90))" "$artifacts/tooltip.png"
xdotool key Escape
sleep 0.3

# --- maximize holds the first time, and restoring gives the layout back
state() { xprop -id "$window" _NET_WM_STATE; }
wmctrl -r Form1 -b add,maximized_vert,maximized_horz
sleep 2
check "maximize holds the first time" '[[ "$(state)" == *MAXIMIZED_VERT* && "$(state)" == *MAXIMIZED_HORZ* ]]' "$(state)"
wmctrl -r Form1 -b remove,maximized_vert,maximized_horz
wait_for 5 '[[ "$(geometry "$frame")" == "300 221 696 480" ]]'
check "restoring gives the frame back at 300,221, 696x480" '[[ "$(geometry "$frame")" == "300 221 696 480" ]]' \
    "frame: $(geometry "$frame")"
wmctrl -r Form1 -b add,fullscreen
sleep 2
check "fullscreen holds the first time" '[[ "$(state)" == *FULLSCREEN* ]]' "$(state)"
wmctrl -r Form1 -b remove,fullscreen
sleep 1
close_and_check_exit wmctrl

# --- the open list narrowed to what is typed, as a screen reader reads it
mkdir "$work/narrow"
cd "$work/narrow"
printf '%s\r\n' "066570   LG전자" "005930   삼성전자" "005935   삼성전자우" "000660   SK Hynix" "009150   삼성전기" >fmast.dat
cp fmast.dat omast.dat
all=$(printf '%s\n' "LG전자" "SK Hynix" "삼성전기" "삼성전자" "삼성전자우")
matches=$(printf '%s\n' "LG전자" "삼성전자" "삼성전자우")
start_program || fail "the program starts on five stocks"
wait_for 20 '[[ "$(atspi rows)" == "$all" ]]'
xdotool windowactivate --sync "$window"
read -r cx cy cw ch <<<"$(geometry "$window")"
# Opens the list and types 전자 into it, characters the keyboard map lacks,
# until the list reads as its three matches and the search as 전자, three
# times at most: on a busy machine xdotool's remapped key for 전 can be lost,
# and 자 alone leaves the same three rows.
narrow_to_jeonja() {
    local attempt
    for attempt in 1 2 3; do
        click_at 240 $((112 + 11))
        sleep 1
        xdotool type --delay 100 "전자"
        wait_for 10 '[[ "$(atspi rows)" == "$matches" && "$(atspi search)" == *"\"전자\""* ]]' && return 0
        xdotool key Escape Escape
        sleep 0.5
    done
    return 1
}
narrow_to_jeonja
check "typing 전자 in the open list leaves its three matches, in list order" '[[ "$(atspi rows)" == "$matches" ]]' \
    "rows: $(atspi rows 2>&1 | tr '\n' '|')"
check "the search's box says how many" '[[ "$(atspi search)" == "3 stocks match \"전자\"" ]]' \
    "search: $(atspi search 2>&1)"
check "the first match is highlighted" '[[ "$(atspi highlighted)" == "LG전자" ]]' \
    "highlighted: $(atspi highlighted 2>&1)"
import -window root -crop "700x300+$cx+$((cy + 90))" "$artifacts/narrowed.png"
xdotool key Down Return
wait_for 10 '[[ "$(atspi combo)" == "삼성전자" ]]'
check "Down and Return pick the second match" '[[ "$(atspi combo)" == "삼성전자" ]]' "combo: $(atspi combo 2>&1)"
narrow_to_jeonja
xdotool key Down
sleep 0.5
xdotool key Escape
wait_for 10 '[[ "$(atspi rows)" == "$all" ]]'
check "Escape brings the whole list back" '[[ "$(atspi rows)" == "$all" ]]' "rows: $(atspi rows 2>&1 | tr '\n' '|')"
check "with the match highlighted still highlighted" '[[ "$(atspi highlighted)" == "삼성전자" ]]' \
    "highlighted: $(atspi highlighted 2>&1)"
import -window root -crop "700x300+$cx+$((cy + 90))" "$artifacts/widened.png"
xdotool key Escape
sleep 0.5
check "a second Escape closes the list, the pick kept" '[[ "$(atspi combo)" == "삼성전자" ]]' \
    "combo: $(atspi combo 2>&1)"
close_and_check_exit wmctrl

# --- a found name at the bottom of a million rows
mkdir "$work/big"
cd "$work/big"
"$genmaster" 1000000 >fmast.dat
last=$(dumped_names fmast.dat | grep -a '^[A-Za-z]' | tail -1)
start_program || fail "the program starts on a million lines"
# Keys typed while the list loads are not kept: wait until the box no longer
# names the load's progress (a sanitizer build loads a million lines slowly).
wait_for 120 'name=$(atspi combo) && [[ $name != Loading* ]]'
xdotool windowactivate --sync "$window"
read -r cx cy cw ch <<<"$(geometry "$window")"
click_at 240 $((112 + 11))
sleep 1
xdotool type --delay 30 "$last"
sleep 1
import -window root -crop "700x300+$cx+$((cy + 90))" "$artifacts/found-in-a-million.png"
xdotool key Return
wait_for 20 '[[ "$(atspi combo)" == "$last" ]]'
check "typing in the open list of a million rows finds \"$last\"" '[[ "$(atspi combo)" == "$last" ]]' \
    "combo: $(atspi combo 2>&1)"
close_and_check_exit wmctrl

# --- small screens: the whole frame on them, title bar and borders included
# Starts the program anew on a screen of $1 (WIDTHxHEIGHT); reads its frame
# into fx fy fw fh once it has settled.
start_on_screen() {
    kill "${pids[@]}" 2>/dev/null
    wait "${pids[@]}" 2>/dev/null
    pids=()
    screen_size=$1x24 start_session
    cd "$work/run"
    start_program || fail "the program starts on a $1 screen"
    frame=$(frame_of "$window")
    sleep 1
    read -r fx fy fw fh <<<"$(geometry "$frame")"
}
whole_frame_on() { ((fx >= 0 && fy >= 0 && fx + fw <= $1 && fy + fh <= $2)); }

start_on_screen 800x600
check "on an 800x600 screen the whole frame is on it" 'whole_frame_on 800 600' "frame: $fx $fy $fw $fh"
check "it is moved only as far as it has to be, and keeps its size" \
    '[[ "$fx $fy $fw $fh" == "104 120 696 480" ]]' "frame: $fx $fy $fw $fh"
import -window root "$artifacts/small-screen.png"
wmctrl -r Form1 -b add,maximized_vert,maximized_horz
sleep 2
check "on the small screen, maximize holds the first time" \
    '[[ "$(state)" == *MAXIMIZED_VERT* && "$(state)" == *MAXIMIZED_HORZ* && "$(geometry "$frame")" == "0 0 800 600" ]]' \
    "$(state); frame: $(geometry "$frame")"
wmctrl -r Form1 -b remove,maximized_vert,maximized_horz
wait_for 5 '[[ "$(geometry "$frame")" == "104 120 696 480" ]]'
check "restoring gives the moved frame back" '[[ "$(geometry "$frame")" == "104 120 696 480" ]]' \
    "frame: $(geometry "$frame")"
close_and_check_exit wmctrl

# Twice the size on 1280x1024: a screen of 640x512 to the layout, which is
# wider, so the window is also narrowed, to the screen's width give or take
# the pixel a 1-pixel border costs at that scale.
export QT_SCALE_FACTOR=2
start_on_screen 1280x1024
unset QT_SCALE_FACTOR
check "at twice the size on 1280x1024 the whole frame is on the screen" 'whole_frame_on 1280 1024' \
    "frame: $fx $fy $fw $fh"
check "it is narrowed to the screen and keeps its height" '((fw >= 1278 && fh >= 959))' "frame: $fx $fy $fw $fh"
close_and_check_exit wmctrl
finish
