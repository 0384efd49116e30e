#!/usr/bin/env bash
# The window on sway, a wlroots compositor, headless and without Xwayland,
# from the keyboard alone: typing picks a name, F4 opens the list as an
# xdg_popup of the window just below the box, Down moves its highlight,
# Return picks and closes it, Escape closes it; when sway ends, the program
# ends with exit status 1 and one line on stderr. The popup is read from the
# protocol (WAYLAND_DEBUG), the box and the list over AT-SPI, and grim's
# screenshots, kept in ARTIFACTS, show where the window changed. wlroots
# will not run as root: run so, the script runs sway and every client as
# nobody. Skipped where sway, wtype, grim or qt6-wayland is missing.
# Usage: stockpicker_sway.sh STOCKPICKER EXAMPLES_DIR ARTIFACTS_DIR
set -uo pipefail
stockpicker=$(realpath "$1") examples=$(realpath "$2") artifacts=$(realpath -m "$3")
here=$(dirname "$(realpath "$0")")
source "$here/x11-session.sh"

for tool in sway wtype grim; do
    command -v "$tool" >/dev/null || skip "no $tool (bash scripts/install-deps.sh test)"
done
compgen -G "/usr/lib/*/qt6/plugins/platforms/libqwayland-generic.so" >/dev/null \
    || skip "no Qt Wayland platform plugin (qt6-wayland)"
# From here on a missing tool is a failure: the test packages have them all.
for tool in dbus-daemon compare identify /usr/bin/python3; do
    command -v "$tool" >/dev/null || { echo "FAIL: no $tool (bash scripts/install-deps.sh test)"; exit 1; }
done
/usr/bin/python3 -c 'import pyatspi' 2>/dev/null || { echo "FAIL: no pyatspi (bash scripts/install-deps.sh test)"; exit 1; }

if ((EUID == 0)); then
    as_user=(setpriv --reuid=65534 --regid=65534 --clear-groups)
else
    as_user=(env)
fi
# What the clients read is copied where that user can read it, and what
# they write goes to folders of their own; the artifacts are written by
# this shell.
chmod 755 "$work"
mkdir -m 700 "$work/xdg"
mkdir "$work/run" "$work/home"
cp "$stockpicker" "$work/run/stockpicker"
cp "$examples/fmast.dat" "$examples/omast.dat" "$here/atspi_query.py" "$work/run/"
((EUID == 0)) && chown -R 65534:65534 "$work/xdg" "$work/run" "$work/home"
export HOME=$work/home XDG_RUNTIME_DIR=$work/xdg LC_ALL=C.UTF-8
unset DISPLAY
log=$artifacts/wayland.log
rm -f "$artifacts"/*.png

cat >"$work/sway.conf" <<'EOF'
# Nothing but the window under test: no bar, no wallpaper, no X server.
xwayland disable
output HEADLESS-1 resolution 1280x1024
# Floating, so that it keeps the size it asks for.
for_window [app_id="stockpicker"] floating enable
EOF

# A session bus of the same user as the program, for its accessibility bus.
"${as_user[@]}" dbus-daemon --session --nofork --address="unix:path=$XDG_RUNTIME_DIR/bus" >"$artifacts/dbus.log" 2>&1 &
pids+=($!)
wait_for 10 '[[ -S $XDG_RUNTIME_DIR/bus ]]' || { echo "FAIL: the session bus does not start: $(tail -3 "$artifacts/dbus.log")"; exit 1; }
export DBUS_SESSION_BUS_ADDRESS=unix:path=$XDG_RUNTIME_DIR/bus

"${as_user[@]}" env WLR_BACKENDS=headless WLR_LIBINPUT_NO_DEVICES=1 WLR_RENDERER=pixman \
    sway -c "$work/sway.conf" >"$artifacts/sway.log" 2>&1 &
sway=$!
pids+=("$sway")
socket() { local s; for s in "$XDG_RUNTIME_DIR"/wayland-*; do [[ -S $s ]] && echo "${s##*/}"; done; }
wait_for 10 '[[ -n $(socket) ]] && compgen -G "$XDG_RUNTIME_DIR/sway-ipc.*.sock"' \
    || { echo "FAIL: sway does not start: $(tail -5 "$artifacts/sway.log")"; exit 1; }
export WAYLAND_DISPLAY=$(socket)
SWAYSOCK=$(compgen -G "$XDG_RUNTIME_DIR/sway-ipc.*.sock")
export SWAYSOCK

# The window keeps the keyboard focus only while the seat has a keyboard, and
# each wtype takes its own away when it ends. wtype reads no key names from
# stdin, only text, and types it when 100 characters have come or at the
# end; so one wtype that only sleeps holds a keyboard for the whole test, and
# each key is typed by a wtype of its own beside it. A new keyboard makes
# sway send a leave and an enter at once, which Qt takes as no change.
"${as_user[@]}" wtype -s 3600000 &
keyboard=$!
pids+=("$keyboard")
seat_has_keyboard() { "${as_user[@]}" swaymsg -t get_seats | grep -q '"capabilities": [2367]'; }
wait_for 10 seat_has_keyboard || { echo "FAIL: wtype gives the seat no keyboard"; exit 1; }
key() { "${as_user[@]}" wtype -k "$1"; }
type_text() { "${as_user[@]}" wtype -- "$1"; }

atspi() { "${as_user[@]}" /usr/bin/python3 "$work/run/atspi_query.py" "$@"; }
shot() { "${as_user[@]}" grim - >"$artifacts/$1.png"; }

# Where the window's top-left corner is on the screen: "X Y".
window_origin() {
    "${as_user[@]}" swaymsg -t get_tree | /usr/bin/python3 -c '
import json, sys
def walk(node):
    yield node
    for child in node.get("nodes", []) + node.get("floating_nodes", []):
        yield from walk(child)
for node in walk(json.load(sys.stdin)):
    if node.get("app_id") == "stockpicker" and node.get("name") == "Form1":
        print(node["rect"]["x"] + node["window_rect"]["x"], node["rect"]["y"] + node["window_rect"]["y"])
        break'
}

# Where screenshots $1 and $2 differ, in the window's coordinates, as
# "X Y WIDTH HEIGHT"; nothing where they do not.
changed() {
    compare -metric AE -highlight-color white -lowlight-color black -compose src \
        "$artifacts/$1.png" "$artifacts/$2.png" "$work/diff.png" 2>/dev/null
    (($? == 1)) || return 0
    [[ $(identify -format '%@' "$work/diff.png" 2>/dev/null) =~ ^([0-9]+)x([0-9]+)\+([0-9]+)\+([0-9]+)$ ]] || return 0
    echo $((BASH_REMATCH[3] - ox)) $((BASH_REMATCH[4] - oy)) "${BASH_REMATCH[1]}" "${BASH_REMATCH[2]}"
}
# Whether change $1 ("X Y W H") lies inside the rectangle $2 $3 $4 $5.
inside() {
    local x y w h
    read -r x y w h <<<"$1"
    [[ -n $1 ]] && ((x >= $2 && y >= $3 && x + w <= $2 + $4 && y + h <= $3 + $5))
}
# Takes screenshot $2 until it differs from $1 inside the rectangle $3..$6
# and nowhere else, for up to 5 seconds: a repaint reaches the screen a frame
# after the program has changed.
wait_for_change() {
    local before=$1 after=$2 rect=("${@:3}")
    wait_for 5 'shot "$after" && inside "$(changed "$before" "$after")" "${rect[@]}"'
}

# The box's rectangle in the window (app/Unit1Layout.cpp) and the list's,
# 8 rows of 16 pixels and a frame, just below it.
box=(0 112 481 22)
list=(0 $((112 + 22)) 481 $((8 * 16 + 2)))
below_box=(0 112 481 $((22 + 8 * 16 + 2)))

mark() { wc -l <"$log"; }
# The protocol from line $1 on.
since() { tail -n +$(($1 + 1)) "$log"; }
# The first popup made after line $1: "POPUP PARENT ANCHOR_X ANCHOR_Y
# ANCHOR_W ANCHOR_H WIDTH HEIGHT", from its get_popup and the positioner
# given, as it was set just before.
popup_after() {
    since "$1" | sed -nE \
        -e 's/.*-> xdg_positioner@([0-9]+)\.set_anchor_rect\((-?[0-9]+), (-?[0-9]+), ([0-9]+), ([0-9]+)\).*/anchor \1 \2 \3 \4 \5/p' \
        -e 's/.*-> xdg_positioner@([0-9]+)\.set_size\(([0-9]+), ([0-9]+)\).*/size \1 \2 \3/p' \
        -e 's/.*-> xdg_surface@[0-9]+\.get_popup\(new id xdg_popup@([0-9]+), xdg_surface@([0-9]+), xdg_positioner@([0-9]+)\).*/popup \1 \2 \3/p' |
        awk '$1 == "anchor" { anchor[$2] = $3 " " $4 " " $5 " " $6 }
             $1 == "size" { size[$2] = $3 " " $4 }
             $1 == "popup" { print $2, $3, anchor[$4], size[$4]; exit }'
}
# Where sway put popup $2, made after line $1: "X Y WIDTH HEIGHT".
popup_placed() {
    since "$1" | sed -nE "s/.*[^>] xdg_popup@$2\.configure\((-?[0-9]+), (-?[0-9]+), ([0-9]+), ([0-9]+)\).*/\1 \2 \3 \4/p" | tail -1
}
popup_destroyed() { since "$1" | grep -q -- "-> xdg_popup@$2\.destroy()"; }
# The xdg_surface of the window titled Form1.
main_surface() {
    sed -nE -e 's/.*-> xdg_surface@([0-9]+)\.get_toplevel\(new id xdg_toplevel@([0-9]+)\).*/toplevel \2 \1/p' \
        -e 's/.*-> xdg_toplevel@([0-9]+)\.set_title\("Form1"\).*/title \1/p' "$log" |
        awk '$1 == "toplevel" { surface[$2] = $3 } $1 == "title" { print surface[$2]; exit }'
}
# What Qt and the program said on stderr, without the protocol.
said() { grep -cvE '^\[ *[0-9]+\.[0-9]+\] ' "$log"; }

# --- the window appears and loads fmast.dat
cd "$work/run"
"${as_user[@]}" env -u DISPLAY -u QT_IM_MODULE QT_QPA_PLATFORM=wayland QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1 WAYLAND_DEBUG=1 \
    ./stockpicker 2>"$log" &
program=$!
pids+=("$program")
wait_for 20 'grep -q "xdg_toplevel@[0-9]*\.set_title(\"Form1\")" "$log"'
check "the window titled Form1 appears on sway" 'grep -q "xdg_toplevel@[0-9]*\.set_title(\"Form1\")" "$log"' \
    "$(grep -vE '^\[ *[0-9]+\.[0-9]+\] ' "$log" | head -c 600)"
surface=$(main_surface)
[[ -n $surface ]] || { echo "FAIL: no toplevel xdg_surface for Form1 in the protocol"; finish; }
wait_for 10 'grep -q "wl_keyboard@[0-9]*\.enter(" "$log"'
check "the window has the keyboard focus" 'grep -q "wl_keyboard@[0-9]*\.enter(" "$log"'
names=$(wc -l <fmast.dat)
wait_for 20 '(($(atspi rows | wc -l) == names))'
check "the list holds fmast.dat's $names names" '(($(atspi rows | wc -l) == names))' "rows: $(atspi rows 2>&1 | wc -l)"
check "the load worked: no error box" '! grep -q "set_title(\"stockpicker\")" "$log"'
read -r ox oy <<<"$(window_origin)"
[[ -n ${oy:-} ]] || { echo "FAIL: sway's tree has no window Form1"; finish; }
shot start || { echo "FAIL: grim takes no screenshot"; finish; }

# --- typing a name picks it: the box shows it
type_text "Samsung S"
wait_for 10 '[[ "$(atspi combo)" == "Samsung SDI" ]]'
check "typing \"Samsung S\" picks Samsung SDI" '[[ "$(atspi combo)" == "Samsung SDI" ]]' "combo: $(atspi combo 2>&1)"
# F4 while the search lasts would open the list on its matches alone.
wait_for 10 '[[ -z "$(atspi shown)" ]]'
wait_for_change start picked "${box[@]}"
check "the box is drawn anew, and nothing else" 'inside "$(changed start picked)" "${box[@]}"' "changed: $(changed start picked)"

# --- F4 opens the list: a popup of the window, just below the box
rows=$(atspi rows)
next=$(grep -Fx -A1 "Samsung SDI" <<<"$rows" | sed -n 2p)
opened=$(mark)
key F4
wait_for 5 '[[ -n "$(popup_after $opened)" ]]'
read -r popup parent ax ay aw ah pw ph <<<"$(popup_after "$opened")"
check "F4 opens the list as an xdg_popup of the window" '[[ -n ${popup:-} && $parent == "$surface" ]]' \
    "popup ${popup:-none}, parent xdg_surface@${parent:-none}, the window's xdg_surface@$surface"
check "no other toplevel opens with it" '! since "$opened" | grep -q "get_toplevel("'
check "the popup is asked for just below the box, as wide as it and 8 rows high" \
    '[[ "${ax:-} ${ay:-} ${pw:-} ${ph:-}" == "${list[*]}" ]]' \
    "anchor rect ${ax:-?},${ay:-?} ${aw:-?}x${ah:-?}, size ${pw:-?}x${ph:-?}; the list's place ${list[*]}"
wait_for 5 '[[ -n "$(popup_placed "$opened" "${popup:-0}")" ]]'
check "sway puts it there" '[[ "$(popup_placed "$opened" "${popup:-0}")" == "${list[*]}" ]]' \
    "configure: $(popup_placed "$opened" "${popup:-0}")"
wait_for 5 '[[ "$(atspi highlighted)" == "Samsung SDI" ]]'
check "the list opens with the pick highlighted" '[[ "$(atspi highlighted)" == "Samsung SDI" ]]' \
    "highlighted: $(atspi highlighted 2>&1)"
# The box loses its focus mark as the list takes the keys: both may change.
wait_for 5 'shot list-open && inside "$(changed picked list-open)" "${below_box[@]}" && ! inside "$(changed picked list-open)" "${box[@]}"'
check "the list is drawn below the box" \
    'inside "$(changed picked list-open)" "${below_box[@]}" && ! inside "$(changed picked list-open)" "${box[@]}"' \
    "changed: $(changed picked list-open)"

# --- Down moves the highlight to the next row; the list stays open
key Down
wait_for 5 '[[ "$(atspi highlighted)" == "$next" ]]'
check "Down highlights the next row, $next" '[[ -n $next && "$(atspi highlighted)" == "$next" ]]' \
    "highlighted: $(atspi highlighted 2>&1)"
wait_for_change list-open list-down "${list[@]}"
check "only the list is drawn anew" 'inside "$(changed list-open list-down)" "${list[@]}"' "changed: $(changed list-open list-down)"
check "the list stays open" '! popup_destroyed "$opened" "${popup:-0}"'

# --- Return picks the highlighted row and closes the list
picked=$(mark)
key Return
wait_for 5 'popup_destroyed "$picked" "${popup:-0}"'
check "Return closes the list: the popup is destroyed" 'popup_destroyed "$picked" "${popup:-0}"'
wait_for 5 '[[ "$(atspi combo)" == "$next" ]]'
check "Return picks $next" '[[ "$(atspi combo)" == "$next" ]]' "combo: $(atspi combo 2>&1)"
# Gone from the screen: the window differs from before it opened only in the box.
wait_for_change picked picked-by-return "${box[@]}"
check "the list is gone, the box shows the new pick" 'inside "$(changed picked picked-by-return)" "${box[@]}"' \
    "changed: $(changed picked picked-by-return)"

# --- Escape closes an open list and picks nothing
opened=$(mark)
key F4
wait_for 5 '[[ -n "$(popup_after $opened)" ]]'
read -r popup parent _ <<<"$(popup_after "$opened")"
check "F4 opens the list again" '[[ -n ${popup:-} && $parent == "$surface" ]]'
wait_for 5 'shot list-again && [[ -n "$(changed picked-by-return list-again)" ]]'
closed=$(mark)
key Escape
wait_for 5 'popup_destroyed "$closed" "${popup:-0}"'
check "Escape closes the list: the popup is destroyed" 'popup_destroyed "$closed" "${popup:-0}"'
check "and keeps the pick" '[[ "$(atspi combo)" == "$next" ]]' "combo: $(atspi combo 2>&1)"
wait_for 5 'shot escaped && [[ -z "$(changed picked-by-return escaped)" ]]'
check "the window looks as before the list opened" '[[ -z "$(changed picked-by-return escaped)" ]]' \
    "changed: $(changed picked-by-return escaped)"
check "one wtype held the keyboard all along" 'kill -0 $keyboard'

# --- sway ends under the program
before=$(said)
kill "$sway"
if wait_for 20 '! kill -0 $program'; then
    wait "$program"
    status=$?
    check "when sway ends, the program ends with exit status 1" '((status == 1))' "status $status"
    last_said=$(grep -vE '^\[ *[0-9]+\.[0-9]+\] ' "$log" | tail -n +$((before + 1)))
    check "and one line of its own on stderr, besides the protocol log" '(($(said) == before + 1)) && [[ $last_said == "stockpicker: "* ]]' \
        "$(head -c 600 <<<"$last_said")"
else
    fail "when sway ends, the program ends"
fi
finish
