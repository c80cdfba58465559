#!/usr/bin/env bash
# The headless renderer opens no audio device: with SDL's disk audio driver chosen, a run that
# draws a frame of a sounding effect writes the picture and no audio file.
set -u
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

SDL_AUDIODRIVER=disk SDL_DISKAUDIOFILE="$work/audio.raw" \
    "$1" --effect 4 --frames 2 --size 64x64 --out "$work/frame.png" || exit 1
[ -s "$work/frame.png" ] || { echo "FAIL: no frame written"; exit 1; }
[ ! -e "$work/audio.raw" ] || { echo "FAIL: the renderer opened an audio device"; exit 1; }
