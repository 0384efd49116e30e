#!/usr/bin/env bash
# cmake --install into a temporary prefix: the files a Linux desktop expects
# are there and nothing else, each passes the validator its ecosystem uses,
# and the installed programs work with no display.
# Usage: install_test.sh BUILD_DIR BUILT_STOCKDUMP EXAMPLES_DIR VERSION APP_ID
set -uo pipefail
build=$(realpath "$1") built_stockdump=$(realpath "$2") examples=$(realpath "$3") version=$4 id=$5
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
passed=0 failed=0
ok() { passed=$((passed + 1)); echo "ok: $1"; }
fail() { failed=$((failed + 1)); echo "FAIL: $1"; }
check() { if eval "$2"; then ok "$1"; else fail "$1 (${3:-})"; fi; }

for tool in desktop-file-validate appstreamcli groff; do
    command -v "$tool" >/dev/null || { echo "FAIL: $tool is missing (bash scripts/install-deps.sh test)"; exit 1; }
done

prefix=$work/prefix
if ! cmake --install "$build" --prefix "$prefix" >"$work/install.log" 2>&1; then
    cat "$work/install.log"
    echo "FAIL: cmake --install"
    exit 1
fi

expected="bin/stockdump
bin/stockpicker
share/applications/$id.desktop
share/doc/stockpicker/changelog
share/doc/stockpicker/copyright
share/icons/hicolor/scalable/apps/$id.svg
share/locale/ko/LC_MESSAGES/stockpicker.mo
share/man/ko/man1/stockdump.1
share/man/ko/man1/stockpicker.1
share/man/man1/stockdump.1
share/man/man1/stockpicker.1
share/metainfo/$id.metainfo.xml"
installed=$(cd "$prefix" && find . -type f -printf '%P\n' | LC_ALL=C sort)
check "the prefix holds exactly the expected files (no genmaster)" '[[ $installed == "$expected" ]]' \
    "installed: $(echo $installed)"
check "the programs are executable" '[[ -x $prefix/bin/stockpicker && -x $prefix/bin/stockdump ]]'

desktop=$prefix/share/applications/$id.desktop
metainfo=$prefix/share/metainfo/$id.metainfo.xml
desktop-file-validate "$desktop" >"$work/out" 2>&1
status=$?
check "the desktop entry is valid" '((status == 0)) && [[ ! -s $work/out ]]' "$(cat "$work/out")"
check "the desktop entry starts the installed program by name" 'grep -qx "Exec=stockpicker" "$desktop"'
check "the desktop entry's Icon= names the installed icon" 'grep -qx "Icon=$id" "$desktop"'
appstreamcli validate --no-net "$metainfo" >"$work/out" 2>&1
status=$?
check "the AppStream metadata is valid" '((status == 0))' "$(cat "$work/out")"
check "the AppStream component launches the desktop entry" \
    'grep -q "<launchable type=\"desktop-id\">$id.desktop</launchable>" "$metainfo"'
check "the AppStream metadata names the licence" \
    'grep -q "<project_license>MIT</project_license>" "$metainfo" && grep -q "<metadata_license>MIT</metadata_license>" "$metainfo"'
check "the AppStream releases name this version" 'grep -q "<release version=\"$version\"" "$metainfo"'
check "the AppStream description says where the files are read from" \
    'grep -q "from its current folder" "$metainfo" && grep -q "home" "$metainfo"'
check "the icon is an SVG drawing" 'head -c 200 "$prefix/share/icons/hicolor/scalable/apps/$id.svg" | grep -q "<svg"'

for page in stockpicker stockdump; do
    man=$prefix/share/man/man1/$page.1
    groff -man -ww -z "$man" >"$work/out" 2>&1
    status=$?
    check "$page.1 renders with no warnings" '((status == 0)) && [[ ! -s $work/out ]]' "$(cat "$work/out")"
    check "$page.1 is for this version" 'grep -q "^\.TH .*\"stockpicker $version\"" "$man"'
    for section in SYNOPSIS DESCRIPTION '"MASTER FILE FORMAT"' '"EXIT STATUS"' ENVIRONMENT EXAMPLES; do
        check "$page.1 has the section $section" 'grep -qx "\.SH $section" "$man"'
    done
done
for page in stockpicker stockdump; do
    man=$prefix/share/man/ko/man1/$page.1
    groff -k -Tutf8 -man -ww -z "$man" >"$work/out" 2>&1
    status=$?
    check "the Korean $page.1 renders with no warnings" '((status == 0)) && [[ ! -s $work/out ]]' "$(cat "$work/out")"
    check "man -L ko $page finds the Korean page" \
        '[[ $(MANPATH=$prefix/share/man man -L ko -w $page) == "$man" ]]' "$(MANPATH=$prefix/share/man man -L ko -w $page 2>&1)"
done
check "the desktop entry and the AppStream metadata have a Korean name and summary" \
    'grep -q "^Name\[ko\]=" "$desktop" && grep -q "^Comment\[ko\]=" "$desktop" && grep -q "^Keywords\[ko\]=" "$desktop" &&
     grep -q "<name xml:lang=\"ko\">" "$metainfo" && grep -q "<summary xml:lang=\"ko\">" "$metainfo"'
check "stockpicker.1 says it reads the current directory, the home directory from the menu" \
    'grep -q "current directory" "$prefix/share/man/man1/stockpicker.1" && grep -q "home" "$prefix/share/man/man1/stockpicker.1"'

# Installed and built stockdump agree on the sample master file.
"$prefix/bin/stockdump" "$examples/fmast.dat" >"$work/installed.txt" 2>"$work/err"
status=$?
"$built_stockdump" "$examples/fmast.dat" >"$work/built.txt"
check "the installed stockdump reads the sample file" '((status == 0)) && [[ -s $work/installed.txt ]]' \
    "status $status: $(cat "$work/err")"
check "the installed stockdump prints what the built one prints" 'cmp -s "$work/installed.txt" "$work/built.txt"'
check "it prints one line per line of the sample file" \
    '(($(wc -l <"$work/installed.txt") == $(tr -d "\r" <"$examples/fmast.dat" | wc -l)))'
# The installed program reads the installed catalog, not the build tree's.
if [[ -d ${STOCKPICKER_TEST_LOCPATH:-}/ko_KR.UTF-8 ]]; then
    LOCPATH=$STOCKPICKER_TEST_LOCPATH LC_ALL=ko_KR.UTF-8 "$prefix/bin/stockdump" >/dev/null 2>"$work/err"
    check "the installed stockdump speaks Korean under ko_KR.UTF-8" \
        'grep -qx "stockdump: 파일 피연산자가 없습니다" "$work/err"' "$(cat "$work/err")"
else
    echo "skip: ko_KR.UTF-8 was not made (tests/support/make-test-locales.sh)"
fi

# With no display at all: the environment of a build machine or an ssh login.
cd "$work"
nodisplay() { env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM "$@" >"$work/out" 2>"$work/err"; }
for program in stockpicker stockdump; do
    nodisplay "$prefix/bin/$program" --help
    status=$?
    check "$program --help exits 0 with no display" '((status == 0)) && [[ ! -s $work/err ]]' "status $status: $(cat "$work/err")"
    check "$program --help prints its usage" 'grep -q "^Usage: $program " "$work/out"'
    nodisplay "$prefix/bin/$program" --version
    status=$?
    check "$program --version exits 0 with no display" '((status == 0)) && [[ ! -s $work/err ]]' "status $status: $(cat "$work/err")"
    check "$program --version prints the project's version and licence" \
        '[[ $(head -1 "$work/out") == "$program"*" $version" ]] && grep -qx "License: MIT." "$work/out"' "$(cat "$work/out")"
done
nodisplay "$prefix/bin/stockpicker" fmast.dat
status=$?
check "stockpicker with an operand is a usage error (status 2)" \
    '((status == 2)) && [[ ! -s $work/out ]] && grep -q "^Try .stockpicker --help." "$work/err"' "status $status: $(cat "$work/err")"
nodisplay "$prefix/bin/stockpicker"
status=$?
check "stockpicker with no display ends with status 1 and says which variable to set" \
    '((status == 1)) && grep -q "^stockpicker: no display is set: set DISPLAY" "$work/err"' "status $status: $(cat "$work/err")"

echo "$passed passed, $failed failed"
exit $((failed > 0))
