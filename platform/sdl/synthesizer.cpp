#include "platform/sdl/synthesizer.h"

#include <dlfcn.h>

#include <cstdlib>

namespace {

// Where Debian's packages put a General MIDI soundfont: the alternatives link that each of them
// provides, then the files of the two usual packages in case the link is missing.
const char *const standardSoundFonts[] = {
    "/usr/share/sounds/sf2/default-GM.sf2",
    "/usr/share/sounds/sf2/FluidR3_GM.sf2",
    "/usr/share/sounds/sf2/TimGM6mb.sf2",
};

const int sampleRate = 44100;
// Frames per audio callback: about 12 ms, so that a note sounds soon after its frame, yet long
// enough not to run dry on a busy machine.
const int callbackFrames = 512;

struct Synthesizer {
    const char *soundFont; // the soundfont found by the last start, loaded on the first note
    fluid_settings_t *settings;
    fluid_synth_t *synth; // set under the audio device's lock: the audio thread reads it
    SDL_AudioDeviceID device;
    bool audioStarted; // SDL's audio subsystem, kept once started
    bool stopsAtExit;
};

Synthesizer synthesizer;

// SDL's audio thread asks for the next stretch of sound: interleaved stereo floats; silence until
// the synthesizer is loaded.
void SDLCALL renderAudio(void *, Uint8 *stream, int length) {
    if (synthesizer.synth == nullptr) {
        SDL_memset(stream, 0, static_cast<std::size_t>(length));
        return;
    }
    const int frames = length / static_cast<int>(2 * sizeof(float));
    fluid_synth_write_float(synthesizer.synth, frames, stream, 0, 2, stream, 1, 2);
}

// The soundfont to load: the one the environment names, else the first standard one present.
const char *findSoundFont() {
    const char *chosen = std::getenv(NIMBROST_SOUNDFONT_VARIABLE);
    if (chosen != nullptr && chosen[0] != '\0') {
        return fluid_is_soundfont(chosen) ? chosen : nullptr;
    }
    for (const char *path : standardSoundFonts) {
        if (fluid_is_soundfont(path)) {
            return path;
        }
    }
    return nullptr;
}

// The program shows no messages; FluidSynth would print its warnings and errors on stderr.
void silenceFluidSynthLog() {
    for (int level = FLUID_PANIC; level <= FLUID_DBG; ++level) {
        fluid_set_log_function(level, nullptr, nullptr);
    }
}

bool loadSynthesizer() {
    fluid_settings_t *settings = new_fluid_settings();
    if (settings == nullptr) {
        return false;
    }
    fluid_settings_setnum(settings, "synth.sample-rate", sampleRate);
    // The program sends messages from its own thread while SDL's audio thread renders.
    fluid_settings_setint(settings, "synth.threadsafe-api", 1);
    // A screen saver has no need to pin the samples in memory.
    fluid_settings_setint(settings, "synth.lock-memory", 0);
    fluid_synth_t *synth = new_fluid_synth(settings);
    if (synth == nullptr || fluid_synth_sfload(synth, synthesizer.soundFont, 1) == FLUID_FAILED) {
        if (synth != nullptr) {
            delete_fluid_synth(synth);
        }
        delete_fluid_settings(settings);
        return false;
    }
    synthesizer.settings = settings;
    SDL_LockAudioDevice(synthesizer.device);
    synthesizer.synth = synth;
    SDL_UnlockAudioDevice(synthesizer.device);
    return true;
}

// ALSA reports a missing sound card on stderr from inside SDL's audio start, at every try. The
// program shows no messages, so ALSA's error reports are dropped. SDL loads the same library later
// and finds the handler in place.
void dropAlsaError(const char *, int, const char *, int, const char *, ...) {}

void silenceAlsa() {
    static bool silenced = false;
    if (silenced) {
        return;
    }
    silenced = true;
    void *alsa = dlopen("libasound.so.2", RTLD_LAZY | RTLD_LOCAL);
    if (alsa == nullptr) {
        return;
    }
    using ErrorHandler = void (*)(const char *, int, const char *, int, const char *, ...);
    using SetErrorHandler = int (*)(ErrorHandler);
    auto setHandler = reinterpret_cast<SetErrorHandler>(dlsym(alsa, "snd_lib_error_set_handler"));
    if (setHandler != nullptr) {
        setHandler(dropAlsaError);
    }
}

bool openAudio() {
    silenceAlsa();
    // Once started, the audio subsystem stays up even when no device opens: stopping it waits for
    // SDL's device watcher, which would make every later try of a machine without sound slow.
    if (!synthesizer.audioStarted) {
        if (SDL_InitSubSystem(SDL_INIT_AUDIO) != 0) {
            return false;
        }
        synthesizer.audioStarted = true;
    }
    SDL_AudioSpec wanted{};
    wanted.freq = sampleRate;
    wanted.format = AUDIO_F32SYS;
    wanted.channels = 2;
    wanted.samples = callbackFrames;
    wanted.callback = renderAudio;
    SDL_AudioSpec obtained{};
    // Nothing may change: SDL converts to whatever the device plays.
    const SDL_AudioDeviceID device = SDL_OpenAudioDevice(nullptr, 0, &wanted, &obtained, 0);
    if (device == 0) {
        return false;
    }
    synthesizer.device = device;
    SDL_PauseAudioDevice(device, 0);
    if (!synthesizer.stopsAtExit) {
        // Stop SDL's audio thread before the process tears down what it uses.
        std::atexit(stopSynthesizer);
        synthesizer.stopsAtExit = true;
    }
    return true;
}

} // namespace

bool startSynthesizer() {
    silenceFluidSynthLog();
    if (synthesizer.synth == nullptr) {
        synthesizer.soundFont = findSoundFont();
        if (synthesizer.soundFont == nullptr) {
            return false;
        }
    }
    return synthesizer.device != 0 || openAudio();
}

void stopSynthesizer() {
    if (synthesizer.device != 0) {
        SDL_CloseAudioDevice(synthesizer.device);
        synthesizer.device = 0;
    }
    if (synthesizer.audioStarted) {
        SDL_QuitSubSystem(SDL_INIT_AUDIO);
        synthesizer.audioStarted = false;
    }
    if (synthesizer.synth != nullptr) {
        delete_fluid_synth(synthesizer.synth);
        delete_fluid_settings(synthesizer.settings);
        synthesizer.synth = nullptr;
        synthesizer.settings = nullptr;
    }
}

fluid_synth_t *playingSynthesizer() {
    if (synthesizer.device == 0 || (synthesizer.synth == nullptr && !loadSynthesizer())) {
        return nullptr;
    }
    return synthesizer.synth;
}

fluid_synth_t *loadedSynthesizer() {
    return synthesizer.device != 0 ? synthesizer.synth : nullptr;
}

SDL_AudioDeviceID synthesizerAudioDevice() {
    return synthesizer.device;
}
