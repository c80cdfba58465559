#!/usr/bin/env bash
# faults_test.sh PROGRAM [WINE WINDOWS_PROGRAM]
#
# The Linux program against what can go wrong around it, on the current X display (start it with
# tests/support/with-display): damaged soundfonts, no audio device, SDL's disk audio driver with
# the sound off, an empty font configuration, two instances at once, close signals at random
# moments of the first second, and screens of 320 x 200, 7680 x 4320 and 16 bits (each on a
# display of its own). And crafted command lines, each of which must have its documented outcome
# (refused, a window or full screen), through the Windows build under Wine as well when WINE and
# WINDOWS_PROGRAM are given (under tests/support/with-wine).
#
#   faults_test.sh --screen-case PROGRAM    the screen case alone, on the current display
set -uo pipefail

screen_case=0
if [ "${1:-}" = --screen-case ]; then
    screen_case=1
    shift
fi
if [ $# -ne 1 ] && [ $# -ne 3 ] || [ -z "${DISPLAY:-}" ]; then
    echo "usage: faults_test.sh PROGRAM [WINE WINDOWS_PROGRAM]  (on an X display)" >&2
    exit 2
fi
here=$(cd "$(dirname "$0")" && pwd)
program=$1
windows=("${@:2}")
set -- "$program"
# shellcheck source=tests/e2e/harness.sh
source "$here/harness.sh"

# Waits up to SECONDS for the program to end with code 0; shows what it said when it did not.
ends_well() {
    wait_exit "$1" && [ "$status" = 0 ] && return
    sed 's/^/    | /' "$work/out" | head -n 40
    return 1
}
lines_said() { grep -c . "$work/out"; }
said() { [ "$(lines_said)" = "$1" ]; }
started() { find_window && geometry && focus; }

case_damaged_soundfonts() {
    local kind size line
    for kind in truncated:100000 header-only:12; do
        size=${kind#*:}
        kind=${kind%:*}
        say "a $kind soundfont: one line on stderr for each open, no sound, no retry every frame"
        head -c "$size" /usr/share/sounds/sf2/default-GM.sf2 >"$work/$kind.sf2"
        NIMBROST_SOUNDFONT="$work/$kind.sf2" SDL_AUDIODRIVER=disk \
            SDL_DISKAUDIOFILE="$work/audio.raw" start -win
        expect "the window appears" started || return
        xdotool key 4 s
        expect "4 and S: one line on stderr" within 10 said 1
        expect "frames go on" settle "$kind"
        expect "still one line after them ($(lines_said))" said 1
        xdotool key 5
        expect "5 opens the output again: one more line" within 10 said 2
        expect "frames go on" settle "$kind"
        line="nimbrost: the soundfont $work/$kind.sf2 could not be loaded; no sound plays"
        expect "the line says which soundfont failed" [ "$(head -n1 "$work/out")" = "$line" ]
        xdotool key Escape
        expect "ESC exits with code 0" ends_well 10
        expect "no sound was played" [ ! -s "$work/audio.raw" ]
        stop
    done
}

case_no_audio_device() {
    say "no audio device: the program runs silently"
    : >"$work/alsa.conf"
    ALSA_CONFIG_PATH="$work/alsa.conf" SDL_AUDIODRIVER=alsa start -win
    expect "the window appears" started || return
    xdotool key 4 s
    expect "frames go on after 4 and S" settle no-device
    xdotool key Escape
    expect "ESC exits with code 0" ends_well 10
    expect "saying nothing" said 0
    stop
}

case_disk_audio_with_sound_off() {
    say "sound off: no audio stream, so SDL's disk audio driver writes nothing"
    SDL_AUDIODRIVER=disk SDL_DISKAUDIOFILE="$work/silent.raw" start -win
    expect "the window appears" started || return
    xdotool key 1 2 3 4 5 6 7 8
    expect "every effect starts afresh, frames go on" settle sound-off
    expect "the audio file stays empty" [ ! -s "$work/silent.raw" ]
    xdotool key Escape
    expect "ESC exits with code 0" ends_well 10
    stop
}

case_empty_font_configuration() {
    say "an empty font configuration: no glyphs, the program runs on"
    printf '<?xml version="1.0"?>\n<fontconfig></fontconfig>\n' >"$work/fonts.conf"
    FONTCONFIG_FILE="$work/fonts.conf" start -win
    expect "the window appears" started || return
    drawn() { shot fonts && [ "$(lit fonts 0 0 "$cw" "$ch")" -gt 0 ]; }
    expect "it draws" within 10 drawn
    xdotool key F1 F1 Escape
    expect "F1 twice, then ESC: exits with code 0" ends_well 10
    expect "saying nothing" said 0
    stop
}

case_two_instances() {
    say "two instances at once, both with sound"
    local first second windows_seen name
    SDL_AUDIODRIVER=dummy start -win
    first=$pid
    mv "$work/out" "$work/out.first"
    SDL_AUDIODRIVER=dummy start -win
    second=$pid
    both() { [ "$(xdotool search --onlyvisible --name '^Nimbrost$' 2>/dev/null | wc -l)" = 2 ]; }
    expect "two windows appear" within 20 both
    for window in $(xdotool search --onlyvisible --name '^Nimbrost$'); do
        geometry && focus
        xdotool key 4 s
    done
    windows_seen=$(xdotool search --onlyvisible --name '^Nimbrost$' | tr '\n' ' ')
    for window in $windows_seen; do
        geometry && focus
        xdotool key Escape
    done
    for name in first second; do
        pid=${!name}
        expect "the $name ends with code 0" ends_well 10
        stop
    done
}

# Close signals at random moments of the first second after the program's executable has
# started (half of them in its first 40 ms, where it loads its libraries): each run ends with
# code 0. Moments are counted from the exec, not from the fork: before the exec the process is
# still the shell's. The executable catches the signals once the dynamic loader has mapped the C
# library, within a millisecond; under the sanitizers their runtime comes first, within 15.
case_early_signals() {
    say "SIGTERM and SIGINT at random moments of the first second: code 0 every time"
    local run signal delay ended=0 executable first=2
    executable=$(readlink -f "$program")
    ldd "$executable" | grep -q libasan && first=15
    local -a failed=()
    for run in $(seq 16); do
        signal=TERM
        [ $((run % 2)) = 0 ] && signal=INT
        delay=$((first + RANDOM % (40 - first)))
        [ "$run" -gt 8 ] && delay=$((first + RANDOM % (1000 - first)))
        start /s
        # The shell's own test, without a process of its own: sees the exec within microseconds.
        local deadline=$((SECONDS + 5))
        until [[ /proc/$pid/exe -ef $executable ]] || [ $SECONDS -ge $deadline ]; do :; done
        sleep "$(printf '0.%03d' "$delay")"
        kill -"$signal" "$pid"
        if wait_exit 20 && [ "$status" = 0 ]; then
            ended=$((ended + 1))
        else
            failed+=("SIG$signal after ${delay} ms: status ${status:-none}")
        fi
        stop
    done
    expect "16 of 16 runs ended with code 0 (${failed[*]:-})" [ "$ended" = 16 ]
}

case_screens() {
    local screen
    for screen in 320x200x24 7680x4320x24 1280x1024x16; do
        say "a screen of $screen"
        if "$here/../support/with-display" --screen "$screen" "$0" --screen-case "$program" \
            >"$work/screen.log" 2>&1; then
            say "  ok: full screen at its size, drawn, ESC exits with code 0"
        else
            fail "the screen of $screen:"
            cat "$work/screen.log"
        fi
    done
}

screen_case() {
    local size width height
    size=$(xdpyinfo | awk '/dimensions:/ {print $2}')
    width=${size%x*}
    height=${size#*x}
    start /s
    expect "the window appears" started || return
    expect "it covers the ${width} x ${height} screen" \
        within 10 eval 'geometry && [ "$cx $cy $cw $ch" = "0 0 $width $height" ]'
    drawn() { shot screen && [ "$(lit screen 0 0 "$cw" "$ch")" -gt 0 ]; }
    expect "it draws" within 60 drawn
    xdotool key Escape
    expect "ESC exits with code 0" ends_well 30
}

# Crafted command lines, each with its documented outcome: the tail (the arguments as Windows
# joins them) is refused unless it is empty or holds "/S", "/s" or "-win"; "-win" runs in a
# window, the rest full screen.
tails=("" "''" "\$'\\n'" "/s" "/S" "-win" "-winfoo" "/p 123 /s" "/p 123" "/c" "-WIN" "' '"
    "\$'\\t'" "'' /s" "\$'\\x01'" "x ''" "'a b/s'")
outcomes=(full refused full full full window window full refused refused refused refused
    refused full full refused full)

# The outcome of a run with ARGUMENTS: refused, window, full or what else happened.
outcome_of() {
    start "$@"
    local seen=
    appeared() { search_window || ! kill -0 "$pid" 2>/dev/null; }
    within 20 appeared
    if [ -n "$window" ] && geometry; then
        # Full screen takes effect before the first frame; the window manager may show it later.
        drawn() { geometry && shot outcome && [ "$(lit outcome 0 0 "$cw" "$ch")" -gt 0 ]; }
        captionless() { geometry && [ "$cy" = "$oy" ]; }
        within 20 drawn
        seen=window
        within 3 captionless && seen=full
        focus
        xdotool key Escape
    fi
    if wait_exit 20; then
        [ "$status" = 0 ] || { seen="code $status"; sed 's/^/    | /' "$work/out" | head -n 40 >&2; }
    else
        seen="${seen:-still running}"
    fi
    stop
    echo "${seen:-refused}"
}

case_tails() {
    local builds=(linux) build index arguments got
    [ ${#windows[@]} -gt 0 ] && builds+=(windows)
    for build in "${builds[@]}"; do
        say "crafted command lines through the $build build"
        [ "$build" = windows ] && launcher=("${windows[@]}")
        for index in "${!tails[@]}"; do
            eval "arguments=(${tails[index]})"
            got=$(outcome_of "${arguments[@]}")
            expect "[${tails[index]}]: ${outcomes[index]} (${got})" [ "$got" = "${outcomes[index]}" ]
        done
        launcher=("$program")
    done
}

if [ "$screen_case" = 1 ]; then
    screen_case
    stop
    report
    exit
fi
for run in case_damaged_soundfonts case_no_audio_device case_disk_audio_with_sound_off \
    case_empty_font_configuration case_two_instances case_early_signals case_screens case_tails; do
    "$run"
    stop
done
report
