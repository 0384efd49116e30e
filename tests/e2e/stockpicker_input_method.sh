#!/usr/bin/env bash
# Type-to-find through a real Hangul input method: ibus with ibus-hangul's
# 2-set keyboard, in Xvfb with openbox and a D-Bus session of its own. The
# syllable being composed searches before the next key, a syllable left
# composing by a pause stays out of the next search, and the open list's
# highlight follows the same keys. Skips (77) where ibus-hangul is missing.
# Usage: stockpicker_input_method.sh STOCKPICKER ARTIFACTS_DIR
set -uo pipefail
if [[ -z ${DBUS_SESSION_BUS_ADDRESS:-} ]]; then
    command -v dbus-run-session >/dev/null || { echo "skipped: no dbus-run-session"; exit 77; }
    exec dbus-run-session -- bash "$0" "$@"
fi
stockpicker=$(realpath "$1") artifacts=$(realpath -m "$2")
here=$(dirname "$(realpath "$0")")
source "$here/x11-session.sh"
plugin=$(find /usr/lib/*/qt6/plugins/platforminputcontexts -name 'libibusplatforminputcontextplugin.so' 2>/dev/null | head -1)
[[ -n $plugin ]] || skip "Qt's ibus input context plugin is missing"
for tool in ibus-daemon ibus xdotool python3; do
    command -v "$tool" >/dev/null || skip "$tool is missing (bash scripts/install-deps.sh test)"
done
[[ -f /usr/share/ibus/component/hangul.xml && -x /usr/libexec/ibus-memconf ]] || skip "ibus-hangul is missing (bash scripts/install-deps.sh test)"
export QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1 LC_ALL=C.UTF-8 QT_IM_MODULE=ibus
atspi() { /usr/bin/python3 "$here/atspi_query.py" "$@"; }

start_session
# ibus keeps its settings and cache under HOME; a home of our own keeps the
# user's out and ours from them.
export HOME=$work/home XDG_CONFIG_HOME=$work/home/.config XDG_CACHE_HOME=$work/home/.cache
mkdir -p "$HOME"
# ibus-engine-hangul waits for a config component: ibus-memconf is one that
# needs no dconf.
ibus-daemon --panel=disable --emoji-extension=disable --config=/usr/libexec/ibus-memconf --replace \
    >"$work/ibus.log" 2>&1 &
pids+=($!)
wait_for 20 'ibus engine hangul' || { fail "ibus-daemon starts and takes the hangul engine"; cat "$work/ibus.log"; finish; }

mkdir "$work/run"
cd "$work/run"
line() { printf '%-9s%s\r\n' "$1" "$2"; }
{
    line 005930 "삼성전자"
    line 000810 "삼성화재"
    line 035720 "카카오"
    line 086790 "하나금융지주"
    line 015760 "한국전력"
    line 005380 "현대차"
} >fmast.dat
cp fmast.dat omast.dat
start_program || { echo "FAIL: no window titled Form1"; cat "$artifacts/stockpicker-stderr.txt"; exit 1; }
wait_for 20 'atspi frame'
xdotool windowactivate --sync "$window"
sleep 1
ibus engine hangul
# ibus-hangul starts in Latin mode; Shift+Space is its default switch to Hangul.
xdotool key shift+space
sleep 0.5

# Keys of the 2-set keyboard, one at a time, as a person types them.
keys() { xdotool type --delay 80 "$1"; }
read -r cx cy cw ch <<<"$(geometry "$window")"
shot() { import -window root -crop "700x300+$cx+$((cy + 90))" "$artifacts/$1.png"; }

keys tkatjdghk  # 삼성화, the 화 still composing
wait_for 5 '[[ "$(atspi combo)" == "삼성화재" ]]'
check "삼성화 picks 삼성화재 while 화 is composing" '[[ "$(atspi combo)" == "삼성화재" ]]' "combo: $(atspi combo 2>&1)"
shot composing-closed-box
sleep 2
keys zzd  # ㅋㅋㅇ, the ㅇ left composing
wait_for 5 '[[ "$(atspi combo)" == "카카오" ]]'
check "ㅋㅋㅇ picks 카카오" '[[ "$(atspi combo)" == "카카오" ]]' "combo: $(atspi combo 2>&1)"
sleep 2
keys gsr  # ㅎㄴㄱ, a new search
wait_for 5 '[[ "$(atspi combo)" == "하나금융지주" ]]'
check "after a pause ㅎㄴㄱ picks 하나금융지주, without the ㅇ left composing" \
    '[[ "$(atspi combo)" == "하나금융지주" ]]' "combo: $(atspi combo 2>&1)"

# The same keys in the open list narrow it to the matches; Return picks the first.
sleep 2
click_at 240 $((112 + 11))
sleep 1
keys tkatjdghk
sleep 0.3
shot composing-open-list
xdotool key Return
wait_for 5 '[[ "$(atspi combo)" == "삼성화재" ]]'
check "in the open list 삼성화 highlights 삼성화재" '[[ "$(atspi combo)" == "삼성화재" ]]' "combo: $(atspi combo 2>&1)"
sleep 2
click_at 240 $((112 + 11))
sleep 1
keys zzd
# Longer than the keyboard interval and the time a syllable may take: the
# open list's search goes on, its matches shown.
sleep 2
check "in the open list a pause does not end the search" \
    '[[ "$(atspi shown)" == *" match"*"\"ㅋㅋㅇ\""* && "$(atspi highlighted)" == "카카오" ]]' \
    "shown: $(atspi shown 2>&1), highlighted: $(atspi highlighted 2>&1)"
xdotool key Return
wait_for 5 '[[ "$(atspi combo)" == "카카오" ]]'
check "after the pause Return picks the match of ㅋㅋㅇ, 카카오" '[[ "$(atspi combo)" == "카카오" ]]' \
    "combo: $(atspi combo 2>&1)"
close_and_check_exit wmctrl
finish
