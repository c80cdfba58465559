#include "tests/support/gl_test.h"

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
    recording::useTestContext(true);
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
    glPopAttrib();
}

std::vector<double> GlTest::matrix(GLenum which) {
    std::vector<double> m(16);
    glGetDoublev(which, m.data());
    return m;
}

std::vector<int> GlTest::enabled(std::initializer_list<GLenum> capabilities) {
    std::vector<int> found;
    for (GLenum capability : capabilities) {
        found.push_back(glIsEnabled(capability));
    }
    return found;
}

void GlTest::startScene(char key, int frames) {
    nimbrost::startScene(800, 600, scene.settings.windowed, static_cast<unsigned char>(key));
    while (frames-- > 0) {
        nimbrost::drawFrame();
    }
}

std::vector<double> rounded(std::vector<double> values) {
    for (double &value : values) {
        value = std::round(value * 1e4) / 1e4;
    }
    return values;
}

std::string drawnText;

extern "C" {

void __real_glCallLists(GLsizei n, GLenum type, const void *lists);

void __wrap_glCallLists(GLsizei n, GLenum type, const void *lists) {
    drawnText.append(static_cast<const char *>(lists), n) += '\n';
    __real_glCallLists(n, type, lists);
}

} // extern "C"
