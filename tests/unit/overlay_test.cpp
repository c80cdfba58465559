#include "shell/shell.h"
#include "tests/support/gl_test.h"
#include "tests/support/recording_platform.h"

using nimbrost::scene;

// Draws the overlay with the average frame rate, as the program does, and returns its lines of
// text, each ended by a newline.
static std::string overlayText() {
    drawnText.clear();
    nimbrost::drawOverlay(nimbrost::averageFrameRate());
    return drawnText;
}

using OverlayTest = GlTest;

TEST_F(OverlayTest, TextsOfTheHelpTheInfoAndTheEffects) {
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
