#!/usr/bin/env bash
# host_window_test.sh PROGRAM HOST XSECURELOCK_SAVER THEME_ENTRY: the Linux program as a screen
# saver, drawn into the window a host names in XSCREENSAVER_WINDOW. HOST (nimbrost-test-host)
# stands in for one, then the xscreensaver daemon, xsecurelock (through its saver
# XSECURELOCK_SAVER) and MATE's screen saver (through the theme entry THEME_ENTRY) run it.
set -uo pipefail
[ $# = 4 ] && [ -n "${DISPLAY:-}" ] || {
    echo "usage: ${0##*/} PROGRAM HOST XSECURELOCK_SAVER THEME_ENTRY  (on an X display)" >&2
    exit 2
}
program=$1 host_tool=$2 xsecurelock_saver=$3 theme_entry=$4
source "$(dirname "$0")/harness.sh" env SDL_AUDIODRIVER=dummy "$program"
# The seconds an end "within a second" is given: three for the sanitized build, which runs some
# three times slower.
quick=1
[[ $(ldd "$program") == *libasan* ]] && quick=3
chmod 755 "$work"

# Makes a host's window (HOST ARGS...): its id in $host_id, its process in $host_pid.
host() {
    rm -f "$work/host_id"
    "$host_tool" "$@" >"$work/host_id" &
    host_pid=$!
    within 5 test -s "$work/host_id" && host_id=$(cat "$work/host_id")
}
# Starts the program as a host does: XSCREENSAVER_WINDOW=ID PROGRAM /s (or ARG).
saver() { XSCREENSAVER_WINDOW=$1 start "${2:-/s}"; }
# The rectangle X Y W H of the screen shows squares that move: lit, and changing between two shots.
moving() {
    local cx=0 cy=0
    shot one && sleep 0.2 && shot two && [ "$(lit one "$@")" -gt 500 ] &&
        [ "$(convert "$work/one.ppm" "$work/two.ppm" -crop "$3x$4+$1+$2" +repage -compose \
            difference -composite -threshold 1% -format '%[fx:round(mean*w*h)]' info:)" -gt 100 ]
}

case_savers() {
    say "savers in hosts' windows side by side, one on a visual without double or depth buffer"
    local plain plain_host first second outside
    expect "the hosts' windows appear" eval 'host --visual plain --geometry 400x300+0+0 &&
        plain=$host_id plain_host=$host_pid && host --geometry 400x300+600+0' || return
    expect "the window watcher is ready" watch_windows || return
    saver "$plain"
    first=$pid
    saver "$host_id"
    second=$pid
    expect "squares move inside both" within 20 eval 'moving 0 0 400 300 && moving 600 0 400 300'
    outside=$(($(lit two 0 0 1280 1024) - $(lit two 0 0 400 300) - $(lit two 600 0 400 300)))
    expect "nothing is drawn outside them ($outside)" [ "$outside" = 0 ]
    expect "no window was shown" [ "$(windows MapNotify)" = 0 ]
    # Keys reach the program through the host's window: the pointer over it, the focus in it.
    xdotool mousemove 200 150 && xdotool windowfocus "$plain" 2>/dev/null
    xdotool key Escape
    expect "ESC ends the first with code 0" ends_well 5 "$first"
    expect "its host's window stays" eval "xwininfo -id $plain | grep -q IsViewable"
    expect "the second draws on" within 5 moving 600 0 400 300
    kill -TERM "$second"
    expect "SIGTERM ends the second within a second, with code 0" ends_well "$quick" "$second"
    saver "$plain"
    expect "a third saver draws in the first window" within 20 moving 0 0 400 300
    kill -TERM "$plain_host"
    wait_exit "$quick"
    expect "the host destroying the window ends it within a second, with code 3 (${status:-})" \
        [ "$status" = 3 ]
    expect "saying nothing" eval '! cat "${outs[first]}" "${outs[second]}" "$out" | grep .'
    kill "$host_pid"
}

# Every value that names no window to draw into: one line on stderr that names the value, code
# -1 as without a display, and no window anywhere.
case_refused() {
    say "values of XSCREENSAVER_WINDOW that name no window to draw into"
    expect "an input-only window appears" host --input-only --geometry 100x100+0+0 || return
    local input_only=$host_id value reason
    expect "the window watcher is ready" watch_windows || return
    while IFS='|' read -r value reason; do
        saver "$value"
        wait_exit 10
        expect "\"$value\": code -1 ($status), one line that names it and says it $reason" \
            eval '[ "$status" = 255 ] && one_line "$out" "\"$value\" $reason"'
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
    expect "no window was made" [ "$(windows CreateNotify)" = 0 ]
    kill "$host_pid"
    saver abc -win
    expect "-win ignores the variable: the window appears" find_window
    kill -TERM "$pid"
    expect "SIGTERM ends it with code 0, saying nothing" eval 'ends_well 5 && [ ! -s "$out" ]'
}

# A private X server ($private, process $server): ended under the program, or without OpenGL.
private_server() {
    exec {fd}>"$work/display"
    Xvfb -displayfd "$fd" -screen 0 640x480x24 -nolisten tcp "$@" >/dev/null 2>&1 &
    server=$!
    exec {fd}>&-
    within 10 test -s "$work/display" && private=:$(head -n1 "$work/display")
}

case_server_ends() {
    local where
    for where in "the host's window" "its own window"; do
        say "the X server ends under the program in $where"
        expect "a private X server starts" private_server || return
        if [ "$where" = "its own window" ]; then
            DISPLAY=$private start -win
        else
            DISPLAY=$private host --geometry 320x240+0+0 && DISPLAY=$private saver "$host_id"
        fi
        expect "it draws" within 20 eval 'DISPLAY=$private shot server &&
            [ "$(lit server 0 0 320 240)" -gt 0 ]'
        kill "$server"
        wait_exit "$quick"
        expect "it ends within a second, with code 3 (${status:-})" [ "$status" = 3 ]
    done
    say "an X server without OpenGL"
    expect "a private X server starts" private_server -extension GLX || return
    DISPLAY=$private host --geometry 320x240+0+0 && DISPLAY=$private saver "$host_id"
    wait_exit 20
    expect "the run ends with -1 (${status:-}), saying in one line that it cannot draw there" \
        eval '[ "$status" = 255 ] &&
              one_line "$out" "$host_id of XSCREENSAVER_WINDOW cannot be drawn into"'
    kill "$server"
}

install_program "$program"
install -D "$xsecurelock_saver" "$prefix/libexec/xsecurelock/saver_nimbrost"
top_level() { xwininfo -root -children | awk '$1 ~ /^0x/ { print $1 }'; }

# The installed program running as a screen saver, in $saver_pid (other tests may run their own).
installed_saver() {
    local found
    for found in $(pgrep -f "nimbrost /s$"); do
        [ "$(readlink "/proc/$found/exe")" = "$prefix/bin/nimbrost" ] && saver_pid=$found && return
    done
    return 1
}
# Once START... has started the host CLASS: it runs the installed program (then in $saver_pid),
# that draws on the whole screen, and every new top-level window shown is the host's.
hosted() { # hosted CLASS START...
    local before others window
    before=$(top_level)
    "${@:2}"
    expect "$1 starts the program" within 10 installed_saver || return
    expect "its window shows squares that move" within 20 moving 0 0 1280 1024
    for window in $(top_level); do
        grep -qx -- "$window" <<<"$before" || ! xwininfo -id "$window" | grep -q IsViewable ||
            xprop -id "$window" WM_CLASS | grep -q "\"$1\"" || others+=" $window"
    done
    expect "every new top-level window shown is $1's (${others:-})" [ -z "${others:-}" ]
}

case_xscreensaver() {
    say "the xscreensaver daemon runs the program on its own window"
    local crashes
    expect "the daemon answers" start_xscreensaver || return
    hosted xscreensaver eval 'daemon -activate >/dev/null' || return
    daemon -deactivate >/dev/null
    expect "deactivating ends the program within a second" wait_exit "$quick" "$saver_pid" ||
        tail -n 5 "$home/log"
    # What the daemon says about the program's process, besides starting and ending it.
    crashes=$(grep -E "(nimbrost|pid $saver_pid)\b" "$home/log" | grep -Ev 'forked|killing')
    expect "the daemon's log shows no crash ($crashes)" [ -z "$crashes" ]
    daemon -exit >/dev/null
}

# xsecurelock starts its saver with "-root" and a decimal window id; the package's saver for it
# starts the program with "/s".
case_xsecurelock() {
    say "xsecurelock runs the program through the package's saver for it"
    XSECURELOCK_SAVER=$prefix/libexec/xsecurelock/saver_nimbrost SDL_AUDIODRIVER=dummy \
        hosted xsecurelock eval 'xsecurelock >"$work/xsecurelock.log" 2>&1 & locker=$!' || return
    kill -TERM "$locker"
    expect "ending xsecurelock ends the program within a second" wait_exit "$quick" "$saver_pid"
    expect "the program said nothing: $(grep -i nimbrost "$work/xsecurelock.log")" \
        not grep -qi nimbrost "$work/xsecurelock.log"
}

# MATE's screen saver runs the command of the theme entry chosen in its settings, and only from its
# own folders or xscreensaver's folder of savers. It runs on a session bus of its own, with dconf
# so that the settings written before it starts are the ones it reads; the theme entry is found
# through XDG_DATA_DIRS, and a private mount namespace puts the installed program in
# /usr/libexec/xscreensaver where the entry names it, as the package does.
case_mate() {
    say "MATE's screen saver runs the program through its theme entry"
    local mate=$work/mate ns=(unshare --mount --propagation private) session=() bus dconf daemon
    local themes="['screensavers-nimbrost']"
    [ "$(id -u)" = 0 ] || ns=(unshare --user --map-root-user --mount --propagation private)
    { [ -d /usr/libexec/xscreensaver ] && "${ns[@]}" true; } 2>/dev/null ||
        { say "  (no private mount namespace can be made here: left out)" && return; }
    mkdir -p "$mate/data/applications/screensavers" "$mate/home" "$mate/run" "$mate/savers"
    chmod 700 "$mate/run"
    cp "$theme_entry" "$mate/data/applications/screensavers/nimbrost.desktop"
    ln -s "$prefix/bin/nimbrost" "$mate/savers/nimbrost"
    session=(env HOME="$mate/home" XDG_CONFIG_HOME="$mate/home/.config"
        XDG_CACHE_HOME="$mate/home/.cache" XDG_DATA_DIRS="$mate/data:/usr/share"
        XDG_RUNTIME_DIR="$mate/run" XDG_CURRENT_DESKTOP=MATE NO_AT_BRIDGE=1 SDL_AUDIODRIVER=dummy)
    "${session[@]}" dbus-daemon --session --nofork --print-address=3 3>"$mate/bus" 2>/dev/null &
    bus=$!
    expect "a session bus starts" within 5 test -s "$mate/bus" || return
    session+=(DBUS_SESSION_BUS_ADDRESS="$(head -n1 "$mate/bus")")
    "${session[@]}" gsettings set org.mate.screensaver mode "'single'"
    "${session[@]}" gsettings set org.mate.screensaver themes "$themes"
    expect "gsettings chooses Nimbrost alone, through dconf" eval \
        '[ "$("${session[@]}" gsettings get org.mate.screensaver themes)" = "$themes" ]'
    dconf=$("${session[@]}" gdbus call --session --dest org.freedesktop.DBus --object-path \
        /org/freedesktop/DBus --method org.freedesktop.DBus.GetConnectionUnixProcessID \
        ca.desrt.dconf 2>/dev/null | sed -n 's/^(uint32 \([0-9]*\),)$/\1/p')
    "${session[@]}" "${ns[@]}" sh -c 'mount --bind "$1" /usr/libexec/xscreensaver &&
        exec mate-screensaver --no-daemon' sh "$mate/savers" >"$mate/log" 2>&1 &
    daemon=$!
    mate_command() { "${session[@]}" mate-screensaver-command "$@" >/dev/null 2>&1; }
    saver_pid=
    if expect "mate-screensaver answers" within 10 mate_command --query; then
        hosted mate-screensaver mate_command --activate
        mate_command --deactivate
        [ -n "$saver_pid" ] &&
            expect "deactivating ends the program within a second" wait_exit "$quick" "$saver_pid"
    fi
    kill "$daemon" "$bus" ${dconf:+"$dconf"}
    expect "mate-screensaver, the bus and dconf end" within 5 eval \
        'ended $daemon && ended $bus && { [ -z "$dconf" ] || ended "$dconf"; }' || cat "$mate/log"
    wait "$daemon" "$bus" 2>/dev/null
}

for run in case_savers case_refused case_server_ends case_xscreensaver case_xsecurelock case_mate; do
    "$run"
    stop
done
report
