#!/usr/bin/env bash
# Installs a Brindlex package on a fresh, minimal Debian 12 made with debootstrap, the way a
# new user would (apt-get install ./brindlex_*.deb, fetching the dependencies from the
# archive), and starts the installed program there. Needs root, debootstrap and the network;
# takes a few minutes, so it is not part of scripts/test.sh.
# Usage: sudo scripts/fresh-debian-check.sh PACKAGE.deb [mirror]
set -euo pipefail
cd "$(dirname "$0")/.."
deb=$(realpath "${1:?usage: scripts/fresh-debian-check.sh PACKAGE.deb [mirror]}")
mirror=${2:-http://deb.debian.org/debian}
[ "$(id -u)" -eq 0 ] || { echo "fresh-debian-check: run as root (debootstrap and chroot need it)" >&2; exit 1; }
command -v debootstrap >/dev/null || { echo "fresh-debian-check: install debootstrap first" >&2; exit 1; }

root=$(mktemp -d)
chmod 755 "$root"  # apt downloads as its own user
cleanup() {
    umount "$root/proc" 2>/dev/null || true
    rm -rf "$root"
}
trap cleanup EXIT
echo "== debootstrap bookworm (minbase) into $root"
debootstrap --variant=minbase bookworm "$root" "$mirror" >"$root.log" 2>&1 || { cat "$root.log"; exit 1; }
rm -f "$root.log"
cp "$deb" "$root/tmp/"
cp tests/data/explorer/sample.bdx "$root/tmp/sample.bdx"
cp /etc/resolv.conf "$root/etc/resolv.conf"
mount -t proc proc "$root/proc"

echo "== apt-get install ./$(basename "$deb")"
chroot "$root" /bin/bash -c "export DEBIAN_FRONTEND=noninteractive
    apt-get update -qq && apt-get install -y -qq ./tmp/$(basename "$deb") >/tmp/apt.log 2>&1 \
        || { cat /tmp/apt.log; exit 1; }
    echo \"installed with \$(grep -c '^Setting up' /tmp/apt.log) packages set up\""

echo "== The installed program"
chroot "$root" /bin/bash -c '
    set -e
    dpkg -s brindlex | grep "^Status: install ok installed"
    test -f /usr/share/applications/org.brindlex.Brindlex.desktop
    mkdir -p /tmp/home /tmp/config
    export BRINDLEX_HOME=/tmp/home BRINDLEX_CONFIG=/tmp/config
    brindlex --version
    QT_QPA_PLATFORM=offscreen brindlex --check /tmp/sample.bdx 2>/tmp/check.err || { cat /tmp/check.err; exit 1; }
    bdxtool info /tmp/sample.bdx'
echo "fresh-debian-check: the package installs and starts on a fresh Debian 12"
