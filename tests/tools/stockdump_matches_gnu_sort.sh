#!/usr/bin/env bash
# stockdump must order a master file exactly as a stable byte-wise sort on
# columns 10-47 does, and print columns 1-47 of each line.
set -euo pipefail
stockdump=$1 genmaster=$2
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
failures=0 passes=0

expect_same_as_sort() {
    local file=$1
    "$stockdump" "$file" >"$work/got"
    LC_ALL=C sort -s -t $'\x01' -k1.10,1.47 "$file" | sed 's/\r$//' | cut -b1-47 >"$work/want"
    if cmp -s "$work/got" "$work/want"; then
        passes=$((passes + 1))
        echo "ok: $(basename "$file") ($(wc -l <"$work/want") lines)"
    else
        echo "FAIL: $(basename "$file") differs from GNU sort:"
        diff <(od -c "$work/want") <(od -c "$work/got") | head -20 || true
        failures=$((failures + 1))
    fi
}

for seed in 1 2 3; do
    "$genmaster" 20000 --seed "$seed" >"$work/crlf-$seed.dat"
    expect_same_as_sort "$work/crlf-$seed.dat"
done
"$genmaster" 5000 --seed 9 --lf >"$work/lf.dat"
expect_same_as_sort "$work/lf.dat"
# Many exact repeats; long shared prefixes in CP949 with mixed line ends.
for style in vocabulary funds; do
    "$genmaster" 200000 --style "$style" >"$work/$style.dat"
    expect_same_as_sort "$work/$style.dat"
done

# Short lines, prefixes, trailing spaces, case, high bytes, empty lines and
# duplicates, with no line end after the last line.
printf '%s\n' \
    '000001   Samsung' '000002   Samsung Electronics' '000003   Samsung ' '000004   Samsung!' \
    '' '000005   samsung' '000006   SAMSUNG' '12345' '123456789' '123456789X' \
    $'000007   \xbb\xef\xbc\xba\xc0\xfc\xc0\xda' '000008   Kia' '000009   Kia' '000008   Kia' \
    '000010   A name that runs well past column forty-seven of the line' >"$work/edges.dat"
# Codes of every length 1-9 and names of every length 0-38, and past it.
for length in $(seq 1 9); do printf '%s\n' "$(printf '987654321' | cut -b1-"$length")"; done >>"$work/edges.dat"
for length in $(seq 0 40); do printf '0000%02d   %s\n' "$length" "$(printf '%*s' "$length" '' | tr ' ' n)"; done >>"$work/edges.dat"
printf '000011   Last line without end' >>"$work/edges.dat"
expect_same_as_sort "$work/edges.dat"

: >"$work/empty.dat"
expect_same_as_sort "$work/empty.dat"

echo "$passes passed, $failures failed"
exit $((failures > 0))
