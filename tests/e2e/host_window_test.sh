#!/usr/bin/env bash
# host_window_test.sh PROGRAM HOST: the Linux program as a screen saver, drawn into the window a
# host names in XSCREENSAVER_WINDOW, with HOST (nimbrost-test-host) standing in for one: hosts'
# windows of two kinds side by side, values that name no window, and X servers that end or have
# no OpenGL. The real hosts run it in the desktop-session test.
source "$(dirname "$0")/harness.sh"
arguments "PROGRAM HOST" [ $# = 2 ]
program=$1 host_tool=$2 launcher=(env SDL_AUDIODRIVER=dummy "$1")
# The seconds an end "within a second" is given: three for the sanitized build, which runs some
# three times slower.
quick=1
[[ $(ldd "$program") == *libasan* ]] && quick=3

# Starts the program as a host does: XSCREENSAVER_WINDOW=ID PROGRAM /s (or ARG).
saver() { XSCREENSAVER_WINDOW=$1 start "${2:-/s}"; }

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
        expect "\"$value\": code -1, one line that names it and says it $reason" ends_with 255 \
            "\"$value\" $reason" env XSCREENSAVER_WINDOW="$value" "${launcher[@]}" /s
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
    expect "-win ignores the variable: the window appears, nothing said" \
        eval 'find_window && [ ! -s "$out" ]'
}

case_server_ends() {
    local where
    for where in "the host's window" "its own window"; do
        say "the X server ends under the program in $where"
        expect "a private X server starts" x_server Xvfb -screen 0 640x480x24 || return
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
        # A server that is still ending would remove the socket of the next one if it took the
        # same display number.
        wait "$server"
    done
    say "an X server without OpenGL"
    expect "a private X server starts" x_server Xvfb -screen 0 640x480x24 -extension GLX || return
    DISPLAY=$private host --geometry 320x240+0+0
    expect "the run ends with -1, saying in one line that it cannot draw there" eval \
        'ends_with 255 "$host_id of XSCREENSAVER_WINDOW cannot be drawn into" \
            env DISPLAY="$private" XSCREENSAVER_WINDOW="$host_id" "${launcher[@]}" /s'
    kill "$server"
}

for run in case_savers case_refused case_server_ends; do
    "$run"
    stop
done
report
