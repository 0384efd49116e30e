#!/usr/bin/env bash
# cpack -G DEB into a temporary folder: the package holds the installed
# files, Debian's compressed where its policy wants, its Depends computed
# from the binaries names Qt 6, and lintian finds no error. The package is
# only inspected, never installed on this machine.
# Usage: package_test.sh BUILD_DIR VERSION APP_ID
set -uo pipefail
build=$(realpath "$1") version=$2 id=$3
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
passed=0 failed=0
ok() { passed=$((passed + 1)); echo "ok: $1"; }
fail() { failed=$((failed + 1)); echo "FAIL: $1"; }
check() { if eval "$2"; then ok "$1"; else fail "$1 (${3:-})"; fi; }

for tool in dpkg-deb dpkg-shlibdeps dpkg-parsechangelog file lintian groff; do
    command -v "$tool" >/dev/null || { echo "FAIL: $tool is missing (bash scripts/install-deps.sh test)"; exit 1; }
done

if ! cpack --config "$build/CPackConfig.cmake" -G DEB -B "$work/out" >"$work/cpack.log" 2>&1; then
    cat "$work/cpack.log"
    echo "FAIL: cpack -G DEB"
    exit 1
fi
deb=$work/out/stockpicker_${version}_$(dpkg --print-architecture).deb
check "cpack makes stockpicker_<version>_<arch>.deb" '[[ -f $deb ]]' "$(ls "$work/out")"
[[ -f $deb ]] || { echo "$passed passed, $failed failed"; exit 1; }

field() { dpkg-deb --field "$deb" "$1"; }
check "Package is stockpicker" '[[ $(field Package) == stockpicker ]]'
check "Version is the project's version" '[[ $(field Version) == "$version" ]]' "$(field Version)"
check "Architecture is this machine's" '[[ $(field Architecture) == $(dpkg --print-architecture) ]]'
check "a Maintainer with an address" '[[ $(field Maintainer) =~ ^[^\<]+\ \<[^@]+@[^\>]+\>$ ]]' "$(field Maintainer)"
check "a Section and a Priority" '[[ $(field Section) == misc && $(field Priority) == optional ]]'
check "a summary and a long description" '(($(field Description | wc -l) > 2))' "$(field Description)"
depends=$(field Depends)
for library in libqt6widgets6 libqt6gui6 libqt6core6 libstdc++6 libc6; do
    check "Depends names $library, from the binaries" '[[ ", $depends" == *", $library ("* ]]' "$depends"
done
check "Recommends fonts-nanum, qt6-wayland and qt6-translations-l10n" \
    '[[ $(field Recommends) == *fonts-nanum* && $(field Recommends) == *qt6-wayland,* && $(field Recommends) == *qt6-translations-l10n* ]]' \
    "$(field Recommends)"

dpkg-deb --contents "$deb" | awk '{print $NF}' | grep -v '/$' | LC_ALL=C sort >"$work/contents"
expected="./usr/bin/stockdump
./usr/bin/stockpicker
./usr/share/applications/$id.desktop
./usr/share/doc/stockpicker/changelog.gz
./usr/share/doc/stockpicker/copyright
./usr/share/icons/hicolor/scalable/apps/$id.svg
./usr/share/locale/ko/LC_MESSAGES/stockpicker.mo
./usr/share/man/ko/man1/stockdump.1.gz
./usr/share/man/ko/man1/stockpicker.1.gz
./usr/share/man/man1/stockdump.1.gz
./usr/share/man/man1/stockpicker.1.gz
./usr/share/metainfo/$id.metainfo.xml"
check "the package holds exactly the installed files, under /usr" '[[ $(cat "$work/contents") == "$expected" ]]' \
    "$(cat "$work/contents" | tr '\n' ' ')"
check "every file belongs to root" '! dpkg-deb --contents "$deb" | awk "\$2 != \"root/root\"" | grep -q .'

dpkg-deb --extract "$deb" "$work/root"
doc=$work/root/usr/share/doc/stockpicker
check "the changelog's latest entry is this version" \
    '[[ $(gzip -dc "$doc/changelog.gz" | dpkg-parsechangelog -l- -SVersion) == "$version" ]]'
check "the copyright file is Debian's machine-readable form with the MIT (Expat) licence" \
    'head -1 "$doc/copyright" | grep -q "^Format: https://www.debian.org/doc/packaging-manuals/copyright-format/1.0/" && grep -q "^License: Expat" "$doc/copyright"'
for page in stockpicker stockdump; do
    gz=$work/root/usr/share/man/man1/$page.1.gz
    check "$page.1.gz is gzipped with no name or time stamp" '[[ $(file -b "$gz") == "gzip compressed data, max compression, from Unix"* ]]' "$(file -b "$gz")"
    gzip -dc "$gz" | groff -man -ww -z >"$work/groff" 2>&1
    status=$?
    check "$page.1.gz renders with no warnings" '((status == 0)) && [[ ! -s $work/groff ]]' "$(cat "$work/groff")"
done
check "the packaged programs are stripped" '[[ $(file -b "$work/root/usr/bin/stockpicker") == *", stripped"* ]]'

# --fail-on error: warnings and notes are printed for the log, not failed.
lintian --fail-on error --tag-display-limit 0 "$deb" >"$work/lintian" 2>&1
status=$?
grep -v "^running with root privileges" "$work/lintian"
check "lintian reports no errors" '((status == 0)) && ! grep -q "^E: " "$work/lintian"' "status $status"

echo "$passed passed, $failed failed"
exit $((failed > 0))
