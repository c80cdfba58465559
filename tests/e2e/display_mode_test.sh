#!/usr/bin/env bash
# display_mode_test.sh LAUNCHER [ARG...]: the display-mode switch for real, on Xorg's dummy driver
# (tests/support/with-display --modes), at 1920 x 1080. F switches to the window's 800 x 600 and
# back; ESC, closing the window, SIGINT and SIGTERM (not under Wine: a Windows program gets no
# signals) each end the run with code 0 and the screen back at 1920 x 1080.
set -uo pipefail
[ $# -gt 0 ] && [ -n "${DISPLAY:-}" ] ||
    { echo "usage: ${0##*/} LAUNCHER [ARG...]  (on with-display --modes)" >&2; exit 2; }
source "$(dirname "$0")/harness.sh"

desktop=1920x1080
mode_is() { xrandr 2>/dev/null | grep -q "current ${1/x/ x },"; }
mode_is "$desktop" || { echo "the display does not start at $desktop" >&2; exit 2; }

ends=("ESC:key Escape" "closing the window:key alt+F4")
[ "$under_wine" = 0 ] && ends+=("SIGINT:signal INT" "SIGTERM:signal TERM")
for end in "${ends[@]}"; do
    name=${end%%:*}
    read -r how what <<<"${end#*:}"
    say "$name while full screen leaves the screen at $desktop"
    start_window -win && xdotool key f
    if expect "F: the screen is at 800 x 600" within 10 mode_is 800x600; then
        if [ "$name" = ESC ]; then
            xdotool key f
            expect "F again: the screen is back at $desktop" within 10 mode_is "$desktop"
            within 10 decorated_window && focus
            xdotool key f
            expect "F a third time: 800 x 600 again" within 10 mode_is 800x600
        fi
        if [ "$how" = key ]; then xdotool key "$what"; else kill -"$what" "$pid"; fi
        expect "$name exits with code 0" ends_well 20
        expect "the screen is back at $desktop" within 5 mode_is "$desktop"
    fi
    stop
    mode_is "$desktop" || xrandr -s "$desktop"
done
report
