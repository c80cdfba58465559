#!/usr/bin/env bash
# memcheck_test.sh RENDER PROGRAM: valgrind's memcheck over three frames of a sounding effect in
# nimbrost-render and over `PROGRAM -win` on the current X display: 4 and S until a note reaches
# SDL's disk audio driver, F1, a few seconds of frames, ESC. Fails on any error or definite leak
# that tests/support/valgrind.supp does not name as a library's own. Mesa's softpipe driver draws:
# under valgrind, llvmpipe would spend a minute compiling its shaders. The renderer's pictures are
# checked too: the same without memcheck, others for other frames and calendar times; and its
# refusal of a bad option.
source "$(dirname "$0")/harness.sh"
arguments "RENDER PROGRAM" [ $# = 2 ]
render=$1
export GALLIUM_DRIVER=softpipe
memcheck=(valgrind --error-exitcode=99 --leak-check=full --show-leak-kinds=definite
    --errors-for-leak-kinds=definite --keep-debuginfo=yes --child-silent-after-fork=yes
    --num-callers=40 --suppressions="$(dirname "$0")/../support/valgrind.supp")
launcher=("${memcheck[@]}" "$2")

# Shows memcheck's summary of a run (its whole report when STATUS is not 0), and STATUS = 0.
clean() { # clean LOG STATUS
    grep -E 'ERROR SUMMARY|definitely lost:|indirectly lost:' "$1" | sed 's/^==[0-9]*== /  /'
    [ "$2" = 0 ] || ! cat "$1"
}

say "nimbrost-render: three frames of effect 4, then its pictures"
SDL_AUDIODRIVER=disk SDL_DISKAUDIOFILE="$work/render.raw" "${memcheck[@]}" "$render" --effect 4 \
    --frames 3 --size 64x64 --out "$work/memcheck.png" >"$work/render.log" 2>&1
expect "nimbrost-render under memcheck" clean "$work/render.log" $?
expect "the sounding effect opened no audio device" [ ! -e "$work/render.raw" ]
draw() { # draw KEY FRAMES FILE [OPTION...]: effect KEY at 64 x 64, its last frame in $work/FILE
    "$render" --effect "$1" --frames "$2" --size 64x64 --out "$work/$3" "${@:4}" >/dev/null 2>&1
}
draw 4 3 plain.png && draw 4 4 next.png
expect "without memcheck the same picture" cmp "$work/memcheck.png" "$work/plain.png"
expect "a frame later another one" not cmp -s "$work/plain.png" "$work/next.png"
# Effect 2 seeds from the calendar clock, which --calendar fixes.
draw 2 3 a.png --calendar 1000 && draw 2 3 b.png --calendar 1000
draw 2 3 c.png --calendar 4294967295
expect "effect 2: the same --calendar seconds, the same picture" cmp "$work/a.png" "$work/b.png"
expect "other seconds, another picture" not cmp -s "$work/a.png" "$work/c.png"
expect "--effect 9 is refused: code 2, one line, nothing written" eval \
    'ends_with 2 "no effect has the key" "$render" --effect 9 --out "$work/refused.png" &&
     [ ! -e "$work/refused.png" ]'

say "nimbrost -win: 4, S, F1, ESC"
SDL_AUDIODRIVER=disk SDL_DISKAUDIOFILE="$work/audio.raw" start -win
expect "its window appears" eval 'within 300 search_window && geometry' || report
focus
xdotool key 4 s
within 120 test -s "$work/audio.raw" || say "  (no note reached the audio driver)"
xdotool key F1
sleep 3
xdotool key Escape
wait_exit 300
expect "nimbrost -win under memcheck" clean "$out" "${status:-none}"
report
