// The General MIDI synthesizer behind the MIDI output: FluidSynth with a soundfont from the
// system's packages, playing through SDL's audio. The audio device opens on first use, the
// soundfont loads with the first note; both then live as long as the process, so that closing and
// re-opening the MIDI output costs next to nothing.
#pragma once

#include <SDL.h>
#include <fluidsynth.h>

// The environment variable that names the soundfont to use instead of the system's General MIDI
// soundfont; when it is set, no other file is tried.
#define NIMBROST_SOUNDFONT_VARIABLE "NIMBROST_SOUNDFONT"

// Makes the synthesizer ready to play: finds a soundfont unless one is loaded and opens the audio
// device unless it is open. Returns false when no soundfont or no audio device can be had; what
// did succeed is kept for the next try. The soundfont itself loads with the first note.
bool startSynthesizer();

// Closes the audio device and frees the synthesizer with its soundfont. Runs at exit too.
void stopSynthesizer();

// The synthesizer, loaded now if it was not, while the audio device is open; null when there is
// no device or the soundfont cannot be loaded.
fluid_synth_t *playingSynthesizer();
// The synthesizer if it is loaded and the audio device open, without loading it.
fluid_synth_t *loadedSynthesizer();

// The audio device the synthesizer plays through, or 0.
SDL_AudioDeviceID synthesizerAudioDevice();
