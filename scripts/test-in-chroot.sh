#!/usr/bin/env bash
# Runs the test command as a new user would: in a minimal Debian 12 made by
# debootstrap (nothing but what the test command installs itself), on a
# clean clone of HEAD. Root only. Usage: test-in-chroot.sh [DIR]
# DIR (default /var/tmp/stockpicker-chroot) is made once and reused; delete
# it to start from nothing again.
set -euo pipefail
cd "$(dirname "$0")/.."
root=${1:-/var/tmp/stockpicker-chroot}
[[ $(id -u) -eq 0 ]] || { echo "test-in-chroot.sh: needs root" >&2; exit 2; }

if [[ ! -x $root/bin/bash ]]; then
    command -v debootstrap >/dev/null || apt-get install -y -q debootstrap
    debootstrap --variant=minbase bookworm "$root" http://deb.debian.org/debian
fi
rm -rf "$root/checkout"
git clone -q "$PWD" "$root/checkout"

mounted=()
cleanup() { for ((i = ${#mounted[@]} - 1; i >= 0; i--)); do umount -l "${mounted[i]}" || true; done; }
trap cleanup EXIT
# /dev/shm too: a Wayland compositor shares its buffers and keymaps there.
for fs in proc sys dev dev/pts dev/shm; do
    mount --bind "/$fs" "$root/$fs"
    mounted+=("$root/$fs")
done
cp /etc/resolv.conf "$root/etc/resolv.conf"
chroot "$root" /usr/bin/env -i HOME=/root PATH=/usr/sbin:/usr/bin:/sbin:/bin TERM=dumb CI=true \
    bash -c 'cd /checkout && bash .ci/run'
