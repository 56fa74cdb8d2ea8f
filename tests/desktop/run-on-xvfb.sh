#!/usr/bin/env bash
# Runs a test program on an X server of its own (a virtual 1600x1000 screen at 96 dpi),
# through Qt's X11 platform: what a window manager and a real display do to the windows.
set -euo pipefail
for tool in xvfb-run:xvfb xauth:xauth xprop:x11-utils; do
  command -v "${tool%%:*}" >/dev/null || { echo "desktop tests need ${tool%%:*} (Debian package ${tool##*:})" >&2; exit 1; }
done
exec xvfb-run -a -s "-screen 0 1600x1000x24 -dpi 96" env QT_QPA_PLATFORM=xcb "$@"
