#!/usr/bin/env bash
# Times bdxtool on small files nested very deep, where work that grows with the square of
# the depth shows at once: a Netscape file nested DEPTH <DL> lists deep is imported, the
# database that makes is listed and exported again as Netscape and as an HTML list. Prints
# the wall time and peak memory of each command and the size of each file written.
#
#   bash bench/deep.sh [--depth 100000] [--build DIR] [--work DIR]
#
# Builds bdxtool in the build folder (default build/bench, RelWithDebInfo). For people,
# not for the test run.
set -euo pipefail
cd "$(dirname "$0")/.."

depth=100000
build=build/bench
work=/tmp/brindlex-deep
while [ $# -gt 0 ]; do
    case "$1" in
    --depth) depth=$2; shift 2 ;;
    --build) build=$2; shift 2 ;;
    --work) work=$2; shift 2 ;;
    *) echo "usage: bash bench/deep.sh [--depth N] [--build DIR] [--work DIR]" >&2; exit 2 ;;
    esac
done
[ -x /usr/bin/time ] || { echo "bench/deep.sh needs /usr/bin/time (apt-get install time)" >&2; exit 1; }

if [ ! -f "$build/CMakeCache.txt" ]; then
    cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DBRINDLEX_BUILD_UI=OFF >/dev/null
fi
cmake --build "$build" --target bdxtool >/dev/null
bdxtool=$(find "$build" -name bdxtool -type f -perm -u+x | head -n 1)

mkdir -p "$work"
rm -f "$work"/deep.bdx "$work"/deep-out.htm "$work"/deep-list.htm
# One folder per level, a link in the innermost, each list closed at the end, as a browser
# writes it.
{
    printf '<!DOCTYPE NETSCAPE-Bookmark-file-1>\n<TITLE>Bookmarks</TITLE>\n<H1>Bookmarks</H1>\n<DL><p>\n'
    awk -v n="$depth" 'BEGIN {
        for (i = 1; i <= n; i++) printf "<DT><H3>F%d</H3>\n<DL><p>\n", i
        print "<DT><A HREF=\"http://x/\">L</A>"
        for (i = 1; i <= n; i++) print "</DL><p>"
    }'
    printf '</DL><p>\n'
} >"$work/deep.htm"

# Runs one command, prints "what: seconds s, peak MB"; its output goes to $work/last.out.
measure() {
    local what=$1
    shift
    /usr/bin/time -f '%e %M' -o "$work/time" "$@" >"$work/last.out" 2>"$work/last.err" || {
        echo "$what failed:" >&2
        cat "$work/last.err" >&2
        exit 1
    }
    read -r seconds kilobytes <"$work/time"
    printf '%-28s %6s s  %7d MB\n' "$what" "$seconds" $((kilobytes / 1024))
}

size() { printf '%-28s %8d KB\n' "$1" $(($(stat -c %s "$2") / 1024)); }

echo "depth $depth"
size "Netscape file" "$work/deep.htm"
measure "import netscape" "$bdxtool" import netscape "$work/deep.htm" --into "$work/deep.bdx"
size "database" "$work/deep.bdx"
measure "list" "$bdxtool" list "$work/deep.bdx"
measure "export netscape" "$bdxtool" export netscape "$work/deep-out.htm" --from "$work/deep.bdx"
size "exported Netscape file" "$work/deep-out.htm"
measure "export html list" "$bdxtool" export html "$work/deep-list.htm" --from "$work/deep.bdx"
size "exported HTML list" "$work/deep-list.htm"
