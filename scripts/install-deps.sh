#!/usr/bin/env bash
# Installs the Debian packages a given purpose needs, only those not yet installed,
# so a warm machine pays nothing. Usage: install-deps.sh run|test|bench|fuzz|package ...
set -euo pipefail

# fonts-freefont-ttf draws the Control Pictures that stand for control bytes in names;
# libxcb1-dev lets a window ask the X11 window manager for its frame; gettext's
# msgfmt compiles the message catalogs (its xgettext and msgconv check them);
# libhangul-dev reads Latin keys as the Korean 2-set keyboard types them.
build=(cmake g++ make pkg-config qt6-base-dev libxcb1-dev libhangul-dev fonts-nanum fonts-freefont-ttf gettext)
# ibus and ibus-hangul, fcitx5 with fcitx5-hangul and its Qt 6 front end: the
# end-to-end tests of typing Hangul through an input method.
# qt6-wayland shows the window in a Wayland session that has no Xwayland.
# sway, wtype and grim: the window on a wlroots compositor, typed into and seen there.
# The install tests validate with desktop-file-utils, appstream, groff-base
# and lintian, and find the Korean manual pages with man-db; CPack's Debian
# package needs dpkg-dev (dpkg-shlibdeps) and file.
packaging="desktop-file-utils appstream groff-base man-db lintian dpkg-dev file"
# qt6-translations-l10n: Qt's own strings (the error box's OK) in the user's
# language; libc-l10n: glibc's reasons ("No such file or directory") in it.
translations="qt6-translations-l10n libc-l10n"
# scripts/lint.sh: pinned to 14, since another version formats and warns
# differently; git lists the sources it checks (a checkout may come as a tarball).
lint="clang-format-14 clang-tidy-14 git"
declare -A extra=(
  [run]="xvfb xauth qt6-wayland $translations"
  [test]="googletest libgtest-dev libbenchmark-dev xvfb xauth x11-utils xdotool openbox wmctrl imagemagick weston sway wtype grim qt6-wayland $translations locales at-spi2-core python3-pyatspi dbus-daemon xclip ibus ibus-hangul fcitx5 fcitx5-hangul fcitx5-frontend-qt6 $packaging $lint"
  [package]="$packaging"
  [bench]="libbenchmark-dev googletest libgtest-dev hyperfine time"
  [fuzz]="clang libclang-rt-14-dev googletest libgtest-dev libbenchmark-dev"
)

wanted=("${build[@]}")
for purpose in "$@"; do
  [[ -v extra[$purpose] ]] || { echo "install-deps.sh: unknown purpose '$purpose'" >&2; exit 2; }
  read -ra more <<<"${extra[$purpose]}"
  wanted+=("${more[@]}")
done

missing=()
for pkg in "${wanted[@]}"; do
  dpkg-query -W -f='${Status}' "$pkg" 2>/dev/null | grep -q 'install ok installed' || missing+=("$pkg")
done
((${#missing[@]} == 0)) && exit 0

echo "Installing: ${missing[*]}" >&2
if [[ $(id -u) -ne 0 ]]; then
  SUDO=sudo
else
  SUDO=
fi
export DEBIAN_FRONTEND=noninteractive
$SUDO apt-get update -q
$SUDO apt-get install -y -q --no-install-recommends "${missing[@]}"
