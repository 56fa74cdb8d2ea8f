#!/usr/bin/env bash
# Installs a Brindlex package on a fresh, minimal Debian 12 made with debootstrap, the way a
# new user would (apt-get install ./brindlex_*.deb, fetching the dependencies from the
# archive), and checks what the user gets: the program and its tools start from the menu
# entry's command with a database, the file type is known to the desktop's MIME database,
# the menu's file-type cache sends .bdx files to the entry, and removing the package leaves
# nothing behind. Needs root, debootstrap and the network to a Debian mirror; nothing is
# cached, so each run starts from the archive (about a minute on a near mirror).
# Usage: scripts/fresh-debian-check.sh PACKAGE.deb [mirror]
#   The mirror defaults to the one this machine's apt uses for bookworm, else deb.debian.org.
set -euo pipefail
cd "$(dirname "$0")/.."
deb=$(realpath "${1:?usage: scripts/fresh-debian-check.sh PACKAGE.deb [mirror]}")
fail() { echo "fresh-debian-check: FAILED: $*" >&2; exit 1; }
[ "$(id -u)" -eq 0 ] || fail "run as root (debootstrap and chroot need it)"
command -v debootstrap >/dev/null || fail "debootstrap is not installed (scripts/deps.sh installs it)"

# The first plain http(s) Debian mirror apt is set up with here, in either sources format.
host_mirror() {
    cat /etc/apt/sources.list /etc/apt/sources.list.d/*.list /etc/apt/sources.list.d/*.sources 2>/dev/null \
        | grep -v '^[[:space:]]*#' | grep -oE '(https?://[^ ]+/debian)/?( |$)' | head -1 | tr -d ' ' || true
}
mirror=${2:-$(host_mirror)}
mirror=${mirror:-http://deb.debian.org/debian}
mirror=${mirror%/}
# Security updates come from the same host as the archive when it is the CDN.
security=${mirror%/debian}/debian-security

root=$(mktemp -d /tmp/fresh-debian.XXXXXX)
chmod 755 "$root"  # apt downloads as its own user
# Undoes the mounts made in the root, by this script or by a debootstrap that was stopped.
unmount_all() {
    local mount
    for mount in "$root/proc" "$root/sys" "$root/dev/pts"; do
        if mountpoint -q "$mount" 2>/dev/null; then
            umount -l "$mount" || true
        fi
    done
}
cleanup() {
    unmount_all
    # Never crosses into a mount that could not be undone.
    rm -rf --one-file-system "$root" "$root.log"
}
trap cleanup EXIT
started=$SECONDS
took() { echo "   ($((SECONDS - started)) s so far)"; }

echo "== debootstrap bookworm (minbase) from $mirror"
# A mirror that drops a connection makes debootstrap fail half-way; a second try starts over.
# A stalled one would hold wget for a quarter of an hour per file, so each try is bounded
# (a good mirror needs two to three minutes on a busy machine) and only a try that failed
# within five minutes is made again: the whole check ends within about twenty-three
# minutes however the network behaves.
for attempt in 1 2 3; do
    if timeout 480 debootstrap --variant=minbase bookworm "$root" "$mirror" >"$root.log" 2>&1; then
        break
    fi
    if [ "$attempt" -eq 3 ] || [ $((SECONDS - started)) -gt 300 ]; then
        tail -30 "$root.log"
        fail "debootstrap from $mirror failed $attempt time(s) in $((SECONDS - started)) s (network or mirror)"
    fi
    echo "debootstrap failed (attempt $attempt), trying again: $(grep -m1 -E 'E:|W: Failure' "$root.log" || tail -1 "$root.log")"
    unmount_all
    rm -rf --one-file-system "${root:?}"/*
done
took

cat >"$root/etc/apt/sources.list" <<EOF
deb $mirror bookworm main
deb $mirror bookworm-updates main
deb $security bookworm-security main
EOF
cat >"$root/etc/apt/apt.conf.d/80fresh-check" <<'EOF'
Acquire::Retries "5";
Acquire::http::Timeout "60";
APT::Install-Recommends "false";
EOF
cp "$deb" "$root/tmp/"
cp tests/data/explorer/sample.bdx "$root/tmp/sample.bdx"
cp /etc/resolv.conf "$root/etc/resolv.conf"
mount -t proc proc "$root/proc"
# Runs a script in the root; none of them takes more than a minute or two, even downloading.
in_root() { timeout 300 chroot "$root" /usr/bin/env -i PATH=/usr/sbin:/usr/bin:/sbin:/bin DEBIAN_FRONTEND=noninteractive \
    LC_ALL=C.UTF-8 HOME=/root /bin/bash -c "$1"; }

echo "== apt-get install ./$(basename "$deb")"
in_root "set -e
    apt-get update -qq
    apt-get install -y -qq ./tmp/$(basename "$deb") >/tmp/apt.log 2>&1 || { cat /tmp/apt.log; exit 1; }
    echo \"installed with \$(grep -c '^Setting up' /tmp/apt.log) packages set up\"" || fail "apt-get install"
took

echo "== The installed program"
in_root '
    set -e
    fail() { echo "fresh-debian-check: FAILED: $*" >&2; exit 1; }
    dpkg -s brindlex | grep "^Status: install ok installed"
    entry=/usr/share/applications/org.brindlex.Brindlex.desktop
    [ -f "$entry" ] || fail "no menu entry $entry"
    mkdir -p /tmp/home /tmp/config
    export BRINDLEX_HOME=/tmp/home BRINDLEX_CONFIG=/tmp/config QT_QPA_PLATFORM=offscreen
    brindlex --version
    # The menu entry'"'"'s command with the database in place of %f, as a file manager runs it.
    read -ra command <<<"$(sed -n "0,/^Exec=/s/^Exec=//p" "$entry")"
    [ "${command[0]}" = brindlex ] && [ "${command[1]}" = %f ] || fail "unexpected Exec: ${command[*]}"
    "${command[0]}" --check /tmp/sample.bdx >/tmp/check.txt 2>/tmp/check.err \
        || fail "brindlex --check: $(cat /tmp/check.txt /tmp/check.err)"
    cat /tmp/check.txt
    grep -q "^brindlex: loaded /tmp/sample.bdx: 3 folders, 10 entries" /tmp/check.txt || fail "the database did not load"
    brindlex --new --check >/tmp/new.txt 2>&1 || fail "brindlex --new --check: $(cat /tmp/new.txt)"
    grep "^brindlex: loaded .*: 0 folders, 0 entries" /tmp/new.txt || fail "--new did not start empty: $(cat /tmp/new.txt)"
    bdxtool info /tmp/sample.bdx
    brindlex-bridge --help | head -1
    # shared-mime-info came with Qt; its trigger put the file type into the database.
    grep -qx "application/x-brindlex-database:\*\.bdx" /usr/share/mime/globs \
        || fail "the MIME database does not know *.bdx"
    echo "MIME database: *.bdx is application/x-brindlex-database"' || fail "the installed program"

echo "== The menu of a desktop"
# A desktop has desktop-file-utils, whose cache tells file managers which entry opens a type.
in_root '
    set -e
    apt-get install -y -qq desktop-file-utils >/tmp/apt-desktop.log 2>&1 || { cat /tmp/apt-desktop.log; exit 1; }
    desktop-file-validate /usr/share/applications/org.brindlex.Brindlex.desktop
    grep -x "application/x-brindlex-database=org.brindlex.Brindlex.desktop;" /usr/share/applications/mimeinfo.cache' \
    || fail "the menu does not open .bdx files with Brindlex"

echo "== apt-get remove brindlex"
in_root '
    set -e
    apt-get remove -y -qq brindlex >/tmp/remove.log 2>&1 || { cat /tmp/remove.log; exit 1; }
    left=$(ls /usr/bin/brindlex /usr/bin/bdxtool /usr/bin/brindlex-bridge /usr/share/brindlex \
        /usr/share/applications/org.brindlex.Brindlex.desktop /usr/share/mime/application/x-brindlex-database.xml 2>/dev/null || true)
    [ -z "$left" ] || { echo "left after removal: $left" >&2; exit 1; }
    ! grep -q brindlex /usr/share/applications/mimeinfo.cache || { echo "the menu cache still names Brindlex" >&2; exit 1; }' \
    || fail "apt-get remove"
took
echo "fresh-debian-check: the package installs, starts and is removed on a fresh Debian 12 in $((SECONDS - started)) s"
