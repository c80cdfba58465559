#!/usr/bin/env bash
# program_test.sh LAUNCHER [ARG...]: the program end to end on Xorg's dummy driver
# (tests/support/with-display --modes), whose desktop is 1920 x 1080 and whose modes switch for
# real. LAUNCHER starts the program, its own arguments appended: build/linux/nimbrost, or wine
# build/windows/Nimbrost.exe. Both builds go through what only a running program shows: its window
# and caption, the overlay's glyphs, the mode that F switches, full screen at the screen's size,
# the ends with the desktop's mode back, and a missing display. What keys do under each layout is
# the platform test's (under Wine it would test Wine's), and so is the window manager's full-screen
# state; what a command line without a switch does is the shell's unit test's.
source "$(dirname "$0")/harness.sh"
arguments "LAUNCHER [ARG...]" [ $# -gt 0 ]
launcher=("$@")
# The Windows build under Wine gets no signals, and its frame is the window manager's.
[ "$(basename "$1")" = wine ] && under_wine=1

desktop=1920x1080
mode_is() { xrandr 2>/dev/null | grep -q "current ${1/x/ x },"; }
mode_is "$desktop" || { echo "the display does not start at $desktop" >&2; exit 2; }

# Ends the run with a key or a signal (SIG...: the Windows build gets none): code 0, saying
# nothing, the screen back at the desktop's mode.
end_with() { # end_with NAME KEY|SIGNAL
    if [[ $2 == SIG* ]]; then kill -"${2#SIG}" "$pid"; else xdotool key "$2"; fi
    expect "$1 exits with code 0, saying nothing" eval 'ends_well 20 && [ ! -s "$out" ]'
    expect "the screen is back at $desktop" within 5 mode_is "$desktop"
    stop
    mode_is "$desktop" || xrandr -s "$desktop"
}

say "-win: a window with squares and the overlay; F switches the screen to 800 x 600"
if expect "it appears with its caption, 800 x 600 at (0, 0) outside" start_window -win; then
    expect "squares are drawn" within 5 drawn 2000
    xdotool key F1
    expect "F1 shows light-blue text in the left strip" within 5 overlay overlay -gt 1000
    black=$(count overlay 0 0 230 "$ch" -fill white -opaque black -fill black +opaque white)
    expect "the panel tints the strip ($black black pixels)" [ "$black" -lt $((230 * ch / 20)) ]
    xdotool key f
    expect "F: the screen at 800 x 600, the window without its caption" \
        within 10 eval 'mode_is 800x600 && full_screen'
    xdotool key f
    expect "F again: the screen back at $desktop, the caption too" \
        within 10 eval 'mode_is "$desktop" && decorated_window'
    focus
    xdotool key f
    expect "F a third time: 800 x 600 again" within 10 mode_is 800x600
    end_with ESC Escape
fi
ends=("closing the window:alt+F4")
[ "$under_wine" = 1 ] || ends+=("SIGINT:SIGINT")
for end in "${ends[@]}"; do
    say "${end%%:*} while the screen is at 800 x 600"
    start_window -win && xdotool key f
    expect "F: the screen at 800 x 600" within 10 mode_is 800x600 &&
        end_with "${end%%:*}" "${end#*:}"
    stop
done

say "/s: full screen at the screen's own size"
start /s
if expect "the window appears" find_window; then
    expect "it covers the screen" within 10 full_screen 1920 1080
    focus
    xdotool key f
    expect "F leaves full screen for a window of the screen's size at (0, 0)" \
        within 5 decorated_window "0 0 1920 1080"
    if [ "$under_wine" = 1 ]; then end_with ESC Escape; else end_with SIGTERM SIGTERM; fi
fi

say "no display"
expect "without a display the run ends with -1, saying nothing" \
    ends_with 255 "" env -u DISPLAY -u WAYLAND_DISPLAY "${launcher[@]}" -win
report
