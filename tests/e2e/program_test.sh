#!/usr/bin/env bash
# program_test.sh LAUNCHER [ARG...]: the program end to end on the current X display
# (tests/support/with-display), driven by xdotool and read from screenshots. LAUNCHER starts the
# program, its own arguments appended: build/linux/nimbrost, or wine build/windows/Nimbrost.exe.
# The Windows build goes through what differs between the builds or shows only in a running
# program (window, caption, full screen, overlay, ESC and close); keys under layouts are the Linux
# platform's own, and under Wine would test Wine's.
set -uo pipefail
[ $# -gt 0 ] && [ -n "${DISPLAY:-}" ] ||
    { echo "usage: ${0##*/} LAUNCHER [ARG...]  (on a display with a window manager)" >&2; exit 2; }
source "$(dirname "$0")/harness.sh"

# The window manager holds the window full screen (the Linux build's full screen).
wm_full_screen() { xprop -id "$window" _NET_WM_STATE | grep -q _NET_WM_STATE_FULLSCREEN; }
# The x of the centre of the lit pixels of SHOT, in client coordinates; -1 when nothing is lit.
centre_x() {
    convert "$work/$1.ppm" -crop "${cw}x${ch}+$cx+$cy" +repage -threshold 2% -scale "${cw}x1!" \
        -depth 16 txt:- | awk -F'[,:() ]+' 'NR > 1 { sum += $4; moment += $1 * $4 }
                                 END { if (sum > 0) printf "%d\n", moment / sum; else print -1 }'
}
# SDL's disk audio driver writes what is played, in real time: stereo 32-bit floats at 44.1 kHz.
rate=352800
audio_size() { stat -c %s "$work/audio.raw" 2>/dev/null || echo 0; }
audio_reaches() { [ "$(audio_size)" -ge "$1" ]; }
# The largest absolute sample of BYTES bytes from FROM on, in millionths.
audio_peak() { # audio_peak FROM BYTES
    od -A n -t f4 -v -j "$1" -N "$2" "$work/audio.raw" |
        awk '{ for (i = 1; i <= NF; i++) { v = $i < 0 ? -$i : $i; if (v > m) m = v } }
             END { printf "%d\n", m * 1000000 }'
}

# In a window: squares, F's refused display mode, a drag, sound, closing.
case_window() {
    say "a window of 800 x 600 at (0, 0) showing squares"
    SDL_AUDIODRIVER=disk SDL_DISKAUDIOFILE="$work/audio.raw" \
        expect "it appears with its caption, 800 x 600 at (0, 0) outside" start_window -win ||
        return
    expect "squares are drawn" within 5 drawn 2000
    # Xvfb offers one mode: the 800 x 600 that F asks for is refused, so only the caption goes.
    xdotool key f
    expect "F drops the caption, at 800 x 600 at (0, 0)" within 5 full_screen
    [ "$under_wine" = 1 ] || expect "the mode refused, no full-screen window" not wm_full_screen
    expect "it still draws" within 5 drawn 2000
    xdotool key f
    expect "F again brings back the window" within 5 decorated_window

    if [ "$under_wine" = 0 ]; then
        case_drag
        case_sound
    fi
    xdotool key alt+F4
    expect "Alt+F4 (close) exits with code 0, saying nothing (but SDL's disk audio notice)" eval \
        'ends_well 10 && ! grep -v "^CRITICAL: .*\(disk i/o audio driver\|Writing to file\)" "$out"'
}

case_drag() {
    say "a left drag carries the picture along"
    local x=$((cx + 500)) y=$((cy + 300)) step right left
    drag() { # drag DX, in ten steps
        xdotool mousemove "$x" "$y" mousedown 1
        for step in 1 2 3 4 5 6 7 8 9 10; do xdotool mousemove $((x + $1 * step / 10)) "$y"; done
        xdotool mouseup 1
    }
    drag 150
    expect "the drag right is handled" settle right
    right=$(centre_x right)
    drag -300
    expect "the drag left is handled" settle left
    left=$(centre_x left)
    expect "right then left moves the squares' centre left ($right then $left)" \
        eval '[ "$right" -gt 0 ] && [ "$left" -ge 0 ] && [ $((right - left)) -gt 150 ]'
}

# The Windows build plays through Windows' own MIDI output; under Wine here there is none.
case_sound() {
    say "sound: 4 then S plays the effect's notes"
    local on peak
    xdotool key 4 s
    on=$(audio_size)
    expect "three seconds of sound are written" within 20 audio_reaches $((on + 3 * rate))
    peak=$(audio_peak "$on" $((3 * rate)))
    expect "they are audible (peak $peak millionths)" [ "$peak" -gt 10000 ]
}

case_screen_saver() {
    say "/s starts full screen at the screen's size"
    start /s
    expect "the window appears" find_window || return
    expect "it covers the 1280 x 1024 screen" within 10 full_screen 1280 1024
    [ "$under_wine" = 0 ] && expect "the screen's own mode is taken in full screen" within 5 wm_full_screen
    focus
    expect "keys reach it" settle keys
    xdotool key f
    expect "F leaves full screen for a 1280 x 1024 window at (0, 0)" \
        within 5 decorated_window "0 0 1280 1024"
    # A Windows program gets no signals: under Wine SIGTERM would end Wine, not the program.
    if [ "$under_wine" = 1 ]; then xdotool key Escape; else kill -TERM "$pid"; fi
    expect "SIGTERM (ESC under Wine) exits with code 0" ends_well 10
    env -u DISPLAY -u WAYLAND_DISPLAY "${launcher[@]}" -win >"$work/out" 2>&1
    status=$?
    expect "without a display the run ends with -1 (status $status), silently" \
        eval '[ "$status" = 255 ] && [ ! -s "$work/out" ]'
}

# The overlay's rows of effects (from y = -0.38 down by 0.035) and lines of toggles by letter (F's
# is not read: F moves the window), in the 800 x 600 viewport on the client area's bottom edge.
letters=(l t c p b m s)
heights=(0.245 0.21 0.175 0.14 0.105 0.07 0.0)
row_band() { # row_band K -> y h
    awk -v k="$1" -v h="$ch" 'BEGIN { printf "%d 15\n", h - (0.62 - 0.035 * (k - 1)) * 400 - 12 }'
}
# The overlay's row of effect K is red (in the shot "row").
row_current() {
    local y h
    read -r y h <<<"$(row_band "$1")"
    shot row && [ "$(light_blue row 0 "$y" 240 "$h")" -lt 10 ] && [ "$(count row 0 "$y" 240 "$h" \
        -fuzz 15% -fill white -opaque 'rgb(236,54,60)' -fill black +opaque white)" -gt 40 ]
}
# The light-blue pixels of each toggle line into $lines_now. "on" and "off" differ by a dozen or
# so, and the scene hardly ever takes the text's colour: a change of more than 5 is a flip.
read_lines() {
    shot lines && read -r -a lines_now <<<"$(convert "$work/lines.ppm" -crop "240x$ch+$cx+$cy" \
        +repage -fuzz 12% -fill white -opaque 'rgb(64,191,255)' -fill black +opaque white \
        -scale "1x$ch!" -depth 16 txt:- | awk -F'[,:() ]+' -v h="$ch" -v y="${heights[*]}" '
            NR > 1 { lit[$2] = $4 * 240 / 65535 }
            END {
                for (i = 1; i <= split(y, at, " "); i++) {
                    baseline = int(h - (1 + at[i]) * 400); sum = 0
                    for (row = baseline - 12; row < baseline + 3; row++) sum += lit[row]
                    printf "%d ", sum
                }
            }')"
}
line_moved() { read_lines && [ $((lines_now[$1] - $2)) -gt 5 -o $(($2 - lines_now[$1])) -gt 5 ]; }
lines_kept() { # lines_kept COUNT... (every line as it was)
    local before=("$@") i
    read_lines || return
    for i in "${!before[@]}"; do
        [ $((lines_now[i] - before[i])) -le 5 ] && [ $((before[i] - lines_now[i])) -le 5 ] ||
            { say "  (the lines read ${before[*]}, then ${lines_now[*]})" && return 1; }
    done
}
# Every key sent before has been handled once F1 has hidden the overlay and shown it again.
handled() {
    xdotool key F1 && within 5 overlay sync -lt && xdotool key F1 && within 5 overlay sync -gt
}

# layout_keys NAME DIGITS DECOYS: DIGITS are pairs of a key and the effect it chooses; DECOYS are
# keys at the US places of command letters that type something else here, and do nothing.
layout_keys() {
    local name=$1 digits=($2) decoys=($3) i was before
    for ((i = 0; i < ${#digits[@]}; i += 2)); do
        xdotool key "${digits[i]}"
        expect "$name: ${digits[i]} chooses effect ${digits[i + 1]}" \
            within 5 row_current "${digits[i + 1]}"
    done
    read_lines
    for i in "${!letters[@]}"; do
        for _ in flip "flip back"; do
            was=${lines_now[i]}
            xdotool key "${letters[i]}"
            expect "$name: ${letters[i]^^} flips its line ($was)" within 5 line_moved "$i" "$was"
        done
    done
    if [ ${#decoys[@]} -gt 0 ]; then
        before=("${lines_now[@]}")
        xdotool key "${decoys[@]}"
        expect "$name: the keys of ${decoys[*]} are handled" handled
        expect "$name: and flip nothing, nor change the window" \
            eval 'lines_kept "${before[@]}" && decorated_window'
    fi
    xdotool key f
    expect "$name: F drops the caption" within 5 full_screen
    xdotool key f
    expect "$name: F again brings it back" within 5 decorated_window
}

# The overlay in both builds. Then, on Linux, keys act by what the active layout puts on them:
# the program starts under French AZERTY and follows the layout as it changes; the keypad's 2, 3
# and 6 with NumLock off are decoys under Dvorak.
case_keys() {
    say "the overlay, and keys under French AZERTY and US Dvorak"
    if [ "$under_wine" = 0 ]; then
        xset q | grep -q "Num Lock: *on" && xdotool key Num_Lock
        setxkbmap -layout fr
    fi
    expect "the window appears" start_window -win || { setxkbmap -layout us; return; }
    xdotool key F1
    expect "F1 shows light-blue text in the left strip" within 5 overlay overlay -gt 1000
    local black
    black=$(count overlay 0 0 230 "$ch" -fill white -opaque black -fill black +opaque white)
    expect "the panel tints the strip ($black black pixels)" [ "$black" -lt $((230 * ch / 20)) ]
    if [ "$under_wine" = 0 ]; then
        layout_keys "French AZERTY" "eacute 2 7 7 ampersand 1" "comma"
        setxkbmap -layout us -variant dvorak
        layout_keys "US Dvorak" "2 2 8 8 1 1" "u o n j KP_Down KP_Next KP_Right"
        setxkbmap -layout us
    fi
    xdotool key Escape
    expect "ESC exits with code 0, saying nothing" eval 'ends_well 10 && [ ! -s "$out" ]'
}

for run in case_window case_screen_saver case_keys; do
    "$run"
    stop
done
report
