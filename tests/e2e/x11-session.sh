# Shared by the end-to-end tests (sourced, not run): a display of our own
# with a window manager, the program under test, and small checks.
# Expects $stockpicker and $artifacts; sets $work, $DISPLAY, $program, $window.

work=$(mktemp -d)
# Runtime files of our own: the accessibility bus puts its socket there, and
# else in ~/.cache/at-spi, where a test running beside this one would find it.
# The session bus starts that bus on demand, with the environment it is given.
export XDG_RUNTIME_DIR=$work/runtime
mkdir -m 700 "$XDG_RUNTIME_DIR"
if [[ -n ${DBUS_SESSION_BUS_ADDRESS:-} ]]; then
    dbus-update-activation-environment XDG_RUNTIME_DIR
fi
# The program shows its window on the X server the test starts: with Qt's
# Wayland platform installed, Qt would prefer a Wayland session's compositor
# even with DISPLAY set. The Wayland cases say so per command.
export QT_QPA_PLATFORM=xcb
unset WAYLAND_DISPLAY
# In a sanitizer build the program needs the suppressions however it is run.
export LSAN_OPTIONS=${LSAN_OPTIONS:-suppressions=$(realpath "$(dirname "${BASH_SOURCE[0]}")/../lsan.supp"):print_suppressions=0}
passed=0 failed=0
pids=()
mkdir -p "$artifacts"
: >"$artifacts/stockpicker-stderr.txt"

# Ends only what this shell started and is still running: a process that
# ended long ago may have left its number to someone else's.
cleanup() {
    local running
    running=$(jobs -pr)
    [[ -n $running ]] && kill $running 2>/dev/null
    wait 2>/dev/null
    rm -rf "$work"
}
trap cleanup EXIT

ok() { passed=$((passed + 1)); echo "ok: $1"; }
fail() { failed=$((failed + 1)); echo "FAIL: $1"; }
check() { if eval "$2"; then ok "$1"; else fail "$1 (${3:-})"; fi; }
finish() { echo "$passed passed, $failed failed"; exit $((failed > 0)); }
# Ends a test that cannot run here; CTest shows it as skipped (SKIP_RETURN_CODE).
skip() { echo "skipped: $1"; exit 77; }

# Waits up to $1 seconds for command $2 to succeed.
wait_for() {
    local deadline=$((SECONDS + $1))
    until eval "$2" >/dev/null 2>&1; do
        ((SECONDS >= deadline)) && return 1
        sleep 0.1
    done
}

# Starts Xvfb, with a screen of $screen_size (1280x1024x24 unless set),
# and, unless told "without-window-manager", openbox.
start_session() {
    rm -f "$work/display"  # a session started before left its number there
    Xvfb -displayfd 3 -screen 0 "${screen_size:-1280x1024x24}" -nolisten tcp 3>"$work/display" 2>"$work/xvfb.log" &
    pids+=($!)
    wait_for 10 '[[ -s $work/display ]]' || { echo "FAIL: Xvfb did not start"; cat "$work/xvfb.log"; exit 1; }
    export DISPLAY=:$(cat "$work/display")
    [[ ${1:-} == without-window-manager ]] && return
    openbox >"$work/openbox.log" 2>&1 &
    pids+=($!)
    wait_for 10 'wmctrl -m' || { echo "FAIL: openbox did not start"; exit 1; }
}

# Starts the program in the current directory; waits for its window.
start_program() {
    "$stockpicker" 2>>"$artifacts/stockpicker-stderr.txt" &
    program=$!
    pids+=("$program")
    wait_for 20 'xdotool search --name "^Form1\$"' || return 1
    window=$(xdotool search --name '^Form1$' | head -1)
}

# Waits up to $1 seconds until the program has used no processor time for
# a second: a load runs beside the window, which shows before it ends.
wait_idle() {
    local deadline=$((SECONDS + $1)) last=-1 now
    while ((SECONDS < deadline)); do
        now=$(awk '{print $14 + $15}' "/proc/$program/stat" 2>/dev/null) || return 1
        [[ $now == "$last" ]] && return 0
        last=$now
        sleep 1
    done
    return 1
}

# Absolute geometry of window $1 as "X Y W H".
geometry() {
    xwininfo -id "$1" | awk '/Absolute upper-left X/{x=$NF} /Absolute upper-left Y/{y=$NF} /Width:/{w=$NF} /Height:/{h=$NF} END{print x, y, w, h}'
}

frame_of() { xwininfo -children -id "$1" | awk '/Parent window id/{print $4}'; }

# Whether an error box is showing.
error_box_shown() { xdotool search --onlyvisible --name '^stockpicker$' >/dev/null 2>&1; }

# Clicks at ($1, $2) of the window's client area.
click_at() {
    local cx cy cw ch
    read -r cx cy cw ch <<<"$(geometry "$window")"
    xdotool mousemove $((cx + $1)) $((cy + $2)) click 1
}

click_omast() { click_at $((200 + 37)) $((64 + 12)); }

# Dismisses the error box as a person would: it is modal and has the focus.
dismiss_error_box() {
    xdotool key Return
    wait_for 5 '! error_box_shown'
}

# Closes the main window; checks the program ends with exit status 0.
close_and_check_exit() {
    local how=$1
    if [[ $how == alt+F4 ]]; then
        xdotool windowactivate --sync "$window" key --clearmodifiers alt+F4
    else
        wmctrl -c Form1
    fi
    if wait_for 10 '! kill -0 $program'; then
        wait "$program"
        local status=$?
        check "closing with $how ends the program with exit status 0" '((status == 0))' "status $status"
    else
        fail "closing with $how ends the program"
    fi
}

# Whether the program under test was built with AddressSanitizer.
sanitized_build() { [[ $(nm "$stockpicker" 2>/dev/null) == *__asan_init* ]]; }
