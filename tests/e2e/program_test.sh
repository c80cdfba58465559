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
# Full screen: the window has lost its caption and shows the scene's size at (0, 0). Xvfb offers
# its one mode only: the 800 x 600 that F asks for in a window is refused, so only the caption
# goes, while /s asks for the screen's own mode.
full_screen() {
    geometry && [ "$cx $cy $cw $ch" = "0 0 $scene_width $scene_height" ]
}
not_full_screen() { geometry && [ "$cy" -gt 0 ]; }
# The window manager holds the window full screen (the Linux build's full-screen window).
wm_full_screen() { xprop -id "$window" _NET_WM_STATE | grep -q _NET_WM_STATE_FULLSCREEN; }
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

# The overlay's row of effect K is red (in the shot "row").
row_current() {
    local y h
    read -r y h <<<"$(row_band "$1")"
    shot row && [ "$(light_blue row 0 "$y" 240 "$h")" -lt 10 ] &&
        [ "$(reddish row 0 "$y" 240 "$h")" -gt 40 ]
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
        expect "key $key marks row $key red" within 5 row_current "$key"
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
    say "F in a window: the 800 x 600 mode is refused, the caption goes and comes back"
    expect "the window appears" start_window -win || return
    scene_width=800 scene_height=600
    xdotool key f
    expect "F drops the caption, at 800 x 600 at (0, 0)" within 5 full_screen
    [ "$under_wine" = 0 ] &&
        expect "the refused mode makes no full-screen window" not wm_full_screen
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
    [ "$under_wine" = 0 ] && expect "the screen's own mode is taken in full screen" wm_full_screen
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

# Keyboard layouts: letters act by the letter the active layout puts on the key, the top row gives
# its digits on every layout, and a key that types something else does not act as the letter at
# its place on a US keyboard. The program starts under French AZERTY and follows the layout as it
# changes while it runs.

# The help lines of the toggles, by command letter, at their heights in the overlay (see
# row_band for the scale). F moves the window, so its line is not read.
toggle_letters=(l t c p b m s)
toggle_heights=(0.245 0.21 0.175 0.14 0.105 0.07 0.0)

# The light-blue pixels of each toggle line of SHOT, in the order of toggle_letters.
toggle_lines() {
    convert "$work/$1.ppm" -crop "240x${ch}+$cx+$cy" +repage -fuzz 12% -fill white \
        -opaque 'rgb(64,191,255)' -fill black +opaque white -scale "1x${ch}!" -depth 16 txt:- |
        awk -F'[,:() ]+' -v h="$ch" -v heights="${toggle_heights[*]}" '
            NR > 1 { lit[$2] = $4 * 240 / 65535 }
            END {
                n = split(heights, y, " ")
                for (i = 1; i <= n; i++) {
                    baseline = int(h - (1 + y[i]) * 400); sum = 0
                    for (row = baseline - 12; row < baseline + 3; row++) sum += lit[row]
                    printf "%d ", sum
                }
                print ""
            }'
}
# "on" and "off" differ by a dozen pixels or so, while the scene behind the strip hardly ever takes
# the text's colour: a line whose count moves by more than 5 has changed.
lines_now=()
read_lines() { shot lines && read -r -a lines_now <<<"$(toggle_lines lines)"; }
line_moved() { # line_moved INDEX BEFORE
    read_lines && [ $((lines_now[$1] - $2)) -gt 5 -o $(($2 - lines_now[$1])) -gt 5 ]
}
# Every toggle line is as in BEFORE... (a list of counts).
lines_kept() {
    local before=("$@") i
    for i in "${!before[@]}"; do
        [ $((lines_now[i] - before[i])) -le 5 ] && [ $((before[i] - lines_now[i])) -le 5 ] ||
            return 1
    done
}
# Messages are handled in order: once F1 has hidden the overlay and shown it again, every key
# sent before has been handled.
handled() {
    xdotool key F1 && within 5 overlay sync -lt && xdotool key F1 && within 5 overlay sync -gt
}

# layout_keys NAME DIGITS DECOYS: DIGITS are pairs of a key and the effect it chooses; DECOYS are
# keys at the US places of command letters that type something else here, and do nothing.
layout_keys() {
    local name=$1 digits=($2) decoys=($3) i key before
    say "  under $name"
    for ((i = 0; i < ${#digits[@]}; i += 2)); do
        xdotool key "${digits[i]}"
        expect "$name: ${digits[i]} chooses effect ${digits[i + 1]}" \
            within 5 row_current "${digits[i + 1]}"
    done
    # Each reading of the lines is the one before the next key.
    read_lines
    for i in "${!toggle_letters[@]}"; do
        key=${toggle_letters[i]}
        for _ in flip "flip back"; do
            before=${lines_now[i]}
            xdotool key "$key"
            expect "$name: ${key^^} flips its line (from $before)" within 5 line_moved "$i" "$before"
        done
    done
    if [ ${#decoys[@]} -gt 0 ]; then
        before=("${lines_now[@]}")
        xdotool key "${decoys[@]}"
        expect "$name: the keys of ${decoys[*]} are handled" handled
        expect "$name: and flip nothing" eval 'read_lines && lines_kept "${before[@]}"'
        expect "$name: nor change the window" decorated_window
    fi
    xdotool key f
    expect "$name: F drops the caption" within 5 full_screen
    xdotool key f
    expect "$name: F again brings it back" within 5 decorated_window
}

case_layouts() {
    say "keys under French AZERTY, US Dvorak and US layouts"
    scene_width=800 scene_height=600
    setxkbmap -layout fr
    expect "the window appears" start_window -win || { setxkbmap -layout us; return; }
    xdotool key F1
    expect "F1 shows the overlay" within 5 overlay shown -gt
    layout_keys "French AZERTY" "eacute 2 7 7 ampersand 1" "comma"
    setxkbmap -layout us -variant dvorak
    layout_keys "US Dvorak" "2 2 8 8 1 1" "u o n j"
    setxkbmap -layout us
    layout_keys "US" "3 3 1 1" ""
    xdotool key Escape
    expect "ESC exits" wait_exit 10
}

# The keypad's 2, 3 and 6 act as B, C and F only with NumLock on; with it off they are arrows and
# Page Down. A key held while the focus goes to another window is released there: ESC and F held
# over the switch neither quit nor toggle.
numlock_on() { xset q | grep -q 'Num Lock: *on'; }
toggle_index() { # toggle_index LETTER
    local i
    for i in "${!toggle_letters[@]}"; do [ "${toggle_letters[i]}" = "$1" ] && echo "$i"; done
}

case_keypad_focus() {
    say "the keypad with NumLock off and on; keys held while the focus moves away"
    scene_width=800 scene_height=600
    numlock_on && xdotool key Num_Lock
    expect "the window appears" start_window -win || return
    xdotool key F1
    expect "F1 shows the overlay" within 5 overlay shown -gt
    # The keys are named by what they type with NumLock off (xdotool would press NumLock for the
    # digits): KP_Down, KP_Next and KP_Right are the keypad's 2, 3 and 6.
    local before key i
    read_lines && before=("${lines_now[@]}")
    xdotool key KP_Down KP_Next KP_Right
    expect "with NumLock off the keypad's 2, 3 and 6 are handled" handled
    expect "and flip nothing" eval 'read_lines && lines_kept "${before[@]}" && decorated_window'
    xdotool key Num_Lock
    expect "NumLock goes on" within 5 numlock_on
    for key in KP_Down:b KP_Next:c; do
        i=$(toggle_index "${key#*:}")
        read_lines && before=${lines_now[i]}
        xdotool key "${key%:*}"
        expect "with NumLock on ${key%:*} acts as ${key#*:}" within 5 line_moved "$i" "$before"
    done
    xdotool key KP_Right
    expect "and KP_Right as F" within 5 full_screen
    xdotool key KP_Right KP_Down KP_Next Num_Lock
    expect "again as F" within 5 decorated_window
    expect "NumLock goes off" within 5 not numlock_on

    xev -name 'Other window' -geometry 200x100+1000+800 >/dev/null 2>&1 &
    local other_pid=$! other=
    other_window() {
        other=$(xdotool search --onlyvisible --name '^Other window$' 2>/dev/null | head -n1)
        [ -n "$other" ]
    }
    expect "another window appears" within 10 other_window || { kill "$other_pid"; return; }
    other_focused() { [ "$(xdotool getwindowfocus 2>/dev/null)" = "$other" ]; }
    for key in Escape f; do
        focus
        xdotool keydown "$key"
        xdotool windowactivate --sync "$other" 2>/dev/null
        within 5 other_focused || say "  (the other window did not get the focus)"
        xdotool keyup "$key"
    done
    focus
    expect "after ESC and F held over a switch of windows the program runs on" handled
    expect "with its caption" decorated_window
    kill "$other_pid"
    wait "$other_pid" 2>/dev/null
    xdotool key Escape
    expect "ESC exits" wait_exit 10
}

for run in case_window case_close case_refused case_keys case_full_screen case_screen_saver \
    case_drag case_sound case_layouts case_keypad_focus; do
    "$run"
    stop
done

report
