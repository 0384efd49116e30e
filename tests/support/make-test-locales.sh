#!/usr/bin/env bash
# Makes the locales the character-set tests run under, in DIR (for LOCPATH):
#   ko_KR.EUC-KR  Korean with the EUC-KR character set
#   ko_KR.CP949   Korean with CP949, Korean Windows' superset of EUC-KR
#   ko_KR.UTF-8   Korean with UTF-8
#   xx_XX         a character set named STOCKPICKER-NO-SUCH-CHARSET, which
#                 iconv does not know
# Needs localedef and the locale sources of the `locales` package. What
# cannot be made is left out, and the tests that need it skip, saying why.
# Usage: make-test-locales.sh DIR
set -uo pipefail
dir=$1
rm -rf "$dir"
mkdir -p "$dir"
if ! command -v localedef >/dev/null; then
    echo "no localedef: the character-set tests will skip"
    exit 0
fi
# localedef warns about categories the sources leave out; only the result counts.
localedef -i ko_KR -f EUC-KR "$dir/ko_KR.EUC-KR" >"$dir/ko_KR.log" 2>&1 ||
    { rm -rf "$dir/ko_KR.EUC-KR"; echo "cannot make ko_KR.EUC-KR:"; cat "$dir/ko_KR.log"; }
localedef -i ko_KR -f CP949 "$dir/ko_KR.CP949" >"$dir/ko_KR.CP949.log" 2>&1 ||
    { rm -rf "$dir/ko_KR.CP949"; echo "cannot make ko_KR.CP949:"; cat "$dir/ko_KR.CP949.log"; }
localedef -i ko_KR -f UTF-8 "$dir/ko_KR.UTF-8" >"$dir/ko_KR.UTF-8.log" 2>&1 ||
    { rm -rf "$dir/ko_KR.UTF-8"; echo "cannot make ko_KR.UTF-8:"; cat "$dir/ko_KR.UTF-8.log"; }
charmap=/usr/share/i18n/charmaps/ANSI_X3.4-1968.gz
if [[ -r $charmap ]]; then
    zcat "$charmap" | sed -e 's/^<code_set_name> .*/<code_set_name> STOCKPICKER-NO-SUCH-CHARSET/' -e '/^% alias/d' >"$dir/unknown.charmap"
    # -c: the C locale's sources name characters this character set lacks.
    localedef -c -i C -f "$dir/unknown.charmap" "$dir/xx_XX" >"$dir/xx_XX.log" 2>&1
    [[ -d $dir/xx_XX ]] || { echo "cannot make xx_XX:"; cat "$dir/xx_XX.log"; }
fi
ls "$dir"
exit 0
