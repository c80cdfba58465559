// The scene: the one record of run-time state, the effect registry, and the procedures that
// every effect and the shell share (oscillators, random generator, reset, frame, preamble).
#pragma once

#include <cstdint>
#include <ctime>

#include "platform/win32.h"

namespace nimbrost {

// Draws one frame of an effect.
typedef void (*EffectFn)();

struct EffectEntry {
    EffectFn draw;    // null only in the row that ends the table
    char key;         // hot-key character, '1' to '8'
    const char *name; // display name, marks included
};

// Reads the calendar clock: seconds since 1970.
typedef std::time_t (*CalendarClock)();

// Eight effect rows, then one all-zero row. Walk it to the first null `draw`.
extern const EffectEntry effectRegistry[];

struct Camera {
    double posX = -2.5;
    double posY = -2.5;
    double posZ = -30.0;
    double rotX = 0.0; // degrees
    double rotY = 0.0;
    double rotZ = 0.0;
};

// Toggles: 0 is off, anything else on; keys store 1 for on.
struct Settings {
    std::int32_t clearColorBuffer = 1;
    std::int32_t lighting = 1;
    std::int32_t transparency = 1;
    std::int32_t windowed = 0;
    std::int32_t squareBorders = 0;
    std::int32_t squarePersonality = 0;
    std::int32_t rotateCamera = 0;
    std::int32_t sound = 0;
    std::int32_t showInfo = 0;
};

struct Square {
    double x, y, z;
    double r, g, b;
    double rotX, rotY, rotZ; // degrees
    std::int32_t group;      // block of the field the square was made in, 0 to 3
};

constexpr int squareCount = 80;

struct SceneState {
    int width = 800;
    int height = 600;
    Camera camera;
    Settings settings;
    EffectFn currentEffect = nullptr;
    std::uint32_t frameCount = 0;
    std::uint32_t startTick = 0;
    DWORD noteMessage = 0; // MIDI short message: status | data1 << 8 | data2 << 16
    HMIDIOUT midiOut = nullptr;
    Square squareField[squareCount] = {};
    HWND mainWindow = nullptr;
    GLuint fontListBase = 0;
    double anchorX = 0.0; // mouse drag anchors
    double anchorY = 0.0;
    double anchorZ = 0.0;
    std::uint32_t randomState = 1;
    CalendarClock calendarClock = nullptr; // null: the system's calendar clock

    // Square roots
    std::int32_t rootsFirstRun = 1;
    double rootsAzimuthClock = 0.0;
    double rootsSpinClockX = 0.0;
    double rootsElevationClock = 0.0;
    double rootsSpinClockY = 0.0;
    double rootsRadiusClock = 0.0;
    double rootsSpinClockZ = 0.0;

    // Dancing polaroids
    double polaroidClock = 0.0;
    double polaroidWobbleClock = 0.0;
    double polaroidAngle = 0.0;
    double polaroidSpiralClock = 0.0;

    // Wishing well
    double wellColorClock = 0.0;
    double wellClock = 0.0;

    // Bipolar attractors
    double attractorClock = 0.0;
    double attractorColorClock = 0.0;

    // Polar flowers
    double flowersClock = 0.0;
    double flowersColorClock = 0.0;

    // Turbulence bubble
    double bubbleClock = 0.0;
    double bubbleColorClock = 0.0;

    // Oscilloscope
    double scopeClock = 0.0;
    double scopeColorClock = 0.0;

    // Broken mosaic
    double mosaicClock = 0.0;
    double mosaicSpinClock = 0.0;
};

extern SceneState scene;

// Circle constants as the program uses them: ten decimals, not full precision.
constexpr double twoPi = 6.2831853072;
constexpr double pi = 3.1415926536;
constexpr double degreesPerRadian = 57.295779512896175;
// The double nearest 1/32767: turns a random value 0..32767 into 0.0..1.0.
constexpr double randomScale = 1.0 / 32767.0;

// Oscillators. Arguments are always time, period, phase, lo, hi.
double sineWave(double t, std::uint32_t period, std::uint32_t phase, double lo, double hi);
double pulseWave(double t, std::uint32_t period, std::uint32_t phase, double lo, double hi);

// The program's own random generator: a 32-bit LCG with outputs 0 to 32767.
int rand();
void srand(unsigned int seed);

// The calendar time in seconds that the effects seed from: `calendarClock`, else the system's.
std::time_t calendarTime();

// Adds a value to the note message, truncated toward zero, wrapping modulo 2^32.
void addToNoteMessage(double value);

// The draw procedure of the registry row with this key, or null.
EffectFn findEffect(unsigned char key);

void resetScene();

// Makes the first effect of the registry current, as the program does once its OpenGL context is
// current; the scene reset follows.
void chooseFirstEffect();
// Makes the effect whose key is `key` current and resets the scene, as the key's release does;
// false, with nothing changed, when no effect has that key.
bool chooseEffect(unsigned char key);
// Starts the scene on a drawing area of width x height without the program's window (the
// renderer, the benchmark, the tests): `windowed` set, the first effect current and the scene
// reset, as the program starts; then, unless `key` is 0, its effect chosen as its key would be.
void startScene(int width, int height, std::int32_t windowed, unsigned char key);
// The depth-test and blending state for the current `transparency` flag.
void applyTransparency();
// Closes the MIDI output if one is open, then opens the default output again.
void reopenMidiOut();
void initSquareField();
void drawFrame();

// Draws the help and info column over the finished frame; changes no lasting GL state.
void drawOverlay(double fps);

void applyEffectPreamble(double dx, double dy, double dz);
void drawUnitSquare(double borderAlpha);
double squareAlpha();

} // namespace nimbrost
