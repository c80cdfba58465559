#!/usr/bin/env bash
# program_test.sh LAUNCHER [ARG...]
#
# Runs the program end to end on the current X display (start it with tests/support/with-display:
# Xvfb with openbox), driving it with xdotool and reading screenshots. LAUNCHER and its arguments
# start the program; the program's own arguments are appended, for example
#
#   program_test.sh build/linux/nimbrost
#   program_test.sh wine build/windows/Nimbrost.exe
set -uo pipefail

if [ $# -eq 0 ] || [ -z "${DISPLAY:-}" ]; then
    echo "usage: program_test.sh LAUNCHER [ARG...]  (on an X display with a window manager)" >&2
    exit 2
fi
# shellcheck source=tests/e2e/harness.sh
source "$(dirname "$0")/harness.sh"

# The outer rectangle is "X Y W H"; under Wine within 4 pixels of it on every side.
outer_is() {
    geometry || return 1
    [ "$under_wine" = 0 ] && { [ "$ox $oy $ow $oh" = "$1" ]; return; }
    local x y w h
    read -r x y w h <<<"$1"
    near() { [ $(($1 - $2)) -le 4 ] && [ $(($2 - $1)) -le 4 ]; }
    near "$ox" "$x" && near "$oy" "$y" && near $((ox + ow)) $((x + w)) && near $((oy + oh)) $((y + h))
}
decorated_window() { outer_is "0 0 800 600" && [ "$cy" -gt 0 ]; }
# Full screen: the window covers the 1280 x 1024 screen. Under Wine, where Xvfb keeps its one
# display mode, the window loses its caption and stays at (0, 0) with its own size.
full_screen() {
    geometry || return 1
    if [ "$under_wine" = 1 ]; then
        [ "$cx $cy $cw $ch" = "0 0 $scene_width $scene_height" ]
        return
    fi
    [ "$cx $cy $cw $ch" = "0 0 1280 1024" ] &&
        xprop -id "$window" _NET_WM_STATE | grep -q _NET_WM_STATE_FULLSCREEN
}
not_full_screen() {
    if [ "$under_wine" = 1 ]; then
        geometry && [ "$cy" -gt 0 ]
        return
    fi
    ! xprop -id "$window" _NET_WM_STATE | grep -q FULLSCREEN
}
scene_width=800
scene_height=600

reddish() {
    count "$1" "$2" "$3" "$4" "$5" -fuzz 15% -fill white -opaque 'rgb(236,54,60)' \
        -fill black +opaque white
}
# The share of pixels that differ between two shots, in thousandths.
difference() {
    local pixels
    pixels=$(compare -metric AE "$work/$1.ppm" "$work/$2.ppm" null: 2>&1 | cut -d' ' -f1)
    echo $((pixels * 1000 / (1280 * 1024)))
}
# The x of the centre of the lit pixels, in client coordinates; -1 when nothing is lit.
centre_x() {
    convert "$work/$1.ppm" -crop "${cw}x${ch}+$cx+$cy" +repage -threshold 2% -scale "${cw}x1!" \
        -depth 16 txt:- |
        awk -F'[,:() ]+' 'NR > 1 { sum += $4; moment += $1 * $4 }
                          END { if (sum > 0) printf "%d\n", moment / sum; else print -1 }'
}

# The overlay's row of effect K: the band of its text in client coordinates. The square viewport
# of `width` pixels stands on the client area's bottom edge; rows start at y = -0.38 and go down
# by 0.035.
row_band() { # row_band K -> y h
    local baseline
    baseline=$(awk -v k="$1" -v h="$ch" 'BEGIN { printf "%d", h - (1 + (-0.38 - 0.035 * (k - 1))) * 400 }')
    echo "$((baseline - 12)) 15"
}

# The program in a window, started, focused and showing a frame.
start_window() {
    start "$@"
    find_window || {
        say "  no window appeared; the program is $(kill -0 "$pid" 2>/dev/null && echo running ||
            echo gone); it said: $(cat "$work/out")"
        return 1
    }
    within 10 decorated_window ||
        { say "  the window is at $ox,$oy, ${ow}x$oh outside, client at $cx,$cy"; return 1; }
    focus
    drawn() { shot first && [ "$(lit first 0 0 "$cw" "$ch")" -gt 0 ]; }
    within 10 drawn || { say "  the window stays black"; return 1; }
}

case_window() {
    say "a window of 800 x 600 at (0, 0) showing squares"
    local started=$SECONDS
    expect "the window appears" start_window -win || return
    expect "its outer rectangle is 800 x 600 at (0, 0) (client ${cw}x${ch} at $cx,$cy)" \
        outer_is "0 0 800 600"
    expect "it has a caption" [ "$cy" -gt 0 ]
    within 2 true
    shot squares
    local squares
    squares=$(lit squares 0 0 "$cw" "$ch")
    expect "squares are drawn ($squares lit pixels)" [ "$squares" -gt 2000 ]
    xdotool key Escape
    expect "ESC exits" wait_exit 10
    expect "with code 0" [ "$status" = 0 ]
    expect "saying nothing" [ ! -s "$work/out" ]
    say "  ($((SECONDS - started)) s)"
}

case_close() {
    say "closing the window and SIGTERM end the run with code 0"
    expect "the window appears" start_window -win || return
    xdotool key alt+F4
    expect "Alt+F4 (close) exits" wait_exit 10
    expect "with code 0" [ "$status" = 0 ]
    stop
    # A Windows program gets no signals: under Wine SIGTERM would end Wine, not the program.
    [ "$under_wine" = 1 ] && return
    expect "the window appears again" start_window /s -win || return
    kill -TERM "$pid"
    expect "SIGTERM exits" wait_exit 10
    expect "with code 0" [ "$status" = 0 ]
    stop
}

case_refused() {
    say "refused command lines end at once with no window"
    local tail
    expect "the window watcher is ready" watch_windows || return
    for tail in "-WIN" "/p 123"; do
        # shellcheck disable=SC2086
        start $tail
        expect "'$tail' exits within 5 s" wait_exit 5
        expect "'$tail' exits with code 0" [ "$status" = 0 ]
        expect "'$tail' says nothing" [ ! -s "$work/out" ]
        stop
    done
    expect "no window was made" [ "$(windows_made)" = 0 ]
    env -u DISPLAY -u WAYLAND_DISPLAY "${launcher[@]}" -win >"$work/out" 2>&1
    status=$?
    expect "without a display the run ends with -1 (status $status)" [ "$status" = 255 ]
    expect "silently" [ ! -s "$work/out" ]
}

case_keys() {
    say "keys 1 to 8 choose the effects, F1 shows and hides the overlay"
    expect "the window appears" start_window -win || return
    xdotool key F1
    expect "F1 shows light-blue text in the left strip" within 5 bash -c \
        "import -window root $work/overlay.ppm && [ \$(cx=$cx cy=$cy; convert $work/overlay.ppm -crop 240x${ch}+$cx+$cy +repage -fuzz 12% -fill white -opaque 'rgb(64,191,255)' -fill black +opaque white -format '%[fx:round(mean*w*h)]' info:) -gt 1000 ]"
    shot overlay
    local black
    black=$(count overlay 0 0 230 "$ch" -fill white -opaque black -fill black +opaque white)
    expect "the strip is tinted by the panel ($black black pixels)" [ "$black" -lt $((230 * ch / 20)) ]
    # The current effect's row turns red. Rows whose effect shares its draw procedure turn red
    # with it, so the rows checked for light blue are those that surely differ: after key 1 all
    # the others, after any other key the row of Square roots.
    local key other y h band
    for key in 2 3 4 5 6 7 8 1; do
        xdotool key "$key"
        read -r y h <<<"$(row_band "$key")"
        current() {
            shot row && [ "$(light_blue row 0 "$y" 240 "$h")" -lt 10 ] &&
                [ "$(reddish row 0 "$y" 240 "$h")" -gt 40 ]
        }
        expect "key $key marks row $key red" within 5 current
        for other in 1 2 3 4 5 6 7 8; do
            [ "$other" = "$key" ] || { [ "$key" != 1 ] && [ "$other" != 1 ]; } && continue
            read -r y h <<<"$(row_band "$other")"
            band=$(light_blue row 0 "$y" 240 "$h")
            [ "$band" -gt 50 ] || fail "row $other is not light blue after key $key ($band)"
        done
    done
    xdotool key F1
    hidden() { shot plain && [ "$(light_blue plain 0 0 240 "$ch")" -lt 20 ]; }
    expect "F1 again hides the overlay" within 5 hidden

    # Each effect draws its own picture: it differs from the one before or from Square roots.
    xdotool key 1
    sleep 0.5
    shot effect1
    cp "$work/effect1.ppm" "$work/previous.ppm"
    for key in 2 3 4 5 6 7 8; do
        xdotool key "$key"
        sleep 0.5
        shot "effect$key"
        local fromPrevious fromRoots
        fromPrevious=$(difference "effect$key" previous)
        fromRoots=$(difference "effect$key" effect1)
        expect "key $key changes the picture ($fromPrevious, $fromRoots thousandths)" \
            [ "$fromPrevious" -gt 0 -o "$fromRoots" -gt 0 ]
        cp "$work/effect$key.ppm" "$work/previous.ppm"
    done
    xdotool key Escape
    wait_exit 10
}

case_full_screen() {
    say "F goes full screen and back"
    expect "the window appears" start_window -win || return
    scene_width=800 scene_height=600
    xdotool key f
    expect "F goes full screen" within 5 full_screen
    shot full
    expect "it still draws" [ "$(lit full 0 0 "$cw" "$ch")" -gt 2000 ]
    xdotool key f
    expect "F again brings back the 800 x 600 window at (0, 0)" within 5 decorated_window
    expect "no longer full screen" not_full_screen
    xdotool key Escape
    expect "ESC exits" wait_exit 10
    expect "with code 0" [ "$status" = 0 ]
}

case_screen_saver() {
    say "/s starts full screen at the screen's size"
    scene_width=1280 scene_height=1024
    start /s
    expect "the window appears" find_window || return
    expect "it covers the 1280 x 1024 screen" within 10 full_screen
    focus
    expect "keys reach it" settle keys
    xdotool key f
    expect "F leaves full screen for a 1280 x 1024 window at (0, 0)" within 5 not_full_screen
    expect "its outer rectangle" within 5 outer_is "0 0 1280 1024"
    xdotool key Escape
    expect "ESC exits" wait_exit 10
    expect "with code 0" [ "$status" = 0 ]
}

case_drag() {
    say "a left drag carries the picture along"
    expect "the window appears" start_window -win || return
    local x=$((cx + 500)) y=$((cy + 300)) step right left
    drag() { # drag DX: in ten steps
        xdotool mousemove "$x" "$y" mousedown 1
        for step in 1 2 3 4 5 6 7 8 9 10; do
            xdotool mousemove $((x + $1 * step / 10)) "$y"
        done
        xdotool mouseup 1
    }
    # Messages are handled in order, so once the overlay that F1 shows has come and gone again,
    # the drag before it has been handled; the picture is then measured without the overlay.
    drag 150
    expect "the drag right is handled" settle right
    right=$(centre_x right)
    drag -300
    expect "the drag left is handled" settle left
    left=$(centre_x left)
    moved() { [ "$right" -gt 0 ] && [ "$left" -ge 0 ] && [ $((right - left)) -gt 150 ]; }
    expect "dragging right then left moves the squares' centre left ($right then $left)" moved
    xdotool key Escape
    wait_exit 10
}

# SDL's disk audio driver writes what the synthesizer plays to a file: stereo 32-bit floats at
# 44.1 kHz, 352,800 bytes a second, at the pace of real time.
audio_rate=352800
audio_size() { stat -c %s "$work/audio.raw" 2>/dev/null || echo 0; }
audio_reaches() { [ "$(audio_size)" -ge "$1" ]; }
# The largest absolute sample of BYTES bytes from FROM on.
audio_peak() {
    od -A n -t f4 -v -j "$1" -N "$2" "$work/audio.raw" |
        awk '{ for (i = 1; i <= NF; i++) { v = $i < 0 ? -$i : $i; if (v > m) m = v } }
             END { printf "%d\n", m * 1000000 }'
}

case_sound() {
    # The Windows build plays through Windows' own MIDI output; under Wine here there is none.
    [ "$under_wine" = 1 ] && return
    say "sound: 4 then S plays the effect's notes, S again falls silent"
    SDL_AUDIODRIVER=disk SDL_DISKAUDIOFILE="$work/audio.raw" start_window -win ||
        { fail "the window appears"; return; }
    xdotool key 4 s
    local on off peak
    on=$(audio_size)
    expect "three seconds of sound are written" within 20 audio_reaches $((on + 3 * audio_rate))
    peak=$(audio_peak "$on" $((3 * audio_rate)))
    expect "they are audible (peak $peak millionths)" [ "$peak" -gt 10000 ]
    xdotool key s
    off=$(audio_size)
    expect "two more seconds are written" within 20 audio_reaches $((off + 2 * audio_rate))
    peak=$(audio_peak $((off + audio_rate / 2)) "$audio_rate")
    expect "S again silences them (peak $peak millionths)" [ "$peak" -lt 500 ]
    # Nothing sounds any more: a few seconds later the audio stream ends.
    still() {
        local before
        before=$(audio_size)
        sleep 1
        [ "$(audio_size)" = "$before" ]
    }
    expect "then the audio stream ends: the file stops growing" within 20 still
    xdotool key Escape
    expect "ESC exits" wait_exit 10
    expect "with code 0" [ "$status" = 0 ]

    say "without a soundfont the program runs on silently"
    rm -f "$work/audio.raw"
    NIMBROST_SOUNDFONT=/nonexistent.sf2 SDL_AUDIODRIVER=disk SDL_DISKAUDIOFILE="$work/audio.raw" \
        start_window -win || { fail "the window appears"; return; }
    xdotool key 4 s
    expect "it still draws after 4 and S" settle nosound
    xdotool key Escape
    expect "ESC exits" wait_exit 10
    expect "with code 0" [ "$status" = 0 ]
    expect "saying nothing" [ ! -s "$work/out" ]
    expect "and no sound was played" [ ! -e "$work/audio.raw" ]
}

for run in case_window case_close case_refused case_keys case_full_screen case_screen_saver \
    case_drag case_sound; do
    "$run"
    stop
done

report
