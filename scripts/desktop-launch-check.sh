#!/usr/bin/env bash
# Starts an installed Brindlex the way a desktop does, on an X server of its own: the menu
# entry through GLib's launcher with a database as the file it opens, and each action of the
# entry by its Exec line. Checks that each start shows its window (the database's folder, a
# new database, the bookmark import) under the window class the entry names, with the
# program's icon.
# Usage: scripts/desktop-launch-check.sh USR DATABASE
#   USR is the installed prefix (with bin/ and share/applications/); DATABASE's root folder
#   is named in the window title once it is loaded.
set -euo pipefail
fail() { echo "desktop-launch-check: FAILED: $*" >&2; exit 1; }
usr=$(realpath "${1:?usage: scripts/desktop-launch-check.sh USR DATABASE}")
database=$(realpath "${2:?usage: scripts/desktop-launch-check.sh USR DATABASE}")
entry=$usr/share/applications/org.brindlex.Brindlex.desktop
[ -f "$entry" ] || fail "no desktop entry $entry"

if [ -z "${BRINDLEX_LAUNCH_DISPLAY:-}" ]; then
    for tool in xvfb-run:xvfb xauth:xauth xwininfo:x11-utils xprop:x11-utils gio:libglib2.0-bin; do
        command -v "${tool%%:*}" >/dev/null || fail "${tool%%:*} is not installed (Debian package ${tool##*:})"
    done
    exec xvfb-run -a -s "-screen 0 1280x800x24" env BRINDLEX_LAUNCH_DISPLAY=1 "$0" "$@"
fi

# The value of KEY in the entry's GROUP.
entry_value() {
    sed -n "/^\[$1\]\$/,/^\[/{s/^$2=//p}" "$entry" | head -1
}

work=$(mktemp -d)
pids=()
finish() {
    local pid
    for pid in "${pids[@]}"; do
        kill "$pid" 2>/dev/null || true
    done
    rm -rf "$work"
}
trap finish EXIT
mkdir -p "$work/home" "$work/config"
# The settings of a user who shows the folder path in the title, so the title tells what
# was loaded.
printf '[Browser]\nDisplayPath=1\n' >"$work/config/Tarnwell.ini"
export BRINDLEX_HOME=$work/home BRINDLEX_CONFIG=$work/config PATH=$usr/bin:$PATH
unset QT_QPA_PLATFORM WAYLAND_DISPLAY
wm_class=$(entry_value "Desktop Entry" StartupWMClass)
[ -n "$wm_class" ] || fail "the entry names no StartupWMClass"

# Waits up to 30 s for a top-level window titled TITLE and prints its id; gives up at once
# when the process PID (if given) has ended.
window_titled() {
    local title=$1 pid=${2:-} id
    for _ in $(seq 60); do
        id=$(xwininfo -root -children | grep -F "\"$title\": (" | awk '{print $1}' | head -1)
        if [ -n "$id" ]; then
            echo "$id"
            return 0
        fi
        if [ -n "$pid" ] && ! kill -0 "$pid" 2>/dev/null; then
            echo "the program ended without showing \"$title\"" >&2
            return 1
        fi
        sleep 0.5
    done
    echo "no window \"$title\" appeared; windows: $(xwininfo -root -children | grep -o '"[^"]*": (' | tr '\n' ' ')" >&2
    return 1
}

# Checks that window ID belongs to the program: the entry's class and the program's icon.
check_window() {
    local id=$1 what=$2 class icons
    class=$(xprop -id "$id" WM_CLASS)
    [[ $class == *", \"$wm_class\"" ]] || fail "$what: WM_CLASS is $class, the entry says $wm_class"
    icons=$(xprop -id "$id" _NET_WM_ICON | grep -o 'Icon ([0-9]* x [0-9]*)' | tr '\n' ' ')
    [[ $icons == *"Icon (16 x 16)"* && $icons == *"Icon (48 x 48)"* ]] \
        || fail "$what: the window does not carry the program's icon (_NET_WM_ICON: ${icons:-none})"
    echo "$what: window $id, class $wm_class, icons ${icons% }"
}

# Ends the program that owns window ID (it was started by this script) and waits for it.
end_program() {
    local id=$1 pid
    pid=$(xprop -id "$id" _NET_WM_PID | grep -o '[0-9]*$')
    [ -n "$pid" ] || fail "window $id names no process"
    kill "$pid"
    for _ in $(seq 40); do
        kill -0 "$pid" 2>/dev/null || return 0
        sleep 0.25
    done
    fail "the program (process $pid) did not end"
}

# The entry itself, as a file manager opens a database with it.
root_caption=$(head -2 "$database" | tail -1 | cut -d'"' -f2)
gio launch "$entry" "$database" || fail "gio launch $entry"
id=$(window_titled "Brindlex - $root_caption") || fail "the entry did not open $database"
check_window "$id" "entry with $(basename "$database")"
end_program "$id"

# Each action by its Exec line; the program gets exactly those arguments.
declare -A titles=([new-database]="Brindlex - NewDB" [import-bookmarks]="Import a Netscape Bookmark file")
IFS=';' read -ra actions <<<"$(entry_value "Desktop Entry" Actions)"
[ ${#actions[@]} -eq ${#titles[@]} ] || fail "the entry has actions ${actions[*]}, expected ${!titles[*]}"
for action in "${actions[@]}"; do
    title=${titles[$action]:-}
    [ -n "$title" ] || fail "unexpected action $action"
    read -ra command <<<"$(entry_value "Desktop Action $action" Exec)"
    "${command[@]}" >"$work/$action.log" 2>&1 &
    pids+=($!)
    id=$(window_titled "$title" "$!") || fail "action $action (${command[*]}): $(cat "$work/$action.log")"
    check_window "$id" "action $action (${command[*]})"
    end_program "$id"
done
echo "desktop-launch-check: the entry and its ${#actions[@]} actions start the program"
