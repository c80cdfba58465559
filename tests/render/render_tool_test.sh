#!/usr/bin/env bash
# The headless renderer's command line: refusals write nothing and exit 2; good runs write PNGs.
set -u
render=$1
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
failures=0

fail() { echo "FAIL: $*"; failures=$((failures + 1)); }

refused() {
    local out err code
    err=$("$render" "$@" 2>&1 >/dev/null)
    code=$?
    if [ "$code" -ne 2 ]; then fail "expected exit 2 for: $*, got $code"; fi
    if [ "$(printf '%s\n' "$err" | wc -l)" -ne 1 ] || [ -z "$err" ]; then
        fail "expected one line on stderr for: $*, got: $err"
    fi
    if [ -n "$(ls -A "$work")" ]; then fail "files written for: $*: $(ls "$work")"; fi
}

mkdir "$work/folder.png" "$work/out"
cd "$work" || exit 1
work=$work/out
refused --effect 9 --out "$work/a.png"
refused --effect 12 --out "$work/a.png"
refused --effect "" --out "$work/a.png"
refused --frames 0 --out "$work/a.png"
refused --frames -3 --out "$work/a.png"
refused --frames 2x --out "$work/a.png"
refused --size 0x600 --out "$work/a.png"
refused --size 800 --out "$work/a.png"
refused --size 800x600x2 --out "$work/a.png"
refused --size 99999999x600 --out "$work/a.png"
refused --size 40000x40000 --out "$work/a.png"
refused --out /nonexistent-folder/a.png
refused --out "$work/a.jpg"
refused --out folder.png
refused --every 0 --out "$work/a.png"
refused --every 5 --frames 2 --out "$work/a.png"
refused --calendar -1 --out "$work/a.png"
refused --calendar 4294967296 --out "$work/a.png"
refused --calendar 12e5 --out "$work/a.png"
refused --effect
refused --bogus 1

if ! "$render" --effect 1 --frames 3 --size 320x200 --out "$work/roots.png" >/dev/null; then
    fail "a good run failed"
fi
if [ "$(identify -format '%w %h %m' "$work/roots.png" 2>&1)" != "320 200 PNG" ]; then
    fail "roots.png is not a 320x200 PNG"
fi
brightest=$(convert "$work/roots.png" -colorspace gray -format '%[fx:maxima]' info: 2>&1)
if ! awk -v m="$brightest" 'BEGIN { exit !(m > 0.2) }'; then
    fail "roots.png shows nothing (brightest $brightest)"
fi

rm -f "$work"/*
"$render" --effect 2 --frames 5 --every 2 --size 64x48 --out "$work/f.png" >/dev/null
listed=$(cd "$work" && ls | tr '\n' ' ')
if [ "$listed" != "f-000002.png f-000004.png " ]; then fail "--every 2 wrote: $listed"; fi

# The effects that seed from the calendar draw the same picture for the same --calendar seconds,
# and another one for other seconds.
rm -f "$work"/*
for effect in 2 8; do
    for shot in a:1000 b:1000 c:4294967295; do
        "$render" --effect "$effect" --frames 3 --size 64x48 --calendar "${shot#*:}" \
            --out "$work/$effect${shot%:*}.png" >/dev/null || fail "effect $effect --calendar failed"
    done
    cmp -s "$work/${effect}a.png" "$work/${effect}b.png" ||
        fail "effect $effect: the same --calendar gave two pictures"
    ! cmp -s "$work/${effect}a.png" "$work/${effect}c.png" ||
        fail "effect $effect: other --calendar seconds gave the same picture"
done

if [ "$failures" -ne 0 ]; then exit 1; fi
echo "render tool: all checks passed"
