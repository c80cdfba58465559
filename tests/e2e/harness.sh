# harness.sh: sourced by the end-to-end scripts. Checks, waiting, and starting, finding, looking at
# and ending the program, which the script's "${launcher[@]}" starts (its own arguments appended).
# What the script started and its scratch folder $work go when it ends.
set -uo pipefail
work=$(mktemp -d)
failures=0 pid='' status='' window='' runs=0 out='' outs=() cx=0 cy=0 under_wine=0
cleanup() {
    kill -9 $(jobs -p) 2>/dev/null
    wait 2>/dev/null
    rm -rf "$work"
}
trap cleanup EXIT

say() { printf '%s\n' "$*"; }
not() { ! "$@"; }
# Unless TEST holds and there is an X display, the script's USAGE on stderr and code 2.
arguments() { # arguments USAGE TEST...
    [ -n "${DISPLAY:-}" ] && "${@:2}" && return
    echo "usage: ${0##*/} $1  (on an X display)" >&2
    exit 2
}
expect() { # expect DESCRIPTION COMMAND...: fails as COMMAND does
    if "${@:2}"; then say "  ok: $1" && return; fi
    say "  FAIL: $1"
    [ -s "$out" ] && sed 's/^/    the program said: /' "$out" | head -n 20
    failures=$((failures + 1))
    return 1
}
report() {
    [ "$failures" = 0 ] || { say "$failures check(s) failed"; exit 1; }
    say "all checks passed"
    exit 0
}
within() { # within SECONDS COMMAND...: retried every 50 ms until it succeeds
    local deadline=$((${EPOCHREALTIME//[!0-9]/} + $1 * 1000000))
    until "${@:2}"; do
        [ "${EPOCHREALTIME//[!0-9]/}" -ge "$deadline" ] && return 1
        sleep 0.05
    done
}
# Runs COMMAND... to its end (30 s at most): its status in $status, what it said in $out. True
# where it ends with CODE having said one line that holds TEXT, or nothing where TEXT is empty.
ends_with() { # ends_with CODE TEXT COMMAND...
    out=$work/out.$((++runs))
    timeout 30 "${@:3}" >"$out" 2>&1
    status=$?
    [ "$status" = "$1" ] || { say "    it ended with $status" && return 1; }
    [ -n "$2" ] || { [ ! -s "$out" ]; return; }
    [ "$(wc -l <"$out")" = 1 ] && grep -qF -e "$2" "$out"
}

# Starts the X server COMMAND... on a free display: its process in $server, the display's name in
# $private once a client has been served there. A server that takes the display number of one
# just ended can refuse or drop the first connections for a moment after it names the display.
x_server() {
    exec {fd}>"$work/display"
    "$@" -displayfd "$fd" -nolisten tcp >"$work/server.out" 2>&1 &
    server=$!
    exec {fd}>&-
    within 10 test -s "$work/display" && private=:$(head -n1 "$work/display") &&
        within 10 xdpyinfo -display "$private" >/dev/null 2>&1
}

# Starts the program with ARGS: its process in $pid, what it says in $out (and ${outs[pid]}).
start() {
    out=$work/out.$((++runs))
    "${launcher[@]}" "$@" >"$out" 2>&1 &
    pid=$!
    outs[pid]=$out
}
stop() {
    [ -n "$pid" ] && { kill -9 "$pid" && wait "$pid"; } 2>/dev/null
    pid=
}
# Process PID has ended; a zombie counts, whoever its parent.
ended() { ! kill -0 "$1" 2>/dev/null || [[ $(ps -o stat= -p "$1") == Z* ]]; }
# Waits up to SECONDS for process PID (the program's by default) to end, its exit status then in
# $status, and for its window to go.
wait_exit() {
    local p=${2:-$pid}
    status=
    within "$1" ended "$p" || return 1
    wait "$p" 2>/dev/null
    status=$?
    [ "$p" = "$pid" ] && pid=
    within 5 not search_window
}
# wait_exit, with code 0; a failed check then shows what that run said.
ends_well() {
    out=${outs[${2:-$pid}]}
    wait_exit "$@" && [ "$status" = 0 ]
}

# The program's window into $window. An X error ends xdotool while the window manager reparents
# windows, so searches are retried.
search_window() {
    window=$(xdotool search --onlyvisible --name '^Nimbrost$' 2>/dev/null | head -n1)
    [ -n "$window" ]
}
find_window() { within 20 search_window; }
# The client area on the screen (cx cy cw ch), and the outer rectangle with the window manager's
# decorations (ox oy ow oh).
geometry() {
    local info l=0 r=0 t=0 b=0
    info=$(xwininfo -id "$window" 2>/dev/null) || return 1
    read -r cx cy cw ch <<<"$(awk '/Absolute upper-left|Width:|Height:/ { printf "%s ", $NF }' \
        <<<"$info")"
    IFS=, read -r l r t b < <(xprop -id "$window" _NET_FRAME_EXTENTS 2>/dev/null |
        sed -n 's/.*= //p')
    ox=$((cx - l)) oy=$((cy - t)) ow=$((cw + l + r)) oh=$((ch + t + b))
}
# With its caption, the outer rectangle "X Y W H" (800 x 600 at (0, 0) by default); under Wine
# (under_wine=1) within 4 pixels of it on every side.
decorated_window() {
    local x y w h slack=$((4 * under_wine))
    geometry && [ "$cy" -gt 0 ] && read -r x y w h <<<"${1:-0 0 800 600}" || return
    near() { [ $(($1 - $2)) -le $slack ] && [ $(($2 - $1)) -le $slack ]; }
    near $ox "$x" && near $oy "$y" && near $((ox + ow)) $((x + w)) && near $((oy + oh)) $((y + h))
}
# No caption, the client area W x H (800 x 600 by default) at (0, 0).
full_screen() { geometry && [ "$cx $cy $cw $ch" = "0 0 ${1:-800} ${2:-600}" ]; }

shot() { import -window root "$work/$1.ppm"; }
# Pixels of a region of SHOT (X Y W H from the client area's corner) that match a test.
count() { # count SHOT X Y W H CONVERT-OPTIONS...
    convert "$work/$1.ppm" -crop "$4x$5+$((cx + $2))+$((cy + $3))" +repage "${@:6}" \
        -format '%[fx:round(mean*w*h)]' info:
}
lit() { count "$@" -fill white +opaque black; }
drawn() { shot drawn && [ "$(lit drawn 0 0 "$cw" "$ch")" -gt "${1:-0}" ]; } # more than MIN lit
# The left strip of SHOT has more (-gt) or fewer (-lt) pixels than N (500) of the overlay's
# light-blue text, as it shows through the panel.
overlay() {
    shot "$1" && [ "$(count "$1" 0 0 240 "$ch" -fuzz 12% -fill white -opaque 'rgb(64,191,255)' \
        -fill black +opaque white)" "$2" "${3:-500}" ]
}
# Messages are handled in order: once the overlay that F1 shows has gone again, every input sent
# before it has been handled. SHOT keeps the last picture.
settle() {
    xdotool key F1 && within 5 overlay "$1" -gt && xdotool key F1 && within 5 overlay "$1" -lt
}

# The pointer over the window, raised, and the focus arrived (keys go where it is when sent).
focus() {
    xdotool mousemove $((cx + cw - 20)) $((cy + ch - 20))
    xdotool windowactivate --sync "$window" 2>/dev/null
    within 5 eval '[ "$(xdotool getwindowfocus 2>/dev/null)" = "$window" ]' ||
        say "  (the window did not get the focus)"
}
# The program started with ARGS in a window 800 x 600 at (0, 0), with its caption, focused, drawn.
start_window() {
    start "$@"
    find_window || { say "  no window appeared: $(cat "$out")" && return 1; }
    within 10 decorated_window ||
        { say "  the window is at $ox,$oy, ${ow}x$oh outside, client at $cx,$cy" && return 1; }
    focus
    within 10 drawn || { say "  the window stays black" && return 1; }
}

# Watches the root window for new top-level windows, ready once it has seen a property change of
# ours; `windows CreateNotify` then counts those made since, `windows MapNotify` those shown.
watch_windows() {
    xev -root -event substructure -event property >"$work/xev" 2>&1 &
    watcher=$!
    within 5 eval 'xprop -root -f _NIMBROST_TEST 8s -set _NIMBROST_TEST ready &&
                   grep -q _NIMBROST_TEST "$work/xev"'
}
windows() {
    kill "$watcher" && wait "$watcher"
    grep -c "$1" "$work/xev"
} 2>/dev/null

# Makes a stand-in host's window (HOST_TOOL ARGS...): its id in $host_id, its process in $host_pid.
host() {
    rm -f "$work/host_id"
    "$host_tool" "$@" >"$work/host_id" &
    host_pid=$!
    within 5 test -s "$work/host_id" && host_id=$(cat "$work/host_id")
}
# The rectangle X Y W H of the screen shows squares that move: lit, and changing between two shots.
moving() {
    local cx=0 cy=0
    shot one && sleep 0.2 && shot two && [ "$(lit one "$@")" -gt 500 ] &&
        [ "$(convert "$work/one.ppm" "$work/two.ppm" -crop "$3x$4+$1+$2" +repage -compose \
            difference -composite -threshold 1% -format '%[fx:round(mean*w*h)]' info:)" -gt 100 ]
}
