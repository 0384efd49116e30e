#!/usr/bin/env bash
# stockdump's exit status and messages on usage and file errors, and its
# use as a filter.
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

try="Try 'stockdump --help' for more information."
check "no argument is a usage error" 2 "stockdump: missing file operand"$'\n'"$try" "$stockdump"
check "two arguments are a usage error" 2 "stockdump: extra operand \"b\""$'\n'"$try" "$stockdump" a b
check "an unknown option is a usage error" 2 "stockdump: unrecognized option \"-x\""$'\n'"$try" "$stockdump" -x
cd "$work"
# A relative name is shown with the folder it was looked for in.
check "-- ends the options" 1 \
    "stockdump: cannot open file \"-x\" in $work: No such file or directory" "$stockdump" -- -x
mkdir "$work/tab"$'\t'"dir"
cd "$work/tab"$'\t'"dir"
check "a folder with a TAB is shown escaped" 1 \
    "stockdump: cannot open file \"omast.dat\" in \$'$work/tab\\tdir': No such file or directory" "$stockdump" omast.dat
cd "$work"
check "a missing file is reported" 1 \
    "stockdump: cannot open file \"$work/omast.dat\": No such file or directory" "$stockdump" "$work/omast.dat"
check "a directory is reported" 1 "stockdump: cannot read file \"$work\": Is a directory" "$stockdump" "$work"
# A name's control bytes never reach the terminal raw.
check "a name with ESC and a line feed is shown escaped" 1 \
    "stockdump: cannot open file \$'$work/x\\033[31m\\nz': No such file or directory" "$stockdump" "$work/x"$'\e[31m\nz'

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

# --help and --version are output too: a full disk is said, not passed over.
for option in --help --version; do
    "$stockdump" $option >/dev/full 2>"$work/err"
    status=$?
    if [[ $status == 1 && "$(cat "$work/err")" == "stockdump: cannot write output: No space left on device" ]]; then
        passed=$((passed + 1)); echo "ok: $option to a full output device is reported"
    else
        failed=$((failed + 1)); echo "FAIL: $option to a full output device: status $status, '$(cat "$work/err")'"
    fi
done

# Large enough to be formatted on several threads: the failed write is still
# reported with its own error, and no thread waits for ever.
yes '000001   Kia' | head -n 300000 >"$work/large.dat"
timeout 60 "$stockdump" "$work/large.dat" >/dev/full 2>"$work/err"
if [[ $? == 1 && "$(cat "$work/err")" == "stockdump: cannot write output: No space left on device" ]]; then
    passed=$((passed + 1)); echo "ok: a full output device is reported for a large file"
else
    failed=$((failed + 1)); echo "FAIL: a full output device, large file: '$(cat "$work/err")'"
fi

# As a filter: standard input, a pipe named on the command line, a FIFO.
printf '000002   Posco\r\n000001   Kia\r\n000003   Hanwha' >"$work/master.dat"
"$stockdump" "$work/master.dat" >"$work/want"
same_as_file() {
    local name=$1
    if cmp -s "$work/want" "$work/got"; then
        passed=$((passed + 1)); echo "ok: $name gives the same bytes as the file"
    else
        failed=$((failed + 1)); echo "FAIL: $name: '$(cat "$work/got")'"
    fi
}
"$stockdump" - <"$work/master.dat" >"$work/got"
same_as_file "-"
"$stockdump" /dev/stdin <"$work/master.dat" >"$work/got"
same_as_file "/dev/stdin"
"$stockdump" <(cat "$work/master.dat") >"$work/got"
same_as_file "<(cat FILE)"
mkfifo "$work/fifo.dat"
cat "$work/master.dat" >"$work/fifo.dat" &
timeout 10 "$stockdump" "$work/fifo.dat" >"$work/got"
same_as_file "a FIFO with a writer"
check "--version needs nothing else" 0 "" bash -c '"$0" --version | grep -q "^stockdump (stockpicker) [0-9]"' "$stockdump"
check "--help needs nothing else" 0 "" bash -c '"$0" --help | grep -q "^Usage: stockdump"' "$stockdump"
check "--vers is --version" 0 "" bash -c '"$0" --vers | grep -q "^stockdump (stockpicker) [0-9]"' "$stockdump"

# Under a Korean locale the message is Korean, in the locale's bytes, and so
# is glibc's reason after it, from libc-l10n's catalog.
korean_reasons=/usr/share/locale/ko/LC_MESSAGES/libc.mo
for locale in ko_KR.UTF-8 ko_KR.CP949; do
    [[ -d ${STOCKPICKER_TEST_LOCPATH:-}/$locale ]] || { echo "skip: $locale was not made (make-test-locales.sh)"; continue; }
    if [[ ! -r $korean_reasons ]]; then
        failed=$((failed + 1)); echo "FAIL: no $korean_reasons: glibc's Korean reasons are missing (bash scripts/install-deps.sh test installs libc-l10n)"
        continue
    fi
    printf 'stockdump: "%s/omast.dat" 파일을 열 수 없습니다: 그런 파일이나 디렉터리가 없습니다\n' "$work" |
        iconv -f UTF-8 -t "${locale#*.}" >"$work/want"
    LOCPATH=$STOCKPICKER_TEST_LOCPATH LC_ALL=$locale "$stockdump" "$work/omast.dat" 2>"$work/err"
    status=$?
    if ((status == 1)) && cmp -s "$work/want" "$work/err"; then
        passed=$((passed + 1)); echo "ok: a missing file is reported in Korean under $locale, its reason too"
    else
        failed=$((failed + 1)); echo "FAIL: under $locale: status $status, stderr '$(iconv -f "${locale#*.}" -t UTF-8 "$work/err")'"
    fi
done

echo "$passed passed, $failed failed"
exit $((failed > 0))
