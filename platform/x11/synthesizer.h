// The General MIDI synthesizer behind the MIDI output: FluidSynth with a soundfont from the
// system's packages, playing through SDL's audio. The soundfont loads with the first message
// played and then lives as long as the process, so that closing and re-opening the MIDI output
// costs next to nothing. The audio device opens with the first note and closes again once nothing
// has sounded for a few seconds: no audio stream runs while nothing sounds.
#pragma once

#include <SDL.h>
#include <fluidsynth.h>

// The environment variable that names the soundfont to use instead of the system's General MIDI
// soundfont; when it is set, no other file is tried.
#define NIMBROST_SOUNDFONT_VARIABLE "NIMBROST_SOUNDFONT"

// How long the audio device stays open after the last sound, in milliseconds.
constexpr long long synthesizerSilenceLimit = 3000;

// Makes the synthesizer ready to play: finds a soundfont unless one is loaded, and checks that
// SDL's audio offers a device. Returns false when no soundfont or no audio device can be had.
// A soundfont that failed to load, or a device that failed to open, is tried again from here on.
bool startSynthesizer();

// Closes the audio device, stops SDL's audio thread and the silence watcher and frees the
// synthesizer with its soundfont. A program that started the synthesizer calls it before it ends,
// so that those threads are gone before the process tears down what they use.
void stopSynthesizer();

// The synthesizer, loaded now if it was not; null when the soundfont cannot be loaded. A failed
// load is reported once on stderr and not tried again until the next start.
fluid_synth_t *playingSynthesizer();
// The synthesizer if it is loaded, without loading it.
fluid_synth_t *loadedSynthesizer();

// A note starts: opens the audio device unless it is open and keeps it open for the silence limit
// from now. A device that fails to open, or whose silence watcher cannot start, is said in one
// line on stderr and not tried again until the next start.
void soundNote();

// The audio device the synthesizer plays through while it is open, or 0.
SDL_AudioDeviceID synthesizerAudioDevice();
