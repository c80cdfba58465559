#include "shell/shell.h"
#include "tests/support/gl_test.h"
#include "tests/support/recording_platform.h"

using nimbrost::scene;

TEST(Oscillators, KnownValues) {
    const auto sine = nimbrost::sineWave, pulse = nimbrost::pulseWave;
    // Sines: quarter points, phase, lo above hi mirroring the wave, and at 1e6 the ten-decimal
    // 2 pi (0.93301270 with full precision). Pulses: the decay part up to half the period (50.9
    // is still position 50), rest, the climb by whole positions; periods 1 and 2 only decay, in
    // period 3 positions 0 and 1 decay and 2 climbs from 0; lo above hi starts at hi and rests at
    // lo; negative times truncate toward zero, then 32 bits (4294967295 is position 3 of 7), and
    // beyond 2^32 the low 32 bits count (position 60 % 7 = 4).
    using Wave = double (*)(double, std::uint32_t, std::uint32_t, double, double);
    // clang-format off
    const std::tuple<Wave, double, std::uint32_t, std::uint32_t, double, double, double> cases[] = {
        {sine, 0, 100, 0, 0, 1, 0.5}, {sine, 25, 100, 0, 0, 1, 1.0}, {sine, 0, 4, 1, -1, 1, 1.0},
        {sine, 25, 100, 0, 1, 0, 0.0}, {sine, 0, 100, 0, 1, -3, -1.0},
        {sine, 1e6, 3, 0, 0, 1, 0.93301100076170}, {pulse, 0, 100, 0, 0, 1, 1.0},
        {pulse, 25, 100, 0, 0, 1, 0.025126265846619}, {pulse, 50, 100, 0, 0, 1, 0.0},
        {pulse, 50.9, 100, 0, 0, 1, 6.3852441497e-11}, {pulse, 70, 100, 0, 0, 1, 0.0},
        {pulse, 99, 100, 0, 0, 1, 0.25}, {pulse, 100, 100, 0, 0, 1, 0.99999999996938},
        {pulse, 332, 333, 0, -2, 6, 4.4929794659524},
        {pulse, 0.25, 1, 0, 0, 1, 0.025126265846619}, {pulse, 1.5, 2, 0, 0, 1, 0.025126265848477},
        {pulse, 0.5, 3, 0, 0, 1, 0.1249999999989}, {pulse, 1.25, 3, 0, 0, 1, 3.9561796011e-05},
        {pulse, 2.5, 3, 0, 0, 1, 0}, {pulse, 0, 100, 0, 1, 0, 0}, {pulse, 70, 100, 0, 1, 0, 1},
        {pulse, -0.5, 100, 0, 0, 1, 0.95361433220934}, {pulse, -1.5, 7, 0, 0, 1, 0.053374059070155},
        {pulse, 4294967356.5, 7, 0, 0, 1, 0.0}, {pulse, 17.5, 100, 412, 0, 1, 0.0080379006739}};
    // clang-format on
    for (const auto &[wave, t, period, phase, lo, hi, expected] : cases) {
        EXPECT_NEAR(wave(t, period, phase, lo, hi), expected, 1e-12) << t << " " << period;
    }
    const double huge = nimbrost::pulseWave(1e300, 100, 0, 0, 1);
    EXPECT_TRUE(huge >= 0.0 && huge <= 1.0);
}

TEST(Random, SequenceAndSeed) {
    nimbrost::scene = nimbrost::SceneState();
    for (int value : {41, 18467, 6334, 26500, 19169, 15724, 11478, 29358, 26962, 24464}) {
        EXPECT_EQ(nimbrost::rand(), value);
    }
    nimbrost::srand(0xFFFFFFFFu);
    EXPECT_EQ(nimbrost::rand(), 35);
}

using SceneTest = GlTest;

TEST_F(SceneTest, ResetSetsTheOpenGlStateAndPlacesTheLightsThroughTheCameraFromBefore) {
    auto light = [](GLenum which) {
        GLfloat at[4];
        glGetLightfv(which, GL_POSITION, at);
        return rounded(std::vector<double>(at, at + 4));
    };
    startScene();
    const std::vector<double> p = matrix(GL_PROJECTION_MATRIX);
    EXPECT_NEAR(p[5] / p[0], 1.0, 1e-6); // the aspect
    // The lights were placed through (-14.5, -27.5, -80): the home camera, offset.
    EXPECT_EQ(light(GL_LIGHT0), (std::vector<double>{10.5, -2.5, -55, 1}));
    EXPECT_EQ(light(GL_LIGHT1), (std::vector<double>{10.5, -2.5, -77.9, 1}));
    EXPECT_EQ(light(GL_LIGHT2), (std::vector<double>{10.5, 22.5, -77.9, 1}));
    EXPECT_EQ(enabled({GL_NORMALIZE, GL_TEXTURE_2D, GL_DITHER, GL_LIGHT0, GL_LIGHT1, GL_LIGHT2}),
              (std::vector<int>{1, 1, 1, 1, 1, 1}));

    scene.camera = {10.0, 0.0, -10.0, 45.0, 90.0, 5.0};
    nimbrost::resetScene();
    // The camera's and the frame count's return home are the digit keys' test's; the tick count it
    // records, the overlay's test's.
    EXPECT_EQ(light(GL_LIGHT0), (std::vector<double>{23, 0, -35, 1})); // through (-2, -25, -60)
}

TEST_F(SceneTest, SquareFieldTakesEightyDrawsForItsTurns) {
    std::vector<double> turns; // the generator's next 161 values, scaled to 0..1
    for (int i = 0; i < 161; ++i) {
        turns.push_back(nimbrost::rand() * nimbrost::randomScale);
    }
    scene = nimbrost::SceneState();
    startScene();
    for (int i = 0; i < 80; ++i) {
        const nimbrost::Square &s = scene.squareField[i];
        const double at = (i < 20 ? -20.0 : i < 60 ? -10.0 : 0.0) + i % 20;
        EXPECT_EQ((std::vector<double>{double(s.group), s.x, s.y, s.z, s.r, s.g, s.b, s.rotX,
                                       s.rotY, s.rotZ}),
                  (std::vector<double>{double(i / 20), at, at, at, 0.5, 0.5, 0.5, turns[i],
                                       turns[i], turns[i]}))
            << i;
    }
    // A second reset takes the next 80: other turns, and nothing more is drawn.
    nimbrost::resetScene();
    EXPECT_EQ(scene.squareField[79].rotX, turns[159]);
    EXPECT_EQ(nimbrost::rand() * nimbrost::randomScale, turns[160]);
}

// A frame clears the depth buffer, and the colour buffer unless C keeps it: then the preamble's
// veil fades the picture 20 % towards black and leaves lighting and blending (additive) as their
// toggles say. Each frame counts, and sends the note while sound is on and an output is open. An
// overlay before each frame leaves the projection, the enables and blending as it found them.
TEST_F(SceneTest, FramesClearOrVeilCountAndSendTheNote) {
    startScene();
    scene.currentEffect = [] { nimbrost::applyEffectPreamble(0, -10, -25); };
    recording::log.clear();
    scene.noteMessage = 0x00643C91u;
    // Over white at depth 0.25: clear colour, lighting and transparency, the colour left.
    const std::tuple<int, int, int> cases[] = {{1, 1, 0}, {0, 1, 204}, {0, 0, 204}};
    for (const auto &[clearColour, on, colour] : cases) {
        scene.settings.clearColorBuffer = clearColour;
        scene.settings.lighting = scene.settings.transparency = on;
        nimbrost::drawOverlay(30.0);
        glClearColor(1, 1, 1, 1);
        glClearDepth(0.25);
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
        glClearColor(0, 0, 0, 1);
        glClearDepth(1.0);
        nimbrost::drawFrame();
        float depth = 0;
        glReadPixels(0, 0, 1, 1, GL_DEPTH_COMPONENT, GL_FLOAT, &depth);
        EXPECT_EQ(depth, 1.0f);
        std::vector<std::uint8_t> frame;
        headless::readPixels(frame);
        for (std::size_t at : {std::size_t{0}, frame.size() / 2, frame.size() - 4}) {
            EXPECT_NEAR(frame[at], colour, 2) << clearColour << on;
        }
        EXPECT_EQ(enabled({GL_LIGHTING, GL_BLEND}), (std::vector<int>{on, on}));
        GLint blend[2] = {};
        glGetIntegerv(GL_BLEND_SRC, &blend[0]);
        glGetIntegerv(GL_BLEND_DST, &blend[1]);
        EXPECT_TRUE(!on || (blend[0] == GL_SRC_ALPHA && blend[1] == GL_ONE)) << blend[1];
    }
    EXPECT_EQ(scene.frameCount, 3u);
    scene.settings.sound = 1;
    nimbrost::drawFrame();
    nimbrost::drawFrame();
    scene.midiOut = nullptr;
    nimbrost::drawFrame();
    EXPECT_EQ(recording::log, "midiOutShortMsg(0x1, 0x643c91)\nmidiOutShortMsg(0x1, 0x643c91)\n");
}

// The preamble places the camera, turns about x, then y, then z, and steps the turns after.
TEST_F(SceneTest, PreamblePlacesAndTurnsTheCamera) {
    startScene();
    glLoadIdentity();
    nimbrost::applyEffectPreamble(0, -10, -25);
    std::vector<double> m = matrix(GL_MODELVIEW_MATRIX);
    EXPECT_EQ(std::vector<double>(m.begin() + 12, m.end()),
              (std::vector<double>{-2.5, -12.5, -55.0, 1.0}));
    // glRotated about x, then y, then z: x goes to z, y to -y, z to x.
    glLoadIdentity();
    scene.camera.rotX = scene.camera.rotY = scene.camera.rotZ = 90;
    scene.settings.rotateCamera = 1;
    nimbrost::applyEffectPreamble(0, 0, 0);
    EXPECT_EQ(rounded(matrix(GL_MODELVIEW_MATRIX)),
              (std::vector<double>{0, 0, 1, 0, 0, -1, 0, 0, 1, 0, 0, 0, -2.5, -2.5, -30, 1}));
    const nimbrost::Camera &c = scene.camera; // turned after this frame's matrix
    EXPECT_EQ(rounded({c.rotX, c.rotY, c.rotZ}), (std::vector<double>{90.1, 90.1, 90.1}));
    scene.camera.rotX = 359.95;
    nimbrost::applyEffectPreamble(0, 0, 0);
    EXPECT_GT(scene.camera.rotX, 360.0); // never wrapped
}

// Draws the overlay with the average frame rate, as the program does, and returns its lines of
// text, each ended by a newline.
static std::string overlayText() {
    drawnText.clear();
    nimbrost::drawOverlay(nimbrost::averageFrameRate());
    return drawnText;
}

TEST_F(SceneTest, OverlayTextsOfTheHelpTheInfoAndTheEffects) {
    // 50 frames in the 356 ms since the reset, the tick count having wrapped.
    recording::given.tickCount = 0xFFFFFF00u;
    scene.settings.windowed = 1;
    startScene();
    scene.frameCount = 50;
    recording::given.tickCount = 0x64;
    scene.camera.rotX = 3600.5;
    const std::string rule = "------------------------------\n";
    EXPECT_EQ(overlayText(),
              "Help:\n" + rule +
                  "F1 - show help screen\nESC - exit\nF - fullscreen (off)\nL - lighting (on)\n"
                  "T - transparency (on)\nC - clear color buffer (on)\n"
                  "P - square personality (off)\nB - square borders (off)\n"
                  "M - rotate camera (off)\nR - reset camera\nS - sound (off)\nInfo:\n" +
                  rule + "FPS: 140.45\npos: -2.50,-2.50,-30.00\nrot: 3600.50,0.00,0.00\n" +
                  "Screensavers:\n" + rule +
                  "1 - Square roots\n2 - Dancing polaroids\n3 - Wishing well\n"
                  "4 - Bipolar attractors *+\n5 - Polar flowers *+\n6 - Turbulence bubble *+\n"
                  "7 - Oscilloscope *+\n8 - Broken mosaic\n* - has square personality\n"
                  "+ - has sound\n");
    // Full screen, lighting off, any non-zero value on; no time since the reset; a line too long
    // for the buffer is cut.
    scene.settings = {1, 0, 7, 0, 0, 0, 0, 0, 1};
    recording::given.tickCount = scene.startTick;
    scene.camera.posX = 1e300;
    const std::string flipped = overlayText();
    EXPECT_NE(flipped.find("F - fullscreen (on)\nL - lighting (off)\nT - transparency (on)\n"),
              std::string::npos);
    const std::size_t pos = flipped.find("\nFPS: inf\npos: 1") + 10;
    EXPECT_EQ(flipped.find('\n', pos) - pos, 255u);
}
