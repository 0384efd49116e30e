#!/usr/bin/env bash
# genmaster's command line: options read by getopt_long as GNU tools read
# them, its usage errors, --help, --version and a full output device. The
# expected bytes are those of the genmaster before getopt_long (sha256, first
# 16 hex digits).
set -uo pipefail
genmaster=$1
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
export LC_ALL=C
passed=0 failed=0

mixed3=f345f03ea6ac41c5    # genmaster 3
funds3=7ae955f7644061b8    # genmaster 3 --style funds
seed7lf3=e7ca56edcfd501ea  # genmaster 3 --seed 7 --lf
nothing=e3b0c44298fc1c14   # no bytes
try="Try 'genmaster --help' for more information."

# check NAME STATUS STDOUT_SHA STDERR ARGS...
check() {
    local name=$1 status=$2 sha=$3 message=$4
    shift 4
    "$genmaster" "$@" >"$work/out" 2>"$work/err"
    local got=$? gotSha
    gotSha=$(sha256sum <"$work/out" | cut -c1-16)
    if [[ $got == "$status" && $gotSha == "$sha" && "$(cat "$work/err")" == "$message" ]]; then
        passed=$((passed + 1))
        echo "ok: $name"
    else
        failed=$((failed + 1))
        echo "FAIL: $name: status $got (want $status), stdout $gotSha (want $sha), stderr '$(cat "$work/err")' (want '$message')"
    fi
}

check "LINES alone gives the mixed style" 0 $mixed3 "" 3
check "--style takes its value after a space" 0 $funds3 "" 3 --style funds
check "--style takes its value after =" 0 $funds3 "" 3 --style=funds
check "--sty abbreviates --style" 0 $funds3 "" 3 --sty funds
check "options stand before LINES too" 0 $seed7lf3 "" --lf --seed=7 3
check "-- ends the options" 0 $mixed3 "" -- 3
check "no LINES is a usage error" 2 $nothing "genmaster: missing LINES operand"$'\n'"$try"
check "two operands are a usage error" 2 $nothing "genmaster: extra operand \"4\""$'\n'"$try" 3 4
check "--s is ambiguous" 2 $nothing "genmaster: ambiguous option \"--s\""$'\n'"$try" 3 --s 1
check "--seed needs a value" 2 $nothing "genmaster: option \"--seed\" requires a value"$'\n'"$try" 3 --seed
check "a seed that is no number is refused" 2 $nothing \
    "genmaster: invalid seed \"-1\": not a whole number"$'\n'"$try" 3 --seed=-1
check "an unknown style is refused" 2 $nothing \
    "genmaster: unknown style \"fund\": mixed, vocabulary or funds"$'\n'"$try" 3 --style fund
check "LINES that is no number is refused" 2 $nothing "genmaster: invalid number of lines \"3x\""$'\n'"$try" 3x
check "--lf takes no value" 2 $nothing "genmaster: unrecognized option \"--lf=1\""$'\n'"$try" 3 --lf=1

# --help and --version, and each written to a full disk.
# expect NAME COMMAND...: the command succeeds.
expect() {
    local name=$1
    shift
    if "$@"; then
        passed=$((passed + 1)); echo "ok: $name"
    else
        failed=$((failed + 1)); echo "FAIL: $name"
    fi
}
expect "--help says how to use it" bash -c '"$0" --help | grep -qx "Usage: genmaster \[OPTION\]... LINES"' "$genmaster"
expect "--vers is --version, which names the program and the suite" \
    bash -c '"$0" --vers | head -n 1 | grep -qx "genmaster (stockpicker) [0-9.]*"' "$genmaster"
for args in "--help" "--version" "3"; do
    "$genmaster" $args >/dev/full 2>"$work/err"
    status=$?
    if [[ $status == 1 && "$(cat "$work/err")" == "genmaster: cannot write output: No space left on device" ]]; then
        passed=$((passed + 1)); echo "ok: genmaster $args to a full disk is reported"
    else
        failed=$((failed + 1)); echo "FAIL: genmaster $args to a full disk: status $status, '$(cat "$work/err")'"
    fi
done

echo "$passed passed, $failed failed"
exit $((failed > 0))
