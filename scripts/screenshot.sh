#!/usr/bin/env bash
# Starts Brindlex under a virtual X server with the sample database and saves a picture
# of its main window (the whole screen without xdotool). Usage: scripts/screenshot.sh [out.png] [build-dir]
set -euo pipefail
cd "$(dirname "$0")/.."
out=${1:-build/screenshot.png}
build=${2:-build}
program="$build/app/brindlex"
[ -x "$program" ] || { echo "screenshot: build $program first" >&2; exit 1; }
command -v xvfb-run >/dev/null || { echo "screenshot: xvfb-run is not installed" >&2; exit 1; }
command -v import >/dev/null || command -v xwd >/dev/null || { echo "screenshot: needs ImageMagick's import or xwd" >&2; exit 1; }

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir -p "$work/home" "$work/config"
cp tests/data/explorer/sample.bdx "$work/home/Sample.bdx"
printf '[Browser]\nFirstLoad=999\nLeft=60\nTop=60\nWidth=11520\nHeight=6480\nIncludeDesc=1\nListSort=0\nDisplayPath=1\nProgramFont=DejaVu Sans\nProgramFontSize=9\n' \
    > "$work/config/Tarnwell.ini"
mkdir -p "$(dirname "$out")"
out=$(realpath "$out")

xvfb-run -a -s "-screen 0 1024x600x24 -dpi 96" bash -c '
    BRINDLEX_HOME="$1" BRINDLEX_CONFIG="$2" "$3" "$1/Sample.bdx" &
    pid=$!
    sleep 3
    # The main window alone when xdotool can find it, else the whole screen.
    window=$(xdotool search --onlyvisible --pid $pid 2>/dev/null | head -1 || true)
    if command -v import >/dev/null; then
        import -window "${window:-root}" "$4"
    else
        xwd -id "${window:-root}" -silent | convert xwd:- "$4"
    fi
    kill $pid
' _ "$work/home" "$work/config" "$(realpath "$program")" "$out"
echo "saved $out"
