#include "tests/support/gl_test.h"

#include "platform/headless/gl_context.h"
#include "tests/support/recording_platform.h"

using nimbrost::scene;

void GlTest::SetUp() {
    const char *error = nullptr;
    ASSERT_TRUE(headless::createContext(800, 600, &error)) << error;
    scene = nimbrost::SceneState();
    recording::clear();
    glPushAttrib(GL_ALL_ATTRIB_BITS);
}

void GlTest::TearDown() {
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
    glPopAttrib();
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
}

void GlTest::useSize(int width, int height) {
    ASSERT_TRUE(headless::resizeTarget(width, height));
    scene.width = width;
    scene.height = height;
}

std::vector<std::uint8_t> GlTest::readFrame() {
    std::vector<std::uint8_t> rgba;
    headless::readPixels(rgba);
    return rgba;
}

int GlTest::litPixels() {
    const std::vector<std::uint8_t> rgba = readFrame();
    int lit = 0;
    for (std::size_t i = 0; i < rgba.size(); i += 4) {
        lit += (rgba[i] | rgba[i + 1] | rgba[i + 2]) != 0;
    }
    return lit;
}

std::vector<double> GlTest::matrix(GLenum which) {
    std::vector<double> m(16);
    glGetDoublev(which, m.data());
    return m;
}

GLint GlTest::integer(GLenum which) {
    GLint value = 0;
    glGetIntegerv(which, &value);
    return value;
}

void GlTest::startScene() {
    scene.currentEffect = nimbrost::effectRegistry[0].draw;
    nimbrost::resetScene();
}
