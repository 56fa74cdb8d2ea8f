#!/usr/bin/env bash
# Installs Brindlex from a built tree the way a user and a packager do, and checks what
# comes out: the installed tree and its desktop files (validated by the desktop's own
# tools), the installed programs run from the installed prefix, the Debian package
# installed into a throw-away root and started there from its desktop entry on an X server,
# and the package installed with apt-get on a fresh Debian 12 (scripts/fresh-debian-check.sh,
# as root: through sudo when not run as root).
# Usage: scripts/ci-install.sh [build-dir]    (default build/test, built by scripts/test.sh)
set -euo pipefail
cd "$(dirname "$0")/.."
source=$PWD
build=$(realpath "${1:-build/test}")
[ -f "$build/CMakeCache.txt" ] || { echo "ci-install: configure and build $build first" >&2; exit 1; }

fail() { echo "ci-install: FAILED: $*" >&2; exit 1; }
for tool in desktop-file-validate appstreamcli xmllint man update-mime-database dpkg dpkg-deb dpkg-shlibdeps \
    lintian fakeroot file cpack xvfb-run xwininfo xprop gio debootstrap; do
    PATH=$PATH:/usr/sbin command -v "$tool" >/dev/null || fail "$tool is not installed (scripts/deps.sh installs it)"
done

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cmake --build "$build" -j "$(nproc)" >/dev/null

echo "== Install into a DESTDIR"
DESTDIR="$work/dest" cmake --install "$build" --prefix /usr >"$work/install.log"
root=$work/dest/usr
id=org.brindlex.Brindlex
expected=(
    bin/brindlex
    bin/bdxtool
    bin/brindlex-bridge
    share/applications/$id.desktop
    share/metainfo/$id.metainfo.xml
    share/mime/packages/brindlex.xml
    share/icons/hicolor/scalable/apps/$id.svg
    share/man/man1/brindlex.1.gz
    share/man/man1/bdxtool.1.gz
    share/man/man1/brindlex-bridge.1.gz
    share/brindlex/extension/manifest.json
    share/brindlex/manifests/org.brindlex.bridge.chromium.json
    share/brindlex/manifests/org.brindlex.bridge.firefox.json
    share/doc/brindlex/copyright
    share/doc/brindlex/changelog.gz
)
sizes=(16 22 24 32 48 64 128 256)
for size in "${sizes[@]}"; do
    expected+=("share/icons/hicolor/${size}x${size}/apps/$id.png")
done
for file in "${expected[@]}"; do
    [ -f "$root/$file" ] || fail "not installed: /usr/$file"
done
for size in "${sizes[@]}"; do
    file -b "$root/share/icons/hicolor/${size}x${size}/apps/$id.png" | grep -q "PNG image data, $size x $size," \
        || fail "the ${size}x${size} icon is not a $size x $size PNG"
done
echo "installed: ${#expected[@]} files checked"

echo "== Desktop entry"
desktop-file-validate "$root/share/applications/$id.desktop" 2>&1 | tee "$work/desktop.txt"
if grep -E '(error|warning):' "$work/desktop.txt"; then
    fail "desktop-file-validate"
fi
echo "desktop-file-validate: no errors or warnings"

echo "== AppStream data"
appstreamcli validate --no-net "$root/share/metainfo/$id.metainfo.xml" || fail "appstreamcli validate"
# The metainfo, the desktop entry and the icons, checked together as installed.
appstreamcli validate-tree --no-net "$work/dest" || fail "appstreamcli validate-tree"

echo "== File type"
xmllint --noout "$root/share/mime/packages/brindlex.xml" || fail "xmllint on the MIME XML"
# The desktop's own tool builds its database from the XML: the glob is case-insensitive
# (no "cs" flag) and the magic of the version record is in.
mkdir -p "$work/mime/packages"
cp "$root/share/mime/packages/brindlex.xml" "$work/mime/packages/"
update-mime-database "$work/mime" 2>/dev/null  # it notes that the folder is not the desktop's
grep -qx '50:application/x-brindlex-database:\*\.bdx' "$work/mime/globs2" \
    || fail "no case-insensitive *.bdx glob in the MIME database: $(cat "$work/mime/globs2")"
grep -q 'x-brindlex-database' "$work/mime/magic" || fail "no magic for the database in the MIME database"
echo "MIME database: application/x-brindlex-database for *.bdx in any letter case"

echo "== Manual pages"
pages=(brindlex bdxtool brindlex-bridge)
for page in "${pages[@]}"; do
    LC_ALL=C.UTF-8 MANROFFSEQ='' MANWIDTH=80 man --warnings -E UTF-8 -l "$root/share/man/man1/$page.1.gz" \
        >"$work/$page.txt" 2>"$work/$page.warnings" || fail "man $page"
    if [ -s "$work/$page.warnings" ]; then
        cat "$work/$page.warnings" >&2
        fail "man --warnings on $page.1"
    fi
    grep -q "^NAME" "$work/$page.txt" || fail "$page.1 shows no NAME section"
done
echo "man --warnings: no warnings on ${pages[*]/%/.1}"

# Runs the programs of an installed tree from elsewhere, with their own application and
# settings folders: bdxtool's round trip and the program's start-up check.
check_programs() {
    local bin=$1 here=$2
    mkdir -p "$here/home" "$here/config"
    (
        cd "$here"
        export BRINDLEX_HOME=$here/home BRINDLEX_CONFIG=$here/config
        "$bin/bdxtool" import netscape "$source/tests/data/formats/firefox.htm" --into links.bdx
        "$bin/bdxtool" export netscape links.htm --from links.bdx
        "$bin/bdxtool" import netscape links.htm --into again.bdx
        # The root is named after each database's file and the writer puts links before
        # folders, so the lists are compared below the root and in one order.
        "$bin/bdxtool" list links.bdx | sed 's/^links//' | sort >links.txt
        "$bin/bdxtool" list again.bdx | sed 's/^again//' | sort >again.txt
        [ -s links.txt ] || fail "bdxtool list printed nothing"
        cmp -s links.txt again.txt || fail "bdxtool's round trip changed the links: $(diff links.txt again.txt)"
        echo "bdxtool round trip: $(wc -l <links.txt) entries, $("$bin/bdxtool" info links.bdx)"
        env -u DISPLAY -u WAYLAND_DISPLAY QT_QPA_PLATFORM=offscreen "$bin/brindlex" --check "$here/links.bdx" \
            >check.txt 2>check.err || fail "brindlex --check: $(cat check.txt check.err)"
        cat check.txt
        grep -q "^brindlex: loaded $here/links.bdx: [0-9]* folders, [1-9][0-9]* entries; the folder tree shows" \
            check.txt || fail "brindlex --check did not load the database"
        # The bridge finds the extension installed beside it and names itself in the
        # manifests it writes for the user's browsers.
        local prefix
        prefix=$(cd "$bin/.." && pwd -P)
        HOME=$here/home XDG_CONFIG_HOME=$here/xdg "$bin/brindlex-bridge" --install >bridge.txt \
            || fail "brindlex-bridge --install: $(cat bridge.txt)"
        grep -qx "Load the browser extension from $prefix/share/brindlex/extension" bridge.txt \
            || fail "the installed bridge does not find the installed extension: $(cat bridge.txt)"
        for manifest in "$here/home/.mozilla/native-messaging-hosts/org.brindlex.bridge.json" \
            "$here/xdg/chromium/NativeMessagingHosts/org.brindlex.bridge.json"; do
            grep -q "\"path\": *\"$prefix/bin/brindlex-bridge\"" "$manifest" \
                || fail "$manifest does not name the installed bridge"
        done
        HOME=$here/home XDG_CONFIG_HOME=$here/xdg "$bin/brindlex-bridge" --uninstall >/dev/null
        [ ! -e "$here/home/.mozilla/native-messaging-hosts/org.brindlex.bridge.json" ] \
            || fail "brindlex-bridge --uninstall left the Firefox manifest"
        echo "brindlex-bridge: manifests name $prefix/bin/brindlex-bridge, extension in $prefix/share/brindlex/extension"
    )
}

echo "== Programs from the installed prefix"
check_programs "$root/bin" "$work/run-dest"

echo "== Debian package"
(cd "$build" && cpack -G DEB -B "$work/package" >"$work/cpack.log") || { cat "$work/cpack.log"; fail "cpack"; }
deb=$(ls "$work"/package/brindlex_*.deb)
echo "$(basename "$deb"):"
dpkg-deb --field "$deb" Package Version Architecture Section Installed-Size Depends | sed 's/^/  /'
depends=$(dpkg-deb --field "$deb" Depends)
case "$depends" in
    *libqt6widgets6*) ;;
    *) fail "the package does not depend on Qt's widgets library: $depends" ;;
esac
dpkg-deb --contents "$deb" >"$work/contents.txt"
for file in "${expected[@]}"; do
    grep -q " \./usr/$file\$" "$work/contents.txt" || fail "not in the package: /usr/$file"
done
echo "package contents: the ${#expected[@]} installed files are in it"
lintian --fail-on error,warning --suppress-tags-from-file packaging/lintian-suppressions "$deb" \
    || fail "lintian on the package"
echo "lintian: no errors or warnings"

echo "== The package installed into a throw-away root"
# dpkg with its own administrative folder under the root. Its dependencies are the
# system's (apt-get installs them on the fresh Debian below), so the installed program
# runs on the system's Qt.
target=$work/root
mkdir -p "$target/var/lib/dpkg/info" "$target/var/lib/dpkg/updates" "$target/var/lib/dpkg/triggers"
touch "$target/var/lib/dpkg/status" "$target/var/lib/dpkg/available"
as_root=()
[ "$(id -u)" -eq 0 ] || as_root=(fakeroot)
dpkg_root() { "${as_root[@]}" dpkg --force-not-root --root="$target" --log=/dev/null "$@"; }
dpkg_root --force-depends -i "$deb" >"$work/dpkg.log" 2>&1 || { cat "$work/dpkg.log"; fail "dpkg -i"; }
dpkg_root -s brindlex | grep -q '^Status: install ok installed' || fail "dpkg does not list brindlex as installed"
[ -f "$target/usr/share/applications/$id.desktop" ] || fail "the package put no desktop entry in the menu folder"
check_programs "$target/usr/bin" "$work/run-package"
cp tests/data/explorer/sample.bdx "$work/sample.bdx"
bash scripts/desktop-launch-check.sh "$target/usr" "$work/sample.bdx" || fail "starting the program from its desktop entry"
dpkg_root -r brindlex >/dev/null || fail "dpkg -r"
left=$(find "$target" -path "$target/var" -prune -o -type f -print | head -5)
[ -z "$left" ] || fail "files left after removing the package: $left"
echo "dpkg: installed, started, removed without leftovers"

echo "== The package installed with apt-get on a fresh Debian 12"
as_root=()
if [ "$(id -u)" -ne 0 ]; then
    command -v sudo >/dev/null || fail "the fresh Debian check needs root: run as root or install sudo"
    as_root=(sudo)
fi
# It bounds its own network steps; this is the ceiling for the whole check.
"${as_root[@]}" timeout 1500 bash scripts/fresh-debian-check.sh "$deb" || fail "the package on a fresh Debian 12"
echo "ci-install: all checks passed"
