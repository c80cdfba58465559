#!/usr/bin/env bash
# host_window_test.sh PROGRAM HOST XSECURELOCK_SAVER
#
# The Linux program as a screen saver: drawn into the window that a host names in
# XSCREENSAVER_WINDOW. HOST (nimbrost-test-host) stands in for the host; the last cases run the
# real xscreensaver daemon and xsecurelock (with XSECURELOCK_SAVER, the package's saver for it).
# Run it on a display with a window manager (tests/support/with-display); the cases that end an X
# server start private ones.
set -uo pipefail

if [ $# -ne 3 ] || [ -z "${DISPLAY:-}" ]; then
    echo "usage: host_window_test.sh PROGRAM HOST XSECURELOCK_SAVER  (on an X display with a" \
        "window manager)" >&2
    exit 2
fi
program=$1
host_tool=$2
xsecurelock_saver=$3
work=$(mktemp -d)
chmod 755 "$work"
# shellcheck source=tests/e2e/checks.sh
. "$(dirname "$0")/checks.sh"
pids=()
cleanup() {
    local pid
    for pid in "${pids[@]}"; do
        kill -9 "$pid" 2>/dev/null
    done
    wait 2>/dev/null
    rm -rf "$work"
}
trap cleanup EXIT

now_ms() { echo $(($(date +%s%N) / 1000000)); }

# Makes a host window (nimbrost-test-host ARGS): its id in $host_id, its process in $host_pid.
host() {
    rm -f "$work/host_id"
    "$host_tool" "$@" >"$work/host_id" &
    host_pid=$!
    pids+=("$host_pid")
    within 5 test -s "$work/host_id" || return 1
    host_id=$(cat "$work/host_id")
}

# Starts the program as a host would: XSCREENSAVER_WINDOW=ID PROGRAM /s; its process in $pid, what
# it says in $work/out.NAME.
saver() { # saver NAME ID [ARG...]
    local name=$1 id=$2
    shift 2
    XSCREENSAVER_WINDOW=$id SDL_AUDIODRIVER=dummy "$program" "${@:-/s}" </dev/null \
        >"$work/out.$name" 2>&1 &
    pid=$!
    pids+=("$pid")
}

# Whether process PID has ended (a zombie whose parent is gone counts).
ended() { ! kill -0 "$1" 2>/dev/null || [ "$(ps -o stat= -p "$1" | cut -c1)" = Z ]; }
# Waits up to MS milliseconds for process PID to end; its exit status is then in $status when it
# is ours.
ends_within() { # ends_within MS PID
    local deadline=$(($(now_ms) + $1))
    until ended "$2"; do
        [ "$(now_ms)" -gt "$deadline" ] && return 1
        sleep 0.02
    done
    wait "$2" 2>/dev/null
    status=$?
}

# Whether FILE holds one line, and that line holds TEXT.
one_line() { [ "$(wc -l <"$1")" = 1 ] && grep -qF -e "$2" "$1"; }

shot() { import -window root "$work/$1.ppm"; }
# Lit pixels of a shot in the rectangle W H X Y.
lit() { # lit SHOT W H X Y
    convert "$work/$1.ppm" -crop "$2x$3+$4+$5" +repage -fill white +opaque black \
        -format '%[fx:round(mean*w*h)]' info:
}
# Whether the rectangle shows squares that move: lit, and changing between two shots.
moving() { # moving W H X Y
    shot one && sleep 0.2 && shot two || return 1
    [ "$(lit one "$@")" -gt 500 ] &&
        [ "$(convert "$work/one.ppm" "$work/two.ppm" -crop "$1x$2+$3+$4" +repage \
            -compose difference -composite -threshold 1% -format '%[fx:round(mean*w*h)]' info:)" \
            -gt 100 ]
}

# The top-level windows, and those of them that came after BEFORE and whose class is not CLASS.
top_level() { xwininfo -root -children | awk '$1 ~ /^0x/ { print $1 }'; }
windows_not_of() { # windows_not_of CLASS BEFORE
    local window
    for window in $(top_level); do
        grep -qx -- "$window" <<<"$2" && continue
        xprop -id "$window" WM_CLASS | grep -q "\"$1\"" || echo "$window"
    done
}

case_draws() {
    say "the program draws into the host's window and makes none of its own"
    expect "the host's window appears" host --geometry 400x300+100+100 || return
    expect "the window watcher is ready" watch_windows || return
    saver draws "$host_id"
    expect "squares move inside the host's window" within 20 moving 400 300 100 100
    expect "nothing is drawn outside it" [ "$(lit two 1280 600 0 424)" = 0 ]
    expect "no window was shown" [ "$(windows_shown)" = 0 ]
    # Keys reach the program through the host's window: the pointer over it, the focus in it.
    xdotool mousemove 300 250 && xdotool windowfocus "$host_id" 2>/dev/null
    xdotool key Escape
    expect "ESC exits" ends_within 5000 "$pid"
    expect "with code 0" [ "$status" = 0 ]
    expect "saying nothing" [ ! -s "$work/out.draws" ]
    expect "the host's window stays" bash -c "xwininfo -id $host_id | grep -q IsViewable"
    kill "$host_pid"
    wait "$host_pid"
}

case_visual() {
    say "a host's window whose visual lacks the double buffer and the depth buffer"
    expect "the host's window appears" host --visual plain --geometry 400x300+100+100 || return
    expect "the window watcher is ready" watch_windows || return
    saver visual "$host_id"
    expect "squares move inside the host's window" within 20 moving 400 300 100 100
    expect "no top-level window was shown" [ "$(windows_shown)" = 0 ]
    kill -TERM "$pid"
    expect "SIGTERM ends the run within a second" ends_within 1000 "$pid"
    expect "with code 0" [ "$status" = 0 ]
    expect "saying nothing" [ ! -s "$work/out.visual" ]
    kill "$host_pid"
    wait "$host_pid"
}

case_two() {
    say "two savers on two windows side by side; the host destroys a window under its saver"
    local first second first_host
    host --geometry 400x300+0+0 && first_host=$host_pid && saver left "$host_id" && first=$pid
    host --geometry 400x300+600+0 && saver right "$host_id" && second=$pid
    both_draw() { moving 400 300 0 0 && moving 400 300 600 0; }
    expect "both draw" within 20 both_draw
    kill -TERM "$first"
    expect "SIGTERM ends the first" ends_within 1000 "$first"
    expect "with code 0" [ "$status" = 0 ]
    expect "the second draws on" within 5 moving 400 300 600 0
    kill -TERM "$host_pid"
    expect "the second ends within a second of its window's end" ends_within 1000 "$second"
    expect "with code 3, the window being gone (code $status)" [ "$status" = 3 ]
    expect "saying nothing" [ ! -s "$work/out.right" -a ! -s "$work/out.left" ]
    kill "$first_host"
    wait "$first_host" "$host_pid"
}

# Every value that names no window to draw into: one line on stderr that names the value, code
# -1 as without a display, and no window anywhere.
case_refused() {
    say "values of XSCREENSAVER_WINDOW that name no window to draw into"
    expect "an input-only window appears" host --input-only --geometry 100x100+0+0 || return
    local input_only=$host_id value reason
    expect "the window watcher is ready" watch_windows || return
    while IFS='|' read -r value reason; do
        saver refused "$value"
        ends_within 10000 "$pid"
        expect "\"$value\" ends with -1 (status $status)" [ "$status" = 255 ]
        expect "\"$value\": one line that names it and says it $reason" \
            one_line "$work/out.refused" "\"$value\" $reason"
    done <<EOF
abc|is not a window id
|is not a window id
0x|is not a window id
12 34|is not a window id
0|is not a window id: 0 names no window
0x1FFFFFFFF|is not a window id: it is larger than 32 bits
0x1fffff|names no window
$input_only|names an input-only window
EOF
    expect "no window was made" [ "$(windows_made)" = 0 ]
    kill "$host_pid"
    wait "$host_pid"
    say "-win ignores the variable"
    saver windowed abc -win
    expect "the window appears" within 20 \
        bash -c "xdotool search --onlyvisible --name '^Nimbrost$' >/dev/null"
    kill -TERM "$pid"
    expect "SIGTERM ends it" ends_within 5000 "$pid"
    expect "with code 0, saying nothing: $(cat "$work/out.windowed")" \
        [ "$status" = 0 -a ! -s "$work/out.windowed" ]
}

# A private X server, ended under the program (or without OpenGL): its display in $private.
private_server=
start_server() { # start_server [XVFB-ARG...]
    exec {fd}>"$work/display"
    Xvfb -displayfd "$fd" -screen 0 640x480x24 -nolisten tcp "$@" >/dev/null 2>&1 &
    private_server=$!
    pids+=("$private_server")
    exec {fd}>&-
    within 10 test -s "$work/display" && private=":$(head -n1 "$work/display")"
}

case_server_ends() {
    say "the X server ends under a running program"
    local mode
    for mode in "in the host's window" "in its own window"; do
        expect "a private X server starts" start_server || return
        if [ "$mode" = "in its own window" ]; then
            DISPLAY=$private SDL_AUDIODRIVER=dummy "$program" -win >"$work/out.server" 2>&1 &
        else
            DISPLAY=$private host --geometry 320x240+0+0
            DISPLAY=$private XSCREENSAVER_WINDOW=$host_id SDL_AUDIODRIVER=dummy "$program" /s \
                >"$work/out.server" 2>&1 &
        fi
        pid=$!
        pids+=("$pid")
        drawn() { DISPLAY=$private import -window root "$work/server.ppm" &&
            [ "$(lit server 320 240 0 0)" -gt 0 ]; }
        expect "$mode, it draws" within 20 drawn
        kill "$private_server"
        expect "$mode, it ends within a second" ends_within 1000 "$pid"
        expect "$mode, with code 3 (code $status)" [ "$status" = 3 ]
        wait "$private_server" 2>/dev/null
    done
    say "an X server without OpenGL"
    expect "a private X server starts" start_server -extension GLX || return
    DISPLAY=$private host --geometry 320x240+0+0
    DISPLAY=$private XSCREENSAVER_WINDOW=$host_id "$program" /s >"$work/out.server" 2>&1
    status=$?
    expect "the run ends with -1 (status $status)" [ "$status" = 255 ]
    expect "saying in one line that the window cannot be drawn into" \
        one_line "$work/out.server" "$host_id of XSCREENSAVER_WINDOW cannot be drawn into"
    kill "$private_server"
    wait "$private_server" 2>/dev/null
}

# The xscreensaver daemon starts savers only as a user other than root; the program and its
# library are copied where that user can run them, and found there by its name, as README.md's programs: line has it.
case_xscreensaver() {
    command -v xscreensaver >/dev/null || { fail "xscreensaver is not installed"; return; }
    say "the xscreensaver daemon runs the program on its own window"
    local home=$work/home as_user=() saver_pid before
    mkdir -p "$home" "$work/bin"
    cp "$program" "$work/bin/nimbrost"
    cp "$(dirname "$program")/libnimbrost_program.so" "$work/bin/"
    cat >"$home/.xscreensaver" <<EOF
mode: one
selected: 0
timeout: 1:00:00
lock: False
fade: False
unfade: False
splash: False
programs: "Nimbrost" nimbrost /s \n
EOF
    if [ "$(id -u)" = 0 ]; then
        chown -R nobody:nogroup "$home"
        as_user=(setpriv --reuid=nobody --regid=nogroup --clear-groups)
    fi
    as_user+=(env HOME="$home" PATH="$work/bin:$PATH" SDL_AUDIODRIVER=dummy)
    "${as_user[@]}" xscreensaver -no-splash -verbose -log "$home/log" >/dev/null 2>&1 &
    pids+=($!)
    expect "the daemon answers" within 20 "${as_user[@]}" xscreensaver-command -version \
        >/dev/null 2>&1 || return
    before=$(top_level)
    "${as_user[@]}" xscreensaver-command -activate >/dev/null 2>&1
    find_saver() { saver_pid=$(pgrep -f '^nimbrost /s$'); [ -n "$saver_pid" ]; }
    expect "it starts the program" within 10 find_saver || return
    expect "the one just built" [ "$(readlink "/proc/$saver_pid/exe")" = "$work/bin/nimbrost" ]
    expect "the host's window shows squares that move" within 20 moving 1280 1024 0 0
    local others
    others=$(windows_not_of xscreensaver "$before")
    expect "every new top-level window is the daemon's ($others)" [ -z "$others" ]
    "${as_user[@]}" xscreensaver-command -deactivate >/dev/null 2>&1
    expect "deactivating ends the program within a second" ends_within 1000 "$saver_pid"
    # What the daemon says about the program's process, besides starting and ending it.
    local crashes
    crashes=$(grep -E "(nimbrost|pid $saver_pid)\b" "$home/log" | grep -Ev 'forked|killing')
    expect "the daemon's log shows no crash ($crashes)" [ -z "$crashes" ]
    "${as_user[@]}" xscreensaver-command -exit >/dev/null 2>&1
}

# xsecurelock starts its saver with "-root" and a decimal window id; the package's saver for it
# starts the program with "/s". They are copied as the package installs them, with the program's
# library.
case_xsecurelock() {
    command -v xsecurelock >/dev/null || { fail "xsecurelock is not installed"; return; }
    say "xsecurelock runs the program through the package's saver for it"
    local prefix=$work/prefix before saver_pid others
    mkdir -p "$prefix/bin" "$prefix/libexec/nimbrost" "$prefix/libexec/xsecurelock"
    cp "$program" "$prefix/bin/nimbrost"
    cp "$(dirname "$program")/libnimbrost_program.so" "$prefix/libexec/nimbrost/"
    cp "$xsecurelock_saver" "$prefix/libexec/xsecurelock/saver_nimbrost"
    chmod 755 "$prefix/libexec/xsecurelock/saver_nimbrost"
    before=$(top_level)
    XSECURELOCK_SAVER=$prefix/libexec/xsecurelock/saver_nimbrost SDL_AUDIODRIVER=dummy \
        xsecurelock >"$work/xsecurelock.log" 2>&1 &
    local locker=$!
    pids+=("$locker")
    find_saver() {
        saver_pid=$(pgrep -f '/bin/nimbrost /s$')
        [ -n "$saver_pid" ] && [ "$(readlink "/proc/$saver_pid/exe")" = "$prefix/bin/nimbrost" ]
    }
    expect "it starts the program" within 10 find_saver || return
    expect "its window shows squares that move" within 20 moving 1280 1024 0 0
    others=$(windows_not_of xsecurelock "$before")
    expect "every new top-level window is xsecurelock's ($others)" [ -z "$others" ]
    kill -TERM "$locker"
    expect "ending xsecurelock ends the program within a second" ends_within 1000 "$saver_pid"
    wait "$locker" 2>/dev/null
    expect "the program said nothing: $(grep -i nimbrost "$work/xsecurelock.log")" \
        bash -c "! grep -qi nimbrost '$work/xsecurelock.log'"
}

for run in case_draws case_visual case_two case_refused case_server_ends case_xscreensaver \
    case_xsecurelock; do
    "$run"
done
report
