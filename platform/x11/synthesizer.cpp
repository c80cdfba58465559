#include "platform/x11/synthesizer.h"

#include <dlfcn.h>
#include <glib.h>
#include <pthread.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <cstdlib>
#include <mutex>

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
// How often an open device checks whether it has been silent long enough to close.
const std::chrono::milliseconds silenceCheckInterval{500};

struct Synthesizer {
    // The soundfont found by the last start, loaded on the first message; null once it failed to
    // load, until the next start.
    const char *soundFont;
    fluid_settings_t *settings;
    fluid_synth_t *synth; // set before the device first opens, freed after it closes
    bool audioStarted;    // SDL's audio subsystem, kept once started
    bool deviceFailed;    // the device failed to open since the last start
    // Under deviceLock: the device is opened by a note on the program's thread and closed by the
    // silence watcher, a thread that runs while the device is open.
    SDL_AudioDeviceID device;
    bool watching; // the silence watcher runs
    bool stopping; // ... and is asked to end
};

Synthesizer synthesizer;
std::mutex deviceLock;
std::condition_variable watcherWakes;
// The moment, in milliseconds, of the last note played or of the last stretch of sound that had a
// voice in it.
std::atomic<long long> lastSound{0};

long long now() {
    return std::chrono::duration_cast<std::chrono::milliseconds>(
               std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

// SDL's audio thread asks for the next stretch of sound: interleaved stereo floats.
void SDLCALL renderAudio(void *, Uint8 *stream, int length) {
    const int frames = length / static_cast<int>(2 * sizeof(float));
    fluid_synth_write_float(synthesizer.synth, frames, stream, 0, 2, stream, 1, 2);
    if (fluid_synth_get_active_voice_count(synthesizer.synth) > 0) {
        lastSound = now();
    }
}

void closeDevice() {
    if (synthesizer.device != 0) {
        SDL_CloseAudioDevice(synthesizer.device);
        synthesizer.device = 0;
    }
}

// The silence watcher: closes the device once nothing has sounded for the silence limit.
void *watchSilence(void *) {
    std::unique_lock<std::mutex> lock(deviceLock);
    while (synthesizer.device != 0 && !synthesizer.stopping) {
        watcherWakes.wait_for(lock, silenceCheckInterval);
        if (now() - lastSound >= synthesizerSilenceLimit) {
            closeDevice();
        }
    }
    synthesizer.watching = false;
    watcherWakes.notify_all();
    return nullptr;
}

bool openDevice() {
    SDL_AudioSpec wanted{};
    wanted.freq = sampleRate;
    wanted.format = AUDIO_F32SYS;
    wanted.channels = 2;
    wanted.samples = callbackFrames;
    wanted.callback = renderAudio;
    SDL_AudioSpec obtained{};
    // Nothing may change: SDL converts to whatever the device plays.
    synthesizer.device = SDL_OpenAudioDevice(nullptr, 0, &wanted, &obtained, 0);
    if (synthesizer.device == 0) {
        std::fprintf(stderr, "nimbrost: the audio device does not open (%s); no sound plays\n",
                     SDL_GetError());
        return false;
    }
    // Without a watcher the device would stay open for good: the program goes on silent.
    // The watcher waits for deviceLock, which the caller holds, before it looks at the device.
    if (!synthesizer.watching) {
        pthread_t watcher;
        if (pthread_create(&watcher, nullptr, watchSilence, nullptr) != 0) {
            closeDevice();
            std::fputs("nimbrost: no thread can start to watch the sound; no sound plays\n",
                       stderr);
            return false;
        }
        pthread_detach(watcher);
        synthesizer.watching = true;
    }
    SDL_PauseAudioDevice(synthesizer.device, 0);
    return true;
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

// The library FluidSynth reads some soundfonts with reports a damaged file through GLib's log,
// several lines for every try.
void dropGLibMessage(const gchar *, GLogLevelFlags, const gchar *, gpointer) {}

void freeSynthesizer() {
    delete_fluid_synth(synthesizer.synth);
    delete_fluid_settings(synthesizer.settings);
    synthesizer.synth = nullptr;
    synthesizer.settings = nullptr;
}

bool loadSynthesizer() {
    fluid_settings_t *settings = synthesizer.settings = new_fluid_settings();
    if (settings == nullptr) {
        return false;
    }
    fluid_settings_setnum(settings, "synth.sample-rate", sampleRate);
    // The program sends messages from its own thread while SDL's audio thread renders.
    fluid_settings_setint(settings, "synth.threadsafe-api", 1);
    // A screen saver has no need to pin the samples in memory.
    fluid_settings_setint(settings, "synth.lock-memory", 0);
    fluid_synth_t *synth = synthesizer.synth = new_fluid_synth(settings);
    const GLogFunc previousHandler = g_log_set_default_handler(dropGLibMessage, nullptr);
    const bool loaded =
        synth != nullptr && fluid_synth_sfload(synth, synthesizer.soundFont, 1) != FLUID_FAILED;
    g_log_set_default_handler(previousHandler, nullptr);
    if (!loaded) {
        freeSynthesizer();
    }
    return loaded;
}

// ALSA reports a missing sound card on stderr from inside SDL's audio start, at every try. The
// program shows no messages, so ALSA's error reports are dropped. SDL loads the same library later
// and finds the handler in place.
void dropAlsaError(const char *, int, const char *, int, const char *, ...) {}

void silenceAlsa() {
    using ErrorHandler = void (*)(const char *, int, const char *, int, const char *, ...);
    void *alsa = dlopen("libasound.so.2", RTLD_LAZY | RTLD_LOCAL);
    const auto setHandler = reinterpret_cast<int (*)(ErrorHandler)>(
        alsa != nullptr ? dlsym(alsa, "snd_lib_error_set_handler") : nullptr);
    if (setHandler != nullptr) {
        setHandler(dropAlsaError);
    }
}

// Whether SDL's audio offers an output device, without opening one. Drivers that cannot list
// their devices count as offering one.
bool audioOffered() {
    // Once started, the audio subsystem stays up even when no device is offered: stopping it
    // waits for SDL's device watcher, which would make every later try of a machine without
    // sound slow.
    if (!synthesizer.audioStarted) {
        silenceAlsa();
        // SIGINT and SIGTERM stay the program's.
        SDL_SetHint(SDL_HINT_NO_SIGNAL_HANDLERS, "1");
        if (SDL_InitSubSystem(SDL_INIT_AUDIO) != 0) {
            return false;
        }
        synthesizer.audioStarted = true;
    }
    return SDL_GetNumAudioDevices(0) != 0;
}

} // namespace

bool startSynthesizer() {
    silenceFluidSynthLog();
    synthesizer.deviceFailed = false;
    if (synthesizer.synth == nullptr) {
        synthesizer.soundFont = findSoundFont();
    }
    return synthesizer.soundFont != nullptr && audioOffered();
}

void stopSynthesizer() {
    {
        std::unique_lock<std::mutex> lock(deviceLock);
        closeDevice();
        synthesizer.stopping = true;
        watcherWakes.notify_all();
        watcherWakes.wait(lock, [] { return !synthesizer.watching; });
        synthesizer.stopping = false;
    }
    if (synthesizer.audioStarted) {
        SDL_QuitSubSystem(SDL_INIT_AUDIO);
        synthesizer.audioStarted = false;
    }
    freeSynthesizer();
}

fluid_synth_t *playingSynthesizer() {
    if (synthesizer.synth == nullptr && synthesizer.soundFont != nullptr && !loadSynthesizer()) {
        std::fprintf(stderr, "nimbrost: the soundfont %s could not be loaded; no sound plays\n",
                     synthesizer.soundFont);
        synthesizer.soundFont = nullptr;
    }
    return synthesizer.synth;
}

fluid_synth_t *loadedSynthesizer() {
    return synthesizer.synth;
}

void soundNote() {
    std::lock_guard<std::mutex> guard(deviceLock);
    lastSound = now();
    if (synthesizer.device == 0 && !synthesizer.deviceFailed && synthesizer.synth != nullptr) {
        synthesizer.deviceFailed = !openDevice();
    }
}

SDL_AudioDeviceID synthesizerAudioDevice() {
    std::lock_guard<std::mutex> guard(deviceLock);
    return synthesizer.device;
}
