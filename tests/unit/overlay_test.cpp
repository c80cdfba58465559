#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <string>

#include "tests/support/gl_test.h"

using nimbrost::scene;

namespace {

// One line of overlay text as the renderer received it.
struct TextLine {
    std::string text;
    int row;       // window row of the baseline, from the top of an 800 x 600 window
    float r, g, b; // raster colour
};

// Glyph lists that draw nothing but tell their character: each moves the raster position by the
// character code, reports it, and moves on by 8 - code, so in feedback mode every character
// gives two bitmap tokens whose x positions differ by its code.
GLuint makeSignalFont() {
    static const GLubyte nothing[1] = {0};
    const GLuint base = glGenLists(96);
    for (int c = 32; c < 128; ++c) {
        glNewList(base + (c - 32), GL_COMPILE);
        glBitmap(1, 1, 0, 0, static_cast<GLfloat>(c), 0, nothing);
        glBitmap(1, 1, 0, 0, static_cast<GLfloat>(8 - c), 0, nothing);
        glEndList();
    }
    return base;
}

} // namespace

class OverlayTest : public GlTest {
  protected:
    void SetUp() override {
        GlTest::SetUp();
        scene.settings.windowed = 1;
        startScene();
    }

    // Draws the overlay in feedback mode and decodes its lines of text.
    std::vector<TextLine> overlayText(double fps) {
        scene.fontListBase = makeSignalFont();
        std::vector<GLfloat> feedback(1 << 16);
        glFeedbackBuffer(static_cast<GLsizei>(feedback.size()), GL_3D_COLOR, feedback.data());
        glRenderMode(GL_FEEDBACK);
        nimbrost::drawOverlay(fps);
        const GLint used = glRenderMode(GL_RENDER);
        glDeleteLists(scene.fontListBase, 96);

        std::vector<TextLine> lines;
        float lastX = 0, lastY = -1;
        bool firstOfPair = true;
        for (GLint i = 0; i < used;) {
            const GLfloat token = feedback[i++];
            if (token == GL_POLYGON_TOKEN) {
                i += 1 + static_cast<GLint>(feedback[i]) * 7;
                continue;
            }
            EXPECT_EQ(token, static_cast<GLfloat>(GL_BITMAP_TOKEN));
            const GLfloat *v = &feedback[i];
            i += 7;
            if (firstOfPair && v[1] != lastY) {
                lines.push_back({"", static_cast<int>(std::lround(600 - v[1])), v[3], v[4], v[5]});
                lastY = v[1];
            }
            if (!firstOfPair) {
                lines.back().text += static_cast<char>(std::lround(v[0] - lastX));
            }
            lastX = v[0];
            firstOfPair = !firstOfPair;
        }
        return lines;
    }
};

TEST_F(OverlayTest, LinesTextsPlacesAndColours) {
    scene.camera.rotX = 3600.5;
    const std::vector<TextLine> lines = overlayText(60.0);
    const char *expected[] = {"Help:",
                              "------------------------------",
                              "F1 - show help screen",
                              "ESC - exit",
                              "F - fullscreen (off)",
                              "L - lighting (on)",
                              "T - transparency (on)",
                              "C - clear color buffer (on)",
                              "P - square personality (off)",
                              "B - square borders (off)",
                              "M - rotate camera (off)",
                              "R - reset camera",
                              "S - sound (off)",
                              "Info:",
                              "------------------------------",
                              "FPS: 60.00",
                              "pos: -2.50,-2.50,-30.00",
                              "rot: 3600.50,0.00,0.00",
                              "Screensavers:",
                              "------------------------------",
                              "1 - Square roots",
                              "2 - Dancing polaroids",
                              "3 - Wishing well",
                              "4 - Bipolar attractors *+",
                              "5 - Polar flowers *+",
                              "6 - Turbulence bubble *+",
                              "7 - Oscilloscope *+",
                              "8 - Broken mosaic",
                              "* - has square personality",
                              "+ - has sound"};
    ASSERT_EQ(lines.size(), std::size(expected));
    for (std::size_t i = 0; i < lines.size(); ++i) {
        EXPECT_EQ(lines[i].text, expected[i]);
    }
    // Baselines: "Help:" 40 rows below the top edge, the last legend line 108 above the bottom.
    EXPECT_EQ(lines.front().row, 40);
    EXPECT_EQ(lines.back().row, 600 - 108);
    EXPECT_EQ(lines[20].row, 600 - 248); // y = -0.38
    EXPECT_EQ(lines[27].row, 600 - 150); // y = -0.625

    // Only the current effect's row is red, whichever effect runs.
    for (int current = 0; current < 8; ++current) {
        scene.currentEffect = nimbrost::effectRegistry[current].draw;
        const std::vector<TextLine> shown = overlayText(60.0);
        for (std::size_t i = 0; i < shown.size(); ++i) {
            const bool red = static_cast<int>(i) == 20 + current;
            EXPECT_FLOAT_EQ(shown[i].r, red ? 1.0f : 0.25f) << current << shown[i].text;
            EXPECT_FLOAT_EQ(shown[i].g, red ? 0.15f : 0.75f) << current << shown[i].text;
            EXPECT_FLOAT_EQ(shown[i].b, red ? 0.15f : 1.0f) << current << shown[i].text;
        }
    }
}

TEST_F(OverlayTest, ToggleWordsFollowTheFlagsAndOddValuesStayInTheBuffer) {
    scene.settings.windowed = 0;
    scene.settings.lighting = 0;
    scene.settings.transparency = 7;
    scene.settings.squarePersonality = 1;
    scene.settings.sound = 1;
    scene.camera.posX = 1e300;
    std::vector<TextLine> lines = overlayText(INFINITY);
    EXPECT_EQ(lines[4].text, "F - fullscreen (on)");
    EXPECT_EQ(lines[5].text, "L - lighting (off)");
    EXPECT_EQ(lines[6].text, "T - transparency (on)");
    EXPECT_EQ(lines[8].text, "P - square personality (on)");
    EXPECT_EQ(lines[12].text, "S - sound (on)");
    EXPECT_EQ(lines[15].text, "FPS: inf");
    // 301 digits do not fit a line: it is cut at the buffer's 255 characters.
    EXPECT_EQ(lines[16].text.size(), 255u);
    EXPECT_EQ(lines[16].text.compare(0, 6, "pos: 1"), 0);
}

TEST_F(OverlayTest, LeavesTheStateAndTheNextFrameAsTheyWere) {
    scene.fontListBase = makeSignalFont();
    glListBase(7);
    glColor4d(0.1, 0.2, 0.3, 0.4);
    glMatrixMode(GL_MODELVIEW);
    glTranslated(1, 2, 3);
    const std::vector<double> modelview = matrix(GL_MODELVIEW_MATRIX);
    const std::vector<double> projection = matrix(GL_PROJECTION_MATRIX);

    nimbrost::drawOverlay(30.0);

    EXPECT_EQ(matrix(GL_MODELVIEW_MATRIX), modelview);
    EXPECT_EQ(matrix(GL_PROJECTION_MATRIX), projection);
    EXPECT_EQ(integer(GL_MATRIX_MODE), GL_MODELVIEW);
    EXPECT_EQ(integer(GL_MODELVIEW_STACK_DEPTH), 1);
    EXPECT_EQ(integer(GL_PROJECTION_STACK_DEPTH), 1);
    EXPECT_EQ(integer(GL_LIST_BASE), 7);
    EXPECT_EQ(integer(GL_BLEND_SRC), GL_SRC_ALPHA);
    EXPECT_EQ(integer(GL_BLEND_DST), GL_ONE);
    EXPECT_TRUE(glIsEnabled(GL_BLEND));
    EXPECT_TRUE(glIsEnabled(GL_LIGHTING));
    EXPECT_TRUE(glIsEnabled(GL_TEXTURE_2D));
    EXPECT_FALSE(glIsEnabled(GL_DEPTH_TEST));
    std::vector<double> colour(4);
    glGetDoublev(GL_CURRENT_COLOR, colour.data());
    EXPECT_NEAR(colour[0] + colour[1] + colour[2] + colour[3], 1.0, 1e-6);

    // The frame after an overlay is the frame that would have come without it.
    const nimbrost::SceneState start = scene;
    nimbrost::drawFrame();
    nimbrost::drawOverlay(30.0);
    nimbrost::drawFrame();
    const std::vector<std::uint8_t> withOverlay = readFrame();
    scene = start;
    nimbrost::drawFrame();
    nimbrost::drawFrame();
    EXPECT_EQ(readFrame(), withOverlay);
    glDeleteLists(scene.fontListBase, 96);
}
