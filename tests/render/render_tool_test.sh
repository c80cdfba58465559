#!/usr/bin/env bash
# render_tool_test.sh RENDER: the headless renderer's command line. Refusals write nothing, say one
# line and exit 2; good runs write PNGs, and open no audio device even with SDL's disk audio driver
# chosen and a sounding effect drawn.
set -u
render=$1
# shellcheck source=tests/e2e/harness.sh
source "$(dirname "$0")/../e2e/harness.sh"
mkdir "$work/folder.png" "$work/out"
cd "$work" || exit 1
export SDL_AUDIODRIVER=disk SDL_DISKAUDIOFILE=$work/audio.raw
refused() {
    local said code
    said=$("$render" "$@" 2>&1 >/dev/null)
    code=$?
    [ "$code" = 2 ] && [ -n "$said" ] && [ "$(wc -l <<<"$said")" = 1 ] && [ -z "$(ls -A out)" ] ||
        ! say "    exit $code, said: $said; wrote: $(ls out)"
}
while read -r line; do
    eval "expect \"refused: \$line\" refused $line"
done <<'EOF'
--effect 9 --out out/a.png
--effect 12 --out out/a.png
--effect "" --out out/a.png
--frames 0 --out out/a.png
--frames -3 --out out/a.png
--frames 2x --out out/a.png
--size 0x600 --out out/a.png
--size 800 --out out/a.png
--size 800x600x2 --out out/a.png
--size 99999999x600 --out out/a.png
--size 40000x40000 --out out/a.png
--out /nonexistent-folder/a.png
--out out/a.jpg
--out folder.png
--every 0 --out out/a.png
--every 5 --frames 2 --out out/a.png
--calendar -1 --out out/a.png
--calendar 4294967296 --out out/a.png
--calendar 12e5 --out out/a.png
--effect
--bogus 1
EOF

"$render" --effect 1 --frames 3 --size 320x200 --out out/roots.png >/dev/null
expect "a good run writes a 320 x 200 PNG" \
    [ "$(identify -format '%w %h %m' out/roots.png 2>&1)" = "320 200 PNG" ]
brightest=$(convert out/roots.png -colorspace gray -format '%[fx:maxima]' info: 2>&1)
expect "that shows something (brightest $brightest)" \
    awk -v m="$brightest" 'BEGIN { exit !(m > 0.2) }'
rm -f out/*
"$render" --effect 4 --frames 5 --every 2 --size 64x48 --out out/f.png >/dev/null
written=$(echo out/*)
expect "--every 2 writes frames 2 and 4 ($written)" \
    [ "$written" = "out/f-000002.png out/f-000004.png" ]
expect "a sounding effect opens no audio device" [ ! -e audio.raw ]

# An effect that seeds from the calendar draws the same picture for the same --calendar seconds,
# and another one for other seconds (which effects seed from it, the unit tests show).
effect=2
for run in a:1000 b:1000 c:4294967295; do
    "$render" --effect $effect --frames 3 --size 64x48 --calendar "${run#*:}" \
        --out "out/$effect${run%:*}.png" >/dev/null
done
expect "effect $effect: the same --calendar seconds, the same picture" \
    cmp "out/${effect}a.png" "out/${effect}b.png"
expect "effect $effect: other seconds, another picture" \
    eval "[ -s out/${effect}c.png ] && ! cmp -s out/${effect}a.png out/${effect}c.png"
report
