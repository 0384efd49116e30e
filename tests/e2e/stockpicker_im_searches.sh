#!/usr/bin/env bash
# What a real Hangul input method (ibus-hangul or fcitx5-hangul) types finds
# stocks by every rule, in the closed box and in the open list, read over
# AT-SPI as a screen reader reads them: 전자 inside names, Latin keys with
# the input method in Latin mode in either case and as the 2-set keyboard
# reads them, and an Escape in the middle of a syllable keeps the pick.
# Also screenshots the search's box while a syllable composes.
# Skips (77) where the input method is missing.
# Usage: stockpicker_im_searches.sh STOCKPICKER ibus|fcitx5 ARTIFACTS_DIR
set -uo pipefail
if [[ -z ${DBUS_SESSION_BUS_ADDRESS:-} ]]; then
    command -v dbus-run-session >/dev/null || { echo "skipped: no dbus-run-session"; exit 77; }
    exec dbus-run-session -- bash "$0" "$@"
fi
stockpicker=$(realpath "$1") im=$2 artifacts=$(realpath -m "$3")
here=$(dirname "$(realpath "$0")")
source "$here/x11-session.sh"
for tool in xdotool python3 import; do
    command -v "$tool" >/dev/null || skip "$tool is missing (bash scripts/install-deps.sh test)"
done
case $im in
ibus)
    compgen -G "/usr/lib/*/qt6/plugins/platforminputcontexts/libibusplatforminputcontextplugin.so" >/dev/null \
        || skip "Qt's ibus input context plugin is missing"
    command -v ibus-daemon >/dev/null || skip "ibus-daemon is missing (bash scripts/install-deps.sh test)"
    [[ -f /usr/share/ibus/component/hangul.xml && -x /usr/libexec/ibus-memconf ]] \
        || skip "ibus-hangul is missing (bash scripts/install-deps.sh test)"
    export QT_IM_MODULE=ibus
    ;;
fcitx5)
    compgen -G "/usr/lib/*/qt6/plugins/platforminputcontexts/libfcitx5platforminputcontextplugin.so" >/dev/null \
        || skip "fcitx5's Qt 6 front end is missing (bash scripts/install-deps.sh test)"
    command -v fcitx5 >/dev/null || skip "fcitx5 is missing (bash scripts/install-deps.sh test)"
    [[ -f /usr/share/fcitx5/inputmethod/hangul.conf ]] || skip "fcitx5-hangul is missing (bash scripts/install-deps.sh test)"
    export QT_IM_MODULE=fcitx
    ;;
*) echo "usage: $0 STOCKPICKER ibus|fcitx5 ARTIFACTS_DIR"; exit 2 ;;
esac
export QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1 LC_ALL=C.UTF-8
atspi() { /usr/bin/python3 "$here/atspi_query.py" "$@"; }

start_session
# The input methods keep their settings under HOME: a home of our own.
export HOME=$work/home XDG_CONFIG_HOME=$work/home/.config XDG_CACHE_HOME=$work/home/.cache \
    XDG_DATA_HOME=$work/home/.local/share
mkdir -p "$XDG_CONFIG_HOME/fcitx5"
if [[ $im == ibus ]]; then
    ibus-daemon --panel=disable --emoji-extension=disable --config=/usr/libexec/ibus-memconf --replace \
        >"$work/ibus.log" 2>&1 &
    pids+=($!)
    wait_for 20 'ibus engine hangul' || { fail "ibus-daemon starts and takes the hangul engine"; cat "$work/ibus.log"; finish; }
else
    cat >"$XDG_CONFIG_HOME/fcitx5/profile" <<'PROFILE'
[Groups/0]
Name=Default
Default Layout=us
DefaultIM=hangul

[Groups/0/Items/0]
Name=keyboard-us
Layout=

[Groups/0/Items/1]
Name=hangul
Layout=

[GroupOrder]
0=Default
PROFILE
    fcitx5 --disable=wayland,waylandim,kimpanel,notificationitem >"$work/fcitx5.log" 2>&1 &
    pids+=($!)
    wait_for 20 'grep -q "Loaded addon hangul" "$work/fcitx5.log" && fcitx5-remote' \
        || { fail "fcitx5 starts with its Hangul engine"; cat "$work/fcitx5.log"; finish; }
fi

mkdir "$work/run"
cd "$work/run"
line() { printf '%-9s%s\r\n' "$1" "$2"; }
# In list order (bytes): KB금융, LG전자, SK hynix, Samsung Electronics,
# 삼성전자, 삼성화재, 카카오, 하나금융지주.
{
    line 005930 "삼성전자"
    line 066570 "LG전자"
    line 000660 "SK hynix"
    line A005935 "Samsung Electronics"
    line 105560 "KB금융"
    line 000810 "삼성화재"
    line 035720 "카카오"
    line 086790 "하나금융지주"
} >fmast.dat
cp fmast.dat omast.dat
start_program || { echo "FAIL: no window titled Form1"; cat "$artifacts/stockpicker-stderr.txt"; exit 1; }
wait_for 20 'atspi frame'
xdotool windowactivate --sync "$window"
wait_for 5 '[[ $(xdotool getactivewindow) == "$window" ]]'

# Every name the search's box is given, in order, as screen readers hear it.
# Started itself, not through the function, so that $! is the watcher the
# cleanup ends, not a shell that would leave it running.
/usr/bin/python3 "$here/atspi_query.py" watch >"$work/said" 2>&1 &
pids+=($!)
wait_for 10 'grep -q "^watching$" "$work/said"' || { fail "the AT-SPI watcher starts"; cat "$work/said"; finish; }

# Hangul mode and Latin mode. ibus-hangul starts Latin, Shift+Space
# switches and Escape switches to Latin (its off-keys), and it tells no one
# its mode: it is kept here. fcitx5 starts each window with English keys
# (state 1), Ctrl+Space switches to Hangul (state 2), and fcitx5-remote says.
hangul_mode=0
to_hangul() {
    if [[ $im == ibus ]]; then
        ((hangul_mode)) || xdotool key shift+space
    elif [[ $(fcitx5-remote) != 2 ]]; then
        xdotool key ctrl+space
        wait_for 5 '[[ $(fcitx5-remote) == 2 ]]' || fail "fcitx5 switches to Hangul"
    fi
    hangul_mode=1
}
to_latin() {
    if [[ $im == ibus ]]; then
        ((hangul_mode)) && xdotool key shift+space
    elif [[ $(fcitx5-remote) != 1 ]]; then
        xdotool key ctrl+space
        wait_for 5 '[[ $(fcitx5-remote) == 1 ]]' || fail "fcitx5 switches to English keys"
    fi
    hangul_mode=0
}
escape() {
    xdotool key Escape
    [[ $im == ibus ]] && hangul_mode=0
}

keys() { xdotool type --delay 80 "$1"; }
# The search's box appears and goes as a window of its own.
search_shown() { [[ -n "$(atspi shown)" ]]; }
said_count() { wc -l <"$work/said"; }
# Waits until the search under way has ended (its box gone) and the pause
# that ends a composition has passed, so that the next keys begin anew.
new_search() {
    wait_for 10 '! search_shown' || fail "the search's box goes after a pause"
    sleep 1.2  # the program ends a syllable left composing after 1 s
}
open_list() {
    click_at 240 $((112 + 11))
    xdotool mousemove 0 0  # no tooltip over the box or a row
    wait_for 5 '[[ -n "$(atspi highlighted)" ]]' || fail "the list opens with a row highlighted"
}
close_list() {
    escape  # ends the search
    wait_for 10 '! search_shown'
    escape  # closes the list
    wait_for 5 '[[ -z "$(atspi highlighted)" ]]'
}
# checks WHAT WANT SEARCHED: the closed box's pick (combo) or the open
# list's highlighted row (highlighted) is WANT, and the search's box says
# SEARCHED to screen readers.
checks() {
    local what=$1 want=$2 searched=$3 where
    [[ $what == combo ]] && where="in the closed box" || where="in the open list"
    wait_for 10 '[[ "$(atspi "$what")" == "$want" ]]'
    check "$where the input method's \"$typed\" finds $want" '[[ "$(atspi "$what")" == "$want" ]]' \
        "$what: $(atspi "$what" 2>&1)"
    wait_for 10 '[[ "$(atspi search)" == "$searched" ]]'
    check "$where the search's box says: $searched" '[[ "$(atspi search)" == "$searched" ]]' \
        "search: $(atspi search 2>&1)"
}

# --- 전자 is inside names: the first in list order is LG전자.
to_hangul
typed=전자
keys wjswk
checks combo LG전자 'Searching for "전자"'
new_search
open_list
keys wjswk
checks highlighted LG전자 '2 stocks match "전자"'
close_list
new_search

# --- Latin mode: Latin letters in either case, and as the 2-set keyboard reads them.
to_latin
typed=samsung
keys samsung
checks combo "Samsung Electronics" 'Searching for "samsung"'
new_search
typed=tkatjd
keys tkatjd
checks combo 삼성전자 'Searching for "tkatjd" as "삼성"'
new_search
# The open list narrows to the matches, the first highlighted; a search
# there lasts until Escape.
open_list
typed=samsung
keys samsung
checks highlighted "Samsung Electronics" '1 stock matches "samsung"'
escape
wait_for 10 '! search_shown' || fail "Escape ends the search in the open list"
typed=tkatjd
keys tkatjd
checks highlighted 삼성전자 '2 stocks match "삼성"'
close_list
new_search

# --- A syllable composing, underlined in the search's box: 삼성화, 화
# composing. The box goes after the keyboard interval, so the screen is
# taken at once when screen readers hear the search, and cut later.
to_hangul
new_search
said_since() { tail -n +$((before + 1)) "$work/said"; }
before=$(said_count)
keys tkatjdghk
wait_for 5 'said_since | grep -qx "Searching for \"삼성화\""'
import -window root "$work/screen.png"
read -r cx cy cw ch <<<"$(geometry "$window")"
# Below the closed box's right end, where the search's box shows.
convert "$work/screen.png" -crop "240x40+$((cx + 250))+$((cy + 126))" +repage "$artifacts/$im-composing.png"
check "the search of 삼성화 picks 삼성화재" '[[ "$(atspi combo)" == 삼성화재 ]]' "combo: $(atspi combo 2>&1)"
xdotool key Down  # 카카오, picked before the next search
wait_for 5 '[[ "$(atspi combo)" == 카카오 ]]'
check "Down picks 카카오" '[[ "$(atspi combo)" == 카카오 ]]' "combo: $(atspi combo 2>&1)"
new_search

# --- Escape in the middle of a syllable: 삼서, 서 composing, finds 삼성전자;
# the input method commits 서 as the Escape ends the composition, and the
# Escape ends the search.
to_hangul
before=$(said_count)
keys tkatj
escape
wait_for 10 '[[ "$(atspi combo)" == 삼성전자 ]]'
check "삼서 then Escape leaves 삼성전자 picked" '[[ "$(atspi combo)" == 삼성전자 ]]' "combo: $(atspi combo 2>&1)"
check "screen readers heard the search of 삼서" 'said_since | grep -qx "Searching for \"삼서\""' \
    "heard: $(said_since | tr '\n' '|')"
wait_for 10 '! search_shown'
check "the search's box goes" '! search_shown'
# ㅋㅋ begins a new search from the top: had the Escape been lost, it would
# go on as 삼서ㅋㅋ, which matches nothing.
to_hangul
keys zz
wait_for 10 '[[ "$(atspi combo)" == 카카오 ]]'
check "after the Escape ㅋㅋ is a search of its own and picks 카카오" '[[ "$(atspi combo)" == 카카오 ]]' \
    "combo: $(atspi combo 2>&1)"
wait_for 10 'said_since | grep -qx "Searching for \"ㅋㅋ\""'
check "screen readers heard 삼서 and then ㅋㅋ" 'said_since | grep -qx "Searching for \"ㅋㅋ\""' \
    "heard: $(said_since | tr '\n' '|')"
check "nothing said No stock matches \"삼서\"" '! said_since | grep -q "No stock matches"' \
    "heard: $(said_since | tr '\n' '|')"
cp "$work/said" "$artifacts/said.txt"
close_and_check_exit wmctrl
finish
