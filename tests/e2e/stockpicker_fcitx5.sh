#!/usr/bin/env bash
# Hangul typed into the open list through fcitx5-hangul in its default
# configuration, where each window keeps an input state of its own: Hangul
# is switched on in the window once, and the open list, which never takes
# the focus from the box, composes with the same state. Skips (77) where
# fcitx5-hangul or its Qt 6 front end is missing.
# Usage: stockpicker_fcitx5.sh STOCKPICKER ARTIFACTS_DIR
set -uo pipefail
if [[ -z ${DBUS_SESSION_BUS_ADDRESS:-} ]]; then
    command -v dbus-run-session >/dev/null || { echo "skipped: no dbus-run-session"; exit 77; }
    exec dbus-run-session -- bash "$0" "$@"
fi
stockpicker=$(realpath "$1") artifacts=$(realpath -m "$2")
here=$(dirname "$(realpath "$0")")
source "$here/x11-session.sh"
compgen -G "/usr/lib/*/qt6/plugins/platforminputcontexts/libfcitx5platforminputcontextplugin.so" >/dev/null \
    || skip "fcitx5's Qt 6 front end is missing (bash scripts/install-deps.sh test)"
for tool in fcitx5 fcitx5-remote xdotool python3; do
    command -v "$tool" >/dev/null || skip "$tool is missing (bash scripts/install-deps.sh test)"
done
[[ -f /usr/share/fcitx5/inputmethod/hangul.conf ]] || skip "fcitx5-hangul is missing (bash scripts/install-deps.sh test)"
export QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1 LC_ALL=C.UTF-8 QT_IM_MODULE=fcitx
atspi() { /usr/bin/python3 "$here/atspi_query.py" "$@"; }

start_session
# A home of our own: the input methods are English keys and Hangul, and
# nothing else of fcitx5's settings is changed, so each window keeps its
# own state, as it does by default.
export HOME=$work/home XDG_CONFIG_HOME=$work/home/.config XDG_DATA_HOME=$work/home/.local/share
mkdir -p "$XDG_CONFIG_HOME/fcitx5"
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

mkdir "$work/run"
cd "$work/run"
line() { printf '%-9s%s\r\n' "$1" "$2"; }
{
    line 005930 "삼성전자"
    line 000810 "삼성화재"
    line 035720 "카카오"
    line 086790 "하나금융지주"
} >fmast.dat
start_program || { echo "FAIL: no window titled Form1"; cat "$artifacts/stockpicker-stderr.txt"; exit 1; }
wait_for 20 'atspi frame'
xdotool windowactivate --sync "$window"
sleep 1
# fcitx5 starts each window with English keys; Ctrl+Space switches Hangul on.
xdotool key ctrl+space
wait_for 5 '[[ $(fcitx5-remote) == 2 ]]'
check "Hangul is on in the window" '[[ $(fcitx5-remote) == 2 ]]' "fcitx5-remote: $(fcitx5-remote)"
keys() { xdotool type --delay 80 "$1"; }
read -r cx cy cw ch <<<"$(geometry "$window")"
shot() { import -window root -crop "700x300+$cx+$((cy + 90))" "$artifacts/$1.png"; }

keys zz  # ㅋㅋ: a pick elsewhere first
wait_for 5 '[[ "$(atspi combo)" == "카카오" ]]'
check "in the closed box ㅋㅋ picks 카카오" '[[ "$(atspi combo)" == "카카오" ]]' "combo: $(atspi combo 2>&1)"
sleep 2
click_at 240 $((112 + 11))
sleep 1
keys tkatjd  # 삼성, typed into the open list
sleep 0.5
shot fcitx5-open-list
check "the open list's window keeps Hangul on" '[[ $(fcitx5-remote) == 2 ]]' "fcitx5-remote: $(fcitx5-remote)"
xdotool key Return
wait_for 5 '[[ "$(atspi combo)" == "삼성전자" ]]'
check "삼성 typed into the open list moves its highlight from 카카오 to 삼성전자" \
    '[[ "$(atspi combo)" == "삼성전자" ]]' "combo: $(atspi combo 2>&1)"
close_and_check_exit wmctrl
finish
