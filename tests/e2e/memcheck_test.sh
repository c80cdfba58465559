#!/usr/bin/env bash
# memcheck_test.sh RENDER PROGRAM
#
# valgrind's memcheck over nimbrost-render (three frames of a sounding effect at 64 x 64) and over
# a short run of `PROGRAM -win` on the current X display (tests/support/with-display): 4 and S
# until the first note reaches SDL's disk audio driver, then F1, a few seconds of frames and ESC.
# Fails on any memory error or definite leak that tests/support/valgrind.supp does not name as
# the libraries' own. Mesa's softpipe driver draws: under valgrind, llvmpipe would spend a minute
# compiling its shaders.
set -uo pipefail

if [ $# -ne 2 ] || [ -z "${DISPLAY:-}" ]; then
    echo "usage: memcheck_test.sh RENDER PROGRAM  (on an X display with a window manager)" >&2
    exit 2
fi
here=$(cd "$(dirname "$0")/.." && pwd)
work=$(mktemp -d)
pid=
cleanup() {
    [ -n "$pid" ] && kill -9 "$pid" 2>/dev/null
    rm -rf "$work"
}
trap cleanup EXIT
export GALLIUM_DRIVER=softpipe
memcheck=(valgrind --error-exitcode=99 --leak-check=full --show-leak-kinds=definite
    --errors-for-leak-kinds=definite --keep-debuginfo=yes --child-silent-after-fork=yes
    --num-callers=40 --suppressions="$here/support/valgrind.supp")
failures=0

# Prints memcheck's summary of a run and its outcome; the full report when it failed.
report() { # report NAME STATUS LOG
    grep -E 'ERROR SUMMARY|definitely lost:|indirectly lost:' "$3" | sed 's/^==[0-9]*== /  /'
    if [ "$2" = 0 ]; then
        echo "  ok: $1 under memcheck"
    else
        cat "$3"
        echo "  FAIL: $1 under memcheck (status $2)"
        failures=$((failures + 1))
    fi
}

# Retries COMMAND every 200 ms until it succeeds or SECONDS pass.
within() {
    local deadline=$((SECONDS + $1))
    shift
    until "$@"; do
        [ $SECONDS -ge $deadline ] && return 1
        sleep 0.2
    done
}

echo "nimbrost-render: three frames of effect 4"
"${memcheck[@]}" "$1" --effect 4 --frames 3 --size 64x64 --out "$work/frame.png" \
    >"$work/render.log" 2>&1
report nimbrost-render $? "$work/render.log"

echo "nimbrost -win: 4, S, F1, ESC"
SDL_AUDIODRIVER=disk SDL_DISKAUDIOFILE="$work/audio.raw" "${memcheck[@]}" "$2" -win \
    >"$work/program.log" 2>&1 &
pid=$!
window=
search_window() {
    window=$(xdotool search --onlyvisible --name '^Nimbrost$' 2>/dev/null | head -n1)
    [ -n "$window" ]
}
sounding() { [ -s "$work/audio.raw" ]; }
if within 300 search_window; then
    xdotool mousemove 700 500
    xdotool windowactivate --sync "$window" 2>/dev/null
    xdotool key 4 s
    within 120 sounding || echo "  (no note reached the audio driver)"
    xdotool key F1
    sleep 3
    xdotool key Escape
else
    echo "  (no window appeared; ending it with SIGTERM)"
    kill -TERM "$pid"
fi
within 300 bash -c "! kill -0 $pid 2>/dev/null"
wait "$pid"
status=$?
pid=
report "nimbrost -win" "$status" "$work/program.log"

[ "$failures" = 0 ] && echo "all checks passed"
exit "$((failures > 0))"
