#!/usr/bin/env bash
# stockdump's exit status and messages on usage and file errors.
set -uo pipefail
stockdump=$1
work=$(mktemp -d)
chmod 755 "$work"
trap 'rm -rf "$work"' EXIT
passed=0 failed=0

# check NAME EXPECTED_STATUS EXPECTED_STDERR COMMAND...
check() {
    local name=$1 status=$2 message=$3
    shift 3
    "$@" >"$work/out" 2>"$work/err"
    local got=$?
    if [[ $got == "$status" && "$(cat "$work/err")" == "$message" && ! -s "$work/out" ]]; then
        passed=$((passed + 1))
        echo "ok: $name"
    else
        failed=$((failed + 1))
        echo "FAIL: $name: status $got (want $status), stderr '$(cat "$work/err")' (want '$message'), stdout $(wc -c <"$work/out") bytes"
    fi
}

check "no argument is a usage error" 2 "usage: stockdump FILE" "$stockdump"
check "two arguments are a usage error" 2 "usage: stockdump FILE" "$stockdump" a b
check "a missing file is reported" 1 \
    "stockdump: cannot open file \"$work/omast.dat\": No such file or directory" "$stockdump" "$work/omast.dat"
check "a directory is reported" 1 "stockdump: cannot read file \"$work\": Is a directory" "$stockdump" "$work"
mkfifo "$work/fifo.dat"
check "a FIFO is refused without waiting" 1 \
    "stockdump: cannot read file \"$work/fifo.dat\": not a regular file (a FIFO)" timeout 10 "$stockdump" "$work/fifo.dat"

printf '000001   Kia\n' >"$work/locked.dat"
chmod 000 "$work/locked.dat"
if [[ $(id -u) == 0 ]]; then
    # Root reads any file: ask as nobody instead.
    check "an unreadable file is reported" 1 \
        "stockdump: cannot open file \"$work/locked.dat\": Permission denied" \
        setpriv --reuid=nobody --regid=nogroup --clear-groups "$stockdump" "$work/locked.dat"
else
    check "an unreadable file is reported" 1 \
        "stockdump: cannot open file \"$work/locked.dat\": Permission denied" "$stockdump" "$work/locked.dat"
fi

printf '000001   Kia\n' >"$work/ok.dat"
"$stockdump" "$work/ok.dat" >/dev/full 2>"$work/err"
if [[ $? == 1 && "$(cat "$work/err")" == "stockdump: cannot write output: No space left on device" ]]; then
    passed=$((passed + 1)); echo "ok: a full output device is reported"
else
    failed=$((failed + 1)); echo "FAIL: a full output device: '$(cat "$work/err")'"
fi

echo "$passed passed, $failed failed"
exit $((failed > 0))
