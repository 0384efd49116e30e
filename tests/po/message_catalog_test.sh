#!/usr/bin/env bash
# The catalogs against the sources: every message xgettext finds has a
# translator's comment and, in each po/LL.po, a translation that is neither
# missing nor fuzzy, with the same {N} placeholders; Korean converts to EUC-KR,
# so that it reaches EUC-KR and CP949 terminals whole.
# Usage: message_catalog_test.sh SOURCE_DIR
set -uo pipefail
# The gettext tools warn, into what is checked, when the locale is not UTF-8.
export LC_ALL=C.UTF-8
src=$(realpath "$1")
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
passed=0 failed=0
ok() { passed=$((passed + 1)); echo "ok: $1"; }
fail() { failed=$((failed + 1)); echo "FAIL: $1"; }
check() { if eval "$2"; then ok "$1"; else fail "$1 (${3:-})"; fi; }

for tool in xgettext msgcmp msgconv msgexec msggrep msgfmt; do
    command -v "$tool" >/dev/null || { echo "FAIL: $tool is missing (bash scripts/install-deps.sh test)"; exit 1; }
done
bash "$src/po/extract-messages.sh" "$src" "$work/messages.pot" 2>"$work/err" ||
    { cat "$work/err"; echo "FAIL: xgettext"; exit 1; }
sed -i 's/charset=CHARSET/charset=UTF-8/' "$work/messages.pot"
msggrep --invert-match --extracted-comment --regexp='TRANSLATORS:' "$work/messages.pot" |
    grep '^#:' >"$work/uncommented"
check "every message has a TRANSLATORS: comment" '[[ ! -s $work/uncommented ]]' "$(cat "$work/uncommented")"

while read -r language; do
    [[ -z $language || $language == \#* ]] && continue
    po=$src/po/$language.po
    msgcmp "$po" "$work/messages.pot" >"$work/out" 2>&1
    status=$?
    check "$language.po translates every message, none fuzzy" '((status == 0))' "$(cat "$work/out")"
    msgfmt --check --output-file=/dev/null "$po" >"$work/out" 2>&1
    status=$?
    check "$language.po compiles with msgfmt --check" '((status == 0))' "$(cat "$work/out")"
    # msgexec gives each translation on standard input, its msgid in MSGEXEC_MSGID.
    msgexec --input="$po" sh -c '[ -z "$MSGEXEC_MSGID" ] ||
        [ "$(printf %s "$MSGEXEC_MSGID" | grep -o "{[0-9]}" | sort -u)" = "$(grep -o "{[0-9]}" | sort -u)" ] ||
        echo "$MSGEXEC_LOCATION"' >"$work/out" 2>&1
    check "$language.po keeps each message's placeholders" '[[ ! -s $work/out ]]' "$(cat "$work/out")"
done <"$src/po/LINGUAS"

msgconv --to-code=EUC-KR --output-file=/dev/null "$src/po/ko.po" >"$work/out" 2>&1
status=$?
check "ko.po converts to EUC-KR" '((status == 0))' "$(cat "$work/out")"

echo "$passed passed, $failed failed"
exit $((failed > 0))
