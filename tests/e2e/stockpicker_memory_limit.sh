#!/usr/bin/env bash
# Loads under a real memory limit, in a memory cgroup of the test's own:
# a load that cannot fit is refused with a clear message (exit status 1 for
# stockdump, an error box and a clean close for the window) and one that can
# fit succeeds; nothing is ever killed. A reload fits where one load fits.
# Usage: stockpicker_memory_limit.sh STOCKPICKER STOCKDUMP GENMASTER ARTIFACTS_DIR
set -uo pipefail
stockpicker=$(realpath "$1") stockdump=$(realpath "$2") genmaster=$(realpath "$3") artifacts=$(realpath -m "$4")
source "$(dirname "$0")/x11-session.sh"
sanitized_build && skip "a sanitizer build's shadow memory does not fit under a memory limit"
((EUID == 0)) || skip "making a memory cgroup needs root"

cgroups=()
cleanup_cgroups() { for dir in "${cgroups[@]}"; do rmdir "$dir" 2>/dev/null; done; }
trap 'cleanup; cleanup_cgroups' EXIT

# The mount point of the first filesystem of type $1 whose super options
# match $2 (mountinfo has a variable number of fields before its "-").
mount_of() {
    awk -v type="$1" -v options="$2" '{
        for (i = 1; i <= NF; ++i)
            if ($i == "-") {
                if ($(i + 1) == type && $(i + 3) ~ options) { print $5; exit }
                break
            }
    }' /proc/self/mountinfo
}

# Makes a memory cgroup below this process's own with a limit of $1 bytes;
# sets $cgroup and $cgroup_kind (v1 or v2).
make_cgroup() {
    local name=stockpicker-test-$$-${#cgroups[@]} mount path
    mount=$(mount_of cgroup2 '')
    path=$(awk -F: '$1 == "0" {print $3}' /proc/self/cgroup)
    if [[ -n $mount && -n $path ]] && grep -qw memory "$mount$path/cgroup.controllers" 2>/dev/null &&
        mkdir "$mount$path/$name" 2>/dev/null; then
        cgroup=$mount$path/$name cgroup_kind=v2
        cgroups+=("$cgroup")
        if echo "$1" >"$cgroup/memory.max" 2>/dev/null; then
            echo 0 >"$cgroup/memory.swap.max" 2>/dev/null
            return 0
        fi
    fi
    mount=$(mount_of cgroup '(^|,)memory(,|$)')
    path=$(awk -F: '$2 ~ /(^|,)memory(,|$)/ {print $3}' /proc/self/cgroup)
    [[ -n $mount && -n $path ]] && mkdir "$mount$path/$name" 2>/dev/null || return 1
    cgroup=$mount$path/$name cgroup_kind=v1
    cgroups+=("$cgroup")
    echo "$1" >"$cgroup/memory.limit_in_bytes" 2>/dev/null || return 1
    echo "$1" >"$cgroup/memory.memsw.limit_in_bytes" 2>/dev/null
    return 0
}

# Runs a command inside $cgroup.
in_cgroup() { bash -c 'echo $$ >"$0/cgroup.procs" && exec "$@"' "$cgroup" "$@"; }

# Starts the window inside $cgroup in the current directory; waits up to $1
# seconds for it (a large load comes first) and sets $window.
start_in_cgroup() {
    in_cgroup "$stockpicker" 2>>"$artifacts/stockpicker-stderr.txt" &
    program=$!
    pids+=("$program")
    wait_for "$1" 'xdotool search --name "^Form1\$"' || return 1
    window=$(xdotool search --name '^Form1$' | head -1)
}

oom_kills() {
    if [[ $cgroup_kind == v2 ]]; then
        awk '$1 == "oom_kill" {print $2}' "$cgroup/memory.events"
    else
        awk '$1 == "oom_kill" {print $2}' "$cgroup/memory.oom_control"
    fi
}

gib=$((1 << 30))
make_cgroup "$gib" || skip "no writable memory cgroup (v1 or v2) here"
echo "memory cgroup $cgroup_kind: $cgroup, limit 1 GiB"

mkdir "$work/empty" "$work/sparse" "$work/reload"
head -c 20000000 /dev/zero | tr '\0' '\n' >"$work/empty/fmast.dat"  # 20,000,000 empty lines
truncate -s 3G "$work/sparse/fmast.dat"                                  # one 3 GB line of 0 bytes

# stockdump: a clear refusal, or the right answer; never a kill.
in_cgroup "$stockdump" "$work/empty/fmast.dat" >/dev/null 2>"$work/dump-empty.err"
status=$?
check "stockdump refuses 20,000,000 lines in 1 GiB with exit status 1" '((status == 1))' "status $status"
check "and says why" 'grep -q "not enough memory to load" "$work/dump-empty.err"' "$(cat "$work/dump-empty.err")"
in_cgroup "$stockdump" "$work/sparse/fmast.dat" >"$work/dump-sparse.out" 2>"$work/dump-sparse.err"
status=$?
check "stockdump reads a 3 GB line in 1 GiB" '((status == 0)) && [[ $(od -An -c "$work/dump-sparse.out") == *"\n"* ]]' \
    "status $status: $(cat "$work/dump-sparse.err")"
check "no process was killed for memory" '(($(oom_kills) == 0))'

start_session

# The window, under the same limit: an error box, then a clean close.
cd "$work/empty"
if start_in_cgroup 60 && wait_for 20 error_box_shown; then
    ok "the window reports 20,000,000 lines as too many for 1 GiB"
    import -window root "$artifacts/not-enough-memory.png"
    check "the error box is dismissed with Return" dismiss_error_box
    close_and_check_exit wmctrl
else
    fail "the window reports 20,000,000 lines as too many for 1 GiB"
fi

cd "$work/sparse"
if start_in_cgroup 120; then
    sleep 1
    check "the window loads a 3 GB line in 1 GiB without a report" '! error_box_shown'
    close_and_check_exit wmctrl
else
    fail "the window opens with a 3 GB line in 1 GiB"
fi
check "no process was killed for memory" '(($(oom_kills) == 0))'

# A reload of 4,000,000 lines within 1.5 times what one load of them takes.
cd "$work/reload"
"$genmaster" 4000000 >fmast.dat
ln fmast.dat omast.dat
start_program || fail "the window opens with 4,000,000 lines"
wait_idle 60 || fail "the load of 4,000,000 lines ends"
peak_kb=$(awk '/VmHWM/{print $2}' "/proc/$program/status")
close_and_check_exit wmctrl
limit=$((peak_kb * 1024 * 3 / 2))
make_cgroup "$limit" || skip "no second memory cgroup"
echo "one load of 4,000,000 lines peaks at $((peak_kb / 1024)) MB; limit $((limit >> 20)) MB"
if start_in_cgroup 60; then
    wait_idle 60
    check "the first load fits without a report" '! error_box_shown'
    click_omast
    sleep 1
    wait_idle 60  # a report would show by then
    check "the reload fits without a report" '! error_box_shown'
    check "the program is still running" 'kill -0 $program'
    import -window root "$artifacts/reloaded-under-limit.png"
    close_and_check_exit wmctrl
else
    fail "the window opens under 1.5 times one load's peak"
fi
check "no process was killed for memory" '(($(oom_kills) == 0))'
finish
