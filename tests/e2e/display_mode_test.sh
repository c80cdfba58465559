#!/usr/bin/env bash
# display_mode_test.sh LAUNCHER [ARG...]
#
# The display-mode switch for real, on an X server that has several modes and starts at
# 1920 x 1080 (tests/support/with-display --modes: Xorg with the dummy driver). F switches the
# screen to the window's 800 x 600 and F switches it back; ESC, closing the window, and (outside
# Wine, where a Windows program gets no signals) SIGINT and SIGTERM each end the run with code 0
# and the screen back at 1920 x 1080. LAUNCHER and its arguments start the program, as for
# program_test.sh.
set -uo pipefail

if [ $# -eq 0 ] || [ -z "${DISPLAY:-}" ]; then
    echo "usage: display_mode_test.sh LAUNCHER [ARG...]  (on tests/support/with-display --modes)" >&2
    exit 2
fi
# shellcheck source=tests/e2e/harness.sh
source "$(dirname "$0")/harness.sh"

desktop=1920x1080
mode() { xrandr 2>/dev/null | sed -n 's/.*current \([0-9]*\) x \([0-9]*\),.*/\1x\2/p'; }
mode_is() { [ "$(mode)" = "$1" ]; }
[ "$(mode)" = "$desktop" ] || { echo "the display starts at $(mode), not $desktop" >&2; exit 2; }

# The program in an 800 x 600 window with the keyboard focus, then full screen by F.
start_full_screen() {
    start -win
    find_window && geometry || return 1
    focus
    xdotool key f
    within 10 mode_is 800x600
}

# Each case leaves the desktop's mode behind it, whatever happened.
restore() {
    stop
    mode_is "$desktop" || xrandr -s "$desktop"
}

say "F switches the screen to 800 x 600, F again back to 1920 x 1080"
expect "F: the screen is at 800 x 600" start_full_screen
xdotool key f
expect "F again: the screen is back at $desktop" within 10 mode_is "$desktop"
xdotool key f
expect "F a third time: 800 x 600 again" within 10 mode_is 800x600
xdotool key Escape
expect "ESC exits with code 0" eval 'wait_exit 20 && [ "$status" = 0 ]'
expect "the screen is back at $desktop" mode_is "$desktop"
restore

ends=("ESC:key Escape" "closing the window:key alt+F4")
[ "$under_wine" = 0 ] && ends+=("SIGINT:signal INT" "SIGTERM:signal TERM")
for end in "${ends[@]}"; do
    name=${end%%:*}
    read -r how what <<<"${end#*:}"
    say "$name while full screen leaves the screen at $desktop"
    if expect "the screen is at 800 x 600" start_full_screen; then
        if [ "$how" = key ]; then xdotool key "$what"; else kill -"$what" "$pid"; fi
        expect "$name exits with code 0" eval 'wait_exit 20 && [ "$status" = 0 ]'
        expect "the screen is back at $desktop" within 5 mode_is "$desktop"
    fi
    restore
done

report
