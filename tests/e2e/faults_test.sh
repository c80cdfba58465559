#!/usr/bin/env bash
# faults_test.sh [--screen-case] PROGRAM: the Linux program on the current X display against what
# can go wrong around it: soundfonts, audio, fonts, a bus that would fork, two instances, early
# signals, and odd screens (each on a display of its own, --screen-case running one).
here=$(cd "$(dirname "$0")" && pwd)
source "$here/harness.sh"
screen_case=0
[ "${1:-}" = --screen-case ] && screen_case=1 && shift
arguments "[--screen-case] PROGRAM" [ $# = 1 ]
program=$1 launcher=("$1")

# The program said N lines (SDL's disk audio driver's own notices aside).
said() { [ "$(grep -v 'disk i/o audio driver\|Writing to file' "$out" | grep -c .)" = "$1" ]; }

# The stock soundfont sounds; a missing one sounds nothing, silently; a damaged one gives one line
# on stderr for each open of the output and is not loaded again every frame.
case_soundfonts() {
    local kind size n font stock=/usr/share/sounds/sf2/default-GM.sf2
    for kind in stock:-:0 missing:0:0 truncated:100000:1 header-only:12:1; do
        IFS=: read -r kind size n <<<"$kind"
        font=$work/$kind.sf2
        say "a $kind soundfont: $n line(s) on stderr for each open, no retry every frame"
        case $size in -) font=$stock ;; 0) ;; *) head -c "$size" "$stock" >"$font" ;; esac
        NIMBROST_SOUNDFONT=$font SDL_AUDIODRIVER=disk SDL_DISKAUDIOFILE="$work/$kind.raw" \
            expect "the window appears" start_window -win || return
        xdotool key 4 s
        expect "4 and S: $n line(s)" within 10 said "$n"
        [ "$kind" = stock ] &&
            expect "notes reach the audio driver" within 10 test -s "$work/$kind.raw"
        expect "frames go on, with no more lines" eval 'settle "$kind" && said "$n"'
        xdotool key 5
        expect "5 opens the output again: $((2 * n)) line(s)" within 10 said $((2 * n))
        expect "frames go on, with no more lines" eval 'settle "$kind" && said $((2 * n))'
        [ "$n" = 0 ] || expect "the line says which soundfont failed" [ "$(head -n1 "$out")" = \
            "nimbrost: the soundfont $font could not be loaded; no sound plays" ]
        xdotool key Escape
        expect "ESC exits with code 0" ends_well 10
        [ "$kind" = stock ] || expect "no sound was played" [ ! -e "$work/$kind.raw" ]
    done
}

# Runs that go on, silently: under ENVIRONMENT, CHECK holds, then ESC ends them; and the program
# forks nothing, not even for D-Bus, which it keeps off: a fork made while its own font thread
# runs could leave the child waiting on a lock for ever. strace records every new process; timeout
# ends it and the program within a minute whatever happens.
case_runs_on() {
    local what env check launcher=(timeout -s KILL 60 strace -f --seccomp-bpf -qq
        -o "$work/clones" -e trace=clone,clone3,fork,vfork "$program")
    forks() { grep -E '^[0-9]+ +(v?fork|clone3?)\(' "$work/clones" | grep -v CLONE_THREAD; }
    : >"$work/alsa.conf"
    printf '<?xml version="1.0"?>\n<fontconfig></fontconfig>\n' >"$work/fonts.conf"
    while IFS='|' read -r what env check; do
        say "$what: the program runs on"
        expect "the window appears" eval "$env start_window -win" || continue
        expect "$check" eval "$check"
        xdotool key Escape
        expect "ESC exits with code 0, saying nothing" eval 'ends_well 10 && said 0'
        expect "it forked nothing" eval '! forks >&2'
    done <<'EOF'
no audio device|ALSA_CONFIG_PATH=$work/alsa.conf SDL_AUDIODRIVER=alsa|xdotool key 4 s && settle 4s
an empty font configuration|FONTCONFIG_FILE=$work/fonts.conf|xdotool key F1 F1 && drawn
no bus but D-Bus's autolaunch|DBUS_SESSION_BUS_ADDRESS=autolaunch:|xdotool key 4 s && settle 4s
EOF
}

case_two_instances() {
    say "two instances at once, both with sound"
    local first keys
    SDL_AUDIODRIVER=dummy start -win
    first=$pid
    SDL_AUDIODRIVER=dummy start -win
    expect "two windows appear" within 20 eval \
        '[ "$(xdotool search --onlyvisible --name "^Nimbrost$" 2>/dev/null | wc -l)" = 2 ]'
    for keys in "4 s" Escape; do
        for window in $(xdotool search --onlyvisible --name '^Nimbrost$'); do
            geometry && focus
            xdotool key $keys
        done
    done
    expect "the first ends with code 0" ends_well 10 "$first"
    expect "the second ends with code 0" ends_well 10
}

# Close signals at random moments of the first second after the executable catches them (half in
# the first 40 ms, while the program's libraries load). Before that only the dynamic loader and
# the C library run, so the executable must need nothing else; then the handlers are its first act.
# A background job of a script starts with SIGINT ignored, so a signal sent earlier would be lost
# or end the process by itself, whatever the program does.
case_early_signals() {
    say "SIGTERM and SIGINT at random moments of the first second: code 0 every time"
    local run signal delay deadline failed=() needed
    needed=$(readelf -d "$(readlink -f "$program")" | awk '/NEEDED/ { print $NF }' | tr -d '[]')
    expect "the executable needs the C library alone ($(echo $needed))" [ "$needed" = libc.so.6 ]
    for run in $(seq 16); do
        signal=TERM
        [ $((run % 2)) = 0 ] && signal=INT
        delay=$((RANDOM % (run > 8 ? 1000 : 40)))
        start /s
        deadline=$((SECONDS + 10))
        until catches "$pid" || [ $SECONDS -ge $deadline ]; do :; done
        sleep "$(printf '0.%03d' "$delay")"
        kill -"$signal" "$pid"
        wait_exit 20 && [ "$status" = 0 ] || failed+=("SIG$signal after $delay ms: ${status:-none}")
        stop
    done
    expect "16 of 16 runs ended with code 0 (${failed[*]})" [ ${#failed[@]} = 0 ]
}
# Process PID has handlers for SIGINT and SIGTERM (bits 2 and 15 of its caught-signal mask).
catches() {
    local mask
    mask=$(awk '/^SigCgt:/ { print $2 }' "/proc/$1/status" 2>/dev/null) &&
        [ $((0x${mask:-0} & 0x4002)) = $((0x4002)) ]
}

case_screens() {
    local screen
    for screen in 320x200x24 7680x4320x24 1280x1024x16; do
        expect "a screen of $screen: full screen at its size, drawn, ESC exits with code 0" \
            eval '"$here/../support/with-display" --screen "$screen" "$0" --screen-case "$program" \
                >"$work/screen.log" 2>&1 || ! cat "$work/screen.log"'
    done
}
screen_case() {
    local size
    size=$(xdpyinfo | awk '/dimensions:/ {print $2}')
    start /s
    expect "the window appears" find_window || return
    expect "it covers the $size screen" within 10 full_screen "${size%x*}" "${size#*x}"
    expect "it draws" within 60 drawn
    focus
    xdotool key Escape
    expect "ESC exits with code 0" ends_well 30
}

cases=(case_soundfonts case_runs_on case_two_instances case_early_signals case_screens)
[ "$screen_case" = 1 ] && cases=(screen_case)
for run in "${cases[@]}"; do
    "$run"
    stop
done
report
