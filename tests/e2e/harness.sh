# harness.sh: sourced by the end-to-end scripts that run the program, after they have checked
# their arguments, which are the command that starts it (its own arguments are appended). With the
# common checks of checks.sh, it gives starting, finding, looking at and ending the program; the
# program and the scratch folder $work go when the script ends.

launcher=("$@")
# Under Wine the program is the real Windows build: Wine maps the window's frame onto the window
# manager's decorations.
under_wine=0
[ "$(basename "$1")" = wine ] && under_wine=1
work=$(mktemp -d)
# shellcheck source=tests/e2e/checks.sh
. "$(dirname "${BASH_SOURCE[0]}")/checks.sh"
pid=

cleanup() {
    if [ -n "$pid" ]; then
        kill -9 "$pid" 2>/dev/null
        wait "$pid" 2>/dev/null
    fi
    rm -rf "$work"
}
trap cleanup EXIT

start() {
    "${launcher[@]}" "$@" >"$work/out" 2>&1 &
    pid=$!
}

# The program's visible window; empty when none appears within 20 seconds. A search can fail on
# its own while the window manager reparents windows (an X error ends xdotool), so it is retried.
window=
search_window() {
    window=$(xdotool search --onlyvisible --name '^Nimbrost$' 2>/dev/null | head -n1)
    [ -n "$window" ]
}
find_window() { within 20 search_window; }

# Waits up to SECONDS for the program to end; its exit status is then in $status.
status=
wait_exit() {
    status=
    within "$1" bash -c "! kill -0 $pid 2>/dev/null" || return 1
    wait "$pid"
    status=$?
    pid=
    # The X server removes the window of a client that has gone a moment later.
    within 5 bash -c "! xdotool search --onlyvisible --name '^Nimbrost$' >/dev/null 2>&1"
}

stop() {
    if [ -n "$pid" ]; then
        kill -9 "$pid" 2>/dev/null
        wait "$pid" 2>/dev/null
        pid=
    fi
}

# The client area on the screen (cx cy cw ch) and the outer rectangle with the decorations the
# window manager reports (ox oy ow oh).
geometry() {
    local info extents left right top bottom
    info=$(xwininfo -id "$window" 2>/dev/null) || return 1
    cx=$(awk '/Absolute upper-left X/ {print $4}' <<<"$info")
    cy=$(awk '/Absolute upper-left Y/ {print $4}' <<<"$info")
    cw=$(awk '/Width:/ {print $2}' <<<"$info")
    ch=$(awk '/Height:/ {print $2}' <<<"$info")
    extents=$(xprop -id "$window" _NET_FRAME_EXTENTS 2>/dev/null | sed -n 's/.*= //p' | tr -d ' ')
    IFS=, read -r left right top bottom <<<"${extents:-0,0,0,0}"
    ox=$((cx - left))
    oy=$((cy - top))
    ow=$((cw + left + right))
    oh=$((ch + top + bottom))
}
shot() { import -window root "$work/$1.ppm"; }

# Pixels of a screenshot region (x y w h in client coordinates) that match a test.
count() { # count SHOT X Y W H CONVERT-OPTIONS...
    local name=$1 x=$2 y=$3 w=$4 h=$5
    shift 5
    convert "$work/$name.ppm" -crop "${w}x${h}+$((cx + x))+$((cy + y))" +repage "$@" \
        -format '%[fx:round(mean*w*h)]' info:
}
lit() { count "$1" "$2" "$3" "$4" "$5" -fill white +opaque black; }
# The overlay's light-blue text, as it shows through the panel.
light_blue() {
    count "$1" "$2" "$3" "$4" "$5" -fuzz 12% -fill white -opaque 'rgb(64,191,255)' \
        -fill black +opaque white
}
# Messages are handled in order: once the overlay that F1 shows has come and gone again, every
# input sent before it has been handled, and keys reach the program. SHOT keeps the last picture.
overlay() { shot "$1" && [ "$(light_blue "$1" 0 0 240 "$ch")" "$2" 500 ]; }
settle() {
    xdotool key F1
    within 5 overlay "$1" -gt && xdotool key F1 && within 5 overlay "$1" -lt
}

# Focus the window: move the pointer over it and raise it.
# Keys go where the focus is when they are sent, so it waits for the focus to arrive.
focused() { [ "$(xdotool getwindowfocus 2>/dev/null)" = "$window" ]; }
focus() {
    xdotool mousemove $((cx + cw - 20)) $((cy + ch - 20))
    xdotool windowactivate --sync "$window" 2>/dev/null || true
    within 5 focused || say "  (the window did not get the focus)"
}
