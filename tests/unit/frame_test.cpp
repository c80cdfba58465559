#include <gtest/gtest.h>

#include "tests/support/gl_test.h"
#include "tests/support/recording_platform.h"

using nimbrost::scene;

namespace {

// What the frame driver handed the effect.
std::vector<double> modelviewSeen;
GLint matrixModeSeen;
int effectCalls;

void observeEffect() {
    modelviewSeen.assign(16, 0.0);
    glGetDoublev(GL_MODELVIEW_MATRIX, modelviewSeen.data());
    glGetIntegerv(GL_MATRIX_MODE, &matrixModeSeen);
    ++effectCalls;
}

} // namespace

class FrameTest : public GlTest {
  protected:
    void SetUp() override {
        GlTest::SetUp();
        startScene();
        scene.currentEffect = observeEffect;
        effectCalls = 0;
        recording::clear();
    }

    // Fills the colour buffer with red and the depth buffer with 0.25.
    void paintRedAtDepthQuarter() {
        glClearColor(1, 0, 0, 1);
        glClearDepth(0.25);
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
        glClearColor(0, 0, 0, 1);
        glClearDepth(1.0);
    }

    float depthAt(int x, int y) {
        float depth = 0;
        glReadPixels(x, y, 1, 1, GL_DEPTH_COMPONENT, GL_FLOAT, &depth);
        return depth;
    }
};

TEST_F(FrameTest, ClearsDepthAlwaysAndColourOnlyWhenAsked) {
    paintRedAtDepthQuarter();
    nimbrost::drawFrame();
    EXPECT_EQ(readFrame()[0], 0);
    EXPECT_EQ(depthAt(10, 10), 1.0f);

    scene.settings.clearColorBuffer = 0;
    paintRedAtDepthQuarter();
    nimbrost::drawFrame();
    const std::vector<std::uint8_t> kept = readFrame();
    EXPECT_EQ(kept[0], 255);
    EXPECT_EQ(kept[1], 0);
    EXPECT_EQ(depthAt(10, 10), 1.0f);
}

TEST_F(FrameTest, HandsTheEffectAnIdentityModelviewAndCountsFrames) {
    glMatrixMode(GL_MODELVIEW);
    glTranslated(1, 2, 3);
    glMatrixMode(GL_PROJECTION);
    nimbrost::drawFrame();
    EXPECT_EQ(effectCalls, 1);
    EXPECT_EQ(matrixModeSeen, GL_MODELVIEW);
    for (int i = 0; i < 16; ++i) {
        EXPECT_EQ(modelviewSeen[i], i % 5 == 0 ? 1.0 : 0.0) << i;
    }
    EXPECT_EQ(scene.frameCount, 1u);
    nimbrost::drawFrame();
    EXPECT_EQ(scene.frameCount, 2u);
    scene.frameCount = 0xFFFFFFFFu;
    nimbrost::drawFrame();
    EXPECT_EQ(scene.frameCount, 0u);
}

TEST_F(FrameTest, SendsTheNoteOncePerFrameWhileSoundIsOnAndAnOutputIsOpen) {
    scene.noteMessage = 0x00643C91u;
    nimbrost::drawFrame();
    EXPECT_TRUE(recording::callsStartingWith("midi").empty());

    scene.settings.sound = 1;
    nimbrost::drawFrame();
    nimbrost::drawFrame();
    EXPECT_EQ(recording::callsStartingWith("midi"),
              (std::vector<std::string>{"midiOutShortMsg(#1, 0x00643c91)",
                                        "midiOutShortMsg(#1, 0x00643c91)"}));

    recording::clear();
    scene.midiOut = nullptr;
    nimbrost::drawFrame();
    EXPECT_TRUE(recording::calls.empty());
}

TEST_F(FrameTest, NoteAdditionsTruncateAndWrap) {
    scene.noteMessage = 0;
    nimbrost::addToNoteMessage(-0.7);
    EXPECT_EQ(scene.noteMessage, 0u);
    nimbrost::addToNoteMessage(-2.7);
    EXPECT_EQ(scene.noteMessage, 0xFFFFFFFEu);
    nimbrost::addToNoteMessage(33.9);
    EXPECT_EQ(scene.noteMessage, 31u);
    scene.noteMessage = 0xFFFFFFF0u;
    nimbrost::addToNoteMessage(20.5);
    EXPECT_EQ(scene.noteMessage, 4u);
    scene.noteMessage = 0x80000000u;
    nimbrost::addToNoteMessage(-1.0);
    EXPECT_EQ(scene.noteMessage, 0x7FFFFFFFu);
}
