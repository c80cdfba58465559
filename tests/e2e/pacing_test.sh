#!/usr/bin/env bash
# pacing_test.sh PROGRAM FRAME_WATCH: the Linux program's frames on Xvfb, counted from the X server
# by FRAME_WATCH. Mesa's software renderer has no refresh to wait for, so the platform waits out
# the refresh period (60 Hz where the mode tells no rate) as a display would: at most 65 frames a
# second in a window. Mesa's vblank_mode=0 turns the pacing off: then more than 200.
source "$(dirname "$0")/harness.sh"
arguments "PROGRAM FRAME_WATCH" [ $# = 2 ]
program=$1 frame_watch=$2

# The frames a second a -win run gets, as FRAME_WATCH prints them ("... N frames per second ...").
rate() {
    "$frame_watch" --seconds 3 -- "$program" -win 2>/dev/null |
        sed -n 's/.* \([0-9]*\) frames per second.*/\1/p'
}

say "frames of a window on Xvfb"
paced=$(SDL_AUDIODRIVER=dummy rate)
expect "paced by the platform: at most 65 a second (${paced:-none})" \
    eval '[ -n "$paced" ] && [ "$paced" -le 65 ] && [ "$paced" -gt 30 ]'
unpaced=$(SDL_AUDIODRIVER=dummy vblank_mode=0 rate)
expect "with vblank_mode=0 unpaced: more than 200 a second (${unpaced:-none})" \
    eval '[ -n "$unpaced" ] && [ "$unpaced" -gt 200 ]'
report
